#!/usr/bin/env bash
# Signs Windows programs, setups and MSI packages in place with Authenticode
# (SHA-256, osslsigncode), with the certificate the environment names:
#
#   QUENBY_SIGN_CERT           the certificate chain (PEM), or a PKCS#12 file
#                              (.p12, .pfx) holding certificate and key
#   QUENBY_SIGN_KEY            the private key (PEM) of a PEM certificate
#   QUENBY_SIGN_PASS           the pass phrase of the key or PKCS#12, if any
#   QUENBY_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
#
#   scripts/sign.sh FILE...
#
# Without a time stamp the signature's signing time is SOURCE_DATE_EPOCH (the
# commit's time), so the same file signed with the same RSA key gives the same
# bytes every time. A time stamp is the server's own signature over the
# current time: a file signed with one differs on every run.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

[ $# -gt 0 ] || { echo "usage: $0 FILE..." >&2; exit 2; }
[ -n "${QUENBY_SIGN_CERT:-}" ] || die "no certificate: set QUENBY_SIGN_CERT"
[ -r "$QUENBY_SIGN_CERT" ] || die "cannot read the certificate $QUENBY_SIGN_CERT"
case "${QUENBY_SIGN_CERT,,}" in
*.p12 | *.pfx) signer=(-pkcs12 "$QUENBY_SIGN_CERT") ;;
*)
    [ -r "${QUENBY_SIGN_KEY:-}" ] || die "no private key: set QUENBY_SIGN_KEY to a PEM file"
    signer=(-certs "$QUENBY_SIGN_CERT" -key "$QUENBY_SIGN_KEY")
    ;;
esac
if [ -n "${QUENBY_SIGN_TIMESTAMP_URL:-}" ]; then
    when=(-ts "$QUENBY_SIGN_TIMESTAMP_URL")
else
    # Without it OpenSSL would write the current time.
    export_source_date_epoch
    when=(-time "$SOURCE_DATE_EPOCH")
fi

if [ -n "${QUENBY_SIGN_PASS:-}" ]; then
    # In a private file, not on the command line that others can see.
    secret=$(mktemp)
    trap 'rm -f "$secret"' EXIT
    printf '%s' "$QUENBY_SIGN_PASS" >"$secret"
    signer+=(-readpass "$secret")
fi

for file in "$@"; do
    log=$(osslsigncode sign "${signer[@]}" -h sha256 -n Quenby "${when[@]}" \
        -in "$file" -out "$file.signed" 2>&1) || {
        rm -f "$file.signed"
        die "signing ${file##*/} failed: $log"
    }
    mv "$file.signed" "$file"
done
