#!/usr/bin/env bash
# Runs one command inside a throw-away Wine sandbox.
#
#   scripts/sandbox.sh [--display] [--keep] -- COMMAND [ARGS...]
#
# Every run gets its own WINEPREFIX, HOME and XDG folders in a new temporary
# folder: Wine's recycle bin is the freedesktop trash of $XDG_DATA_HOME and
# some shell folders of a prefix link into $HOME, so a cleaner run against the
# developer's own home could destroy real data. The prefix is booted without
# the Mono/Gecko prompts, a persistent wineserver serves the whole run, and
# everything is torn down afterwards: by prefix (wineserver -k) and by the
# process id of the Xvfb this script started. Nothing else is ever stopped.
#
# --display   start a private Xvfb when no DISPLAY is set (GUI and tray work)
# --keep      keep the sandbox folder (its path is printed) for inspection
#
# Inside the command, QUENBY_SANDBOX names the sandbox folder. QUENBY_SCREEN
# (WIDTHxHEIGHT) sets the size of the private display.
set -euo pipefail

want_display=0
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
    --display) want_display=1 ;;
    --keep) keep=1 ;;
    --) shift; break ;;
    *) break ;;
    esac
    shift
done
[ $# -gt 0 ] || { echo "usage: $0 [--display] [--keep] -- COMMAND..." >&2; exit 2; }

real_home=${HOME:-/root}
box=$(mktemp -d "${TMPDIR:-/tmp}/quenby-sandbox.XXXXXX")
box=$(cd "$box" && pwd -P)

# Refuse anything that could reach the user's own data.
case "$box" in
"$real_home" | "$real_home"/.wine* | /) echo "sandbox: refusing $box" >&2; exit 2 ;;
esac

xvfb_pid=""
cleanup() {
    local rc=$?
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

mkdir -p "$box/home" "$box/data" "$box/config" "$box/cache" "$box/runtime"
chmod 700 "$box/runtime"
export HOME="$box/home"
export XDG_DATA_HOME="$box/data"
export XDG_CONFIG_HOME="$box/config"
export XDG_CACHE_HOME="$box/cache"
export XDG_RUNTIME_DIR="$box/runtime"
export WINEPREFIX="$box/prefix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts, ever: the prefix never gets either.
export WINEDLLOVERRIDES="mscoree,mshtml="
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
    read -r -t 20 num <&9 || { echo "sandbox: Xvfb did not start" >&2; exit 1; }
    exec 9<&-
    export DISPLAY=":$num"
fi

# Boot first, let that server end, then keep one for the run: a persistent
# server during the boot leaves a second service manager behind that holds the
# start lock, so the RPC service never starts and every process's first COM
# call to it waits seconds for the failed start.
wineboot -i >"$box/wineboot.log" 2>&1
wineserver -w
wineserver -p
# Without a window manager on the private display, Wine waits for one each
# time a managed top-level window is hidden or destroyed (about 2 s).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$@"
