#!/bin/sh
# Builds the console and writes its two signed installer packages, x86 (the
# release) and x64, to BUILD_ROOT/dist (default build/dist), named with the
# version, beside the signed programs in them (x86/, x64/).
# Usage: package.sh [BUILD_ROOT]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
"$top/tools/build.sh" "$root"
ls -l "$root"/dist/*.msi "$root"/dist/*/orvexapp.exe
