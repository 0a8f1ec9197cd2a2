#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build with its tests; the
# two Windows builds (32-bit as shipped, 64-bit), which must compile cleanly
# and export the entry points by name with their calling conventions; and
# the 64-bit build's tests under Wine. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQR_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

for arch in i686 x86_64; do
  cmake -S . -B "build-win-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQR_WERROR=ON >/dev/null
  cmake --build "build-win-$arch" -j"$jobs"
  # Exported names and calling conventions, read from the built files.
  python3 scripts/check-exports.py "build-win-$arch"
done

# The 64-bit build under Wine: unit tests and the data source end to end.
scripts/test-wine.sh build-win-x86_64
echo "All builds and tests passed."
