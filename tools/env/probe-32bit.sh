#!/bin/sh
# Tells whether this machine runs 32-bit code: exit 0 when it does, otherwise
# one line saying why (standard output) and exit 1. Kernels of the same
# distribution differ here, so it is tried, never assumed.
# Usage: probe-32bit.sh kernel   a 32-bit Linux program runs
#        probe-32bit.sh wine     and so does 32-bit Wine
set -u
what=${1:-wine}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The smallest static i386 program: exit(42) through int 0x80, 96 bytes.
elf=7f454c46010101000000000000000000020003000100000054800408340000000000000000000000
elf=${elf}340020000100000000000000010000000000000000800408008004086000000060000000
elf=${elf}0500000000100000b801000000bb2a000000cd80
octal=
for byte in $(echo "$elf" | sed 's/../& /g'); do
    octal="$octal\\$(printf %03o "0x$byte")"
done
# shellcheck disable=SC2059
printf "$octal" >"$work/probe" && chmod +x "$work/probe"
"$work/probe" 2>"$work/error"
status=$?
if [ "$status" -ne 42 ]; then
    error=$(sed -n '$s/.*: //p' "$work/error")
    echo "this kernel does not run 32-bit programs (a static i386 program: ${error:-exit status $status})"
    exit 1
fi
[ "$what" = kernel ] && exit 0

loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
    echo "32-bit Wine is not installed ($loader is missing; tools/env/install-deps.sh adds wine32:i386)"
    exit 1
fi
if ! "$loader" --version >/dev/null 2>"$work/error"; then
    echo "32-bit Wine does not start ($loader: $(head -n1 "$work/error"))"
    exit 1
fi
