#!/bin/sh
# Installs what building, packaging, running and testing the console need (Debian 12, as root).
set -eu
packages="
    cmake ninja-build python3 python3-phonenumbers openssl
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    fonts-wine wine wine64
    xvfb xauth x11-utils imagemagick
    googletest clang-14 libclang-rt-14-dev
    wixl msitools
    util-linux iproute2 procps curl
"
missing=
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    # One stale index (the optional i386 one, say) must not stop the rest;
    # the install below fails by itself when a list it needs is missing.
    apt-get update -q || echo "apt-get update failed for some index; going on with the lists it has"
    # fonts-wine first: a prefix made without it shows letters for the caption glyphs.
    apt-get install -y -q --no-install-recommends fonts-wine
    apt-get install -y -q --no-install-recommends $missing
fi

# Last, and never fatal: the rest is installed whatever happens to it.
"$(dirname "$0")/install-wine32.sh" || true
