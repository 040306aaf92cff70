#!/usr/bin/env bash
# Builds both Windows builds and their packages, and runs every test
# (in-process, end-to-end, and the packages installed and removed) under Wine,
# each build inside its own throw-away sandboxes: the 64-bit build everywhere,
# the 32-bit one where this host can execute 32-bit programs. Arguments go to
# CTest (for example -R ResourceTest).
#
# The packages are also made again from a copy of the source in another
# folder and must come out the same bytes; and they are made signed, twice,
# with a throw-away certificate: both runs must agree, and the package tests
# check the signatures and install the signed setup.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/install-deps.sh
scripts/build.sh all
scripts/package.sh all
scripts/check-reproducible.sh all

signing=$(mktemp -d "${TMPDIR:-/tmp}/quenby-signing.XXXXXX")
trap 'rm -rf --one-file-system "$signing"' EXIT
package_signed() {
    echo "== signed packages, with a throw-away certificate"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quenby test signing" \
        -addext extendedKeyUsage=codeSigning -keyout "$signing/key.pem" -out "$signing/cert.pem" \
        2>/dev/null || die "making the test certificate failed"
    local run
    for run in 1 2; do
        QUENBY_SIGN_CERT=$signing/cert.pem QUENBY_SIGN_KEY=$signing/key.pem \
            QUENBY_DIST=$signing/dist$run scripts/package.sh all >"$signing/package.log" 2>&1 ||
            { tail -n 20 "$signing/package.log"; die "signed packaging failed"; }
    done
    diff "$signing/dist1/SHA256SUMS" "$signing/dist2/SHA256SUMS" ||
        die "two signed packagings with the same key differ (see above)"
}
package_signed

run_suite() {
    local build
    build=$(build_dir_of "$1")
    echo "== $1 Windows build: tests"
    local log="$signing/ctest-$1.log"
    scripts/sandbox.sh --arch "$1" --display -- \
        ctest --test-dir "$build" --output-on-failure --timeout 600 "${@:2}" 2>&1 |
        tee "$log" || {
        # Only the end of a long run may be kept: the failures' own lines last.
        echo "== $1 Windows build: what the failed tests said"
        grep -a -B2 -A14 ': Failure' "$log" | head -n 200
        die "$1 Windows build: tests failed"
    }
    echo "== $1 Windows build: packages"
    scripts/sandbox.sh --arch "$1" --display -- \
        bash tests/package/run-package-tests.sh "$1" dist "$build" \
        "$signing/dist1" "$signing/cert.pem" ||
        die "$1 Windows build: package tests failed"
}

run_suite win64 "$@"
probe_32bit
if [ -z "$QUENBY_NO_32BIT" ]; then
    run_suite win32 "$@"
else
    echo "32-bit Windows build: built, tests not run: $QUENBY_NO_32BIT"
fi
