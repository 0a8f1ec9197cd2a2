#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian or Ubuntu machine,
# and the packages named as arguments. Does nothing for packages already
# present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  libtiff-tools python3 python3-pil
  # the Working Group's Linux Source Manager checks each source with file(1)
  file
  # the benchmarks' comparison with libtiff
  libtiff-dev
  # the fuzz targets (libFuzzer)
  clang
  # the packages: Windows installers (wixl, msitools), the Linux package's
  # library dependencies (dpkg-shlibdeps)
  wixl msitools dpkg-dev
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# clang's sanitizer and libFuzzer runtimes: a package of their own on Debian
# 12 (libclang-rt-14-dev), part of libclang-common elsewhere.
if [ ! -f "$(clang -print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
  runtime="libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
  echo "Installing: $runtime"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$runtime" >/dev/null
fi
