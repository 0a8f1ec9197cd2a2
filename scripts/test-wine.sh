#!/usr/bin/env bash
# Runs the 64-bit Windows build under Wine, in a virtual X display:
#   windows_unit_tests      the class library and the dialogs on the real
#                           Win32 user interface
#   layer_tests_on_windows  the user-side tests of our Linux layer, against
#                           Windows itself
#   twain_e2e               the data source installed where Wine's Source
#                           Manager finds sources, driven through twain_32.dll
#   twain2_tests            the data source installed in twain_64\QRVM, driven
#                           through the Working Group's TWAINDSM.DLL as a
#                           64-bit TWAIN 2 application uses it (built from
#                           ../shared/third_party/twain-dsm by
#                           ../shared/tools/build-twain-dsm.sh; reported as
#                           skipped when ../shared is missing)
# Installs wine, wine64, xvfb and xauth when missing. Usage:
#   scripts/test-wine.sh [BUILD_DIR]     (default build-win-x86_64)
# The Wine prefix is private to the build folder (BUILD_DIR/wine-prefix).
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win-x86_64}
jobs=${JOBS:-2}
started=$(date +%s)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

scripts/install-deps.sh
install_missing wine wine64 xvfb xauth

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
if [ ! -x "$wine" ]; then
  echo "No Wine loader at $wine" >&2
  exit 1
fi

# The build, with the test programs.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQR_WERROR=ON >/dev/null
fi
cmake --build "$build" -j"$jobs" --target qrvm_ds qvsmod twain_e2e windows_unit_tests layer_tests_on_windows \
  twain2_tests
bin=$(cd "$build/bin" && pwd)

# The Working Group's Source Manager for 64-bit Windows, from the sources
# beside the clone; built once per build folder.
shared=$(cd .. && pwd)/shared
twaindsm=""
if [ -x "$shared/tools/build-twain-dsm.sh" ] && [ -d "$shared/third_party/twain-dsm/src" ]; then
  if [ ! -f "$build/twaindsm/TWAINDSM.dll" ]; then
    echo "Building TWAINDSM.dll from $shared/third_party/twain-dsm"
    "$shared/tools/build-twain-dsm.sh" win64 "$build/twaindsm" >/dev/null
  fi
  cp "$build/twaindsm/TWAINDSM.dll" "$bin/TWAINDSM.DLL"
  twaindsm=yes
else
  echo "SKIPPED: twain2_tests (no $shared/third_party/twain-dsm and $shared/tools/build-twain-dsm.sh" \
       "to build TWAINDSM.DLL from)"
fi

export WINEPREFIX
WINEPREFIX=$(cd "$build" && pwd)/wine-prefix
export WINEDEBUG=-all
export WINEARCH=win64

# A fresh prefix once per build folder. Without a window manager Wine waits
# up to two seconds at each hidden or destroyed window unless it manages no
# windows itself (Managed=N).
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$wineserver" -w
fi

# Wine's Source Manager takes 64-bit sources only from twain_64\sane.ds and
# twain_64\gphoto2.ds; ours goes in as sane.ds (Debian's is a placeholder),
# with its settings file and scan module beside it. Nothing goes into
# C:\windows: the data source finds Wine's built-in TWAIN_32.DLL by name.
# For TWAINDSM.DLL the data source is installed as users install it, in
# twain_64\QRVM, and the sane.ds copy goes first, so that the manager (which
# searches all of twain_64) finds one source of that name.
sources="$WINEPREFIX/drive_c/windows/twain_64"
mkdir -p "$sources"

# Tests of our Linux layer where Wine does otherwise; each is reported as a
# disagreement to settle in the layer, not a fault of the Windows build:
#  - sibling order of WM_NCDESTROY (Wine: first child's subtree first),
#  - extra WM_SIZE/WM_SHOWWINDOW when a top-level window is restored,
#  - a window filter of PeekMessage also takes the window's children,
#  - TranslateMessage posts WM_CHAR behind what is queued already.
layer_divergences="Windows.DestroyGoesOwnedFirstThenDestroyDownAndNcDestroyUp"
layer_divergences+=":Windows.ShowWindowNotifiesOnlyWhatChanged"
layer_divergences+=":Messages.PeekFiltersByWindowThreadMessagesAndRange"
layer_divergences+=":Messages.TranslateTurnsCharacterKeysIntoCharsThatComeNext"

# One display and one Wine server for all three programs.
failed=0
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  wine=$1 bin=$2 divergences=$3 twaindsm=$4 sources=$5
  status=0
  install_for_twain_32() {
    rm -rf "$sources/QRVM"
    cp "$bin/QRVM.ds" "$sources/sane.ds"
    cp "$bin/qvsmod.dll" "$bin/QRVM.INI" "$sources/"
  }
  install_for_twaindsm() {
    rm -f "$sources/sane.ds" "$sources/qvsmod.dll" "$sources/QRVM.INI"
    mkdir -p "$sources/QRVM"
    cp "$bin/QRVM.ds" "$bin/qvsmod.dll" "$bin/QRVM.INI" "$sources/QRVM/"
  }
  cd "$bin"
  install_for_twain_32
  for run in "windows_unit_tests.exe" "layer_tests_on_windows.exe --gtest_filter=-$divergences" "twain_e2e.exe"; do
    echo "=== wine64 $run"
    # shellcheck disable=SC2086
    timeout 900 "$wine" $run || status=1
  done
  if [ -n "$twaindsm" ]; then
    install_for_twaindsm
    echo "=== wine64 twain2_tests.exe (TWAINDSM.DLL)"
    timeout 900 "$wine" twain2_tests.exe || status=1
    install_for_twain_32
  fi
  exit $status
' _ "$wine" "$bin" "$layer_divergences" "$twaindsm" "$sources" || failed=1
"$wineserver" -k 2>/dev/null || true

elapsed=$(( $(date +%s) - started ))
if [ $failed -ne 0 ]; then
  echo "Wine tests FAILED (${elapsed}s)." >&2
  exit 1
fi
echo "Wine tests passed (${elapsed}s)."
