#!/usr/bin/env bash
# Builds Quenby and shows the cleaners at work on sample traces, inside a
# throw-away Wine sandbox (never on your own prefix, home or trash).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
scripts/sandbox.sh -- wine build/clean_demo.exe
