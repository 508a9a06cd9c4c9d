#!/bin/sh
# Reads the x86 package's tables, which cannot be installed here, and checks
# them against the x64 package built from the same source.
# Usage: check-x86-package.sh X86_MSI X64_MSI VERSION SHIPPED_EXE
set -eu
x86=$1 x64=$2 version=$3 shipped=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Rows without the three header lines; File's size column differs by architecture.
rows() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4 | sort; }
file_rows() { rows "$1" File | cut -f1-3,5-; }

for table in File Shortcut CustomAction Upgrade LaunchCondition; do
    if [ "$table" = File ]; then
        file_rows "$x86" >"$work/x86" && file_rows "$x64" >"$work/x64"
    else
        rows "$x86" "$table" >"$work/x86" && rows "$x64" "$table" >"$work/x64"
    fi
    [ -s "$work/x86" ] || fail "$table: no rows"
    cmp -s "$work/x86" "$work/x64" || fail "$table rows differ: $(diff "$work/x86" "$work/x64" | tr '\n' ' ')"
    echo "$table: $(wc -l <"$work/x86") row(s), the same in both"
done

# A downgrade is refused with a message a member understands.
rows "$x86" LaunchCondition | grep -q "^NOT WIX_DOWNGRADE_DETECTED	A newer version of Quillbay Console is already installed" ||
    fail "no downgrade refusal"

for msi in "$x86" "$x64"; do
    got=$(rows "$msi" Property | sed -n 's/^ProductVersion\t//p')
    [ "$got" = "$version" ] || fail "$(basename "$msi"): ProductVersion '$got', expected '$version'"
done
echo "ProductVersion: $version"
template=$(msiinfo suminfo "$x86" | sed -n 's/^Template: //p')
[ "$template" = "Intel;1033" ] || fail "x86 platform is '$template'"
rows "$x86" Directory | grep -q "^INSTALLDIR	ProgramFilesFolder	Quillbay Console$" ||
    fail "x86 package does not install under the 32-bit Program Files"
echo "Platform: $template, folder: [ProgramFilesFolder]Quillbay Console"

# The packaged file is the shipped PE32 GUI executable, byte for byte.
msiextract -C "$work/files" "$x86" >/dev/null
exe=$(find "$work/files" -name orvexapp.exe)
[ -n "$exe" ] || fail "orvexapp.exe is not in the package"
cmp -s "$exe" "$shipped" || fail "the packaged orvexapp.exe is not the shipped one"
"$here/../build/check-pe32.sh" "$exe" || failed=1
exit $failed
