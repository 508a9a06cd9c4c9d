#!/usr/bin/env python3
"""Prints an executable's file version (a.b.c.d) and its first translation's
language id (decimal), as its version resource records them; the installer's
File table needs both. Exits 1 when the file has no version resource."""
import struct
import sys

FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
TRANSLATION_KEY = "Translation\0".encode("utf-16-le")


def read_version(data):
    start = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    if start < 0:
        return None
    fixed = data.find(FIXED_FILE_INFO_SIGNATURE, start)
    key = data.find(TRANSLATION_KEY, start)
    if fixed < 0 or key < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, fixed + 8)
    version = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    # The value follows the key, aligned to four bytes like every resource block.
    value = (key + len(TRANSLATION_KEY) + 3) & ~3
    (language,) = struct.unpack_from("<H", data, value)
    return version, language


def main():
    if len(sys.argv) != 2:
        print(f"usage: {sys.argv[0]} EXE", file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        found = read_version(f.read())
    if not found:
        print(f"{sys.argv[1]}: no version resource", file=sys.stderr)
        return 1
    print(*found)
    return 0


if __name__ == "__main__":
    sys.exit(main())
