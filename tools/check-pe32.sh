#!/bin/sh
# Checks the shipped executable: a 32-bit GUI program of at most 500 KB that needs only system DLLs.
set -eu
exe=$1
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "$exe: $*" >&2; exit 1; }
echo "$headers" | grep -q 'file format pei-i386' || fail "not a PE32 (i386) image"
echo "$headers" | grep -q 'Subsystem.*(Windows GUI)' || fail "not a GUI program"
allowed='^(kernel32|user32|gdi32|comctl32|wininet|advapi32|shell32|ole32|oleaut32|msvcrt)\.dll$'
for dll in $(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    echo "$dll" | grep -Eq "$allowed" || fail "imports $dll, which is not a system DLL"
done
# Windows 7 lacks these; the program looks them up when it runs.
for fn in GetDpiForWindow GetSystemMetricsForDpi SetDialogDpiChangeBehavior SetThreadDpiAwarenessContext; do
    if echo "$headers" | grep -qw "$fn"; then
        fail "imports $fn, which Windows 7 lacks"
    fi
done
for resource in 'REGISTRY' 'TYPELIB'; do
    i686-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null | grep -q "$resource" || fail "lacks the $resource resource"
done
# The static runtime without the stream library fits in 500 KB.
size=$(stat -c %s "$exe")
[ "$size" -le 512000 ] || fail "$size bytes, more than 500 KB"
echo "$exe: PE32 GUI, $size bytes, system DLLs only"
