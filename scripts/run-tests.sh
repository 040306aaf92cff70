#!/usr/bin/env bash
# Builds both Windows builds and their packages, and runs every test
# (in-process, end-to-end, and the packages installed and removed) under Wine,
# each build inside its own throw-away sandboxes: the 64-bit build everywhere,
# the 32-bit one where this host can execute 32-bit programs. Arguments go to
# CTest (for example -R ResourceTest).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/install-deps.sh
scripts/build.sh all
scripts/package.sh all

run_suite() {
    local build
    build=$(build_dir_of "$1")
    echo "== $1 Windows build: tests"
    scripts/sandbox.sh --arch "$1" --display -- \
        ctest --test-dir "$build" --output-on-failure --timeout 600 "${@:2}" ||
        die "$1 Windows build: tests failed"
    echo "== $1 Windows build: packages"
    scripts/sandbox.sh --arch "$1" --display -- \
        bash tests/package/run-package-tests.sh "$1" dist "$build" ||
        die "$1 Windows build: package tests failed"
}

run_suite win64 "$@"
probe_32bit
if [ -z "$QUENBY_NO_32BIT" ]; then
    run_suite win32 "$@"
else
    echo "32-bit Windows build: built, tests not run: $QUENBY_NO_32BIT"
fi
