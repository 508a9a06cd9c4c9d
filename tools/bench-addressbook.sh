#!/bin/sh
# Address book benchmark: reading, checking and planning 5,000 and 100,000
# contacts (vCard and CSV) and a CSV whose header holds 1,023 telephone
# columns, in a native -O2 build without the sanitizers (BUILD_DIR, default
# build/native-bench). Prints the median time and the peak heap in use of
# each; nothing passes or fails on a number.
# Usage: bench-addressbook.sh [BUILD_DIR]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/native-bench}
cmake -S "$top/tests/native" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Release \
    -DQB_NATIVE_SANITIZERS=OFF >/dev/null
cmake --build "$build" --target addressbook_bench -j 2 >/dev/null
"$build/addressbook_bench"
