#!/bin/sh
# Builds one Windows Installer package of the console from installer/orvexapp.wxs.
# Usage: make-msi.sh x86|x64 VERSION EXE ICON OUTDIR
# Writes OUTDIR/QuillbayConsole-VERSION-ARCH.msi and prints its path.
set -eu
if [ $# -ne 5 ]; then
    echo "usage: $0 x86|x64 VERSION EXE ICON OUTDIR" >&2
    exit 2
fi
arch=$1 version=$2 exe=$3 icon=$4 outdir=$5
top=$(cd "$(dirname "$0")/.." && pwd)

case $arch in
    x86) program_files=ProgramFilesFolder win64=no ;;
    x64) program_files=ProgramFiles64Folder win64=yes ;;
    *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
echo "$version" | grep -Eq '^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$' || {
    echo "$0: version $version is not a.b.c.d" >&2
    exit 2
}

# A major upgrade needs a new ProductCode for every version; deriving it from the
# version and architecture makes a rebuild of the same version the same product.
product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("E7F209A0-7259-4FAC-B59B-F34D20F5F4A4"), sys.argv[1])).upper())' "$version-$arch")

mkdir -p "$outdir"
msi="$(cd "$outdir" && pwd)/QuillbayConsole-$version-$arch.msi"
# wixl finds source files only by relative paths: give them relative to the root.
exe=$(realpath "$exe") icon=$(realpath "$icon")
(cd / && wixl -a "$arch" -o "$msi.tmp" \
    -D Version="$version" -D ProductCode="$product_code" -D ProgramFilesDir="$program_files" -D Win64="$win64" \
    -D Exe="${exe#/}" -D Icon="${icon#/}" \
    "$top/installer/orvexapp.wxs")
mv "$msi.tmp" "$msi"
echo "$msi"
