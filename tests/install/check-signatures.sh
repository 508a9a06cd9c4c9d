#!/bin/sh
# Checks the Authenticode signatures of a test build against its signing CA:
# both programs, the program inside each package and both packages verify; a
# copy with one byte changed does not; a PKCS#12 key from the environment signs,
# and a release key without a time-stamping service signs nothing.
# Usage: check-signatures.sh SIGNING_CA_DIR X86_EXE X64_EXE X86_MSI X64_MSI
set -eu
ca=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# verify FILE ok|refused LABEL: prints what osslsigncode said about the signature.
verify() {
    if osslsigncode verify -CAfile "$ca/ca.pem" -in "$1" >"$work/verify.log" 2>&1; then got=ok; else got=refused; fi
    said=$(awk '/Subject:/ && !n++ || /MISMATCH|^Signature verification/' "$work/verify.log" |
        sed 's/^\s*//' | tr -s ' \n' ' ')
    echo "$3: $got: $said"
    [ "$got" = "$2" ] || fail "$1: expected $2, got $got: $(cat "$work/verify.log")"
}

# A copy with one byte changed where the signature's hash covers it: the DOS
# stub's text in a program, the cabinet's header in a package.
tamper() { # FILE MARKER OFFSET COPY
    python3 -c 'import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.index(sys.argv[2].encode()) + int(sys.argv[3])
data[at] ^= 1
open(sys.argv[4], "wb").write(data)' "$@"
}

for file in "$@"; do
    name=$(basename "$(dirname "$file")")/$(basename "$file")
    verify "$file" ok "$name"
    case $file in
        *.msi)
            mkdir -p "$work/$name"
            msiextract -C "$work/$name" "$file" >/dev/null
            verify "$(find "$work/$name" -name orvexapp.exe)" ok "orvexapp.exe inside $name"
            tamper "$file" MSCF 4 "$work/changed.msi"
            verify "$work/changed.msi" refused "$name, one byte changed" ;;
        *)
            tamper "$file" "This program" 0 "$work/changed.exe"
            verify "$work/changed.exe" refused "$name, one byte changed" ;;
    esac
done

# The release key's way in: a PKCS#12 file and its password, here made from the test certificate.
osslsigncode remove-signature -in "$1" -out "$work/unsigned.exe" >/dev/null
openssl pkcs12 -export -in "$ca/codesign.pem" -inkey "$ca/codesign.key" -passout pass:'pa ss$word' \
    -out "$work/release.p12"
for password in 'pa ss$word' wrong; do
    rm -f "$work/released.exe"
    if QUILLBAY_SIGN_PKCS12=$work/release.p12 QUILLBAY_SIGN_PASSWORD=$password QUILLBAY_SIGN_UNTIMESTAMPED=1 \
        "$here/../../tools/package/sign.sh" "$work/unsigned.exe" "$work/released.exe" /nonexistent 2>"$work/sign.log"; then
        verify "$work/released.exe" ok "signed with a PKCS#12 key from the environment"
        [ "$password" != wrong ] || fail "signed with a wrong password"
    else
        [ ! -e "$work/released.exe" ] || fail "a failed signing left its output"
        [ "$password" = wrong ] || fail "the PKCS#12 key did not sign: $(cat "$work/sign.log")"
        echo "PKCS#12 with a wrong password: refused, no output"
    fi
done
env -u QUILLBAY_TIMESTAMP_URL QUILLBAY_SIGN_PKCS12="$work/release.p12" QUILLBAY_SIGN_PASSWORD='pa ss$word' \
    "$here/../../tools/package/sign.sh" "$work/unsigned.exe" "$work/released.exe" /nonexistent 2>"$work/sign.log" &&
    fail "a release key signed without a time stamp"
grep -q QUILLBAY_TIMESTAMP_URL "$work/sign.log" || fail "no word of the time stamp: $(cat "$work/sign.log")"
echo "PKCS#12 without a time-stamping service: refused: $(cat "$work/sign.log")"
exit $failed
