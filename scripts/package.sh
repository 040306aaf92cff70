#!/usr/bin/env bash
# Builds everything a user can download into dist/, for both Windows builds:
#
#   Quenby-<version>-win64.zip, Quenby-<version>-win32.zip   portable: unzip, run
#   Quenby-<version>-win64-setup.exe, ...-win32-setup.exe    installers (NSIS)
#   Quenby-<version>-win64.msi                               for administrators (wixl)
#   winget/Marlowick.Quenby*.yaml   the winget manifests (version, installer, locale)
#   scoop/quenby.json               the Scoop manifest of the portable zips
#
# Each holds the stripped programs, help\Quenby.chm, README.txt and the
# licence. The version is the program's own (res/version.h). A program over
# its size budget stops the packaging. Ends with a table: artefact, size,
# SHA-256, and writes the same sums to SHA256SUMS (for sha256sum -c).
#
# Reproducible: the same commit gives the same bytes in any folder at any
# time. Every time inside the packages is SOURCE_DATE_EPOCH (the commit's
# time unless given), the files and their order in the archives are fixed,
# and the MSI's product code is a name-based UUID of the package's name.
#
# Signing: with QUENBY_SIGN_CERT set (see scripts/sign.sh), the programs are
# signed before they go into the packages, the uninstaller before it goes into
# the setup, and then the setups and the MSI.
#
#   scripts/package.sh [win64|win32|all]    (default: all)
#
# QUENBY_DIST names another folder for the packages than dist/; the manifests
# name each download QUENBY_RELEASE_URL/<version>/<file> (by default the
# maker's download folder).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

which=${1:-all}
if [ "$which" = all ]; then arches=$QUENBY_ARCHES; else check_arch "$which"; arches=$which; fi

# Size budgets of the stripped Quenby.exe, in bytes: 1.5 MiB each, of which
# SQLite, for the browsers' databases, takes about 0.5 MB and the program
# icon with its images for high-DPI screens about 52 KB.
declare -A budget=([win64]=$((1536 * 1024)) [win32]=$((1536 * 1024)))

version=$(sed -n 's/^#define QUENBY_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
[ -n "$version" ] || die "no QUENBY_VERSION_TEXT in res/version.h"
# The MSI's product code is named in the namespace of its upgrade code.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' packaging/Quenby.wxs)
release_url=${QUENBY_RELEASE_URL:-https://www.marlowick.com/download/quenby}
dist=$(realpath -m "${QUENBY_DIST:-dist}")
scripts/install-deps.sh
export_source_date_epoch
mkdir -p "$dist"
made=()
if [ -n "${QUENBY_SIGN_CERT:-}" ]; then
    echo "signing with $QUENBY_SIGN_CERT, ${QUENBY_SIGN_TIMESTAMP_URL:-no time stamp}"
    sign() { scripts/sign.sh "$@"; }
else
    echo "not signing: no certificate given (QUENBY_SIGN_CERT)"
    sign() { :; }
fi

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

# fix_times TREE: every file and folder of TREE carries SOURCE_DATE_EPOCH.
fix_times() { find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

# make_zip STAGE BASE: the portable zip of the install tree, in one folder
# named like the file; entries in a fixed order with fixed times and modes,
# without owners or extra time fields.
make_zip() {
    local tree
    tree=$(dirname "$1")/zip
    rm -rf "$tree" "$dist/$2.zip"
    mkdir -p "$tree"
    cp -a "$1" "$tree/$2"
    chmod -R u=rwX,go=rX "$tree/$2"
    fix_times "$tree/$2"
    (cd "$tree" && find "$2" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$dist/$2.zip") ||
        die "zip failed for $2"
}

# uuid_v5 NAMESPACE NAME: the name-based UUID (version 5, SHA-1) of NAME.
uuid_v5() {
    local hash
    hash=$({ printf "$(sed 's/-//g; s/../\\x&/g' <<<"$1")"; printf '%s' "$2"; } | sha1sum)
    printf '%s-%s-5%s-%x%s-%s\n' "${hash:0:8}" "${hash:8:4}" "${hash:13:3}" \
        $(((0x${hash:16:1} & 0x3) | 0x8)) "${hash:17:3}" "${hash:20:12}" | tr a-f A-F
}

# put_bytes FILE OFFSET PRINTF-TEXT: overwrites bytes of FILE in place.
put_bytes() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# wixl writes a random package code and the current time (created, last
# saved) into the MSI's summary information, one after the other. The times
# become SOURCE_DATE_EPOCH, the package code a name-based UUID of the
# package's own bytes: the same for every build of it, new for any change.
fix_msi_summary() {
    local msi=$1 at filetime le="" i
    at=$(LC_ALL=C grep -obUaP '\x1e\x00{3}\x27\x00{3}\{[0-9A-F-]{36}\}\x00\x00\x40\x00{3}' "$msi" |
        cut -d: -f1)
    [ -n "$at" ] && [ "$(wc -l <<<"$at")" = 1 ] &&
        [ "$(od -An -tx4 -j$((at + 60)) -N4 "$msi" | tr -d ' ')" = 00000040 ] ||
        die "$msi: cannot find the package code and times of its summary information"
    filetime=$(((SOURCE_DATE_EPOCH + 11644473600) * 10000000))
    for ((i = 0; i < 64; i += 8)); do le+=$(printf '\\x%02x' $(((filetime >> i) & 0xff))); done
    put_bytes "$msi" $((at + 52)) "$le"
    put_bytes "$msi" $((at + 64)) "$le"
    put_bytes "$msi" $((at + 8)) "{00000000-0000-0000-0000-000000000000}"
    put_bytes "$msi" $((at + 8)) "{$(uuid_v5 "$upgrade_code" "$(sha256sum <"$msi")")}"
}

package_arch() {
    local arch=$1 build stage base
    build=$(build_dir_of "$arch")
    stage=$PWD/$build/stage
    base=Quenby-$version-$arch
    echo "== $arch"
    scripts/build.sh "$arch" --target quenby_packaged >/dev/null
    rm -rf "$stage"
    cmake --install "$build" --prefix "$stage" --strip >/dev/null ||
        die "staging the $arch install tree failed"
    check_budget "$arch" "$stage/Quenby.exe"
    check_imports "$arch" "$stage"
    sign "$stage"/*.exe
    fix_times "$stage"

    make_zip "$stage" "$base"
    made "$base.zip"

    local sign_uninstaller=()
    [ -z "${QUENBY_SIGN_CERT:-}" ] ||
        sign_uninstaller=(-DSIGN_UNINSTALLER="bash \"$PWD/scripts/sign.sh\"")
    makensis -V2 -DARCH="$arch" -DVERSION="$version" -DSTAGE="$stage" -DSOURCE="$PWD" \
        "${sign_uninstaller[@]}" -DOUTFILE="$dist/$base-setup.exe" packaging/Quenby.nsi \
        >/dev/null ||
        die "makensis failed for $arch"
    sign "$dist/$base-setup.exe"
    made "$base-setup.exe"

    if [ "$arch" = win64 ]; then
        # wixl finds sources relative to the .wxs file.
        local console=no
        [ ! -e "$stage/QuenbyCmd.exe" ] || console=yes
        wixl -a x64 -D Version="$version" -D Console=$console \
            -D ProductCode="$(uuid_v5 "$upgrade_code" "$base")" \
            -D Stage="$(realpath --relative-to=packaging "$stage")" -D Source=.. \
            -o "$dist/$base.msi" packaging/Quenby.wxs || die "wixl failed"
        fix_msi_summary "$dist/$base.msi"
        sign "$dist/$base.msi"
        made "$base.msi"
    fi
}

for arch in $arches; do package_arch "$arch"; done
(cd "$dist" && sha256sum -- "${made[@]}" >SHA256SUMS)
. scripts/manifests.sh
write_manifests "$dist" "$version" "$release_url" "{$(uuid_v5 "$upgrade_code" "Quenby-$version-win64")}" \
    "{$upgrade_code}"

echo
printf '| %-34s | %10s | %-64s |\n' Artefact Bytes SHA-256
printf '| %-34s | %10s | %-64s |\n' --- ---: ---
for name in "${made[@]}"; do
    printf '| %-34s | %10d | %-64s |\n' "$name" "$(stat -c %s "$dist/$name")" \
        "$(sha256sum "$dist/$name" | cut -d' ' -f1)"
done
