#!/usr/bin/env bash
# Builds a test copy of the TWAIN Working Group's Source Manager for Linux
# from its unmodified sources, the same way ../shared/tools/build-twain-dsm.sh
# does, except that it looks for data sources in SOURCES instead of the
# compiled-in /usr/local/lib/twain: kTWAIN_DS_DIR, which its dsm.h defines
# only when nobody did, comes from a header forced in with -include. The
# tests then need neither root nor /usr/local.
#
#   build-test-twain-dsm.sh DSM_SOURCES OUTDIR SOURCES [CXX]
#
# DSM_SOURCES is the manager's src/ folder; OUTDIR receives libtwaindsm.so
# (and build.log); SOURCES is the folder it searches (recursively).
set -euo pipefail
src=${1:?the Source Manager sources (src folder)}; out=${2:?output folder}; sources=${3:?sources folder}
cxx=${4:-c++}
mkdir -p "$out" "$sources"
out=$(cd "$out" && pwd)
printf '#define kTWAIN_DS_DIR "%s"\n' "$sources" >"$out/ds_dir.h"
if ! { cmake -S "$src" -B "$out/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$cxx" \
         -DCMAKE_CXX_FLAGS="-include $out/ds_dir.h" &&
       cmake --build "$out/build" -j2; } >"$out/build.log" 2>&1; then
  tail -30 "$out/build.log" >&2
  exit 1
fi
cp -P "$out"/build/libtwaindsm.so* "$out/"
