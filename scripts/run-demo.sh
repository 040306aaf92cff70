#!/usr/bin/env bash
# Builds Quenby and runs it on sample traces inside a throw-away Wine sandbox
# (never on your own prefix, home or trash).
#
# With a display (DISPLAY set) Quenby opens on it: all eight boxes are
# checked, and a Chrome and a Firefox profile are there for
# "Settings > More traces..."; press "Clean", answer "Yes", then exit, and the
# traces left are listed. Without a display it runs on a private Xvfb, checks
# both browsers' history in "More traces", previews them with the eight,
# presses "Clean" itself and saves screenshots of the main window, the
# chooser, the preview and the completion box.
#
# It runs the 64-bit build; QUENBY_ARCH=win32 runs the 32-bit one instead.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
arch=${QUENBY_ARCH:-win64}
check_arch "$arch"
scripts/install-deps.sh
scripts/build.sh "$arch" --target Quenby clean_demo >/dev/null
build=$(build_dir_of "$arch")

if [ -n "${DISPLAY:-}" ]; then
    exec scripts/sandbox.sh --arch "$arch" --display -- bash -c '
        wine "$1/clean_demo.exe" seed
        wine "$1/Quenby.exe"
        wine "$1/clean_demo.exe" show' demo "$build"
fi

out="$PWD/out"
mkdir -p "$out"
QUENBY_SCREEN=640x480 scripts/sandbox.sh --arch "$arch" --display -- bash -c '
    set -e
    out=$1 build=$2
    wine "$build/clean_demo.exe" seed
    wine "$build/Quenby.exe" &
    quenby=$!
    wine "$build/clean_demo.exe" wait
    sleep 1
    import -window root "$out/quenby-main.png"
    geometry=$(wine "$build/clean_demo.exe" more | tr -d "\r")
    sleep 1
    import -window root -crop "$geometry" +repage "$out/quenby-chooser.png"
    geometry=$(wine "$build/clean_demo.exe" preview | tr -d "\r")
    sleep 1
    import -window root -crop "$geometry" +repage "$out/quenby-preview.png"
    wine "$build/clean_demo.exe" ok
    wine "$build/clean_demo.exe" clean
    sleep 1
    import -window root "$out/quenby-clean-finished.png"
    wine "$build/clean_demo.exe" close
    wait "$quenby"
    wine "$build/clean_demo.exe" show
' demo "$out" "$build"
echo
echo "Screenshots: $out/quenby-main.png"
echo "             $out/quenby-chooser.png"
echo "             $out/quenby-preview.png"
echo "             $out/quenby-clean-finished.png"
