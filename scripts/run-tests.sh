#!/usr/bin/env bash
# Builds Quenby and runs every test (in-process and end-to-end) under Wine,
# inside a throw-away sandbox.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
scripts/sandbox.sh --display -- ctest --test-dir build --output-on-failure --timeout 600 "$@"
