#!/usr/bin/env bash
# Configures and builds everything (program, tests, tools) for one or both
# Windows builds, side by side in build/win64 and build/win32:
#
#   scripts/build.sh [win64|win32|all] [CMAKE BUILD ARGS...]    (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

which=${1:-all}
shift || true
if [ "$which" = all ]; then arches=$QUENBY_ARCHES; else check_arch "$which"; arches=$which; fi

for arch in $arches; do
    dir=$(build_dir_of "$arch")
    toolchain=()
    # Given once: CMake warns when it is given again to an existing build.
    [ -f "$dir/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE="$(toolchain_of "$arch")")
    cmake -S . -B "$dir" "${toolchain[@]}" >/dev/null ||
        die "configuring the $arch build failed (see above)"
    cmake --build "$dir" -j"$(nproc)" "$@" || die "the $arch build failed (see above)"
done
