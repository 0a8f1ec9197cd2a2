#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs them: every
# transfer path timed through DS_Entry against its bound measured in the same
# run, the libtiff comparison and capability negotiation, then the table.
#
#   bash scripts/bench.sh                 # A4 at 300, 600 and 1200 dpi
#   bash scripts/bench.sh --dpi=300       # one page size (about a minute)
#   bash scripts/bench.sh --benchmark_filter='native'   # Google Benchmark flags pass through
#
# The table is also written to build-bench/bench-table.md. Benchmarks are
# never part of scripts/test.sh: a shared machine makes timings noisy.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

scripts/install-deps.sh

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$jobs" --target qrvm_bench
# The temporary files (spool, bound and output files) go to QR_BENCH_DIR, by
# default /tmp; a 1200 dpi colour page needs about 1.3 GB there.
exec build-bench/bin/qrvm_bench --table=build-bench/bench-table.md "$@"
