#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang and libFuzzer (and AddressSanitizer
# and UndefinedBehaviorSanitizer) in build-fuzz, and runs each for a bounded
# time from its checked-in corpus. New inputs go to build-fuzz/corpus/<target>,
# crashes to build-fuzz/crashes/. Exits non-zero on the first crash.
#
#   scripts/fuzz.sh [seconds per target] [target...]
#
# Default: 45 seconds for each of fuzz_triplets, fuzz_containers and
# fuzz_scan_file; fuzz_triplets then as long again against a TWAIN 2.4
# source (QR_FUZZ_PROTOCOL=2.4, which the target name fuzz_triplets@2.4
# asks for alone).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_triplets fuzz_containers fuzz_scan_file fuzz_triplets@2.4)
jobs=${JOBS:-2}

cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQR_FUZZ=ON -DQR_BUILD_TESTS=OFF -DQR_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target $(printf '%s\n' "${targets[@]%@*}" | sort -u)

# Every module exports its resource table under one name: only a real
# difference between two definitions is an ODR violation. An allocation over
# 512 MB fails, as a large one may on the application's machine: the source
# must answer that with a clear failure too, and the run stays within its
# memory.
# The targets check after every input that each global block, heap block,
# window and file the source made is gone; LeakSanitizer is off here (the
# sanitizer build's tests keep it): its thread-stopping tracer has crashed
# now and then under the fuzzer, which would fail a run for nothing.
export ASAN_OPTIONS=detect_odr_violation=1:allocator_may_return_null=1:max_allocation_size_mb=512:detect_leaks=0
mkdir -p build-fuzz/crashes
for run in "${targets[@]}"; do
  target=${run%@*}
  protocol=1.5
  [ "$run" = "$target" ] || protocol=${run#*@}
  export QR_FUZZ_PROTOCOL=$protocol
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/$run.log"
  echo "Fuzzing $target for $seconds s (TWAIN $protocol)"
  if ! "build-fuzz/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2560 -max_len=4096 -timeout=30 \
      -artifact_prefix="build-fuzz/crashes/$run-" -print_final_stats=1 \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$target failed: the input is in build-fuzz/crashes/; add it to fuzz/regressions/$target/" >&2
    exit 1
  fi
  # The last status line (coverage, corpus) and the run's totals; then how
  # much of the data source's own code (entry, startup, caps, image, xfer,
  # ui) the corpus reaches, in edges.
  grep -E '^#[0-9]+' "$log" | tail -n 1
  grep -E 'stat::(number_of_executed_units|peak_rss_mb)' "$log"
  "build-fuzz/bin/$target" -runs=0 -rss_limit_mb=2560 -timeout=30 -print_coverage=1 "build-fuzz/corpus/$target" "fuzz/corpus/$target" 2>&1 |
    awk '/COVERED_FUNC/ && $NF ~ /\/(entry|startup|caps|image|xfer|ui)\// { split($5, e, "/"); c += e[1]; t += e[2] }
         END { printf "data source edges covered: %d of %d (%.0f%%)\n", c, t, t ? 100 * c / t : 0 }'
done
