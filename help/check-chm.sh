#!/usr/bin/env bash
# Checks a compiled help file against its project:
#   - every file listed under [FILES] of the project is inside the .chm,
#     and so are the default topic, the contents file and the index file;
#   - every topic (every .htm/.html file of [FILES]) is named in both the
#     contents and the index stored inside the .chm;
#   - every relative href or src in every topic, and every entry of the
#     contents and the index, leads to a file inside the .chm and, when it
#     names an anchor, to an anchor that the file defines.
#
#   check-chm.sh CHM_FILE [PROJECT_FILE]
#
# PROJECT_FILE defaults to Quenby.hhp beside this script. Set CHMLS to use a
# chmls other than the one on the PATH. Prints one line; exits 1 on the first
# fault found, 0 when there is none.
set -euo pipefail

fail() {
    echo "help: $*" >&2
    exit 1
}

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    fail "usage: check-chm.sh CHM_FILE [PROJECT_FILE]"
fi
chm=$1
hhp=${2:-$(dirname -- "$0")/Quenby.hhp}
chmls=${CHMLS:-chmls}
[ -f "$chm" ] || fail "$chm: no such file"
[ -f "$hhp" ] || fail "$hhp: no such project file"
command -v "$chmls" >/dev/null || fail "chmls not found (Debian package fp-utils)"

tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT
root=$tmp/chm
mkdir "$root"
# chmls answers 0 even for a file that is no help file at all; such a file
# simply yields no topics, which the checks below report.
"$chmls" extractall "$chm" "$root" >/dev/null 2>&1 || fail "$chm: chmls cannot read it"

# Project files may use CRLF line ends and backslashes in paths.
project=$tmp/project
tr -d '\r' <"$hhp" | tr '\\' '/' >"$project"

# The value of one [OPTIONS] setting, e.g. "Contents file".
option() {
    sed -n "/^\[OPTIONS\]/I,/^\[/{ s/^$1[[:space:]]*=[[:space:]]*//Ip }" "$project" | head -n 1
}

# The lines of [FILES], without comments and blank lines.
mapfile -t files < <(sed -n '/^\[FILES\]/I,/^\[/{ /^\[/d; /^[[:space:]]*;/d; /^[[:space:]]*$/d; s/[[:space:]]*$//; p }' "$project")
topics=()
for file in "${files[@]}"; do
    [ -f "$root/$file" ] || fail "$file is listed in $(basename -- "$hhp") but not inside $chm"
    case ${file,,} in *.htm | *.html) topics+=("$file") ;; esac
done
[ ${#topics[@]} -gt 0 ] || fail "$(basename -- "$hhp") lists no topics"

for setting in "Default topic" "Contents file" "Index file"; do
    name=$(option "$setting")
    [ -n "$name" ] || fail "$(basename -- "$hhp") sets no \"$setting\""
    [ -f "$root/$name" ] || fail "$setting $name is not inside $chm"
done
declare -A sitemap_file=([contents]=$(option "Contents file") [index]=$(option "Index file"))

# The files that the entries of a sitemap (contents or index) point to,
# with their anchors, one a line.
sitemap_targets() {
    grep -oiE '<param[[:space:]]+name="Local"[[:space:]]+value="[^"]*"' "$root/$1" |
        sed -E 's/.*value="([^"]*)"/\1/' | tr '\\' '/' || true
}
for sitemap in contents index; do
    sitemap_targets "${sitemap_file[$sitemap]}" >"$tmp/$sitemap"
    for topic in "${topics[@]}"; do
        sed 's/#.*//' "$tmp/$sitemap" | grep -qxF -- "$topic" ||
            fail "topic $topic is missing from the $sitemap (${sitemap_file[$sitemap]})"
    done
done

# Checks that `link`, found in `from` (a path inside the .chm), leads to a
# file inside the .chm and to the anchor it names.
check_link() {
    local from=$1 link=$2 path anchor target
    path=${link%%#*}
    anchor=
    [[ $link == *"#"* ]] && anchor=${link#*#}
    if [ -z "$path" ]; then
        target=$root/$from
    else
        target=$(realpath -m -- "$(dirname -- "$root/$from")/$path")
        [[ $target == "$root"/* ]] || fail "$from: link $link leads outside the help file"
    fi
    [ -f "$target" ] || fail "$from: link $link leads to no file inside $chm"
    if [ -n "$anchor" ]; then
        grep -qF -e "name=\"$anchor\"" -e "id=\"$anchor\"" -- "$target" ||
            fail "$from: link $link names an anchor that ${target#"$root"/} does not define"
    fi
}

# A link with a scheme (http:, mailto:, ms-its: ...) is not relative.
is_relative() { [[ ! $1 =~ ^[A-Za-z][A-Za-z0-9+.-]*: ]]; }

for sitemap in contents index; do
    while IFS= read -r link; do
        check_link "${sitemap_file[$sitemap]}" "$link"
    done <"$tmp/$sitemap"
done

for topic in "${topics[@]}"; do
    while IFS= read -r link; do
        if is_relative "$link"; then
            check_link "$topic" "$link"
        fi
    done < <(grep -oiE '(href|src)="[^"]*"' -- "$root/$topic" | sed -E 's/^[^"]*"([^"]*)"$/\1/' || true)
done

echo "help: ${#topics[@]} topics, contents and index complete, no broken links"
