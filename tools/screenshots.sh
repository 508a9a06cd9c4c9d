#!/bin/sh
# Writes docs/screenshots/*.png: the real program under Wine, against the
# stand-in service, driven through each of its windows by screenshotdriver.
# The build runs it, after building what it needs, and again after a change to
# the program or its dialog templates:
#   cmake --build build/x86_64 --target screenshots
# They show the shipped 32-bit program (I686_EXE) where 32-bit Wine runs, else
# the build's own.
# Usage: screenshots.sh BUILD_DIR OUTDIR [I686_EXE]
set -eu
build=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
why=
if [ -n "${3:-}" ] && why=$("$here/env/probe-32bit.sh" wine); then
    export QB_PROGRAM="$3"
    echo "Photographing the shipped 32-bit build"
else
    echo "Photographing the x86_64 build${why:+; $why}"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A window placement stored by the tests may put the console off-screen.
"$here/env/with-test-env.sh" "$build" sh -c '
    "$1/wine-run" reg delete "HKCU\\Software\\Velmora\\Orvex" /f >/dev/null 2>&1 || true
    "$1/wine-run" "$1/bin/screenshotdriver.exe" "Z:$(echo "$2" | tr / \\\\)"' sh "$build" "$work"

mkdir -p "$out"
for ppm in "$work"/*.ppm; do
    # Without metadata, an unchanged window gives the same bytes again.
    convert "$ppm" -strip -define png:exclude-chunks=date,time "$out/$(basename "$ppm" .ppm).png"
done
ls "$out"
