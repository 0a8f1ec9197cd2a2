// The benchmarks of the transfer paths, of capability negotiation, and of
// libtiff writing the same page.
#ifndef QR_BENCH_TRANSFER_BENCH_H
#define QR_BENCH_TRANSFER_BENCH_H

#include <vector>

struct BenchOptions {
    std::vector<int> dpis{300, 600, 1200};  // A4 pages at these resolutions
    int runs = 0;                           // runs per benchmark; 0: by page size
};

void RegisterTransferBenchmarks(const BenchOptions &options);
void RegisterLibtiffBenchmarks(const BenchOptions &options);
void RegisterCapabilityBenchmarks();

#endif
