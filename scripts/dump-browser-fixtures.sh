#!/usr/bin/env bash
# Runs Debian's chromium and firefox-esr once, headless, on a throw-away
# profile of their own (a local page with a form, a cookie and an icon is
# visited, its form filled in and sent; Chromium also gets two bookmarks;
# two test sites on a local HTTPS server set host-only, domain-wide and
# partitioned cookies and store data in every kind of site storage, Firefox's
# also in a container; the first site's cookies are allowed in the browser's
# settings), and writes the schema of every database the cleaners touch, with
# the browser's version, to tests/fixtures/browsers/<browser>-<major version>/.
# Beside them: the cookies' key columns as the browser wrote them
# (cookie-keys.txt), the site data it laid out (site-data.txt: every folder
# and file, the server's port written as 8443), and where it keeps the
# sites allowed cookies (Chromium's Preferences excerpt, Firefox's
# permissions). The tests build their profiles from these files. Chromium's
# Bookmarks file is kept too; it holds the test bookmarks and nothing else.
#
# Not run by the tests or in CI: it needs the two browsers (apt-get install
# chromium firefox-esr sqlite3) and, to drive Chromium, the npm package
# playwright-core, fetched once with a pinned checksum. Nothing here touches
# a profile of yours: HOME and the profiles live in a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

readonly PLAYWRIGHT_URL="https://registry.npmjs.org/playwright-core/-/playwright-core-1.65.2.tgz"
readonly PLAYWRIGHT_SHA256="7430e43aaff66666975cef27e2268c670d79ad35da50215e654d9cb7be53643e"
readonly HERE=scripts/browser-fixtures
readonly OUT=tests/fixtures/browsers
# The databases the cleaners read or change, by the browser's own file name
# (Chromium on Linux keeps its cookies beside the others, not in Network).
readonly CHROMIUM_DATABASES=("History" "Favicons" "Cookies" "Web Data" "Account Web Data"
                             "Top Sites" "Shortcuts" "Network Action Predictor"
                             "WebStorage/QuotaManager")
readonly FIREFOX_DATABASES=(places.sqlite favicons.sqlite cookies.sqlite formhistory.sqlite
                            permissions.sqlite webappsstore.sqlite storage.sqlite)
# Where the browsers keep site data in a profile (the site-data listing).
readonly CHROMIUM_SITE_DATA=("Local Storage" "Session Storage" "IndexedDB" "WebStorage"
                             "Service Worker" "File System")
readonly FIREFOX_SITE_DATA=(storage serviceworker.txt webappsstore.sqlite)
# The port the listings are written with, whatever port the server had.
readonly LISTED_PORT=8443

for tool in chromium firefox-esr sqlite3 node python3 curl openssl; do
    command -v "$tool" >/dev/null || die "$tool is not installed"
done
work=$(mktemp -d "${TMPDIR:-/tmp}/quenby-browsers.XXXXXX")
server=""
tls_server=""
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    [ -z "$tls_server" ] || kill "$tls_server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home"
mkdir -p "$HOME"

fetch_playwright() {
    curl -sSfL --retry 3 -o "$work/playwright.tgz" "$PLAYWRIGHT_URL" ||
        die "downloading $PLAYWRIGHT_URL failed"
    echo "$PLAYWRIGHT_SHA256  $work/playwright.tgz" | sha256sum -c --status ||
        die "playwright-core does not have the pinned SHA-256"
    mkdir -p "$work/node_modules/playwright-core"
    tar -xzf "$work/playwright.tgz" -C "$work/node_modules/playwright-core" --strip-components=1
}

# The first line a program prints for --version ("Chromium 156.0.8078.129 ...").
version_of() { "$1" --version 2>/dev/null | head -n 1; }
major_of() { echo "$1" | grep -o '[0-9][0-9]*' | head -n 1; }

# dump DATABASE TITLE OUTFILE: the database's tables and indexes as SQL that
# makes an empty copy, its journal mode when it is a write-ahead log, and the
# rows that say its schema version (Chromium's meta table, Firefox's
# user_version).
dump() {
    local db=$1 title=$2 out=$3 mode version
    mode=$(sqlite3 "$db" "PRAGMA journal_mode")
    version=$(sqlite3 "$db" "PRAGMA user_version")
    {
        echo "-- $title: the schema as the browser wrote it (scripts/dump-browser-fixtures.sh)."
        [ "$mode" != wal ] || echo "PRAGMA journal_mode=WAL;"
        [ "$version" = 0 ] || echo "PRAGMA user_version=$version;"
        sqlite3 "$db" ".schema --nosys"
        if [ -n "$(sqlite3 "$db" "SELECT name FROM sqlite_master WHERE name='meta'")" ]; then
            sqlite3 "$db" ".mode insert meta" \
                "SELECT * FROM meta WHERE key IN ('version','last_compatible_version')"
        fi
    } >"$out"
}

# listing ROOT NAMES...: every entry below ROOT/NAME (for each NAME that is
# there), one path a line, relative to ROOT, sorted, the port made LISTED_PORT.
listing() {
    local root=$1
    shift
    (cd "$root" && for name in "$@"; do [ ! -e "$name" ] || find "$name"; done) |
        sed "s/$tls_port/$LISTED_PORT/g" | LC_ALL=C sort
}

# A certificate of the test sites' own, for the local HTTPS server.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
    -days 1 -subj "/CN=site-a.test" 2>/dev/null \
    -addext "subjectAltName=DNS:*.site-a.test,DNS:*.site-b.test" || die "openssl failed"

fetch_playwright
python3 "$HERE/serve.py" >"$work/port" &
server=$!
python3 "$HERE/serve.py" "$work/cert.pem" "$work/key.pem" >"$work/tls-port" &
tls_server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && [ -s "$work/tls-port" ] && break; sleep 0.1; done
site="http://127.0.0.1:$(cat "$work/port")/"
tls_port=$(cat "$work/tls-port")

chromium_version=$(version_of chromium)
chromium_out="$OUT/chromium-$(major_of "$chromium_version")"
NODE_PATH="$work/node_modules" node "$HERE/drive-chromium.js" "$(command -v chromium)" \
    "$work/chromium" "$PWD/$HERE/extension" "$site" "$tls_port" >/dev/null
mkdir -p "$chromium_out"
for name in "${CHROMIUM_DATABASES[@]}"; do
    [ -f "$work/chromium/Default/$name" ] || { echo "chromium wrote no $name"; continue; }
    dump "$work/chromium/Default/$name" "$name of $chromium_version" "$chromium_out/${name##*/}.sql"
done
cat "$work/chromium/Default/Bookmarks" >"$chromium_out/Bookmarks.json"
sqlite3 -separator ' | ' "$work/chromium/Default/Cookies" \
    "SELECT host_key, quote(top_frame_site_key), name FROM cookies ORDER BY 1, 2, 3" |
    sed "s/$tls_port/$LISTED_PORT/g" >"$chromium_out/cookie-keys.txt"
listing "$work/chromium/Default" "${CHROMIUM_SITE_DATA[@]}" >"$chromium_out/site-data.txt"
python3 -c 'import json, sys
exceptions = json.load(open(sys.argv[1]))["profile"]["content_settings"]["exceptions"]
json.dump({"profile": {"content_settings": {"exceptions": {"cookies": exceptions["cookies"]}}}},
          sys.stdout, indent=1)' "$work/chromium/Default/Preferences" >"$chromium_out/Preferences.json"

firefox_version=$(version_of firefox-esr)
firefox_out="$OUT/firefox-$(major_of "$firefox_version")"
python3 "$HERE/drive-firefox.py" "$(command -v firefox-esr)" "$work/firefox" "$site" "$tls_port" \
    >/dev/null
mkdir -p "$firefox_out"
for name in "${FIREFOX_DATABASES[@]}"; do
    [ -f "$work/firefox/$name" ] || { echo "firefox wrote no $name"; continue; }
    dump "$work/firefox/$name" "$name of $firefox_version" "$firefox_out/${name%.sqlite}.sql"
done
sqlite3 -separator ' | ' "$work/firefox/cookies.sqlite" \
    "SELECT host, quote(originAttributes), name FROM moz_cookies ORDER BY 1, 2, 3" \
    >"$firefox_out/cookie-keys.txt"
sqlite3 -separator ' | ' "$work/firefox/permissions.sqlite" \
    "SELECT origin, type, permission FROM moz_perms WHERE type = 'cookie'" \
    >"$firefox_out/cookie-permissions.txt"
listing "$work/firefox" "${FIREFOX_SITE_DATA[@]}" | grep -v '^storage/permanent/chrome' \
    >"$firefox_out/site-data.txt"
sed "s/$tls_port/$LISTED_PORT/g" "$work/firefox/serviceworker.txt" >"$firefox_out/serviceworker.txt"
# What the sent form left, as a check that the browsers kept it where the
# cleaners look for it.
count() { sqlite3 "$1" "SELECT count(*) FROM $2" 2>/dev/null || echo "no $2"; }
web_data="$work/chromium/Default/Web Data"
echo "chromium form entries: autofill $(count "$web_data" autofill)," \
    "autocomplete $(count "$web_data" autocomplete)"
echo "firefox form entries: $(count "$work/firefox/formhistory.sqlite" moz_formhistory)"
echo "written: $chromium_out ($chromium_version), $firefox_out ($firefox_version)"
