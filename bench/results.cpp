#include "results.h"

#include <stdio.h>

namespace {

std::vector<Result> &Store() {
    static std::vector<Result> results;
    return results;
}

std::string Format(const char *format, double value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

std::string Rate(double bytes, double seconds) {
    return seconds > 0 ? Format("%.2f GB/s", bytes / seconds / 1e9) : "-";
}

std::string Megabytes(double bytes) { return Format(bytes >= 10e6 ? "%.0f MB" : "%.1f MB", bytes / 1e6); }

std::string Size(const Result &r) { return "A4 " + std::to_string(r.dpi) + " dpi, " + Megabytes(r.imageBytes); }

const char *Verdict(double ratio, double target) {
    if (target <= 0) return "";
    return ratio <= target ? " ok" : " MISSED";
}

void PrintTransfers(FILE *out) {
    fprintf(out, "| path | depth | size | throughput | reception | bound | ratio (target) | peak memory |\n");
    fprintf(out, "|---|---|---|---|---|---|---|---|\n");
    for (const Result &r : Store()) {
        if (r.kind != ResultKind::Transfer) continue;
        std::string peak = "-";
        if (r.peakBytes >= 0) peak = Megabytes(r.peakBytes) + Format(" (%.2fx image)", r.peakBytes / r.imageBytes);
        std::string reception = "-";
        if (r.receptionSeconds > 0) reception = Format("%.0f%%", 100 * r.receptionSeconds / r.seconds);
        std::string bound = Rate(r.bytes, r.boundSeconds) + " (" + r.bound + ")";
        fprintf(out, "| %s | %d | %s | %s | %s | %s | %.2f (%.1f)%s | %s |\n", r.path.c_str(), r.depth, Size(r).c_str(),
                Rate(r.bytes, r.seconds).c_str(), reception.c_str(), bound.c_str(), r.ratio, r.target,
                Verdict(r.ratio, r.target), peak.c_str());
    }
}

void PrintLibtiff(FILE *out) {
    bool any = false;
    for (const Result &r : Store()) {
        if (r.kind != ResultKind::Libtiff) continue;
        if (!any) {
            fprintf(out,
                    "\n| TIFF file of a queued page | depth | size | ours | libtiff | ours / libtiff |"
                    " peak memory, ours / libtiff |\n");
            fprintf(out, "|---|---|---|---|---|---|---|\n");
            any = true;
        }
        fprintf(out, "| %s | %d | %s | %s | %s | %.2f%s | %s / %s |\n", r.path.c_str(), r.depth, Size(r).c_str(),
                Rate(r.bytes, r.seconds).c_str(), Rate(r.bytes, r.boundSeconds).c_str(), r.ratio,
                Verdict(r.ratio, r.target), Megabytes(r.peakBytes).c_str(), Megabytes(r.otherPeakBytes).c_str());
    }
}

void PrintCapabilities(FILE *out) {
    bool any = false;
    for (const Result &r : Store()) {
        if (r.kind != ResultKind::Capability) continue;
        if (!any) {
            fprintf(out, "\n| capability triplet | time | limit |\n|---|---|---|\n");
            any = true;
        }
        fprintf(out, "| %s | %.0f ns | %.0f ns%s |\n", r.path.c_str(), r.nanoseconds, r.limitNanoseconds,
                r.nanoseconds <= r.limitNanoseconds ? " ok" : " MISSED");
    }
}

}  // namespace

void AddResult(const Result &result) {
    for (Result &r : Store()) {
        if (r.kind == result.kind && r.path == result.path && r.depth == result.depth && r.dpi == result.dpi) {
            r = result;
            return;
        }
    }
    Store().push_back(result);
}

const std::vector<Result> &Results() { return Store(); }

void PrintTable(FILE *out) {
    PrintTransfers(out);
    PrintLibtiff(out);
    PrintCapabilities(out);
    fflush(out);
}
