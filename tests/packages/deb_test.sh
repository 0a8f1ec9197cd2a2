#!/usr/bin/env bash
# The Linux package, installed as users install it, in a scratch root of its
# own (this machine's /usr/local is left alone, whoever else uses it):
#   - the root holds what a fresh Debian has under /usr/local (the empty
#     folders its base system makes) and a copy of this machine's package
#     database, so that dpkg checks the declared dependencies against what
#     is installed here; dpkg runs with --instdir and --admindir there, and
#     the package's scripts see the root as DPKG_ROOT;
#   - `dpkg -i`: the data source's folder is real files where the Working
#     Group's Source Manager looks, qrscan, the kit and the documents in
#     place;
#   - the installed qrscan scans a page through the Working Group's Source
#     Manager (a copy built from its unmodified sources by
#     scripts/build-test-twain-dsm.sh, looking in the root's
#     /usr/local/lib/twain instead of /usr/local/lib/twain), every pixel
#     checked, and leaves its temporary folder empty;
#   - `dpkg -r`: the root is as it was, file for file and folder for folder,
#     and the database no longer knows the package.
#
#   tests/packages/deb_test.sh [BUILD]     (default build)
# Makes the package with cpack in BUILD first. Without ../shared (the
# Source Manager's sources) the scan is reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)
python=/usr/bin/python3
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/qrvm_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack made no $deb"

work=$build/deb-test
root=$work/root
admin=$root/var/lib/dpkg
rm -rf "$work"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers" "$work/tmp"
touch "$admin/status" "$admin/available"
[ ! -f /var/lib/dpkg/arch ] || cp /var/lib/dpkg/arch "$admin/arch"
# The root's database knows the packages the package depends on, as this
# machine has them (none when one is missing: dpkg then refuses).
for dep in $(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/[ (|].*//'); do
  name=$(dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' "$dep" 2>/dev/null | awk '$1 == "installed" { print $2 }')
  [ -n "$name" ] || continue
  { dpkg-query -s "$name"; echo; } >>"$admin/status"
  touch "$admin/info/$name.list"
done
for dir in share share/man bin games lib include sbin src etc; do
  mkdir -p "$root/usr/local/$dir"
done
ln -s share/man "$root/usr/local/man"
tree() { (cd "$root" && find . -path ./var/lib/dpkg -prune -o -printf '%y %m %p\n' | sort); }
tree >"$work/before.txt"

dpkg_in_root() {
  local force=--force-script-chrootless
  [ "$(id -u)" -eq 0 ] || force+=,not-root
  PATH=$PATH:/usr/sbin:/sbin dpkg --instdir="$root" --admindir="$admin" --log="$work/dpkg.log" "$force" "$@"
}

echo "\$ dpkg -i $(basename "$deb")"
dpkg_in_root -i "$deb" >/dev/null || fail "dpkg -i $(basename "$deb")"
local=$root/usr/local
for f in lib/twain/QRVM/QRVM.ds lib/twain/QRVM/QRVM.INI lib/twain/QRVM/qvsmod.dll lib/twain/QRVM/libqrplatform.so \
  bin/qrscan include/qrvm/scanmodule.h share/doc/QRVM/README.md share/doc/QRVM/LICENSE; do
  [ -f "$local/$f" ] && [ ! -L "$local/$f" ] || fail "/usr/local/$f is not installed as a file"
done
links=$(dpkg-deb -c "$deb" | grep '^l' || true)
[ -z "$links" ] || fail "the package holds links, which the Source Manager skips: $links"
dpkg-deb -f "$deb" Depends | grep -qw file || fail "the package does not depend on file(1)"

shared=$(cd .. && pwd)/shared
if [ -d "$shared/third_party/twain-dsm/src" ]; then
  dsm=$build/deb-test-twaindsm
  scripts/build-test-twain-dsm.sh "$shared/third_party/twain-dsm/src" "$dsm" "$local/lib/twain"
  echo "\$ qrscan --verbose --source 'QR Simulated Flatbed' -o page.tif"
  (cd "$work" && TMPDIR=$work/tmp QR_TWAIN_DSM=$dsm/libtwaindsm.so TWAINDSM_LOG=$work/twaindsm.log \
    "$local/bin/qrscan" --verbose --source "QR Simulated Flatbed" -o page.tif) >"$work/qrscan.txt" 2>&1 ||
    { cat "$work/qrscan.txt"; fail "the installed qrscan could not scan from the installed source"; }
  grep -q "Source Manager: $dsm/libtwaindsm.so" "$work/qrscan.txt" || fail "qrscan did not load the Working Group's manager"
  $python tests/packages/check_page.py "$work/page.tif" --ptype 2 --width 2550 --length 3300
  [ -z "$(ls -A "$work/tmp")" ] || fail "the scan left files in its temporary folder: $(ls -A "$work/tmp")"
else
  echo "SKIPPED: scanning from the installed package (no $shared/third_party/twain-dsm to build the" \
    "Working Group's Source Manager from)"
fi

# dpkg -r takes every file away, and with them every folder left empty,
# the standard ones of /usr/local too, which the package's postrm puts back.
# Because of that script dpkg keeps the package's record (config-files) until
# it is purged.
echo "\$ dpkg -r qrvm"
dpkg_in_root -r qrvm >/dev/null || fail "dpkg -r qrvm"
tree >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" || fail "dpkg -r did not leave /usr/local as it was (above: < before, > after)"
echo "\$ dpkg -P qrvm"
dpkg_in_root -P qrvm >/dev/null || fail "dpkg -P qrvm"
status=$(dpkg-query --admindir="$admin" -W -f='${db:Status-Status}' qrvm 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "dpkg still knows qrvm: $status"
tree >"$work/purged.txt"
diff "$work/before.txt" "$work/purged.txt" || fail "dpkg -P changed /usr/local"
echo "ok: installed, scanned from and removed without a trace ($(grep -c . "$work/before.txt") files and folders compared)"
