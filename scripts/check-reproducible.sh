#!/usr/bin/env bash
# Proves that the packages in dist/ come from this source and nothing else: a
# copy of the source in another folder (another path, another time) builds
# what ships in build folders of its own and packages it again. Every
# artefact, SHA256SUMS, the winget and Scoop manifests and every staged file
# of each build must be the same bytes; a difference is named with its file and first differing offset, and
# fails the check.
#
#   scripts/check-reproducible.sh [win64|win32|all]    (default: all)
#
# Run it after scripts/package.sh, with the same signing settings: none, or
# the same key without a time stamp. QUENBY_DIST as for scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

which=${1:-all}
if [ "$which" = all ]; then arches=$QUENBY_ARCHES; else check_arch "$which"; arches=$which; fi
dist=$(realpath -m "${QUENBY_DIST:-dist}")
[ -f "$dist/SHA256SUMS" ] || die "no $dist/SHA256SUMS: run scripts/package.sh first"
export_source_date_epoch

work=$(mktemp -d "${TMPDIR:-/tmp}/quenby-repro.XXXXXX")
trap 'rm -rf --one-file-system "$work"' EXIT
copy=$work/second/copy-of-the-source
mkdir -p "$copy"
# What git knows of, as it stands in the working tree (ignored files stay out).
git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$copy" ||
    die "copying the source failed (this needs a git checkout)"

echo "== packaging again in $copy"
(cd "$copy" && QUENBY_DIST=dist bash scripts/package.sh "$which") >"$work/package.log" 2>&1 ||
    { tail -n 30 "$work/package.log"; die "packaging the copy failed"; }

differences=0 same=0
# same_bytes NAME FIRST SECOND
same_bytes() {
    local answer offset
    if answer=$(cmp -- "$2" "$3" 2>&1); then
        same=$((same + 1))
        return
    fi
    case $answer in
    *"differ: byte "*) offset=${answer#*differ: byte }; offset=$((${offset%%,*} - 1)) ;;
    *"EOF on "*) offset=${answer##*after byte }; offset=${offset%%,*} ;; # one ends there
    *) offset="?" ;;
    esac
    printf '  DIFFERS %s: first at offset %s%s\n' "$1" "$offset" \
        "$([ "$offset" = "?" ] && echo " ($answer)" || printf ' (0x%x)' "$offset")"
    differences=$((differences + 1))
}

while read -r _ name; do
    same_bytes "$name" "$dist/$name" "$copy/dist/$name"
done <"$copy/dist/SHA256SUMS"
same_bytes SHA256SUMS "$dist/SHA256SUMS" "$copy/dist/SHA256SUMS"
while read -r manifest; do
    same_bytes "$manifest" "$dist/$manifest" "$copy/dist/$manifest"
done < <(cd "$copy/dist" && find winget scoop -type f | LC_ALL=C sort)
for arch in $arches; do
    stage=$(build_dir_of "$arch")/stage
    while read -r file; do
        same_bytes "$stage/$file" "$stage/$file" "$copy/$stage/$file"
    done < <(cd "$copy/$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)
done

[ "$differences" -eq 0 ] ||
    die "not reproducible: $differences of $((same + differences)) files differ"
echo "reproducible: $same files (packages, SHA256SUMS, manifests, staged programs) are the same bytes"
