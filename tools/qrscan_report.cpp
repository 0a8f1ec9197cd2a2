#include "qrscan_report.h"

#include <stdio.h>

#include "twain_names.h"

namespace {

std::string GroupsText(TW_UINT32 groups) {
    std::string text;
    if (groups & DG_CONTROL) text += " control";
    if (groups & DG_IMAGE) text += " image";
    if (groups & DG_AUDIO) text += " audio";
    return text.empty() ? " none" : text;
}

const char *PixelTypeText(TW_INT16 type) {
    switch (type) {
    case TWPT_BW:
        return "black and white";
    case TWPT_GRAY:
        return "grey";
    case TWPT_RGB:
        return "RGB";
    case TWPT_PALETTE:
        return "palette";
    default:
        return "other";
    }
}

}  // namespace

void ReportIdentity(const TW_IDENTITY &id) {
    printf("Data source:   %.33s\n", id.ProductName);
    printf("Manufacturer:  %.33s\n", id.Manufacturer);
    printf("Family:        %.33s\n", id.ProductFamily);
    printf("Version:       %u.%u (%.33s)\n", (unsigned)id.Version.MajorNum, (unsigned)id.Version.MinorNum,
           id.Version.Info);
    printf("Protocol:      %u.%u\n", (unsigned)id.ProtocolMajor, (unsigned)id.ProtocolMinor);
    printf("Groups:       %s\n", GroupsText(id.SupportedGroups).c_str());
    fflush(stdout);
}

void ReportSourceLine(const TW_IDENTITY &id) {
    printf("%.33s (%.33s, %.33s, version %u.%u)\n", id.ProductName, id.Manufacturer, id.ProductFamily,
           (unsigned)id.Version.MajorNum, (unsigned)id.Version.MinorNum);
    fflush(stdout);
}

void ReportImageInfo(int page, const TW_IMAGEINFO &info) {
    char length[24];
    if (info.ImageLength < 0)
        snprintf(length, sizeof length, "unknown");
    else
        snprintf(length, sizeof length, "%d", (int)info.ImageLength);
    char resolution[48];
    if (info.YResolution.Whole == info.XResolution.Whole)
        snprintf(resolution, sizeof resolution, "%d dpi", (int)info.XResolution.Whole);
    else
        snprintf(resolution, sizeof resolution, "%d x %d dpi", (int)info.XResolution.Whole,
                 (int)info.YResolution.Whole);
    char label[16];
    snprintf(label, sizeof label, "Page %d:", page);
    printf("%-14s %d x %s pixels, %d bits per pixel, %s, %s\n", label, (int)info.ImageWidth, length,
           (int)info.BitsPerPixel, PixelTypeText(info.PixelType), resolution);
    fflush(stdout);
}

void ReportSaved(const std::string &name) {
    printf("Saved:         %s\n", name.c_str());
    fflush(stdout);
}

void ReportError(const TwainError &error) {
    if (error.hasCC)
        fprintf(stderr, "qrscan: %s failed: %s, %s (%s)\n", error.step.c_str(), TwainRCName(error.rc),
                TwainCCName(error.cc), TwainCCText(error.cc));
    else if (error.rc == TWRC_FAILURE)
        fprintf(stderr, "qrscan: %s failed\n", error.step.c_str());
    else
        fprintf(stderr, "qrscan: %s failed: %s\n", error.step.c_str(), TwainRCName(error.rc));
}

void ReportNote(const std::string &text) { fprintf(stderr, "qrscan: %s\n", text.c_str()); }

void ReportTrace(const std::string &text) { fprintf(stderr, "qrscan: trace: %s\n", text.c_str()); }
