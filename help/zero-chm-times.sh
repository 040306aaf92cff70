#!/usr/bin/env bash
# Makes a help file compiled by chmcmd the same bytes on every compile: the
# compiler stamps the time of day into two places, the file header (offset
# 0x10) and the first record of the #SYSTEM file (code 10). Both are set to
# zero; the help viewer does not use them.
#
#   zero-chm-times.sh CHM_FILE
#
# Set CHMLS to use a chmls other than the one on the PATH.
set -euo pipefail
chm=$1
chmls=${CHMLS:-chmls}
fail() { echo "help: $chm: $*" >&2; exit 1; }
zero_dword_at() { printf '\0\0\0\0' | dd of="$chm" bs=1 seek="$1" conv=notrunc status=none; }

[ "$(head -c 4 "$chm")" = ITSF ] || fail "not a compiled help file"
zero_dword_at 16
# #SYSTEM lies uncompressed in content section 0, whose start the header
# gives at 0x58; the listing gives the file's offset inside that section.
section0=$(od -An -tu8 -j88 -N8 "$chm" | tr -d ' ')
system=$("$chmls" -p list "$chm" 2>/dev/null | awk '$1 == 0 && $4 == "/#SYSTEM" { print $2 }')
[ -n "$system" ] || fail "no #SYSTEM file"
# The file starts with its version (a DWORD), then the record: code, length, time.
record=$((section0 + system + 4))
[ "$(od -An -tu2 -j"$record" -N4 "$chm" | tr -s ' ')" = " 10 4" ] ||
    fail "#SYSTEM does not start with its time record"
zero_dword_at $((record + 4))
