#!/bin/sh
# Creates the test certificate authority and the stand-in service's leaf
# certificates in OUTDIR. Only the project's own Wine prefix is ever told to
# trust ca.pem; this script never touches the host's trust store.
#
#   ca.pem ca.key ca.der ca.thumbprint   the test CA (thumbprint: SHA-1 of ca.der)
#   server.pem server.key                 localhost + 127.0.0.1, issued by the CA
#   wronghost.pem wronghost.key           otherhost.test only, issued by the CA
#   untrusted-ca.pem untrusted-ca.key     a second CA that nobody trusts
#   untrusted.pem untrusted.key           localhost, issued by the untrusted CA
#   expired.pem expired.key               localhost, issued by the CA, expired two days ago
#   codesign.pem codesign.key             code signing for test builds, issued by the CA
#
# Leaf .pem files hold the leaf followed by its issuer. Existing files are kept,
# so running the script again changes nothing.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
OUT=$1
mkdir -p "$OUT"

ALL="ca.pem ca.key ca.der ca.thumbprint server.pem server.key wronghost.pem wronghost.key
     untrusted-ca.pem untrusted-ca.key untrusted.pem untrusted.key expired.pem expired.key
     codesign.pem codesign.key"
missing=no
for f in $ALL; do
    [ -s "$OUT/$f" ] || missing=yes
done
[ $missing = no ] && exit 0

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
umask 077

# Valid from yesterday, so a client whose clock is a little behind still accepts them.
START=$(date -u -d yesterday +%y%m%d%H%M%SZ)
END=$(date -u -d '+10 years' +%y%m%d%H%M%SZ)
EXPIRED_START=$(date -u -d '-1 year' +%y%m%d%H%M%SZ)
EXPIRED_END=$(date -u -d '-2 days' +%y%m%d%H%M%SZ)

# "openssl ca" rather than "req -x509"/"x509 -req": only it can back-date notBefore.
make_config() {
    cat >"$WORK/openssl.cnf" <<EOF
[ca]
default_ca = test_ca
[test_ca]
database = $WORK/index.txt
new_certs_dir = $WORK
serial = $WORK/serial
default_md = sha256
policy = any_policy
unique_subject = no
copy_extensions = none
[any_policy]
organizationName = optional
commonName = supplied
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[localhost_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[otherhost_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:otherhost.test
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[codesign_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
}

reset_database() {
    : >"$WORK/index.txt"
    # A random serial per certificate: clients cache certificates by issuer and serial.
    openssl rand -hex 16 >"$WORK/serial"
}

# sign CSR OUT EXT ISSUER-OPTIONS...
sign() {
    csr=$1 out=$2 ext=$3
    shift 3
    reset_database
    openssl ca -batch -notext -config "$WORK/openssl.cnf" -extensions "$ext" \
        -startdate "$START" -enddate "$END" "$@" -in "$csr" -out "$out" 2>"$WORK/ca.log" || {
        cat "$WORK/ca.log" >&2
        exit 1
    }
}

# new_key_and_csr BASE SUBJECT
new_key_and_csr() {
    openssl req -new -newkey rsa:2048 -nodes -sha256 -subj "$2" \
        -keyout "$OUT/$1.key" -out "$WORK/$1.csr" 2>/dev/null
}

make_ca() { # BASE COMMON_NAME
    new_key_and_csr "$1" "/O=Quillbay Test/CN=$2"
    sign "$WORK/$1.csr" "$OUT/$1.pem" ca_ext -selfsign -keyfile "$OUT/$1.key"
}

make_leaf() { # BASE HOST EXT ISSUER
    new_key_and_csr "$1" "/O=Quillbay Test/CN=$2"
    sign "$WORK/$1.csr" "$WORK/$1.crt" "$3" -cert "$OUT/$4.pem" -keyfile "$OUT/$4.key"
    cat "$WORK/$1.crt" "$OUT/$4.pem" >"$OUT/$1.pem"
}

have() { # all named files exist and are not empty
    for f in "$@"; do
        [ -s "$OUT/$f" ] || return 1
    done
}

make_config

# A new CA invalidates every leaf it issued.
if ! have ca.pem ca.key; then
    make_ca ca "Quillbay Test CA"
    rm -f "$OUT/server.pem" "$OUT/wronghost.pem" "$OUT/expired.pem" "$OUT/codesign.pem" "$OUT/ca.der" "$OUT/ca.thumbprint"
fi
if ! have untrusted-ca.pem untrusted-ca.key; then
    make_ca untrusted-ca "Quillbay Untrusted CA"
    rm -f "$OUT/untrusted.pem"
fi
have ca.der || openssl x509 -in "$OUT/ca.pem" -outform DER -out "$OUT/ca.der"
have ca.thumbprint || openssl x509 -in "$OUT/ca.der" -inform DER -noout -fingerprint -sha1 |
    sed 's/^.*=//; s/://g' | tr 'a-f' 'A-F' >"$OUT/ca.thumbprint"
have server.pem server.key || make_leaf server localhost localhost_ext ca
have wronghost.pem wronghost.key || make_leaf wronghost otherhost.test otherhost_ext ca
have untrusted.pem untrusted.key || make_leaf untrusted localhost localhost_ext untrusted-ca
have codesign.pem codesign.key || make_leaf codesign "Velmora (test signing)" codesign_ext ca
if ! have expired.pem expired.key; then
    START=$EXPIRED_START END=$EXPIRED_END
    make_leaf expired localhost localhost_ext ca
fi

# Certificates are public; only the keys stay private.
chmod 644 "$OUT"/*.pem "$OUT/ca.der" "$OUT/ca.thumbprint"
