#!/usr/bin/env bash
# Proves the packages of one build under Wine, as a user and an administrator
# would use them:
#
#   tests/package/run-package-tests.sh ARCH DIST BUILD [SIGNED_DIST CERT]
#
#   manifests  winget's and Scoop's valid against their official schemas, each
#              hash that of its package
#   zip        unpacked into a folder with spaces: Quenby starts, Help opens
#              the help window; the scheduled clean's task, as the console
#              program makes it, valid against Task Scheduler's schema
#   installer  /S gives the files, the Start-menu shortcut and the uninstall
#              entry with its values; the installed Quenby starts and shows
#              its window; "Auto run when windows start" is turned on through
#              the options dialog, and its Run value, started as a command
#              line, starts Quenby and not a C:\Program.exe placed in its way;
#              the silent uninstall from
#              QuietUninstallString removes files, shortcut, entry and Run
#              value and keeps the settings key; installing over an older
#              copy, and again over itself, leaves one entry, and its
#              uninstall also removes an unquoted Run value of earlier versions;
#              a scheduled clean stays through the upgrade, running the
#              installed program, and goes with the uninstall
#   MSI        (win64) msiexec /i /qn installs it under the manifest's product
#              code, the program starts, a later version replaces it,
#              msiexec /x /qn removes it with the scheduled clean
#   running    the MSI's /x /qn, a silent upgrade and the silent uninstall
#              while the installed Quenby runs hidden in the notification
#              area: it ends, or what is left waits for the restart (3010); a
#              copy running elsewhere runs on
#   signed     (with SIGNED_DIST and CERT, packages signed with that
#              throw-away certificate) every signature in SIGNED_DIST, also
#              of the programs in its zips, holds against CERT and a changed
#              byte breaks it; the signed setup installs signed programs and a
#              signed uninstaller; the program runs; the uninstaller removes it
#
# Must run inside scripts/sandbox.sh --arch ARCH --display; the end-to-end
# driver of BUILD works the installed programs, and BUILD/stage (made by
# scripts/package.sh) gives the older copy its files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib.sh"

[ $# -eq 3 ] || [ $# -eq 5 ] || { echo "usage: $0 ARCH DIST BUILD [SIGNED_DIST CERT]" >&2; exit 2; }
arch=$1 dist=$(realpath "$2") build=$(realpath "$3")
[ -n "${QUENBY_SANDBOX:-}" ] && [ -d "$QUENBY_SANDBOX" ] || die "refusing to run outside scripts/sandbox.sh"
[ "${QUENBY_ARCH:-}" = "$arch" ] || die "the sandbox is ${QUENBY_ARCH:-unknown}, not $arch"

version=$(sed -n 's/^#define QUENBY_VERSION_TEXT "\(.*\)"$/\1/p' "$here/../../res/version.h")
base=Quenby-$version-$arch
driver=$build/tests/quenby_driver.exe
program_dir='C:\Program Files\Quenby'
installed="$program_dir\\Quenby.exe"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entry="$uninstall_key\\Quenby"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Marlowick software\Quenby'
shortcut=$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quenby.lnk')
appdata=$(wine cmd /c echo %APPDATA% | tr -d '\r')
user_shortcut="$(winepath -u "$appdata")/Microsoft/Windows/Start Menu/Programs/Quenby.lnk"
tasks=$(winepath -u 'C:\windows\system32\tasks\Quenby')
failures=0 passes=0
trap 'echo "run-package-tests: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

pass() { echo "  ok    $*"; passes=$((passes + 1)); }
fail() { echo "  FAIL  $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

# reg_value KEY NAME: the value's data as reg shows it, empty when missing.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# entries_named NAME: how many uninstall entries show that DisplayName.
entries_named() {
    wine reg query "$uninstall_key" /s /v DisplayName 2>/dev/null | tr -d '\r' |
        grep -c "REG_SZ *$1\$" || true
}
exists() { [ -e "$(winepath -u "$1")" ]; }
missing() { ! exists "$1"; }
installed_files() {
    exists "$installed" && exists "$program_dir\\QuenbyCmd.exe" && exists "$program_dir\\help\\Quenby.chm" &&
        exists "$program_dir\\README.txt" && exists "$program_dir\\LICENSE.txt"
}
no_program_folder() { missing "$program_dir"; }
# The driver on the program at PATH, with a test filter.
drive() { bash "$here/../gui/run-gui.sh" "$driver" "$1" "--gtest_filter=$2" "${@:3}" >"$QUENBY_SANDBOX/driver.log" 2>&1 ||
    { tail -n 30 "$QUENBY_SANDBOX/driver.log"; return 1; }; }
# run_line LINE: a command line run as Windows runs it (the uninstall entry's
# strings carry their own quotes).
run_line() { printf '%s\r\n' "@$1" >"$QUENBY_SANDBOX/line.cmd"; wine cmd /c "$(winepath -w "$QUENBY_SANDBOX/line.cmd")"; }
# An uninstaller that NSIS started returns at once and works on from a copy:
# wait until what it removes is gone.
wait_until() { local i; for ((i = 0; i < 60; i++)); do "$@" && return 0; sleep 0.5; done; return 1; }

echo "== $arch manifests"
check "the official schemas are the pinned copies" eval \
    '(cd "$(schema_dir)" && sha256sum --check --quiet SHA256SUMS)'
check "winget and Scoop manifests valid, with the packages' hashes" eval \
    '/usr/bin/python3 "$here/check-manifests.py" "$dist" "$(schema_dir)" >"$QUENBY_SANDBOX/manifests.log" ||
     { grep FAIL "$QUENBY_SANDBOX/manifests.log"; false; }'

# Task Scheduler's service, which Windows always runs: a Wine prefix starts it
# only when asked. Wine 8 keeps a task without its trigger and command, so
# that a task is registered shows only as its file in the tasks folder.
wine net start schedule >/dev/null 2>&1 || true
scheduled() { [ -n "$(ls -A "$tasks" 2>/dev/null)" ]; }
not_scheduled() { ! scheduled; }
schedule() { wine "$program_dir\\QuenbyCmd.exe" schedule "$@" >/dev/null; }

echo "== $arch zip"
unpacked="$QUENBY_SANDBOX/unpacked with spaces"
mkdir -p "$unpacked"
unzip -q "$dist/$base.zip" -d "$unpacked"
check "unpacked: programs, help, README.txt, LICENSE.txt" \
    test -f "$unpacked/$base/Quenby.exe" -a -f "$unpacked/$base/QuenbyCmd.exe" \
    -a -f "$unpacked/$base/help/Quenby.chm" \
    -a -f "$unpacked/$base/README.txt" -a -f "$unpacked/$base/LICENSE.txt"
check "Quenby starts and Help opens the help window" \
    drive "$unpacked/$base/Quenby.exe" 'MainWindowTest.IsAVisible*:HelpCommandTest.OpensTheHelpShipped*'

# The task, as the program registers it, from a folder whose name XML must
# escape: valid against Task Scheduler's schema, with each field it needs.
xsd=$QUENBY_SANDBOX/task.xsd odd="$QUENBY_SANDBOX/R&D tools"
awk '/^```XML/ { on = 1; next } /^```/ { on = 0 } on' "$(schema_dir)/task-scheduler-schema.md" >"$xsd"
mkdir -p "$odd" && cp "$unpacked/$base/QuenbyCmd.exe" "$odd/"
field() { xmllint --xpath "string(//*[local-name()='$2'])" "$QUENBY_SANDBOX/$1.xml"; }
for when in "daily 07:30" "weekly sunday 23:59" logon; do
    wine "$odd/QuenbyCmd.exe" schedule $when --xml >"$QUENBY_SANDBOX/${when%% *}.xml"
    check "the task of '$when' is valid against Task Scheduler's schema" \
        xmllint --noout --schema "$xsd" "$QUENBY_SANDBOX/${when%% *}.xml"
done
check "its command: the console program, quoted" \
    test "$(field daily Command)" = "\"$(winepath -w "$odd")\\QuenbyCmd.exe\""
check "its arguments: a clean of the saved selection, asking and saying nothing" \
    test "$(field weekly Arguments)" = "clean --saved --yes --quiet"
check "its triggers: daily at 07:30, Sundays at 23:59, at this user's sign-in" \
    eval '[[ $(field daily StartBoundary) == *T07:30:00 && $(field daily DaysInterval) == 1 &&
             $(field weekly StartBoundary) == *T23:59:00 && -n $(xmllint --xpath \
             "//*[local-name()=\"DaysOfWeek\"]/*[local-name()=\"Sunday\"]" "$QUENBY_SANDBOX/weekly.xml") &&
             $(field logon LogonTrigger) == S-1-* &&
             $(field logon Principal) == "$(field logon LogonTrigger)"* ]]'
check "no start on batteries, stopped after an hour" \
    test "$(field logon DisallowStartIfOnBatteries) $(field logon ExecutionTimeLimit)" = "true PT1H"
check "the user's own task, interactive, least privilege, in \\Quenby\\" \
    eval '[[ "$(field daily LogonType) $(field daily RunLevel) $(field daily URI)" == \
             "InteractiveToken LeastPrivilege \\Quenby\\Scheduled clean S-1-"* ]]'

echo "== $arch installer"
wine "$dist/$base-setup.exe" /S
check "files in $program_dir" installed_files
check "Start-menu shortcut" test -f "$shortcut"
check "DisplayName" test "$(reg_value "$entry" DisplayName)" = Quenby
check "DisplayVersion" test "$(reg_value "$entry" DisplayVersion)" = "$version"
check "Publisher" test "$(reg_value "$entry" Publisher)" = "Marlowick software"
check "DisplayIcon" test "$(reg_value "$entry" DisplayIcon)" = "$installed,0"
check "EstimatedSize in KB" test "$(($(reg_value "$entry" EstimatedSize)))" -gt 100
check "UninstallString" test "$(reg_value "$entry" UninstallString)" = "\"$program_dir\\Uninstall.exe\""
quiet=$(reg_value "$entry" QuietUninstallString)
check "QuietUninstallString" test "$quiet" = "\"$program_dir\\Uninstall.exe\" /S"
check "the installed Quenby starts, shows its window and turns on Auto run, which starts it" \
    drive "$installed" 'MainWindowTest.IsAVisible*:OptionsDialogTest.AutoRunOfTheProgramUnderTest*' --keep-state
check "the installed console program lists its targets" \
    eval 'wine "$program_dir\\QuenbyCmd.exe" list | grep -q recycle-bin'
check "Run value names the installed program, quoted" test "$(reg_value "$run_key" Quenby.exe)" = "\"$installed\""
check "settings key written" key_exists "$settings_key"
check "the installed console program schedules a clean" eval 'schedule daily 07:30 && scheduled'

check "the quiet uninstall runs" run_line "$quiet"
check "uninstall removes the program folder" wait_until no_program_folder
check "uninstall removes the shortcut" wait_until test ! -e "$shortcut"
check "uninstall removes the entry" wait_until eval '! key_exists "$entry"'
check "uninstall removes the Run value" test -z "$(reg_value "$run_key" Quenby.exe)"
check "uninstall keeps the settings key" key_exists "$settings_key"
check "uninstall removes the scheduled clean" not_scheduled

# An upgrade: an older copy (the same tree, labelled 1.0.0.0), then this one
# over it, twice.
makensis -V1 -DARCH="$arch" -DVERSION=1.0.0.0 -DSTAGE="$build/stage" -DSOURCE="$here/../.." \
    -DOUTFILE="$QUENBY_SANDBOX/older-setup.exe" "$here/../../packaging/Quenby.nsi" >/dev/null
wine "$QUENBY_SANDBOX/older-setup.exe" /S
check "an older copy installed" test "$(reg_value "$entry" DisplayVersion)" = 1.0.0.0
schedule logon
wine "$dist/$base-setup.exe" /S
wine "$dist/$base-setup.exe" /S
check "installing over it leaves one entry" test "$(entries_named Quenby)" = 1
check "which shows this version" test "$(reg_value "$entry" DisplayVersion)" = "$version"
check "and the program in place" installed_files
check "and the scheduled clean, which runs the installed program" eval 'scheduled &&
    wine "$program_dir\\QuenbyCmd.exe" schedule show | grep -qF "Command: \"$program_dir\\QuenbyCmd.exe\" clean"'
wine reg add "$run_key" /v Quenby.exe /d "$installed" /f >/dev/null
run_line "$quiet" && wait_until no_program_folder || true
check "uninstall removes an unquoted Run value" test -z "$(reg_value "$run_key" Quenby.exe)"
check "and the scheduled clean" not_scheduled

if [ "$arch" = win64 ]; then
    echo "== $arch MSI"
    wine msiexec /i "$(winepath -w "$dist/$base.msi")" /qn
    check "msiexec /i /qn installs the files" installed_files
    check "under the winget manifest's product code" key_exists "$uninstall_key\\$(sed -n \
        "s/^  ProductCode: '\(.*\)'$/\1/p" "$dist/winget/Marlowick.Quenby.installer.yaml")"
    # Wine's installer service resolves ProgramMenuFolder to the user's Start
    # menu even for a per-machine package (Windows: the common one).
    check "and the Start-menu shortcut" test -f "$shortcut" -o -f "$user_shortcut"
    check "one Add/Remove Programs entry" test "$(entries_named Quenby)" = 1
    check "the program starts" drive "$installed" 'MainWindowTest.IsAVisible*'
    # A later version (the same files under another version and product
    # code) replaces it. Wine's installer runs the earlier version's removal
    # without UPGRADINGPRODUCTCODE, so there its uninstall action removes the
    # scheduled clean, which Windows keeps: only the uninstall is proven here.
    (cd "$here/../../packaging" && wixl -a x64 -D Version=1.0.99.0 -D Console=yes \
        -D ProductCode="$(cat /proc/sys/kernel/random/uuid)" -D Source=.. -o "$QUENBY_SANDBOX/later.msi" \
        -D Stage="$(realpath --relative-to=. "$build/stage")" Quenby.wxs)
    wine msiexec /i "$(winepath -w "$QUENBY_SANDBOX/later.msi")" /qn
    check "an MSI upgrade leaves the program and one entry" eval 'installed_files &&
        test "$(entries_named Quenby)" = 1'
    schedule weekly monday 09:00
    wine msiexec /x "$(winepath -w "$QUENBY_SANDBOX/later.msi")" /qn
    check "msiexec /x /qn removes the scheduled clean" not_scheduled
    check "msiexec /x /qn removes the files" no_program_folder
    check "and the shortcut" test ! -e "$shortcut" -a ! -e "$user_shortcut"
    check "and the entry" test "$(entries_named Quenby)" = 0
fi

# Installers while the installed Quenby runs hidden and a copy runs elsewhere:
# 0, or, when it does not answer, 3010 (the uninstaller run from a copy, _?=).
pending() { wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
    tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' | sed 's/\\$//'; }
left_unscheduled() { find "$(winepath -u "$program_dir")" -exec winepath -w {} + | sed 's/\\$//; s/^/\\??\\/' | grep -vixF -f <(pending); }
while_running() { QUENBY_TEST_INSTALLER=$1 QUENBY_TEST_INSTALLER_ARGS=$2 QUENBY_TEST_HANG=${3:-} drive "$installed" 'EndingTest.AnInstaller*'; }
uninstaller() { cp "$(winepath -u "$program_dir\\Uninstall.exe")" "$QUENBY_SANDBOX/un.exe" && winepath -w "$QUENBY_SANDBOX/un.exe"; }
setup=$(winepath -w "$dist/$base-setup.exe") msi=$(winepath -w "$dist/$base.msi")
echo "== $arch installers while Quenby runs"
if [ "$arch" = win64 ]; then
    wine msiexec /i "$msi" /qn
    check "msiexec /x /qn ends the running copy" while_running 'C:\windows\system32\msiexec.exe' "/x $msi /qn"
    check "and removes the files" no_program_folder
fi
wine "$dist/$base-setup.exe" /S
check "a silent upgrade ends the running copy" while_running "$setup" /S
check "and replaces the files" eval 'installed_files && ! find "$(winepath -u "$program_dir")" -name "*.new" | grep -q .'
check "a silent uninstall ends the running copy" while_running "$(uninstaller)" "/S _?=$program_dir"
check "and removes the files" no_program_folder
wine "$dist/$base-setup.exe" /S
check "an upgrade over a copy that does not end: 3010" while_running "$setup" /S 1
check "and the program is replaced at the restart" eval 'pending | grep -qixF "\\??\\$installed.new"'
check "an uninstall then: 3010" while_running "$(uninstaller)" "/S _?=$program_dir" 1
check "and all that is left waits for the restart" test -z "$(left_unscheduled)"

# signed_by_cert FILE: FILE carries a valid Authenticode signature made with
# the certificate $cert.
signed_by_cert() {
    osslsigncode verify -CAfile "$cert" -in "$1" >"$QUENBY_SANDBOX/verify.log" 2>&1 ||
        { tail -n 5 "$QUENBY_SANDBOX/verify.log"; return 1; }
}
# signed_packages SIGNED_DIST CERT
signed_packages() {
    local signed=$1 cert=$2 zip file uninstall
    echo "== $arch signed packages"
    for zip in "$signed"/*.zip; do unzip -q -o "$zip" -d "$QUENBY_SANDBOX/signed"; done
    for file in "$signed"/*.exe "$signed"/*.msi; do
        check "${file##*/} is signed" signed_by_cert "$file"
    done
    for file in "$QUENBY_SANDBOX"/signed/*/*.exe; do
        check "${file#"$QUENBY_SANDBOX/signed/"} (zip) is signed" signed_by_cert "$file"
    done
    # One byte of the program's code, inverted.
    cp "$QUENBY_SANDBOX/signed/$base/Quenby.exe" "$QUENBY_SANDBOX/changed.exe"
    printf "\\$(printf %03o $((0xff ^ $(od -An -tu1 -j4096 -N1 "$QUENBY_SANDBOX/changed.exe"))))" |
        dd of="$QUENBY_SANDBOX/changed.exe" bs=1 seek=4096 conv=notrunc status=none
    check "a changed byte breaks the signature" \
        eval '! signed_by_cert "$QUENBY_SANDBOX/changed.exe" >/dev/null'

    wine "$signed/$base-setup.exe" /S
    for file in Quenby.exe QuenbyCmd.exe Uninstall.exe; do
        check "the signed setup installs a signed $file" \
            signed_by_cert "$(winepath -u "$program_dir\\$file")"
    done
    check "the signed program starts" drive "$installed" 'MainWindowTest.IsAVisible*'
    uninstall=$(reg_value "$entry" QuietUninstallString)
    check "the signed uninstaller removes it" \
        eval 'run_line "$uninstall" && wait_until no_program_folder'
}
[ $# -eq 3 ] || signed_packages "$4" "$5"

echo "packages: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
