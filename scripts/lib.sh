# Shared by the scripts in this folder (sourced, not run).
#
# The two Windows builds: win64 (x86-64, the default: what most users run) and
# win32 (x86). Each has its own toolchain file, build folder and Wine loader.

readonly QUENBY_ARCHES="win64 win32"

# SQLite 3.52.0's autoconf amalgamation, as the npm package sqlite3@6.0.1
# carries it (deps/sqlite-autoconf-3520000.tar.gz). CMakeLists.txt pins the
# same file and checksum.
readonly QUENBY_SQLITE_NPM="sqlite3@6.0.1"
readonly QUENBY_SQLITE_NPM_URL="https://registry.npmjs.org/sqlite3/-/sqlite3-6.0.1.tgz"
readonly QUENBY_SQLITE_SHA256="f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f"
# Where the fetched amalgamation is kept: $QUENBY_CACHE, else ~/.cache/quenby.
sqlite_tarball() {
    echo "${QUENBY_CACHE:-$HOME/.cache/quenby}/sqlite-autoconf-3520000.tar.gz"
}

# The official schemas the packaging is checked against, committed beside the
# package tests with where each comes from and its SHA-256
# (tests/package/schemas/SOURCES.md): the build machines reach no host but the
# package registries, so they cannot be fetched when the tests run.
schema_dir() {
    echo "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/package/schemas"
}

# The Public Suffix List, unmodified, as Debian's package publicsuffix
# 20230209.2326-1 installs it (/usr/share/publicsuffix/public_suffix_list.dat).
# cmake/public-suffix.cmake pins the same checksum and builds it into the
# programs; it is kept beside the amalgamation, never committed.
readonly QUENBY_PSL_PACKAGE="publicsuffix"
readonly QUENBY_PSL_VERSION="20230209.2326-1"
readonly QUENBY_PSL_INSTALLED="/usr/share/publicsuffix/public_suffix_list.dat"
readonly QUENBY_PSL_SHA256="87d2e11f3602b504fc5dbea9218429a4ce3c0f62aa6ce7a1371024add024baed"
psl_file() {
    echo "${QUENBY_CACHE:-$HOME/.cache/quenby}/public_suffix_list-20230209.dat"
}

# die MESSAGE: one line saying what failed and why, then exit 1.
die() {
    echo "${0##*/}: $*" >&2
    exit 1
}

# check_arch ARCH: win64 or win32, else a usage error.
check_arch() {
    case "$1" in
    win64 | win32) ;;
    *) echo "${0##*/}: unknown architecture '$1' (win64 or win32)" >&2; exit 2 ;;
    esac
}

toolchain_of() { [ "$1" = win64 ] && echo cmake/mingw-x86_64.cmake || echo cmake/mingw-i686.cmake; }
build_dir_of() { echo "build/$1"; }
# The loader, called directly: Debian's "wine" wrapper always picks the 32-bit
# loader when wine32 is installed, even where the kernel cannot run it.
loader_of() { [ "$1" = win64 ] && echo /usr/lib/wine/wine64 || echo /usr/lib/wine/wine; }

# probe_32bit: sets QUENBY_NO_32BIT to the reason this host cannot run 32-bit
# Wine, or to nothing when it can. Found out by starting the 32-bit loader,
# not from the kernel's configuration, and only once: the variable is
# exported, so the scripts that a run starts do not ask again.
probe_32bit() {
    [ -z "${QUENBY_NO_32BIT+set}" ] || return 0
    local loader out rc=0 why=""
    loader=$(loader_of win32)
    if [ ! -e "$loader" ]; then
        why="32-bit Wine (wine32:i386) is not installed"
    else
        out=$(timeout 30 "$loader" --version 2>&1) || rc=$?
        case "$rc:$out" in
        0:wine-*) ;;
        126:* | *"Exec format error"*) why="this kernel cannot execute 32-bit programs" ;;
        124:*) why="the 32-bit Wine loader did not answer within 30 s" ;;
        *) why="the 32-bit Wine loader fails (exit $rc: ${out%%$'\n'*})" ;;
        esac
    fi
    export QUENBY_NO_32BIT=$why
}

# export_source_date_epoch: SOURCE_DATE_EPOCH, the one time that reproducible
# outputs carry (file times, the programs' PE time stamp, signing time): as
# given, or else the time of the commit checked out.
export_source_date_epoch() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
            die "not a git checkout: set SOURCE_DATE_EPOCH (seconds since 1970)"
    fi
    export SOURCE_DATE_EPOCH
}
