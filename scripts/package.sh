#!/usr/bin/env bash
# Builds everything a user can download into dist/, for both Windows builds:
#
#   Quenby-<version>-win64.zip, Quenby-<version>-win32.zip   portable: unzip, run
#   Quenby-<version>-win64-setup.exe, ...-win32-setup.exe    installers (NSIS)
#   Quenby-<version>-win64.msi                               for administrators (wixl)
#
# Each holds the stripped programs, help\Quenby.chm, README.txt and the
# licence. The version is the program's own (res/version.h). A program over
# its size budget stops the packaging. Ends with a table: artefact, size,
# SHA-256.
#
#   scripts/package.sh [win64|win32|all]    (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

which=${1:-all}
if [ "$which" = all ]; then arches=$QUENBY_ARCHES; else check_arch "$which"; arches=$which; fi

# Size budgets of the stripped Quenby.exe, in bytes. About 52 KB of each is
# the program icon with its images for high-DPI screens.
declare -A budget=([win64]=$((368 * 1024)) [win32]=$((448 * 1024)))

version=$(sed -n 's/^#define QUENBY_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
[ -n "$version" ] || die "no QUENBY_VERSION_TEXT in res/version.h"
dist=$PWD/dist
scripts/install-deps.sh
mkdir -p "$dist"
made=()

# made NAME: one progress line, and the artefact joins the final table.
made() {
    echo "  made $1"
    made+=("$1")
}

check_budget() {
    local arch=$1 exe=$2 size
    size=$(stat -c %s "$exe")
    printf '  %s Quenby.exe, stripped: %d bytes (%d KB) of %d KB allowed\n' \
        "$arch" "$size" $(((size + 1023) / 1024)) $((budget[$arch] / 1024))
    [ "$size" -le "${budget[$arch]}" ] ||
        die "the $arch Quenby.exe is over its size budget ($size > ${budget[$arch]} bytes)"
}

# Windows Vista and later run the programs, and Windows 7 is the oldest one
# the packages are checked against: no import may name a DLL or a call that
# Windows 7 lacks. Our own sources are compiled against the Windows 7 headers
# (_WIN32_WINNT 0x0601), which do not declare newer calls; what could still
# bring one in is the prebuilt C++ runtime (linked in statically), a
# declaration made by hand, or a library of someone else's. These are the
# newer DLLs and calls such code reaches for (timers, threads, files, DPI);
# calls a program needs only on newer systems must be looked up at run time
# (GetProcAddress), as the web pane does with GetDpiForWindow.
readonly windows7_lacks_dlls='^(api-ms-win-|ext-ms-win-|shcore|combase|dcomp|ucrtbase|vcruntime)'
readonly windows7_lacks_calls="
    GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 GetCurrentThreadStackLimits
    WaitOnAddress WakeByAddressSingle WakeByAddressAll InitializeSynchronizationBarrier
    EnterSynchronizationBarrier DeleteSynchronizationBarrier SetThreadDescription
    GetThreadDescription SetThreadInformation GetProcessInformation SetProcessInformation
    GetOverlappedResultEx CreateFileMappingFromApp MapViewOfFileFromApp VirtualAllocFromApp
    PrefetchVirtualMemory DiscardVirtualMemory OfferVirtualMemory GetFirmwareType
    SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory GetPackageFamilyName
    GetCurrentPackageId GetCurrentPackageFullName QueryUnbiasedInterruptTimePrecise
    GetProcessMitigationPolicy SetProcessMitigationPolicy
    GetDpiForWindow GetDpiForSystem GetSystemDpiForProcess GetSystemMetricsForDpi
    SystemParametersInfoForDpi AdjustWindowRectExForDpi EnableNonClientDpiScaling
    SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext GetThreadDpiAwarenessContext
    GetWindowDpiAwarenessContext GetAwarenessFromDpiAwarenessContext AreDpiAwarenessContextsEqual
    GetDpiFromDpiAwarenessContext LogicalToPhysicalPointForPerMonitorDPI
    PhysicalToLogicalPointForPerMonitorDPI SetDialogDpiChangeBehavior GetDialogDpiChangeBehavior
    SetDialogControlDpiChangeBehavior GetDialogControlDpiChangeBehavior
    GetPointerType GetPointerInfo EnableMouseInPointer IsImmersiveProcess"

# Unzip and run: the programs may import nothing but Windows' own DLLs (the
# C++ runtime is linked in), and nothing Windows 7 lacks (above).
check_imports() {
    local arch=$1 exe foreign imports newer triple
    triple=$([ "$arch" = win64 ] && echo x86_64 || echo i686)-w64-mingw32
    for exe in "$2"/*.exe; do
        foreign=$("$triple-objdump" -p "$exe" | awk '/DLL Name/ { print $3 }' |
            grep -iE '^lib|mingw|pthread' || true)
        [ -z "$foreign" ] || die "${exe##*/} ($arch) needs DLLs that Windows lacks: $foreign"
        # One "DLL call" line per import; calls by ordinal read "<none>".
        imports=$("$triple-objdump" -p "$exe" | awk '/DLL Name:/ { dll = $3; next }
            /^$/ { dll = "" } dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll, $3 }')
        newer=$(printf '%s\n' "$imports" | awk -v dlls="$windows7_lacks_dlls" -v calls="$windows7_lacks_calls" '
            BEGIN { n = split(calls, list); for (i = 1; i <= n; i++) lacks[list[i]] = 1 }
            tolower($1) ~ dlls || ($2 in lacks) { printf "%s!%s ", $1, $2 }')
        [ -z "$newer" ] || die "${exe##*/} ($arch) imports what Windows 7 lacks: $newer"
    done
}

package_arch() {
    local arch=$1 build stage base
    build=$(build_dir_of "$arch")
    stage=$PWD/$build/stage
    base=Quenby-$version-$arch
    echo "== $arch"
    scripts/build.sh "$arch" >/dev/null
    rm -rf "$stage"
    cmake --install "$build" --prefix "$stage" --strip >/dev/null ||
        die "staging the $arch install tree failed"
    check_budget "$arch" "$stage/Quenby.exe"
    check_imports "$arch" "$stage"

    (cd "$build" && cpack -G ZIP -B "$PWD/cpack" >/dev/null) || die "CPack failed for $arch"
    mv "$build/cpack/$base.zip" "$dist/"
    made "$base.zip"

    makensis -V2 -DARCH="$arch" -DVERSION="$version" -DSTAGE="$stage" -DSOURCE="$PWD" \
        -DOUTFILE="$dist/$base-setup.exe" packaging/Quenby.nsi >/dev/null ||
        die "makensis failed for $arch"
    made "$base-setup.exe"

    if [ "$arch" = win64 ]; then
        # wixl finds sources relative to the .wxs file.
        local console=no
        [ ! -e "$stage/QuenbyCmd.exe" ] || console=yes
        wixl -a x64 -D Version="$version" -D Console=$console \
            -D Stage="$(realpath --relative-to=packaging "$stage")" -D Source=.. \
            -o "$dist/$base.msi" packaging/Quenby.wxs || die "wixl failed"
        made "$base.msi"
    fi
}

for arch in $arches; do package_arch "$arch"; done

echo
printf '| %-34s | %10s | %-64s |\n' Artefact Bytes SHA-256
printf '| %-34s | %10s | %-64s |\n' --- ---: ---
for name in "${made[@]}"; do
    printf '| %-34s | %10d | %-64s |\n' "$name" "$(stat -c %s "$dist/$name")" \
        "$(sha256sum "$dist/$name" | cut -d' ' -f1)"
done
