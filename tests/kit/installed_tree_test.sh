#!/usr/bin/env bash
# The installed tree runs on its own: install into a fresh prefix, then
# acquire a page with the installed qrscan, away from the build folder. The
# data source's folder is where the Working Group's Source Manager looks
# (lib/twain/QRVM, real files), and nothing beside it answers its messages.
set -euo pipefail
build=$1
prefix=$(mktemp -d /tmp/qrvm-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/qrscan lib/twain/QRVM/QRVM.ds lib/twain/QRVM/QRVM.INI lib/twain/QRVM/qvsmod.dll \
            lib/twain/QRVM/libqrplatform.so lib/qrvm/TWAIN_32.DLL lib/qrvm/libqrplatform.so \
            include/qrvm/scanmodule.h; do
  [ -e "$prefix/$file" ] || { echo "missing from the installed tree: $file"; exit 1; }
  [ -L "$prefix/$file" ] && { echo "a symbolic link, which Source Managers skip: $file"; exit 1; }
done
if ls "$prefix/lib/twain/QRVM" | grep -qiv -e '^QRVM\.ds$' -e '^QRVM\.INI$' -e '^qvsmod\.dll$' -e '^libqrplatform\.so$'; then
  echo "more than the data source's own files in lib/twain/QRVM:"; ls "$prefix/lib/twain/QRVM"; exit 1
fi
cd "$prefix"
# qrscan's own choice is the stand-in, unless this machine has the Working
# Group's manager installed: then the stand-in is named.
manager=()
[ -e /usr/local/lib/libtwaindsm.so ] && manager=(QR_TWAIN_DSM="$prefix/lib/qrvm/TWAIN_32.DLL")
env -u WINDIR -u QR_TWAIN_SOURCES -u QR_TWAIN_DSM "${manager[@]}" TMPDIR="$prefix" \
  bin/qrscan --verbose --output page.bmp 2>trace.txt
grep -q "Source Manager: $prefix/lib/qrvm/TWAIN_32.DLL" trace.txt || { echo "not the stand-in:"; cat trace.txt; exit 1; }
[ -s page.bmp ] || { echo "no page written"; exit 1; }
head -c 2 page.bmp | grep -q BM || { echo "page.bmp is not a BMP file"; exit 1; }
echo "installed tree acquired a page"
