#!/usr/bin/env bash
# Builds both Windows builds and runs every test (in-process and end-to-end)
# under Wine, each build inside its own throw-away sandbox: the 64-bit build
# everywhere, the 32-bit one where this host can execute 32-bit programs.
# Arguments go to CTest (for example -R ResourceTest).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/install-deps.sh
scripts/build.sh all

run_suite() {
    echo "== $1 Windows build: tests"
    scripts/sandbox.sh --arch "$1" --display -- \
        ctest --test-dir "$(build_dir_of "$1")" --output-on-failure --timeout 600 "${@:2}" ||
        die "$1 Windows build: tests failed"
}

run_suite win64 "$@"
probe_32bit
if [ -z "$QUENBY_NO_32BIT" ]; then
    run_suite win32 "$@"
else
    echo "32-bit Windows build: built, tests not run: $QUENBY_NO_32BIT"
fi
