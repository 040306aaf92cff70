#!/usr/bin/env bash
# Installs what building, testing and packaging need on a Debian machine;
# quick when all of it is already present. wine32 installs even where the
# kernel cannot run 32-bit programs; the scripts find that out when they run.
set -euo pipefail
packages=(cmake g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest
          wine wine64 wine32:i386 xvfb xauth imagemagick fp-utils nsis wixl zip unzip
          osslsigncode openssl nlohmann-json3-dev)
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
fail() { echo "install-deps: $1 failed; see $log" >&2; exit 1; }
log=$(mktemp "${TMPDIR:-/tmp}/quenby-install.XXXXXX")
$sudo apt-get update -qq >"$log" 2>&1 || fail "apt-get update"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >>"$log" 2>&1 ||
    fail "installing ${missing[*]}"
rm -f "$log"
