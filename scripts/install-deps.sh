#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need.
# Quick when everything is present: apt is only touched for what is missing.
# With --fuzz it also installs clang and its sanitizer and libFuzzer runtimes (`make fuzz`).
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev libjpeg62-turbo-dev libgif-dev
  qt6-base-dev
  libnoise-dev
  proj-bin libproj-dev
  imagemagick view3dscene gdal-bin
)
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
