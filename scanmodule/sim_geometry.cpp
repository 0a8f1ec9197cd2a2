// From settings to image size: the frame (in the data source's units) cut to
// the glass, or the whole glass when the frame is empty, at the resolution
// asked for.
#include <string.h>

#include "sim_scanner.h"

namespace {

const int32_t kMaxSide = 65535;  // the data source keeps sizes in 16 bits

double Fix32ToDouble(const TW_FIX32 &value) { return value.Whole + value.Frac / 65536.0; }

// Thousandths of an inch per unit of `units`.
double MilsPerUnit(TW_UINT16 units, TW_UINT16 resolution) {
    switch (units) {
    case TWUN_CENTIMETERS:
        return 1000.0 / 2.54;
    case TWUN_PICAS:
        return 1000.0 / 6;
    case TWUN_POINTS:
        return 1000.0 / 72;
    case TWUN_TWIPS:
        return 1000.0 / 1440;
    case TWUN_PIXELS:
        return resolution ? 1000.0 / resolution : 1000.0;
    default:
        return 1000.0;
    }
}

// The frame's width and height in thousandths of an inch, cut to the glass;
// FALSE for an empty or inverted frame.
bool FrameMils(const SimConfig &config, const ScanSettings &settings, double *width, double *height) {
    double scale = MilsPerUnit(settings.Units, settings.Resolution);
    double left = Fix32ToDouble(settings.Frame[0]) * scale;
    double top = Fix32ToDouble(settings.Frame[1]) * scale;
    double right = Fix32ToDouble(settings.Frame[2]) * scale;
    double bottom = Fix32ToDouble(settings.Frame[3]) * scale;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > config.bedWidthMils) right = config.bedWidthMils;
    if (bottom > config.bedHeightMils) bottom = config.bedHeightMils;
    if (right <= left || bottom <= top) return false;
    *width = right - left;
    *height = bottom - top;
    return true;
}

int32_t MilsToPixels(double mils, TW_UINT16 resolution) {
    double pixels = mils * resolution / 1000.0 + 0.5;
    if (pixels < 1) return 1;
    if (pixels > kMaxSide) return kMaxSide;
    return (int32_t)pixels;
}

int BitsFor(const SimConfig &config, TW_UINT16 pixelType) {
    switch (pixelType) {
    case TWPT_BW:
        return 1;
    case TWPT_GRAY:
        return config.grayBits;
    default:
        return 24;
    }
}

}  // namespace

void SimComputeImage(const SimConfig &config, const ScanSettings &settings, int page, SimImage *image) {
    memset(image, 0, sizeof *image);
    TW_UINT16 requested = settings.Resolution ? settings.Resolution : config.resolution;
    TW_UINT16 scanned = requested;
    // The data source enlarges open-length images it is told were scanned
    // lower; it reads the request only above 300 dpi.
    if (config.unknownLength && config.opticalResolution && requested > config.opticalResolution && requested > 300)
        scanned = config.opticalResolution;
    double width = config.bedWidthMils, height = config.bedHeightMils;
    FrameMils(config, settings, &width, &height);
    image->width = MilsToPixels(width, scanned);
    image->length = MilsToPixels(height, scanned);
    image->pixelType = settings.PixelType;
    image->bitsPerPixel = BitsFor(config, settings.PixelType);
    image->resolution = scanned;
    image->requested = scanned != requested ? requested : 0;
    image->openLength = config.unknownLength;
    image->page = page;
    image->pattern = config.pattern;
    image->rowBytes = (uint32_t)(((int64_t)image->width * image->bitsPerPixel + 7) / 8);
}

void SimFillImageInfo(const SimImage &image, TW_IMAGEINFO *info) {
    memset(info, 0, sizeof *info);
    info->XResolution.Whole = (TW_INT16)image.resolution;
    info->XResolution.Frac = image.requested;
    info->YResolution.Whole = (TW_INT16)image.resolution;
    info->ImageWidth = image.width;
    info->ImageLength = image.openLength ? -1 : image.length;
    bool colour = image.pixelType == TWPT_RGB;
    info->SamplesPerPixel = colour ? 3 : 1;
    int sampleBits = colour ? 8 : image.bitsPerPixel;
    for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = (TW_INT16)sampleBits;
    info->BitsPerPixel = (TW_INT16)image.bitsPerPixel;
    info->Planar = FALSE;
    info->PixelType = (TW_INT16)image.pixelType;
    info->Compression = TWCP_NONE;
}
