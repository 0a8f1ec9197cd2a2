// One line of the closing table per benchmark: what was delivered, how fast,
// against which bound, and the memory it took at its worst.
#ifndef QR_BENCH_RESULTS_H
#define QR_BENCH_RESULTS_H

#include <string>
#include <vector>

enum class ResultKind { Transfer, Libtiff, Capability };

struct Result {
    ResultKind kind = ResultKind::Transfer;
    std::string path;             // "native queued", "file TIFF enlarged", ...
    int depth = 0;                // bits per pixel; 0 where it does not apply
    int dpi = 0;                  // the A4 page as delivered; 0 where it does not apply
    double bytes = 0;             // image bytes delivered per run
    double seconds = 0;           // median of the path
    double receptionSeconds = 0;  // median of its reception, part of seconds
    double boundSeconds = 0;      // median of the bound measured beside it
    double ratio = 0;             // median of path / bound, pair by pair
    double target = 0;            // the ratio the path must stay within; 0: none
    std::string bound;            // what the bound is made of
    double peakBytes = -1;        // the worst over the runs; -1: not measured
    double imageBytes = 0;        // what the peak is set against
    double otherPeakBytes = 0;    // libtiff rows: libtiff's peak beside ours
    std::string note;
    // For rows that are not transfers (capability negotiation): a time in
    // nanoseconds and its limit.
    double nanoseconds = 0, limitNanoseconds = 0;
};

// A result replaces an earlier one of the same kind, path, depth and size.
void AddResult(const Result &result);
const std::vector<Result> &Results();
// The table, as Markdown, to `out`.
void PrintTable(FILE *out);

#endif
