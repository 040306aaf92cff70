#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine; quick when all
# of it is already present.
set -euo pipefail
packages=(cmake g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest wine wine32:i386
          xvfb xauth imagemagick fp-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    "${missing[@]}" >/dev/null
