#!/bin/sh
# Builds one signed Windows Installer package of the console from installer/orvexapp.wxs.
# Usage: make-msi.sh x86|x64 VERSION EXE ICON SERVICE_HOST TEST_CA_DIR OUTDIR
# EXE must be signed already (tools/package/sign.sh), so that the cabinet carries the signed
# bytes; the package is signed the same way (TEST_CA_DIR: see sign.sh).
# Writes OUTDIR/QuillbayConsole-VERSION-ARCH.msi and prints its path.
set -eu
if [ $# -ne 7 ]; then
    echo "usage: $0 x86|x64 VERSION EXE ICON SERVICE_HOST TEST_CA_DIR OUTDIR" >&2
    exit 2
fi
arch=$1 version=$2 exe=$3 icon=$4 host=$5 test_ca=$6 outdir=$7
top=$(cd "$(dirname "$0")/../.." && pwd)

case $arch in
    x86) program_files=ProgramFilesFolder win64=no typelib_platform=win32 ;;
    x64) program_files=ProgramFiles64Folder win64=yes typelib_platform=win64 ;;
    *) echo "$0: unknown architecture $arch" >&2; exit 2 ;;
esac
echo "$version" | grep -Eq '^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$' || {
    echo "$0: version $version is not a.b.c.d" >&2
    exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode extract-signature -in "$exe" -out "$work/exe.sig" >/dev/null 2>&1 || {
    echo "$0: $exe is not signed" >&2
    exit 1
}
file_info=$("$top/tools/package/pe-version.py" "$exe")
file_version=${file_info% *} file_language=${file_info#* }

# wixl only warns about what it ignores, and would build a package without it.
msi=$work/package.msi
exe=$(realpath "$exe") icon=$(realpath "$icon")
# wixl finds source files only by relative paths: give them relative to the root.
(cd / && wixl -a "$arch" -o "$msi" \
    -D Version="$version" -D ProgramFilesDir="$program_files" -D Win64="$win64" \
    -D TypeLibPlatform="$typelib_platform" \
    -D Exe="${exe#/}" -D Icon="${icon#/}" -D AboutUrl="https://$host/" \
    "$top/installer/orvexapp.wxs") 2>"$work/wixl.log" || {
    cat "$work/wixl.log" >&2
    exit 1
}
if [ -s "$work/wixl.log" ]; then
    cat "$work/wixl.log" >&2
    echo "$0: wixl warned; no package" >&2
    exit 1
fi

# What wixl cannot write: the program's version (which then decides over a file
# in place, not the hash wixl recorded), and an upgrade range that takes in the
# same version, whichever the architecture.
# Validation warns about that range (ICE61: the maximum is included, so a
# package also removes a product of its own version): that is by design, it is
# how a rebuild or the other architecture's package of the same version
# replaces the installed one.
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')
msibuild "$msi" \
    -q "UPDATE File SET Version = '$file_version', Language = '$file_language' WHERE File = 'orvexapp.exe'" \
    -q "DELETE FROM MsiFileHash WHERE File_ = 'orvexapp.exe'" \
    -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
        VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"

rows() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
expect_row() { # TABLE ROW [COLUMNS]
    rows "$1" | cut -f"${3:-1-}" | grep -Fxq "$2" || {
        echo "$0: no $1 row reads '$2'" >&2
        exit 1
    }
}
expect_row File "orvexapp.exe	$file_version	$file_language" 1,5,6
expect_row Upgrade "$upgrade_code		$version		513		WIX_UPGRADE_DETECTED"

mkdir -p "$outdir"
out="$(cd "$outdir" && pwd)/QuillbayConsole-$version-$arch.msi"
"$top/tools/package/sign.sh" "$msi" "$out" "$test_ca"
echo "$out"
