#!/usr/bin/env bash
# Builds the data source, the simulated scanner and the acquisition tool, then
# acquires an image from the simulated scanner (scan.tif). Arguments, when
# given, go to qrscan instead (see tools/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target qrscan qrvm_ds qvsmod twain_dsm
# Without arguments: one page from the simulated scanner, saved as scan.tif.
[ $# -gt 0 ] || set -- --verbose --output scan.tif
exec build/bin/qrscan "$@"
