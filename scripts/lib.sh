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

# The official schemas the packaging is checked against, each a file of its
# project's public repository at a pinned commit, with its SHA-256: winget's
# multi-file manifests (1.10.0), Scoop's app manifest, and the page of
# Microsoft's documentation that holds the Task Scheduler schema (the XSD is
# the page's one XML block). Fetched once into $(schema_dir).
readonly QUENBY_SCHEMAS="
winget-version-1.10.0.json 330a3ece4ed602afb0c4f35290d14dec1e188e7b3c2fb330893ac3daac82b547
  https://raw.githubusercontent.com/microsoft/winget-cli/b49f784e4b1d5bf2b8aa85dfbe3ba5d360b6be12/schemas/JSON/manifests/v1.10.0/manifest.version.1.10.0.json
winget-installer-1.10.0.json cca7bea1fbdaa18a3d5231de7f9f896b1dd41283c33a03a0565771861d393b31
  https://raw.githubusercontent.com/microsoft/winget-cli/b49f784e4b1d5bf2b8aa85dfbe3ba5d360b6be12/schemas/JSON/manifests/v1.10.0/manifest.installer.1.10.0.json
winget-defaultLocale-1.10.0.json 77e406d25b35f908f70fb893335155e9e8a83aa59a6f3e9f959692e995e51e3c
  https://raw.githubusercontent.com/microsoft/winget-cli/b49f784e4b1d5bf2b8aa85dfbe3ba5d360b6be12/schemas/JSON/manifests/v1.10.0/manifest.defaultLocale.1.10.0.json
scoop-schema.json 6c15a47b09dba92bcdee8b0dadbe2776339c699e3bf4db0eff0ef0a000f2496c
  https://raw.githubusercontent.com/ScoopInstaller/Scoop/7e3dc73b83c92e0e99aa50b599f24c64c79574e2/schema.json
task-scheduler-schema.md 48deb786d3c3aa7d54278f2060bf4fa7e9d6b9a5fc2e520c9cecad6a3b2fff66
  https://raw.githubusercontent.com/MicrosoftDocs/win32/c8e002db774b7630d7063aa9ecc5d184624df698/desktop-src/TaskSchd/task-scheduler-schema.md
"
schema_dir() {
    echo "${QUENBY_CACHE:-$HOME/.cache/quenby}/schemas"
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
