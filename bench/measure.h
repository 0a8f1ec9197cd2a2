// What the benchmarks measure besides the data source: the bounds a path is
// set against, each the plain system call or copy that moves the same bytes,
// and the process's peak memory.
#ifndef QR_BENCH_MEASURE_H
#define QR_BENCH_MEASURE_H

#include <chrono>
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

inline double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values);

// An image-sized source for the copy bounds, written once so that its pages
// are in memory. Grows to the largest size asked for and is kept.
const uint8_t *WarmSource(size_t bytes);

// Seconds to copy `bytes` into a newly allocated block, as a transfer that
// hands over a new block must (its first touch of every page included).
double CopyToNewBlock(size_t bytes);
// Seconds to copy `bytes` into one reused buffer of `piece` bytes, a piece at
// a time, as strips into an application's buffer.
double CopyToBuffer(size_t bytes, size_t piece);
// Seconds to write `bytes` to a new file through _lwrite, `lead` bytes
// first (a file header) and then pieces of `piece` bytes, and close it. The
// file is deleted afterwards, untimed.
double FileWrite(const std::string &path, size_t bytes, size_t piece, size_t lead = 0);
// Seconds to write `bytes` as above, read them back through _lread in pieces
// of the same size and delete the file: the life of a temporary file.
double FileRoundTrip(const std::string &path, size_t bytes, size_t piece);

// Peak resident memory since the last ResetPeak, less what was resident at
// that reset: the memory a path took at its worst. 0 when the system cannot
// say (no /proc).
void ResetPeak();
long long PeakSinceReset();

#endif
