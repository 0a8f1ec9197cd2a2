#!/usr/bin/env bash
# Builds the data source, the simulated scanner and the acquisition tool, then
# acquires an image from the simulated scanner. Extra arguments go to qrscan.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target qrscan qrvm_ds qvsmod twain_dsm
exec build/bin/qrscan "$@"
