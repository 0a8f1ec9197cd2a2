#!/usr/bin/env bash
# The Windows packages, installed as users install them:
#   1. both packages read with msitools (tests/packages/read_msi.py): the
#      32-bit one cannot run on this machine, so that is all it gets;
#   2. in a fresh Wine prefix, the 64-bit package installed with
#      `msiexec /i ... /qn`, and a page scanned through the Working Group's
#      TWAINDSM.DLL from the installed copy (qrscan, every pixel checked);
#   3. the user changes the installed QRVM.INI, and a newer package (the same
#      files under the next version) is installed over it: one product is
#      left, the files are in place, the user's QRVM.INI is kept, and the next
#      scan follows it;
#   4. `msiexec /x` of the newer product leaves no file, folder or registry
#      key of ours (tests/packages/wine_traces.py says what it compared).
# Wine's msi, removing the older product at the end of an upgrade, deletes
# the whole upgrade-code key, the newer product's entry with it (Windows
# takes out the older one's only): under Wine a package after the upgrade
# no longer sees the installed product, so nothing here relies on that.
# Wine's own Source Manager (twain_32.dll) takes 64-bit sources only as
# twain_64\sane.ds or gphoto2.ds, never from twain_64\QRVM, so the installed
# copy is not tried through it (scripts/test-wine.sh does, with a copy).
#
#   tests/packages/msi_test.sh [BUILD64 [BUILD32]]   (default build-win-x86_64,
#                                                    build-win-i686)
# Builds each build's `msi` target first. Without ../shared (to build
# TWAINDSM.DLL) steps 2 to 4 are reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(cd "${1:-build-win-x86_64}" && pwd)
build32=$(cd "${2:-build-win-i686}" && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
python=/usr/bin/python3
step_started=$(date +%s)
step() {
  local now
  now=$(date +%s)
  echo "--- $* (previous step $((now - step_started)) s)"
  step_started=$now
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Everything under one virtual display and one Wine server.
if [ -z "${QR_MSI_TEST_DISPLAY:-}" ]; then
  scripts/install-deps.sh wine wine64 xvfb xauth
  exec xvfb-run -a -s "-screen 0 1024x768x24" env QR_MSI_TEST_DISPLAY=1 bash "$0" "$build" "$build32"
fi

step "building and reading the packages"
for b in "$build" "$build32"; do
  cmake --build "$b" -j"${JOBS:-2}" --target msi >/dev/null
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
msi=$build/QRVM-$version-x64.msi
msi32=$build32/QRVM-$version-x86.msi
$python tests/packages/read_msi.py "$msi" --arch x64 --bin "$build/bin"
$python tests/packages/read_msi.py "$msi32" --arch x86 --bin "$build32/bin"

shared=$(cd .. && pwd)/shared
if [ ! -x "$shared/tools/build-twain-dsm.sh" ] || [ ! -d "$shared/third_party/twain-dsm/src" ]; then
  echo "SKIPPED: installing, scanning, upgrading and uninstalling under Wine (no $shared/tools/build-twain-dsm.sh" \
    "and $shared/third_party/twain-dsm to build TWAINDSM.DLL from)"
  exit 0
fi
if [ ! -f "$build/twaindsm/TWAINDSM.dll" ]; then
  "$shared/tools/build-twain-dsm.sh" win64 "$build/twaindsm" >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" --target qrscan >/dev/null

property() { msiinfo export "$1" Property | tr -d "\r" | awk -F'\t' -v p="$2" '$1 == p { print $2 }'; }
name=$(property "$msi" ProductName)
manufacturer=$(property "$msi" Manufacturer)
upgrade_code=$(property "$msi" UpgradeCode)
product_code=$(property "$msi" ProductCode)
components=$(msiinfo export "$msi" Component | tr -d "\r" | awk -F'\t' 'NR > 3 { print $2 }')

# The newer package: the next version of the same files.
work=$build/package-test
rm -rf "$work"
mkdir -p "$work/scans"
IFS=. read -r major minor patch <<<"$version"
next=$major.$minor.$((patch + 1))
bash packaging/make-msi.sh --arch x64 --bin "$build/bin" --version "$next" --name "$name" \
  --manufacturer "$manufacturer" --upgrade-code "$upgrade_code" --output "$work/QRVM-$next-x64.msi"
next_product_code=$(property "$work/QRVM-$next-x64.msi" ProductCode)

step "a fresh Wine prefix"
export WINEPREFIX=$build/wine-prefix-packages WINEDEBUG=-all WINEARCH=win64
rm -rf "$WINEPREFIX"
WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w
$python tests/packages/wine_traces.py snapshot "$WINEPREFIX" "$work/before.json"
installed=$WINEPREFIX/drive_c/windows/twain_64/QRVM
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
registered() { "$wine" reg query "$uninstall_key\\$1" /v DisplayVersion 2>/dev/null | grep -qF "$2"; }
msiexec() {
  echo "\$ msiexec $1 $(basename "$2") /qn"
  "$wine" msiexec "$1" "$(winepath_of "$2")" /qn || fail "msiexec $1 $(basename "$2") returned $?"
}
winepath_of() { echo "Z:${1//\//\\}"; }

# A page with qrscan (run from the build, outside the prefix) through
# TWAINDSM.DLL, checked: scan FILE PIXEL_TYPE WIDTH LENGTH.
scan() {
  (cd "$work/scans" && QR_TWAIN_DSM="$(winepath_of "$build/twaindsm/TWAINDSM.dll")" \
    "$wine" "$build/bin/qrscan.exe" --source "QR Simulated Flatbed" --output "$1") ||
    fail "qrscan could not scan from the installed copy"
  $python tests/packages/check_page.py "$work/scans/$1" --ptype "$2" --width "$3" --length "$4"
}

step "msiexec /i $(basename "$msi")"
msiexec /i "$msi"
for f in QRVM.ds qvsmod.dll QRVM.INI; do
  cmp -s "$installed/$f" "$build/bin/$f" || fail "$f is not installed in twain_64\\QRVM"
done
registered "$product_code" "$version" || fail "$name $version is not in the installed programs"

step "a page through TWAINDSM.DLL from twain_64\\QRVM"
scan installed.tif 2 2550 3300

step "the user's QRVM.INI, then msiexec /i $(basename "$work/QRVM-$next-x64.msi")"
# A grey page of 64 x 48 pixels, which the shipped file does not give.
printf '[Scanner]\r\nScanDll=qvsmod.dll\r\n\r\n[Simulator]\r\nPixelType=1\r\nResolution=100\r\nWidthInches=0.64\r\nHeightInches=0.48\r\n' \
  >"$work/user.ini"
cp "$work/user.ini" "$installed/QRVM.INI"
msiexec /i "$work/QRVM-$next-x64.msi"
registered "$next_product_code" "$next" || fail "$name $next is not in the installed programs"
! registered "$product_code" "$version" || fail "$name $version is still installed beside $next"
for f in QRVM.ds qvsmod.dll; do
  cmp -s "$installed/$f" "$build/bin/$f" || fail "$f is missing after the upgrade"
done
cmp -s "$installed/QRVM.INI" "$work/user.ini" || fail "the upgrade did not keep the user's QRVM.INI"
scan upgraded.tif 1 64 48

step "msiexec /x $(basename "$work/QRVM-$next-x64.msi")"
msiexec /x "$work/QRVM-$next-x64.msi"
"$wineserver" -w
[ ! -e "$installed" ] || fail "twain_64\\QRVM is still there"
# shellcheck disable=SC2086
$python tests/packages/wine_traces.py compare "$work/before.json" "$WINEPREFIX" \
  --guid "$upgrade_code" "$product_code" "$next_product_code" $components --word QRVM "$name"
step "done"
