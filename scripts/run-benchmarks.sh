#!/usr/bin/env bash
# Builds the benchmarks and runs them in a throw-away Wine sandbox, then prints
# the medians and the ratios against the reference tools:
#
#   scripts/run-benchmarks.sh [--rounds N] [--only definitions|startup]
#
#   folder walk   Cleaner::DeleteFolderContents on a seeded tree (10,000 files
#                 in 110 folders, 10 index files, a desktop.ini), against a
#                 plain Win32 walk, Wine's `cmd /c rmdir /s /q` and `rm -rf`;
#                 and the preview of that walk, which must leave the tree as
#                 it was, against the walk itself. Besides the times: the CPU
#                 time of each (the program's and the Wine server's), and the
#                 calls per file that the walks make to the platform and the
#                 requests per file that reach the Wine server
#   index wipe    Cleaner::WipeIndexFile on 16 files of 4 MiB, against
#                 `dd conv=notrunc` writing the same zeros to the same bytes
#   start-up      Quenby until its window is up and idle, and until it has
#                 ended after IDCANCEL, against a minimal dialog program; and
#                 the same program with its steps marked, for the time of each
#                 step of start-up and exit
#   history       QuenbyCmd clean chrome-history on a History of 100,000
#                 visits of 20,000 addresses, against the sqlite3 shell running
#                 the same statements on a copy of the same file, natively and
#                 (built for Windows from the same source) under Wine
#   chooser       opening "More traces..." (every program looked for) against
#                 opening "Options..." in the same Quenby, and a preview of
#                 chrome-cache (the walk's tree as a cache) and chrome-history
#                 (that History): its time, and the longest the window's
#                 thread took to answer a message meanwhile, against the
#                 longest an idle dialog program took in the same turns
#   definitions   the community's cleaning definitions (winapp2.ini, which is
#                 not in the repository: QUENBY_WINAPP2=/path/winapp2.ini
#                 names it; without it this part says so and does not run).
#                 200 of its entries seeded as found (seed 42), then, in
#                 turns: bench_definitions reading the file and detecting
#                 every entry, against one ReadFile and MultiByteToWideChar
#                 of the same file; what opening the chooser asks of the
#                 catalogue with the file and without it; and "More
#                 traces..." opened in Quenby with the file in
#                 %APPDATA%\Quenby and without it, 3 starts of Quenby each
#                 (the first opening of a start, which reads the file, on
#                 its own row). --only definitions runs this part alone
#   --only startup  the start-up part alone; with QUENBY_WINAPP2 also once
#                 more with that file in %APPDATA%\Quenby, which Quenby starts
#                 reading on a worker thread: the window's first paint must
#                 not wait for it, against the same start-up without the file
#
# Every contender gets its own copy of the same seeded tree, made just before
# its run; the contenders take turns within each round (the order rotates),
# so that drift in the machine's load reaches all of them alike, and each
# ratio is the median of the ratios of the rounds. N rounds of the walk
# (default 5: Wine's rmdir needs about 20 s a round), 5 of the wipe and of the
# history, 11 of the start-up, plus one warm-up round of the start-up. It measures the 64-bit
# build in build/win64; QUENBY_ARCH=win32 measures the 32-bit one.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
. scripts/lib.sh

walk_rounds=5
if [ "${1:-}" = --rounds ]; then
    walk_rounds=${2:-}
    shift 2 || true
    [[ "$walk_rounds" =~ ^[1-9][0-9]*$ ]] || { echo "--rounds wants a count" >&2; exit 2; }
fi
only=all
if [ "${1:-}" = --only ]; then
    only=${2:-}
    shift 2 || true
    case $only in
    all | definitions | startup) ;;
    *) echo "--only knows: definitions, startup" >&2; exit 2 ;;
    esac
fi
winapp2=${QUENBY_WINAPP2:-}
[ -z "$winapp2" ] || winapp2=$(realpath "$winapp2")

if [ "${1:-}" != --inside ]; then
    [ $# -eq 0 ] || { echo "usage: $0 [--rounds N] [--only definitions|startup]" >&2; exit 2; }
    arch=${QUENBY_ARCH:-win64}
    check_arch "$arch"
    scripts/install-deps.sh
    scripts/build.sh "$arch" --target Quenby QuenbyCmd quenby_bench bench_minimal_dialog \
        bench_startup bench_quenby_steps bench_sqlite_shell bench_chooser \
        bench_definitions >/dev/null
    QUENBY_WINAPP2=$winapp2 exec scripts/sandbox.sh --arch "$arch" --display -- \
        bash "$self" --rounds "$walk_rounds" --only "$only" --inside \
        "$(build_dir_of "$arch")"
fi

# ---- inside the sandbox ---------------------------------------------------
build=$(realpath "$2")
if [ -z "${QUENBY_SANDBOX:-}" ] || [ ! -d "$QUENBY_SANDBOX" ]; then
    echo "run-benchmarks: refusing to run outside scripts/sandbox.sh" >&2
    exit 2
fi

readonly wipe_rounds=5 startup_rounds=11 history_rounds=5 chooser_rounds=11 preview_rounds=3
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
# record NAME MILLISECONDS: a figure of the current round ($round)
record() { echo "$1 $round $2" >>"$results"; }
elapsed_ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1000 }'; }
fail() { die "$*"; }
seconds_since() { awk -v a="$1" -v b="$(now_us)" 'BEGIN { printf "%.0f", (b - a) / 1000000 }'; }
section() { echo "$1 (at $(seconds_since "$started") s)"; }
# How busy the machine is: the load averages, and the share of time in which
# runnable tasks waited for a processor (the kernel's pressure figure).
machine_load() {
    local pressure=""
    [ -r /proc/pressure/cpu ] &&
        pressure=", CPU waited for $(awk '/^some/ { sub("avg60=", "", $3); print $3 }' \
            /proc/pressure/cpu)% of the last minute"
    echo "load average $(cut -d' ' -f1-3 /proc/loadavg)$pressure"
}

# The Wine server of this sandbox (it serves every Wine process of the run)
# runs in a folder named after the prefix's device and inode.
server_pid() {
    local dir pid
    dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for pid in $(pgrep wineserver || true); do
        case $(readlink "/proc/$pid/cwd" 2>/dev/null) in */"$dir") echo "$pid" && return ;; esac
    done
}
server_ticks() { [ -z "$server" ] && echo 0 || awk '{ print $14 + $15 }' "/proc/$server/stat"; }
# timed COMMAND...: runs it with its output in $work/out.txt; sets wall_ms, and
# cpu_ms to the CPU time of the command and of the Wine server meanwhile.
timed() {
    local before after times start end
    before=$(server_ticks)
    start=$(now_us)
    times=$( { TIMEFORMAT='%3U %3S'; time "$@" >"$work/out.txt" 2>/dev/null; } 2>&1) || true
    end=$(now_us)
    after=$(server_ticks)
    wall_ms=$(elapsed_ms "$start" "$end")
    cpu_ms=$(awk -v t="$times" -v a="$before" -v b="$after" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { split(t, s, " "); printf "%.0f", (s[1] + s[2]) * 1000 + (b - a) * 1000 / hz }')
}

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
    local name=$1 tree=$work/walk inner left win state
    fresh_copy "$work/walk-template" "$tree"
    win=$(winepath -w "$tree")
    state=$(tree_state "$tree")
    case $name in
    ours) timed wine "$bench_exe" walk "$win" ;;
    preview) timed wine "$bench_exe" preview "$win" ;;
    plain) timed wine "$bench_exe" plain "$win" ;;
    cmd) timed wine cmd /c rmdir /s /q "$win" ;;
    rm) timed rm -rf "$tree" ;;
    esac
    record "walk.$name" "$wall_ms"
    record "walk.$name.cpu" "$cpu_ms"
    inner=$(head -1 "$work/out.txt" | tr -d '\r')
    case $name in ours | preview | plain) record "walk.$name.inner" "$inner" ;; esac
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

# ---- calls and server requests per file -------------------------------------
# count_calls NAME MODE: the platform calls of one walk, counted inside it.
count_calls() {
    local tree=$work/walk
    fresh_copy "$work/walk-template" "$tree"
    wine "$bench_exe" count "$2" "$(winepath -w "$tree")" | tr -d '\r' | tail -n +2 |
        sort -k2,2nr >"$work/calls.$1"
}

# count_requests NAME MODE: the requests that one walk makes of the Wine
# server, from the server's own trace. The walk's process is the one whose
# thread names the tree first; its threads are that one and those it starts.
count_requests() {
    local tree=$work/walk trace=$work/trace.txt win
    fresh_copy "$work/walk-template" "$tree"
    win=$(winepath -w "$tree")
    wineserver -k || true
    wineserver -w || true
    wineserver -f -p -d1 2>"$trace" &
    local tracer=$! tries=0
    # A client that came first would start a server of its own, untraced.
    until [ -S "$(readlink "/proc/$tracer/cwd" 2>/dev/null)/socket" ]; do
        ((++tries < 100)) || fail "the tracing Wine server did not start"
        sleep 0.1
    done
    wine "$bench_exe" "$2" "$win" >/dev/null
    wineserver -k || true
    wait "$tracer" || true
    # From the first request that names the tree to the last that names it or
    # one of its entries (opens below a folder name only the entry).
    awk -v tree="$tree" '
        NR == FNR {
            if (!main && index($0, tree)) { main = $1; mine[$1] = 1; first = FNR }
            if (main && ($1 in mine) && $2 ~ /^new_thread\(\)/ && match($0, /tid=[0-9a-f]+/))
                mine[substr($0, RSTART + 4, RLENGTH - 4) ":"] = 1
            named = index($0, tree) || $0 ~ /(\.lnk|\.dat|\.ini|group[0-9]+|folder[0-9]+)"/
            if (main && ($1 in mine) && named)
                last = FNR
            next
        }
        FNR >= first && FNR <= last && ($1 in mine) && $2 ~ /^[a-z_]+\($/ {
            count[substr($2, 1, length($2) - 1)]++
        }
        END { for (name in count) print name, count[name] }' "$trace" "$trace" |
        sort -k2,2nr >"$work/requests.$1"
    rm -f "$trace"
    wineserver -p
    ensure_rpcss
}

# ---- start-up -------------------------------------------------------------
run_startup() {
    local out=$work/startup.txt steps=$work/steps
    # The marked program under the shipped one's name, so that it has the
    # same application name and settings.
    mkdir -p "$steps"
    cp "$build/tests/bench_quenby_steps.exe" "$steps/Quenby.exe"
    # The timer keeps the marks in a file of its current folder.
    cd "$work"
    wine explorer /desktop=bench,1024x768 "$(winepath -w "$build/tests/bench_startup.exe")" \
        "$(winepath -w "$out")" "$startup_rounds" \
        quenby "$(winepath -w "$build/Quenby.exe")" "$main_title" \
        minimal "$(winepath -w "$build/tests/bench_minimal_dialog.exe")" "$minimal_title" \
        steps "$(winepath -w "$steps/Quenby.exe")" "$main_title" \
        >/dev/null 2>&1 || true
    cd - >/dev/null
    [ -s "$out" ] || fail "the start-up timer left no results"
    ! grep -q failed "$out" || fail "a start-up run failed: $(grep failed "$out" | head -1)"
    # LABEL ROUND READY SHOWN IDLE CLOSE, and the marks; round 0 is the warm-up.
    tr -d '\r' <"$out" | awk '$1 != "mark" && $2 > 0 {
        print "start." $1 ".ready", $2, $3; print "start." $1 ".close", $2, $6 }' >>"$results"
    tr -d '\r' <"$out" | awk '$1 == "mark" && $3 > 0 { print $3, $4, $5, $6 }' >"$work/marks.txt"
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

# ---- the chooser -----------------------------------------------------------
# Chrome found (the History of the history rounds, the walk's tree as its
# cache), both chosen in "More traces"; Quenby's own settings key.
run_chooser() {
    local out=$work/chooser.txt before
    fresh_copy "$work/history-template" "$history_profile"
    cp -a "$work/walk-template" "$history_profile/Cache"
    before=$(tree_state "$history_profile")
    wine reg add 'HKCU\Software\Marlowick software\Quenby\Settings' /v MoreTraces /t REG_SZ \
        /d chrome-cache,chrome-history /f >/dev/null 2>&1
    cd "$work"
    wine explorer /desktop=bench,1024x768 "$(winepath -w "$build/tests/bench_chooser.exe")" \
        "$(winepath -w "$out")" "$chooser_rounds" "$preview_rounds" \
        "$(winepath -w "$build/Quenby.exe")" \
        "$(winepath -w "$build/tests/bench_minimal_dialog.exe")" "$minimal_title" \
        >/dev/null 2>&1 || true
    cd - >/dev/null
    [ -s "$out" ] && [ "$(tr -d '\r' <"$out" | grep -c '^preview')" = "$preview_rounds" ] ||
        fail "the chooser's timer did not finish (see $out)"
    [ "$(tree_state "$history_profile")" = "$before" ] || fail "the preview changed the profile"
    # Round 0 is the warm-up.
    tr -d '\r' <"$out" | awk '$1 != "preview" && $2 > 0 { print "chooser." $1, $2, $3 }
        $1 == "preview" { print "preview.total", $2, $3; print "preview.wait", $2, $4
                          print "preview.idle", $2, $5 }' >>"$results"
}

# ---- the cleaning definitions ------------------------------------------------
readonly definitions_rounds=5 definitions_starts=3 definitions_seed=42 definitions_found=200
definitions_ran=0
definitions_bench="$build/tests/bench_definitions.exe"

# window_chooser NAME ROUND: "More traces..." opened in Quenby as it is now,
# its rounds recorded as definitions.window.NAME; the first opening, which
# builds the catalogue and so reads the file, as definitions.window.NAME.first
# of round ROUND.
window_chooser() {
    local out=$work/window-$1.txt
    cd "$work"
    wine explorer /desktop=bench,1024x768 "$(winepath -w "$build/tests/bench_chooser.exe")" \
        "$(winepath -w "$out")" "$definitions_rounds" 0 "$(winepath -w "$build/Quenby.exe")" \
        "$(winepath -w "$build/tests/bench_minimal_dialog.exe")" "$minimal_title" \
        >/dev/null 2>&1 || true
    cd - >/dev/null
    [ "$(tr -d '\r' <"$out" | grep -c '^chooser')" = $((definitions_rounds + 1)) ] ||
        fail "the chooser's timer did not finish (see $out)"
    tr -d '\r' <"$out" | awk -v key="definitions.window.$1" -v round="$2" \
        '$1 == "chooser" && $2 > 0 { print key, $2, $3 }
         $1 == "chooser" && $2 == 0 { print key ".first", round, $3 }' >>"$results"
}

# definitions_contender NAME: one turn of NAME on the copy $definitions_file.
definitions_contender() {
    local out
    case $1 in
    load)
        # read, detect (ms), their CPU, entries, entries that run, found
        out=($(wine "$definitions_bench" load "$definitions_file" | tr -d '\r'))
        definitions_counts="${out[4]} ${out[5]} ${out[6]}"
        record definitions.read "${out[0]}"
        record definitions.detect "${out[1]}"
        record definitions.load "$(awk -v a="${out[0]}" -v b="${out[1]}" 'BEGIN { print a + b }')" ;;
    plain) record definitions.plain "$(wine "$definitions_bench" plain "$definitions_file" |
        tr -d '\r' | cut -d' ' -f1)" ;;
    chooser | bare)
        out=$([ "$1" = chooser ] && echo "$definitions_file" || echo -)
        record "definitions.$1" "$(wine "$definitions_bench" chooser "$out" | tr -d '\r' |
            cut -d' ' -f1)" ;;
    esac
}

# The file of QUENBY_WINAPP2, copied; 200 entries made found; then the
# contenders in turns (round 0 warms up), and the chooser in Quenby without
# the file and with it in %APPDATA%\Quenby.
# own_folder: %APPDATA%\Quenby as a Unix path, made when missing.
own_folder() {
    local own
    own="$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")"
    mkdir -p "${own%/}/Quenby"
    echo "${own%/}/Quenby"
}

# run_startup_definitions: the start-up part, without the definitions file
# (its rows as start.bare.*), then with it in %APPDATA%\Quenby.
run_startup_definitions() {
    local own
    section "start-up without the definitions, $startup_rounds rounds and a warm-up"
    run_startup
    if [ -z "$winapp2" ] || [ ! -f "$winapp2" ]; then
        row "Start-up until shown and idle" start.quenby.ready
        row "Exit after IDCANCEL" start.quenby.close
        return 0
    fi
    sed -i 's/^start\./start.bare./' "$results"
    own=$(own_folder)
    cp "$winapp2" "$own/winapp2.ini"
    section "start-up with the definitions, $startup_rounds rounds and a warm-up"
    run_startup
    rm -f "$own/winapp2.ini"
    echo
    printf '| %-44s | %9s | %13s | %s |\n' "What" "Median" "Range" "Ratio"
    printf '| %-44s | %9s | %13s | %s |\n' "---" "---:" "---:" "---"
    row "Start-up until shown and idle, with the file" start.quenby.ready \
        "with/without $(ratio start.quenby.ready start.bare.quenby.ready)"
    row "without it" start.bare.quenby.ready
    row "Exit after IDCANCEL, with the file" start.quenby.close \
        "with/without $(ratio start.quenby.close start.bare.quenby.close)"
    row "without it" start.bare.quenby.close
}

run_definitions() {
    [ -n "$winapp2" ] && [ -f "$winapp2" ] || return 0
    local own
    cp "$winapp2" "$work/winapp2.ini"
    definitions_file=$(winepath -w "$work/winapp2.ini")
    definitions_seeded=$(wine "$definitions_bench" seed "$definitions_file" \
        "$definitions_seed" "$definitions_found" | tr -d '\r')
    for ((round = 0; round <= definitions_rounds; round++)); do
        section "definitions, round $round of $definitions_rounds (0 warms up)"
        for name in $(rotate "$round" load plain chooser bare); do definitions_contender "$name"; done
    done
    sed -i '/^definitions\.[a-z.]* 0 /d' "$results"
    own=$(own_folder)
    rm -f "$own/winapp2.ini"
    for ((round = 1; round <= definitions_starts; round++)); do
        section "\"More traces...\" in Quenby, start $round of $definitions_starts"
        for name in $(rotate "$round" without with); do
            [ "$name" = with ] && cp "$work/winapp2.ini" "$own/winapp2.ini"
            window_chooser "$name" "$round"
            rm -f "$own/winapp2.ini"
        done
    done
    definitions_ran=1
}

report_definitions() {
    echo
    if [ "$definitions_ran" != 1 ]; then
        echo "The cleaning definitions' benchmark did not run: winapp2.ini is not in the"
        echo "repository; QUENBY_WINAPP2=/path/winapp2.ini names the file to measure."
        return 0
    fi
    local counts=($definitions_counts)
    echo "Cleaning definitions: $(basename "$winapp2") of ${counts[0]} entries, ${counts[1]} of"
    echo "them run, ${counts[2]} found ($definitions_seeded seeded). Medians and ranges of"
    echo "$definitions_rounds rounds in milliseconds, in-process but for Quenby's window"
    echo "($definitions_starts starts of Quenby, $definitions_rounds openings after the first in each)."
    echo
    printf '| %-44s | %9s | %13s | %s |\n' "What" "Median" "Range" "Ratio"
    printf '| %-44s | %9s | %13s | %s |\n' "---" "---:" "---:" "---"
    row "Reading the file and detecting every entry" definitions.load \
        "load/plain $(ratio definitions.load definitions.plain)"
    row "reading" definitions.read
    row "detecting" definitions.detect
    row "One ReadFile and MultiByteToWideChar" definitions.plain
    row "The chooser's catalogue, with the file" definitions.chooser \
        "with/without $(ratio definitions.chooser definitions.bare)"
    row "without it" definitions.bare
    row "\"More traces...\" in Quenby, with the file" definitions.window.with \
        "with/without $(ratio definitions.window.with definitions.window.without)"
    row "without it" definitions.window.without
    row "the first opening (reads the file), with it" definitions.window.with.first \
        "with/without $(ratio definitions.window.with.first definitions.window.without.first)"
    row "the first opening, without it" definitions.window.without.first
}

# rotate LIST... by ROUND: the contenders' order in that round.
rotate() {
    local round=$1
    shift
    local list=("$@") n=$# i
    for ((i = 0; i < n; i++)); do echo "${list[$(((i + round) % n))]}"; done
}

# ---- figures -------------------------------------------------------------
values() { awk -v key="$1" '$1 == key { print $3 }' "$results" | sort -g; }
# The median of the numbers on standard input, one a line.
median_of() {
    sort -g | awk -v digits="${1:-1}" '{ v[NR] = $1 } END { if (NR == 0) exit 1;
        printf "%." digits "f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
median() { values "$1" | median_of; }
spread() { values "$1" | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.0f-%.0f", lo, hi }'; }
# ratio A B: the median of A/B over the rounds that measured both.
ratio() {
    awk -v a="$1" -v b="$2" '$1 == a { x[$2] = $3 } $1 == b { y[$2] = $3 }
        END { for (r in x) if ((r in y) && y[r] > 0) print x[r] / y[r] }' "$results" | median_of 2
}
# row TEXT KEY [RATIO TEXT]
row() { printf '| %-44s | %9s | %13s | %s |\n' "$1" "$(median "$2")" "$(spread "$2")" "${3:-}"; }

started=$(now_us)
load_before=$(machine_load)
ensure_rpcss
if [ "$only" = startup ]; then
    run_startup_definitions
    [ -n "$winapp2" ] || echo "No definitions file measured: QUENBY_WINAPP2=/path/winapp2.ini names one."
    exit 0
fi
if [ "$only" = definitions ]; then
    run_definitions
    report_definitions
    exit 0
fi
server=$(server_pid)
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
section "calls and server requests per file"
for walk in ours:walk preview:preview plain:plain; do
    count_calls "${walk%%:*}" "${walk#*:}"
    count_requests "${walk%%:*}" "${walk#*:}"
done
server=$(server_pid)
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
section "chooser, $chooser_rounds rounds and a warm-up, $preview_rounds previews"
run_chooser
section "definitions"
run_definitions
finished=$(now_us)
load_after=$(machine_load)

# ---- report ---------------------------------------------------------------

files=$((groups * folders_per_group * files_per_folder))
# Every file of the tree: the small ones, the index files and the desktop.ini.
entries=$((files + groups + 1))
echo
echo "Medians and ranges in milliseconds; rounds: walk $walk_rounds, wipe $wipe_rounds, start-up"
echo "$startup_rounds. Wall: the whole command as the shell sees it, Wine's process start"
echo "included; in-process: the cleaner calls alone; CPU: the command's and the Wine"
echo "server's processor time. Each ratio is the median of the rounds' ratios."
echo
printf '| %-44s | %9s | %13s | %s |\n' "What" "Median" "Range" "Ratio"
printf '| %-44s | %9s | %13s | %s |\n' "---" "---:" "---:" "---"
row "Folder walk, $files files: ours, wall" walk.ours
row "ours, in-process" walk.ours.inner
row "ours, CPU" walk.ours.cpu
row "Preview of that walk (changes nothing), wall" walk.preview \
    "preview/ours $(ratio walk.preview walk.ours)"
row "preview, in-process" walk.preview.inner \
    "preview/ours $(ratio walk.preview.inner walk.ours.inner)"
row "plain Win32 walk (no checks), wall" walk.plain \
    "ours/plain $(ratio walk.ours walk.plain) (in-process $(ratio walk.ours.inner walk.plain.inner))"
row "plain Win32 walk, in-process" walk.plain.inner
row "plain Win32 walk, CPU" walk.plain.cpu "ours/plain $(ratio walk.ours.cpu walk.plain.cpu)"
row "wine cmd /c rmdir /s /q, wall" walk.cmd "ours/cmd $(ratio walk.ours walk.cmd)"
row "rm -rf, wall" walk.rm "ours/rm $(ratio walk.ours walk.rm)"
row "rm -rf, CPU" walk.rm.cpu "ours/rm $(ratio walk.ours.cpu walk.rm.cpu)"
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
row "Opening \"More traces...\", programs looked for" chooser.chooser \
    "chooser/options $(ratio chooser.chooser chooser.options)"
row "Opening \"Options...\"" chooser.options
row "Preview, chrome-cache and chrome-history" preview.total
row "longest wait for the window during it" preview.wait
row "longest wait for an idle dialog program meanwhile" preview.idle
row "Empty run: wine quenby_bench none" empty.bench
row "Empty run: wine cmd /c rem" empty.cmd
report_definitions

# per_file FILE: "TOTAL | NAME PER-FILE, ..." from lines "NAME COUNT"; the list
# leaves out what is done less than once in a hundred files.
per_file() {
    awk -v n="$entries" '{ total += $2 }
        $2 / n >= 0.01 { list = list sep $1 " " sprintf("%.2f", $2 / n); sep = ", " }
        END { printf "%.2f | %s", total / n, list }' "$1"
}
echo
folders=$((groups * folders_per_group + groups))
echo "Per file of the walk's tree ($entries files; what is done for its $folders folders is"
echo "in the totals): the calls that each walk makes to the platform's file functions,"
echo "counted in the process, and the requests that reach the Wine server."
echo
echo "| Walk | Calls | Of which | Server requests | Of which |"
echo "| --- | ---: | --- | ---: | --- |"
for walk in ours preview plain; do
    echo "| $walk | $(per_file "$work/calls.$walk") | $(per_file "$work/requests.$walk") |"
done

echo
echo "Start-up and exit of Quenby with its steps marked, step by step: medians over the"
echo "rounds in milliseconds. Start-up is timed from CreateProcess, exit from the posting"
echo "of IDCANCEL; the last step of each is timed by the timer, the others by the program."
echo
echo "| Step | ms |"
echo "| --- | ---: |"
awk '
    NR == FNR { if ($1 == "start.steps.ready") ready[$2] = $3;
                if ($1 == "start.steps.close") closed[$2] = $3; next }
    {
        key = $1 " " $2
        step = $2 " " $3
        if (!(step in seen)) { seen[step] = 1; order[++steps] = step }
        value[step, $1] = $4 - (key in last ? last[key] : 0)
        last[key] = $4
    }
    END {
        # The steps timed by the timer itself close each part: start-up, then exit.
        for (i = 1; i <= steps; i++) if (order[i] ~ /^start/) shown[++n] = order[i]
        shown[++n] = "start shown_and_idle"
        for (i = 1; i <= steps; i++) if (order[i] ~ /^exit/) shown[++n] = order[i]
        shown[++n] = "exit process_ended"
        for (r in ready) value["start shown_and_idle", r] = ready[r] - last[r " start"]
        for (r in closed) value["exit process_ended", r] = closed[r] - last[r " exit"]
        for (i = 1; i <= n; i++)
            for (r in ready) if ((shown[i], r) in value) print i, shown[i], value[shown[i], r]
    }' "$results" "$work/marks.txt" | sort -k1,1n -k4,4g |
    awk '{ if ($1 != prev && prev != "") flush(); prev = $1; label = $2 " " $3; v[++n] = $4 }
         function flush() {
             gsub("_", " ", label); sub("^start ", "", label); sub("^exit ", "exit: ", label)
             printf "| %s | %.1f |\n", label, n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
             n = 0
         }
         END { flush() }'
echo
echo "Measured on the $QUENBY_ARCH build in $(awk -v a="$started" -v b="$finished" \
    'BEGIN { printf "%.0f", (b - a) / 1000000 }') s inside the sandbox, on $(nproc) cores,"
echo "$(date -u +%Y-%m-%d). Machine load at the start: $load_before;"
echo "at the end: $load_after."
