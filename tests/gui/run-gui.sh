#!/usr/bin/env bash
# Runs the end-to-end driver against a Quenby.exe on Wine's virtual desktop,
# which gives the program a notification area.
#
#   tests/gui/run-gui.sh DRIVER.exe QUENBY.exe [DRIVER ARGS...]
#
# Must run inside scripts/sandbox.sh --display: the program under test writes
# its settings into the current user's registry. explorer does not pass the
# driver's exit code back, so the driver writes its result to a file and this
# script exits with it.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 DRIVER.exe QUENBY.exe [GTEST ARGS...]" >&2; exit 2; }
if [ -z "${QUENBY_SANDBOX:-}" ] || [ ! -d "$QUENBY_SANDBOX" ]; then
    echo "run-gui: refusing to run outside scripts/sandbox.sh" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "run-gui: no DISPLAY; run inside scripts/sandbox.sh --display" >&2
    exit 2
fi

driver=$(realpath "$1")
# The program: a Unix path, or a Windows path as an installer placed it
# (C:\Program Files\...), which the program then reports as its own.
case "$2" in
?:\\*) quenby=$2; quenby_unix=$(winepath -u "$2") ;;
*) quenby_unix=$(realpath "$2"); quenby=$(winepath -w "$quenby_unix") ;;
esac
shift 2

work=$(mktemp -d "$QUENBY_SANDBOX/gui.XXXXXX")
result="$work/result"
mkdir -p "$work/scratch"

# The help file that the build places beside the program.
help_arg=()
help_file="$(dirname "$quenby_unix")/help/Quenby.chm"
[ ! -f "$help_file" ] || help_arg=("--help-file=$(winepath -w "$help_file")")

# Wine's recycle bin is the freedesktop trash of the sandbox's data folder.
trash="${XDG_DATA_HOME:-$HOME/.local/share}/Trash"
mkdir -p "$trash"

# Task Scheduler's service, which Windows always runs: a Wine prefix starts
# it only when asked (a second start, already running, fails harmlessly).
wine net start schedule >/dev/null 2>&1 || true

# A guard against a driver that hangs: the desktop ends with its last program.
run_driver() {
    timeout --foreground --kill-after=10 "${QUENBY_GUI_TIMEOUT:-900}" \
        wine explorer /desktop=quenby,1024x768 "$(winepath -w "$driver")" \
        "--quenby=$quenby" \
        "--scratch=$(winepath -w "$work/scratch")" \
        "--result-file=$(winepath -w "$result")" \
        "--trash=$(winepath -w "$trash")" \
        "${help_arg[@]}" "$@" >"$work/desktop.log" 2>&1 || true
    cat "$work/desktop.log"
}
run_driver "$@"
# Wine's desktop now and then fails to start the driver at all ("ShellExecuteEx
# failed: Internal error", seen once in a run of the package tests): nothing
# was tested then, so the driver is started once more.
if [ ! -s "$result" ] && grep -q 'ShellExecuteEx failed' "$work/desktop.log"; then
    echo "run-gui: the desktop could not start the driver; starting it again" >&2
    run_driver "$@"
fi

if [ ! -s "$result" ]; then
    echo "run-gui: the driver left no result" >&2
    exit 1
fi
exit "$(tr -d '\r\n ' <"$result")"
