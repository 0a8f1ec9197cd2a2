#!/usr/bin/env bash
# The installed tree runs on its own: install into a fresh prefix, then
# acquire a page with the installed qrscan, away from the build folder.
set -euo pipefail
build=$1
prefix=$(mktemp -d /tmp/qrvm-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/qrscan lib/qrvm/QRVM.ds lib/qrvm/QRVM.INI lib/qrvm/qvsmod.dll lib/qrvm/TWAIN_32.DLL \
            lib/qrvm/libqrplatform.so include/qrvm/scanmodule.h; do
  [ -e "$prefix/$file" ] || { echo "missing from the installed tree: $file"; exit 1; }
done
cd "$prefix"
env -u WINDIR -u QR_TWAIN_SOURCES TMPDIR="$prefix" bin/qrscan --output page.bmp
[ -s page.bmp ] || { echo "no page written"; exit 1; }
head -c 2 page.bmp | grep -q BM || { echo "page.bmp is not a BMP file"; exit 1; }
echo "installed tree acquired a page"
