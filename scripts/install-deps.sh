#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the utility need.
# Quick when everything is already there: it asks dpkg first and only runs
# apt-get for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 fonts-wine fonts-liberation
  googletest
  xvfb xauth imagemagick
  libcairo2-dev pkg-config fonts-dejavu-core
  clang libclang-rt-14-dev
  libpugixml-dev libexpat1-dev
  nsis
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run as root (or with sudo) to install them." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
