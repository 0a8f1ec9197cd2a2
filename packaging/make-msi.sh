#!/usr/bin/env bash
# Builds the Windows package of one build (packaging/qrvm.wxs) with wixl,
# then sets in its tables what wixl cannot express (with msibuild):
#  - the version of QRVM.ds and qvsmod.dll (the one in their version
#    resources), so that Windows Installer replaces them by version;
#  - "never overwrite" on the component of QRVM.INI: a QRVM.INI already in
#    the folder (changed by its user) is kept when a newer package is
#    installed over an older one. Uninstalling still removes it.
# The ProductCode follows from the upgrade code and the version, so a
# package of the same version built again is the same product.
#
#   make-msi.sh --arch x86|x64 --bin DIR --version X.Y.Z --name NAME
#               --manufacturer NAME --upgrade-code GUID --output FILE.msi
#
# The build's target `msi` runs it (cmake/packaging.cmake).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
while [ $# -gt 0 ]; do
  case "$1" in
  --arch) arch=$2 ;;
  --bin) bin=$2 ;;
  --version) version=$2 ;;
  --name) name=$2 ;;
  --manufacturer) manufacturer=$2 ;;
  --upgrade-code) upgrade_code=$2 ;;
  --output) output=$2 ;;
  *) echo "make-msi.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2
done
for tool in wixl msibuild; do
  command -v "$tool" >/dev/null || { echo "make-msi.sh: $tool is missing (apt-get install wixl msitools)" >&2; exit 1; }
done
case "${arch:?--arch}" in
x64) win64=yes twain=twain_64 component_bits=256 ;;  # msidbComponentAttributes64bit
x86) win64=no twain=twain_32 component_bits=0 ;;
*) echo "make-msi.sh: --arch is x86 or x64" >&2; exit 2 ;;
esac
[[ ${version:?--version} =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "make-msi.sh: version X.Y.Z, not $version" >&2; exit 2; }
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
  "${upgrade_code:?--upgrade-code}" "$version")

# wixl finds the files relative to the folder it runs in.
output=$(cd "$(dirname "${output:?--output}")" && pwd)/$(basename "$output")
tmp=$output.tmp
rm -f "$tmp"
cd "${bin:?--bin}"
wixl --arch "$arch" -o "$tmp" \
  -D ProductCode="$product_code" -D UpgradeCode="$upgrade_code" -D Version="$version" \
  -D ProductName="${name:?--name}" -D Manufacturer="${manufacturer:?--manufacturer}" \
  -D Win64="$win64" -D TwainFolder="$twain" -D BinDir=. \
  "$here/qrvm.wxs"
never_overwrite=$((component_bits | 128))  # msidbComponentAttributesNeverOverwrite
msibuild "$tmp" \
  -q "UPDATE \`File\` SET \`Version\` = '$version.0', \`Language\` = '1033' WHERE \`File\` = 'QRVM.ds' OR \`File\` = 'qvsmod.dll'" \
  -q "UPDATE \`Component\` SET \`Attributes\` = $never_overwrite WHERE \`Component\` = 'Settings'"
mv "$tmp" "$output"
