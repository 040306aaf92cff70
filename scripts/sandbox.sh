#!/usr/bin/env bash
# Runs one command inside a throw-away Wine sandbox.
#
#   scripts/sandbox.sh [--arch win64|win32] [--display] [--keep] -- COMMAND [ARGS...]
#
# Every run gets its own WINEPREFIX, HOME and XDG folders in a new temporary
# folder: Wine's recycle bin is the freedesktop trash of $XDG_DATA_HOME and
# some shell folders of a prefix link into $HOME, so a cleaner run against the
# developer's own home could destroy real data. The prefix is booted without
# the Mono/Gecko prompts, a persistent wineserver serves the whole run, and
# everything is torn down afterwards: by prefix (wineserver -k) and by the
# process id of the Xvfb this script started. Nothing else is ever stopped.
#
# --arch      the Windows architecture of the prefix and of "wine" inside
#             the command: win64 (default, or $QUENBY_ARCH) or win32
# --display   start a private Xvfb when no DISPLAY is set (GUI and tray work)
# --keep      keep the sandbox folder (its path is printed) for inspection
#
# Crashing programs end at once with a failure: no debugger is started.
#
# Inside the command, QUENBY_SANDBOX names the sandbox folder and QUENBY_ARCH
# its architecture. QUENBY_SCREEN
# (WIDTHxHEIGHT) sets the size of the private display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

arch=${QUENBY_ARCH:-win64}
want_display=0
keep=0
usage() { echo "usage: $0 [--arch win64|win32] [--display] [--keep] -- COMMAND..." >&2; exit 2; }
while [ $# -gt 0 ]; do
    case "$1" in
    --arch) [ $# -ge 2 ] || { echo "sandbox: --arch needs win64 or win32" >&2; usage; }
            arch=$2; shift ;;
    --arch=*) arch=${1#--arch=} ;;
    --display) want_display=1 ;;
    --keep) keep=1 ;;
    --) shift; break ;;
    *) break ;;
    esac
    shift
done
[ $# -gt 0 ] || usage
check_arch "$arch"
loader=$(loader_of "$arch")
[ -x "$loader" ] || die "no Wine loader $loader: run scripts/install-deps.sh"
if [ "$arch" = win32 ]; then
    probe_32bit
    [ -z "$QUENBY_NO_32BIT" ] || die "cannot run the 32-bit sandbox: $QUENBY_NO_32BIT"
fi
if [ "$want_display" = 1 ] && [ -z "${DISPLAY:-}" ]; then
    command -v Xvfb >/dev/null || die "no display and no Xvfb: run scripts/install-deps.sh"
fi

real_home=${HOME:-/root}
box=$(mktemp -d "${TMPDIR:-/tmp}/quenby-sandbox.XXXXXX")
box=$(cd "$box" && pwd -P)

# Refuse anything that could reach the user's own data.
case "$box" in
"$real_home" | "$real_home"/.wine* | /) echo "sandbox: refusing $box" >&2; exit 2 ;;
esac

xvfb_pid=""
command_pid=""
cleanup() {
    local rc=$?
    # Interrupted: the command goes first, then the Wine it was using.
    if [ -n "$command_pid" ] && kill -0 "$command_pid" 2>/dev/null; then
        kill "$command_pid" 2>/dev/null || true
        wait "$command_pid" 2>/dev/null || true
    fi
    if [ -d "$box/prefix" ]; then
        WINEPREFIX="$box/prefix" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$box/prefix" wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "$keep" = 1 ]; then
        echo "sandbox kept: $box" >&2
    else
        rm -rf --one-file-system "$box"
    fi
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The cache of fetched third-party files (SQLite's source, the official
# schemas the package tests validate against) stays the caller's: only read.
export QUENBY_CACHE=${QUENBY_CACHE:-$real_home/.cache/quenby}
mkdir -p "$box/home" "$box/data" "$box/config" "$box/cache" "$box/runtime"
chmod 700 "$box/runtime"
export HOME="$box/home"
export XDG_DATA_HOME="$box/data"
export XDG_CONFIG_HOME="$box/config"
export XDG_CACHE_HOME="$box/cache"
export XDG_RUNTIME_DIR="$box/runtime"
export WINEPREFIX="$box/prefix"
export WINEARCH=$arch
export QUENBY_ARCH=$arch
# "wine" and the tools Debian starts through "wine-stable" (wineboot,
# winepath, msiexec...) use this architecture's loader.
mkdir -p "$box/bin"
for name in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$loader" >"$box/bin/$name"
    chmod +x "$box/bin/$name"
done
export PATH="$box/bin:$PATH"
export WINELOADER=$loader
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts, ever: the prefix never gets either. No
# debugger either: an unhandled exception ends the process at once with a
# failure, where winedbg's crash dialog would wait for a click forever.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export QUENBY_SANDBOX="$box"

if [ "$WINEPREFIX" = "$real_home/.wine" ]; then
    echo "sandbox: refusing the user's own prefix" >&2
    exit 2
fi

if [ "$want_display" = 1 ] && [ -z "${DISPLAY:-}" ]; then
    # -displayfd lets Xvfb choose a free display number and tell us.
    exec 9<> <(:)
    Xvfb -displayfd 9 -screen 0 "${QUENBY_SCREEN:-1280x1024}x24" -nolisten tcp >"$box/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r -t 20 num <&9 || die "Xvfb did not start: $(tail -n 1 "$box/xvfb.log")"
    exec 9<&-
    export DISPLAY=":$num"
fi

# Boot first, let that server end, then keep one for the run: a persistent
# server during the boot leaves a second service manager behind that holds the
# start lock, so the RPC service never starts and every process's first COM
# call to it waits seconds for the failed start.
timeout "${QUENBY_BOOT_TIMEOUT:-180}" wineboot -i >"$box/wineboot.log" 2>&1 ||
    die "the $arch prefix did not boot within ${QUENBY_BOOT_TIMEOUT:-180} s: $(tail -n 1 "$box/wineboot.log")"
timeout 60 wineserver -w || die "the $arch prefix's boot server did not end within 60 s"
wineserver -p || die "no persistent wineserver for the $arch prefix"
# Without a window manager on the private display, Wine waits for one each
# time a managed top-level window is hidden or destroyed (about 2 s).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    die "cannot set up the $arch prefix's display driver"
# In the background, so that an interrupt reaches the trap at once (bash
# waits for a foreground command before it runs a trap); standard input
# stays the caller's.
"$@" <&0 &
command_pid=$!
wait "$command_pid"
