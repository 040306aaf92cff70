#!/usr/bin/env bash
# Installs what building, testing and packaging need on a Debian machine;
# quick when all of it is already present. wine32 installs even where the
# kernel cannot run 32-bit programs; the scripts find that out when they run.
#
# SQLite's source is no Debian package for MinGW: its own unmodified
# amalgamation is fetched once from the npm registry (the package sqlite3
# carries it), checked against a pinned SHA-256 and kept in the cache folder
# the build reads it from (scripts/lib.sh: sqlite_tarball). It is never
# committed. The Public Suffix List comes the same way from Debian's own
# package (scripts/lib.sh: psl_file).
set -euo pipefail
. "$(dirname "$0")/lib.sh"

fetch_sqlite() {
    local tarball work
    tarball=$(sqlite_tarball)
    if [ -f "$tarball" ] && echo "$QUENBY_SQLITE_SHA256  $tarball" | sha256sum -c --status; then
        return 0
    fi
    echo "fetching SQLite's amalgamation ($QUENBY_SQLITE_NPM)"
    work=$(mktemp -d "${TMPDIR:-/tmp}/quenby-sqlite.XXXXXX")
    curl -sSfL --retry 3 -o "$work/package.tgz" "$QUENBY_SQLITE_NPM_URL" ||
        { rm -rf "$work"; echo "install-deps: downloading $QUENBY_SQLITE_NPM_URL failed" >&2; exit 1; }
    tar -xzf "$work/package.tgz" -C "$work" "package/deps/${tarball##*/}" ||
        { rm -rf "$work"; echo "install-deps: no ${tarball##*/} in $QUENBY_SQLITE_NPM" >&2; exit 1; }
    echo "$QUENBY_SQLITE_SHA256  $work/package/deps/${tarball##*/}" | sha256sum -c --status ||
        { rm -rf "$work"; echo "install-deps: ${tarball##*/} does not have the pinned SHA-256" >&2; exit 1; }
    mkdir -p "${tarball%/*}"
    mv "$work/package/deps/${tarball##*/}" "$tarball"
    rm -rf "$work"
}
# The Public Suffix List as the pinned package installed it, checked and kept
# in the cache folder; a list of another version fails here, not in the build.
fetch_psl() {
    local file
    file=$(psl_file)
    if [ -f "$file" ] && echo "$QUENBY_PSL_SHA256  $file" | sha256sum -c --status; then
        return 0
    fi
    echo "$QUENBY_PSL_SHA256  $QUENBY_PSL_INSTALLED" | sha256sum -c --status || {
        echo "install-deps: $QUENBY_PSL_INSTALLED is not the list of $QUENBY_PSL_PACKAGE" \
            "$QUENBY_PSL_VERSION (pinned SHA-256)" >&2
        exit 1
    }
    mkdir -p "${file%/*}"
    cp "$QUENBY_PSL_INSTALLED" "$file"
}
packages=(cmake curl python3 "$QUENBY_PSL_PACKAGE" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest
          wine wine64 wine32:i386 xvfb xauth imagemagick fp-utils nsis wixl zip unzip
          osslsigncode openssl nlohmann-json3-dev sqlite3
          libxml2-utils python3-yaml python3-jsonschema)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    fetch_sqlite
    fetch_psl
    exit 0
fi
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
fetch_sqlite
fetch_psl
