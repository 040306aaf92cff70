#!/usr/bin/env bash
# Builds Quenby and runs it on sample traces inside a throw-away Wine sandbox
# (never on your own prefix, home or trash).
#
# With a display (DISPLAY set) Quenby opens on it: all eight boxes are
# checked; press "Clean", answer "Yes", then exit, and the traces left are
# listed. Without a display it runs on a private Xvfb, presses "Clean" itself
# and saves screenshots of the main window and of the completion box.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null

if [ -n "${DISPLAY:-}" ]; then
    exec scripts/sandbox.sh --display -- bash -c '
        wine build/clean_demo.exe seed
        wine build/Quenby.exe
        wine build/clean_demo.exe show'
fi

out="$PWD/out"
mkdir -p "$out"
QUENBY_SCREEN=640x480 scripts/sandbox.sh --display -- bash -c '
    set -e
    out=$1
    wine build/clean_demo.exe seed
    wine build/Quenby.exe &
    quenby=$!
    wine build/clean_demo.exe wait
    sleep 1
    import -window root "$out/quenby-main.png"
    wine build/clean_demo.exe clean
    sleep 1
    import -window root "$out/quenby-clean-finished.png"
    wine build/clean_demo.exe close
    wait "$quenby"
    wine build/clean_demo.exe show
' demo "$out"
echo
echo "Screenshots: $out/quenby-main.png"
echo "             $out/quenby-clean-finished.png"
