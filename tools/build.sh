#!/bin/sh
# Builds the shipped 32-bit program with its in-process tests, the 64-bit test
# build (the same sources, run under wine64), the native parser checks and the
# installer packages (BUILD_ROOT/dist).
# Usage: build.sh [BUILD_ROOT]   (default: build/ in the checkout)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
jobs=$(nproc 2>/dev/null || echo 2)
# The signing comes last: a release key without a time-stamping service stops the build before it starts.
"$top/tools/package/sign.sh" --check

# The i686 build's in-process test programs run in the x86_64 build's prefix.
cmake -S "$top" -B "$root/i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" -DQUILLBAY_BUILD_TESTS=ON >/dev/null
cmake --build "$root/i686" -j "$jobs"

cmake -S "$top/tests/native" -B "$root/native" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$root/native" -j "$jobs"

cmake -S "$top" -B "$root/x86_64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" -DQUILLBAY_BUILD_TESTS=ON \
    -DQUILLBAY_I686_EXE="$root/i686/orvexapp.exe" -DQUILLBAY_NATIVE_DIR="$root/native" \
    -DQUILLBAY_DIST_DIR="$root/dist" >/dev/null
cmake --build "$root/x86_64" -j "$jobs"
