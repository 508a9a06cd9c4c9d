#!/bin/sh
# Checks a built orvexapp.exe: the shipped 32-bit program (the default) or the
# x86_64 one; a GUI program for Windows 7 and later (subsystem version 6.1),
# terminal-server aware, hardened, of at most 640 KB, importing only KnownDLLs.
# Usage: check-pe32.sh EXE [i386|x86-64]
set -eu
exe=$1
arch=${2:-i386}
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
fail() { echo "$exe: $*" >&2; exit 1; }
echo "$headers" | grep -q "file format pei-$arch\$" || fail "not a pei-$arch image"
echo "$headers" | grep -q 'Subsystem.*(Windows GUI)' || fail "not a GUI program"
version=$(echo "$headers" | awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
                                 END { print major "." minor }')
[ "$version" = 6.1 ] || fail "subsystem version $version, not 6.1"
flags="TERMINAL_SERVICE_AWARE DYNAMIC_BASE NX_COMPAT $([ "$arch" = i386 ] || echo HIGH_ENTROPY_VA)"
for flag in $flags; do
    echo "$headers" | grep -q "^[[:space:]]*$flag\$" || fail "DllCharacteristics lack $flag"
done
# ASLR needs the relocations.
x86_64-w64-mingw32-objdump -h "$exe" | grep -q ' \.reloc ' || fail "no .reloc section"
grep -q 'stack smashing detected' "$exe" || fail "built without the stack protector"
# Taken from System32 only (comctl32: through the manifest); wininet and crypt32 are loaded when run.
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|msvcrt)\.dll$'
for dll in $(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    echo "$dll" | grep -Eq "$allowed" || fail "imports $dll, which Windows would look for beside the program"
done
# Windows 7 lacks these; the program looks them up when it runs.
for fn in GetDpiForWindow GetSystemMetricsForDpi SetDialogDpiChangeBehavior SetThreadDpiAwarenessContext \
          SetDefaultDllDirectories; do
    if echo "$headers" | grep -qw "$fn"; then
        fail "imports $fn, which Windows 7 lacks"
    fi
done
for resource in 'REGISTRY' 'TYPELIB'; do
    x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null | grep -q "$resource" || fail "lacks the $resource resource"
done
# The static runtime without the stream library, with the address book's
# reader, telephone plan, writers and windows, fits in 640 KB (about 610 KB in the
# i686 build).
size=$(stat -c %s "$exe")
[ "$size" -le 655360 ] || fail "$size bytes, more than 640 KB"
echo "$exe: pei-$arch GUI, subsystem 6.1, $flags, .reloc, stack protector, $size bytes, pinned DLLs only"
