#!/usr/bin/env bash
# Builds the three packages users install, into build-packages/:
#   qrvm_<version>_<arch>.deb   Linux (cpack, from the build folder build/)
#   QRVM-<version>-x86.msi      32-bit Windows (build-win-i686/, target msi)
#   QRVM-<version>-x64.msi      64-bit Windows (build-win-x86_64/, target msi)
# Installs what is missing with apt-get (wixl and msitools make the Windows
# packages), configures the build folders that do not exist yet and builds
# what is out of date (cpack builds the whole Linux build first).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
out=build-packages

scripts/install-deps.sh

[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && cpack -G DEB >cpack.log 2>&1) || { cat build/cpack.log; exit 1; }
for arch in i686 x86_64; do
  [ -f "build-win-$arch/CMakeCache.txt" ] ||
    cmake -S . -B "build-win-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-mingw.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build-win-$arch" -j"$jobs" --target msi
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
rm -rf "$out"
mkdir -p "$out"
cp "build/qrvm_${version}_$(dpkg --print-architecture).deb" "build-win-i686/QRVM-$version-x86.msi" \
  "build-win-x86_64/QRVM-$version-x64.msi" "$out/"
ls -l "$out"
