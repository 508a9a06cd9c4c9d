#!/bin/sh
# Signs an executable or an installer package with Authenticode (SHA-256).
# Usage: sign.sh IN OUT TEST_CA_DIR
#        sign.sh --check   (only checks the environment, as the build does before it starts)
#
# The release key comes from the environment:
#   QUILLBAY_SIGN_PKCS12, QUILLBAY_SIGN_PASSWORD   a PKCS#12 file and its password
#   QUILLBAY_SIGN_PKCS11_MODULE                     a PKCS#11 module for a hardware key, with
#     QUILLBAY_SIGN_PKCS11_KEY                      the key's PKCS#11 URI,
#     QUILLBAY_SIGN_CERTS                           its certificate chain (PEM), and
#     QUILLBAY_SIGN_PASSWORD                        the token's PIN, if it needs one
#   QUILLBAY_TIMESTAMP_URL                          an RFC 3161 time-stamping service, which a
#                                                   release key needs (QUILLBAY_SIGN_UNTIMESTAMPED=1
#                                                   signs without one, for a throwaway key only)
# Without a key, the test certificate TEST_CA_DIR/codesign.pem (tools/env/make-test-ca.sh)
# signs, so that every build goes through the same steps as a release.
# OUT is written only when the signing succeeded.
set -eu

# A signature without a time stamp becomes invalid when its certificate expires.
if [ -n "${QUILLBAY_SIGN_PKCS12:-}${QUILLBAY_SIGN_PKCS11_MODULE:-}" ] && [ -z "${QUILLBAY_TIMESTAMP_URL:-}" ] &&
    [ "${QUILLBAY_SIGN_UNTIMESTAMPED:-}" != 1 ]; then
    echo "$0: a release key signs only with a time stamp: set QUILLBAY_TIMESTAMP_URL to an RFC 3161" \
        "time-stamping service, or every signature becomes invalid when the certificate expires" >&2
    exit 1
fi
[ "$*" = --check ] && exit 0
if [ $# -ne 3 ]; then
    echo "usage: $0 IN OUT TEST_CA_DIR" >&2
    exit 2
fi
in=$1 out=$2 test_ca=$3

# The description is what the elevation prompt shows for a package.
set -- -h sha256 -n "Quillbay Console" -add-msi-dse
if [ -n "${QUILLBAY_SIGN_PKCS12:-}" ]; then
    set -- "$@" -pkcs12 "$QUILLBAY_SIGN_PKCS12"
elif [ -n "${QUILLBAY_SIGN_PKCS11_MODULE:-}" ]; then
    set -- "$@" -pkcs11module "$QUILLBAY_SIGN_PKCS11_MODULE" -key "${QUILLBAY_SIGN_PKCS11_KEY:?is needed with QUILLBAY_SIGN_PKCS11_MODULE}" \
        -certs "${QUILLBAY_SIGN_CERTS:?is needed with QUILLBAY_SIGN_PKCS11_MODULE}"
else
    [ -s "$test_ca/codesign.pem" ] || {
        echo "$0: no release key and no test certificate in $test_ca" >&2
        exit 1
    }
    echo "$0: no release key in the environment; signing $(basename "$out") with the test certificate" >&2
    set -- "$@" -certs "$test_ca/codesign.pem" -key "$test_ca/codesign.key"
fi
[ -n "${QUILLBAY_TIMESTAMP_URL:-}" ] && set -- "$@" -ts "$QUILLBAY_TIMESTAMP_URL"

mkdir -p "$(dirname "$out")"
rm -f "$out.tmp"
# The password goes through a pipe, never the command line, where any process could read it.
if [ -n "${QUILLBAY_SIGN_PASSWORD:-}" ]; then
    printf '%s' "$QUILLBAY_SIGN_PASSWORD" | osslsigncode sign "$@" -readpass - -in "$in" -out "$out.tmp" >"$out.log" 2>&1
else
    osslsigncode sign "$@" -in "$in" -out "$out.tmp" >"$out.log" 2>&1
fi || {
    cat "$out.log" >&2
    rm -f "$out.tmp" "$out.log"
    exit 1
}
rm -f "$out.log"
mv "$out.tmp" "$out"
