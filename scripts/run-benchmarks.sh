#!/usr/bin/env bash
# Builds the benchmarks and runs them in a throw-away Wine sandbox, then prints
# the medians and the ratios against the reference tools:
#
#   scripts/run-benchmarks.sh [--rounds N]
#
#   folder walk   Cleaner::DeleteFolderContents on a seeded tree (10,000 files
#                 in 110 folders, 10 index files, a desktop.ini), against a
#                 plain Win32 walk, Wine's `cmd /c rmdir /s /q` and `rm -rf`;
#                 and the preview of that walk, which must leave the tree as
#                 it was, against the walk itself
#   index wipe    Cleaner::WipeIndexFile on 16 files of 4 MiB, against
#                 `dd conv=notrunc` writing the same zeros to the same bytes
#   start-up      Quenby until its window is up and idle, and until it has
#                 ended after IDCANCEL, against a minimal dialog program
#   history       QuenbyCmd clean chrome-history on a History of 100,000
#                 visits of 20,000 addresses, against the sqlite3 shell running
#                 the same statements on a copy of the same file, natively and
#                 (built for Windows from the same source) under Wine
#
# Every contender gets its own copy of the same seeded tree, made just before
# its run; the contenders take turns within each round (the order rotates),
# so that drift in the machine's load reaches all of them alike. N rounds of
# the walk (default 3: Wine's rmdir needs about 20 s a round), and 5 of the
# wipe and of the start-up, plus one warm-up round of the start-up. It measures
# the 64-bit build in build/win64; QUENBY_ARCH=win32 measures the 32-bit one.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
. scripts/lib.sh

walk_rounds=3
if [ "${1:-}" = --rounds ]; then
    walk_rounds=${2:-}
    shift 2 || true
    [[ "$walk_rounds" =~ ^[1-9][0-9]*$ ]] || { echo "--rounds wants a count" >&2; exit 2; }
fi

if [ "${1:-}" != --inside ]; then
    [ $# -eq 0 ] || { echo "usage: $0 [--rounds N]" >&2; exit 2; }
    arch=${QUENBY_ARCH:-win64}
    check_arch "$arch"
    scripts/install-deps.sh
    scripts/build.sh "$arch" --target Quenby QuenbyCmd quenby_bench bench_minimal_dialog \
        bench_startup bench_sqlite_shell >/dev/null
    exec scripts/sandbox.sh --arch "$arch" --display -- \
        bash "$self" --rounds "$walk_rounds" --inside "$(build_dir_of "$arch")"
fi

# ---- inside the sandbox ---------------------------------------------------
build=$(realpath "$2")
if [ -z "${QUENBY_SANDBOX:-}" ] || [ ! -d "$QUENBY_SANDBOX" ]; then
    echo "run-benchmarks: refusing to run outside scripts/sandbox.sh" >&2
    exit 2
fi

readonly wipe_rounds=5 startup_rounds=5 history_rounds=5
readonly history_urls=20000 history_visits=100000 history_bookmarks=100
readonly groups=10 folders_per_group=10 files_per_folder=100 file_size=512
readonly walk_index_size=65536
readonly wipe_files=16 wipe_size=$((4 * 1024 * 1024 + 1234))
# The cleaner keeps an index file's first 64 bytes and zeros the rest in
# blocks of 10000 bytes; dd writes the same blocks.
readonly kept_header=64 zero_block=10000
readonly main_title="Marlowick Quenby - Privacy cleaner"
readonly minimal_title="Bench minimal dialog"

bench_exe="$build/tests/quenby_bench.exe"
work=$QUENBY_SANDBOX/bench
results=$work/results.txt
mkdir -p "$work"
: >"$results"

now_us() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }
# record NAME MILLISECONDS
record() { echo "$1 $2" >>"$results"; }
elapsed_ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1000 }'; }
fail() { die "$*"; }
seconds_since() { awk -v a="$1" -v b="$(now_us)" 'BEGIN { printf "%.0f", (b - a) / 1000000 }'; }
section() { echo "$1 (at $(seconds_since "$started") s)"; }

# Without RpcSs every call that needs it waits for the service to start
# (Quenby's browser pane does, at start-up). A prefix whose first boot left two
# service managers running never starts it, and its waits (3 to 13 s at each
# start of Quenby) would swamp the numbers: the prefix's own wineserver is
# then restarted, by our WINEPREFIX only, which leaves one service manager.
rpcss_starts() {
    local start
    start=$(now_us)
    wine sc start rpcss >/dev/null 2>&1 || true
    wine sc query rpcss 2>/dev/null | grep -q RUNNING &&
        [ "$(($(now_us) - start))" -lt 2000000 ]
}

ensure_rpcss() {
    rpcss_starts && return
    echo "RpcSs does not start in this prefix; restarting its wineserver"
    wineserver -k || true
    wineserver -w || true
    wineserver -p
    rpcss_starts || fail "RpcSs still does not start"
}

# The walk's tree: groups of folders of small files, an index file in each
# group, one desktop.ini at the top (as the shell keeps in the folders that
# a clean run empties).
seed_walk_tree() {
    local root=$1 payload g d f
    payload=$(head -c "$file_size" /dev/zero | tr '\0' x)
    mkdir -p "$root"
    for ((g = 0; g < groups; g++)); do
        for ((d = 0; d < folders_per_group; d++)); do
            mkdir -p "$root/group$g/folder$d"
            for ((f = 0; f < files_per_folder; f++)); do
                printf '%s' "$payload" >"$root/group$g/folder$d/entry$f.lnk"
            done
        done
        head -c "$walk_index_size" /dev/urandom >"$root/group$g/index.dat"
    done
    printf '[.ShellClassInfo]\r\n' >"$root/desktop.ini"
}

seed_wipe_set() {
    local root=$1 i
    mkdir -p "$root"
    head -c "$wipe_size" /dev/urandom >"$root/sample"
    for ((i = 0; i < wipe_files; i++)); do
        mkdir -p "$root/cache$i"
        cp "$root/sample" "$root/cache$i/index.dat"
    done
    rm "$root/sample"
}

# fresh_copy TEMPLATE TARGET: a new copy, written out before the clock starts.
fresh_copy() {
    rm -rf --one-file-system "$2"
    cp -a "$1" "$2"
    sync
}

# ---- folder walk ----------------------------------------------------------
# Names, sizes, modes and times of everything below a folder, as one digest.
tree_state() {
    [ -d "$1" ] || return 0
    (cd "$1" && find . -printf '%p %s %m %T@\n' | sort | md5sum)
}

walk_contender() {
    local name=$1 tree=$work/walk start end inner left
    fresh_copy "$work/walk-template" "$tree"
    local win
    win=$(winepath -w "$tree")
    start=$(now_us)
    local state
    state=$(tree_state "$tree")
    case $name in
    ours) inner=$(wine "$bench_exe" walk "$win") ;;
    preview) inner=$(wine "$bench_exe" preview "$win") ;;
    plain) inner=$(wine "$bench_exe" plain "$win") ;;
    cmd) wine cmd /c rmdir /s /q "$win" || true ;;
    rm) rm -rf "$tree" ;;
    esac
    end=$(now_us)
    record "walk.$name" "$(elapsed_ms "$start" "$end")"
    [ -z "${inner:-}" ] || record "walk.$name.inner" "$(tr -d '\r' <<<"$inner")"
    # What each must leave: the clean run keeps the top desktop.ini.
    left=""
    if [ -d "$tree" ]; then
        left=$(find "$tree" -mindepth 1 | sed "s|^$tree/||" | tr '\n' ' ')
    fi
    case $name in
    ours) [ "$left" = "desktop.ini " ] || fail "walk.ours left: ${left:0:200}" ;;
    preview) [ "$(tree_state "$tree")" = "$state" ] || fail "walk.preview changed the tree" ;;
    *) [ -z "$left" ] || fail "walk.$name left: ${left:0:200}" ;;
    esac
}

# ---- index-file wipe --------------------------------------------------------
dd_wipe() {
    local file
    for file in "$1"/*/index.dat; do
        dd if=/dev/zero of="$file" bs="$zero_block" seek="$kept_header" \
            count="$((wipe_size - kept_header))" oflag=seek_bytes iflag=count_bytes \
            conv=notrunc status=none
    done
}

wipe_contender() {
    local name=$1 set=$work/wipe start end inner="" digest
    fresh_copy "$work/wipe-template" "$set"
    start=$(now_us)
    case $name in
    ours) inner=$(wine "$bench_exe" wipe "$(winepath -w "$set")") ;;
    dd) dd_wipe "$set" ;;
    esac
    end=$(now_us)
    record "wipe.$name" "$(elapsed_ms "$start" "$end")"
    [ -z "$inner" ] || record "wipe.$name.inner" "$(tr -d '\r' <<<"$inner")"
    # Both must change the files, and leave the very same bytes.
    digest=$(cat "$set"/*/index.dat | md5sum | cut -d' ' -f1)
    [ "$digest" != "$template_digest" ] || fail "wipe.$name left the files as they were"
    if [ -z "${wipe_digest:-}" ]; then
        wipe_digest=$digest
    elif [ "$digest" != "$wipe_digest" ]; then
        fail "wipe.$name left other bytes than the first wipe"
    fi
}

# ---- start-up -------------------------------------------------------------
run_startup() {
    local out=$work/startup.txt
    wine explorer /desktop=bench,1024x768 "$(winepath -w "$build/tests/bench_startup.exe")" \
        "$(winepath -w "$out")" "$startup_rounds" \
        quenby "$(winepath -w "$build/Quenby.exe")" "$main_title" \
        minimal "$(winepath -w "$build/tests/bench_minimal_dialog.exe")" "$minimal_title" \
        >/dev/null 2>&1 || true
    [ -s "$out" ] || fail "the start-up timer left no results"
    ! grep -q failed "$out" || fail "a start-up run failed: $(grep failed "$out" | head -1)"
    # LABEL ROUND READY SHOWN IDLE CLOSE; round 0 is the warm-up.
    awk '$2 > 0 { print "start." $1 ".ready", $3; print "start." $1 ".shown", $4;
                  print "start." $1 ".close", $6 }' "$out" | tr -d '\r' >>"$results"
}

# ---- browser history --------------------------------------------------------
# A Chrome profile's History as the browser writes it, made by the sqlite3
# shell: addresses, their visits, and a bookmark for every 200th address.
seed_history() {
    local folder=$1 bookmarks="" i
    mkdir -p "$folder"
    sqlite3 "$folder/History" <<SQL
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);
CREATE INDEX urls_url_index ON urls (url);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,visit_duration INTEGER DEFAULT 0 NOT NULL);
CREATE INDEX visits_url_index ON visits (url);
CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL,url_id INTEGER NOT NULL,term LONGVARCHAR NOT NULL,normalized_term LONGVARCHAR NOT NULL);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $history_urls)
INSERT INTO urls SELECT i, 'https://site' || (i % 977) || '.example/page/' || i, 'Page ' || i, 5, 0, i, 0 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $history_visits)
INSERT INTO visits SELECT i, 1 + i % $history_urls, i, 0, 805306368, 0, 1000 FROM n;
INSERT INTO keyword_search_terms SELECT 2, id, 'term ' || id, 'term ' || id FROM urls WHERE id % 10 = 0;
SQL
    for ((i = 200; i <= history_bookmarks * 200; i += 200)); do
        bookmarks+="${bookmarks:+,}{\"type\": \"url\", \"name\": \"b\", \"url\": \"https://site$((i % 977)).example/page/$i\"}"
    done
    printf '{"roots": {"bookmark_bar": {"type": "folder", "children": [%s]}}}' "$bookmarks" \
        >"$folder/Bookmarks"
}

# The statements QuenbyCmd makes for that History, for the shell.
history_statements() {
    echo "PRAGMA secure_delete = ON; PRAGMA journal_mode = DELETE; BEGIN IMMEDIATE;"
    echo "CREATE TEMP TABLE bookmarked (value TEXT PRIMARY KEY);"
    sed -n 's/.*"url": "\([^"]*\)".*/\1/p' <(tr '{' '\n' <"$1/Bookmarks") |
        awk '{ printf "INSERT OR IGNORE INTO temp.bookmarked VALUES (\x27%s\x27);\n", $0 }'
    echo "DELETE FROM visits WHERE 1; DELETE FROM keyword_search_terms WHERE 1;"
    echo "DELETE FROM urls WHERE url NOT IN (SELECT value FROM temp.bookmarked);"
    echo "COMMIT; VACUUM;"
}

history_contender() {
    local name=$1 start end left
    fresh_copy "$work/history-template" "$history_profile"
    start=$(now_us)
    case $name in
    ours) wine "$build/QuenbyCmd.exe" clean chrome-history --yes --quiet >/dev/null ||
        fail "QuenbyCmd clean chrome-history failed" ;;
    shell) sqlite3 "$history_profile/History" <"$work/history.sql" >/dev/null ;;
    wineshell) wine "$build/tests/bench_sqlite_shell.exe" "$(winepath -w "$history_profile/History")" \
        <"$work/history.sql" >/dev/null ;;
    esac
    end=$(now_us)
    record "history.$name" "$(elapsed_ms "$start" "$end")"
    left=$(sqlite3 "$history_profile/History" \
        "SELECT count(*) FROM urls; SELECT count(*) FROM visits; PRAGMA integrity_check" |
        tr '\n' ' ')
    [ "$left" = "$history_bookmarks 0 ok " ] || fail "history.$name left: $left"
}

# rotate LIST... by ROUND: the contenders' order in that round.
rotate() {
    local round=$1
    shift
    local list=("$@") n=$# i
    for ((i = 0; i < n; i++)); do echo "${list[$(((i + round) % n))]}"; done
}

started=$(now_us)
ensure_rpcss
echo "seeding the trees"
seed_walk_tree "$work/walk-template"
seed_wipe_set "$work/wipe-template"
template_digest=$(cat "$work/wipe-template"/*/index.dat | md5sum | cut -d' ' -f1)

# The cost of an empty run of each kind of process, for reading the walls.
for round in 0 1 2; do
    for name in bench cmd; do
        start=$(now_us)
        if [ $name = bench ]; then wine "$bench_exe" none; else wine cmd /c rem; fi
        end=$(now_us)
        [ "$round" = 0 ] || record "empty.$name" "$(elapsed_ms "$start" "$end")"
    done
done

for ((round = 0; round < walk_rounds; round++)); do
    section "folder walk, round $((round + 1)) of $walk_rounds"
    for name in $(rotate "$round" ours preview plain cmd rm); do walk_contender "$name"; done
done
for ((round = 0; round < wipe_rounds; round++)); do
    section "index wipe, round $((round + 1)) of $wipe_rounds"
    for name in $(rotate "$round" ours dd); do wipe_contender "$name"; done
done
section "start-up, $startup_rounds rounds and a warm-up"
run_startup
history_profile="$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")"
history_profile="${history_profile%/}/Google/Chrome/User Data/Default"
mkdir -p "${history_profile%/*}"
seed_history "$work/history-template"
history_statements "$work/history-template" >"$work/history.sql"
for ((round = 0; round < history_rounds; round++)); do
    section "browser history, round $((round + 1)) of $history_rounds"
    for name in $(rotate "$round" ours shell wineshell); do history_contender "$name"; done
done
finished=$(now_us)

# ---- report ---------------------------------------------------------------
values() { awk -v key="$1" '$1 == key { print $2 }' "$results" | sort -g; }
median() {
    values "$1" | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1;
        if (NR % 2) printf "%.1f", v[(NR + 1) / 2];
        else printf "%.1f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
spread() { values "$1" | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.0f-%.0f", lo, hi }'; }
ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.2f", a / b }'; }
# row TEXT KEY [RATIO TEXT]
row() { printf '| %-44s | %9s | %13s | %s |\n' "$1" "$(median "$2")" "$(spread "$2")" "${3:-}"; }

files=$((groups * folders_per_group * files_per_folder))
echo
echo "Medians and ranges in milliseconds; rounds: walk $walk_rounds, wipe $wipe_rounds, start-up"
echo "$startup_rounds. Wall: the whole command as the shell sees it, Wine's process start"
echo "included; in-process: the cleaner calls alone."
echo
printf '| %-44s | %9s | %13s | %s |\n' "What" "Median" "Range" "Ratio"
printf '| %-44s | %9s | %13s | %s |\n' "---" "---:" "---:" "---"
row "Folder walk, $files files: ours, wall" walk.ours
row "ours, in-process" walk.ours.inner
row "Preview of that walk (changes nothing), wall" walk.preview \
    "preview/ours $(ratio walk.preview walk.ours)"
row "preview, in-process" walk.preview.inner \
    "preview/ours $(ratio walk.preview.inner walk.ours.inner)"
row "plain Win32 walk (no checks), wall" walk.plain \
    "ours/plain $(ratio walk.ours walk.plain) (in-process $(ratio walk.ours.inner walk.plain.inner))"
row "plain Win32 walk, in-process" walk.plain.inner
row "wine cmd /c rmdir /s /q, wall" walk.cmd "ours/cmd $(ratio walk.ours walk.cmd)"
row "rm -rf, wall" walk.rm "ours/rm $(ratio walk.ours walk.rm)"
row "Index wipe, $wipe_files files of 4 MiB: ours, wall" wipe.ours
row "ours, in-process" wipe.ours.inner
row "dd conv=notrunc, one run per file, wall" wipe.dd \
    "ours/dd $(ratio wipe.ours wipe.dd) (in-process $(ratio wipe.ours.inner wipe.dd))"
row "Start-up until shown and idle: Quenby" start.quenby.ready
row "minimal dialog program" start.minimal.ready \
    "Quenby/minimal $(ratio start.quenby.ready start.minimal.ready)"
row "Exit after IDCANCEL: Quenby" start.quenby.close
row "minimal dialog program" start.minimal.close \
    "Quenby/minimal $(ratio start.quenby.close start.minimal.close)"
row "chrome-history, $history_visits visits: QuenbyCmd, wall" history.ours
row "sqlite3 shell, same statements, wall" history.shell \
    "ours/shell $(ratio history.ours history.shell)"
row "sqlite3 shell for Windows, under Wine, wall" history.wineshell \
    "ours/Wine's shell $(ratio history.ours history.wineshell)"
row "Empty run: wine quenby_bench none" empty.bench
row "Empty run: wine cmd /c rem" empty.cmd
echo
echo "Measured on the $QUENBY_ARCH build in $(awk -v a="$started" -v b="$finished" \
    'BEGIN { printf "%.0f", (b - a) / 1000000 }') s inside the sandbox, on $(nproc) cores."
