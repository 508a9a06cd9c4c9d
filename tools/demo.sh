#!/bin/sh
# Installs what is needed, builds, starts the stand-in service and opens the
# console under Wine: on your display when there is one (sign in with
# demo@quillbay.test / demo1234), otherwise under Xvfb, signed in by a driver,
# with a screenshot written to build/demo-console.png once the console shows
# the demo account's contacts.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/x86_64"
"$top/tools/env/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" -DQUILLBAY_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target orvexapp demodriver wineprefix

# What members get is what we show: the shipped 32-bit program, where 32-bit
# Wine runs; the drivers start the program QB_PROGRAM names.
if why=$("$top/tools/env/probe-32bit.sh" wine); then
    cmake -S "$top" -B "$top/build/i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" >/dev/null
    cmake --build "$top/build/i686" --target orvexapp
    QB_PROGRAM="$top/build/i686/orvexapp.exe"
    echo "The demo runs the shipped 32-bit build."
else
    QB_PROGRAM="$build/bin/orvexapp.exe"
    echo "The demo runs the x86_64 build; $why."
fi
export QB_PROGRAM

# The demo starts as a first run: the tests share the prefix and leave the
# program's settings (the console's size among them) behind. Run inside the
# test environment, so that no Wine server outlives it outside its network.
forget='"$1/wine-run" reg delete "HKCU\\Software\\Velmora\\Orvex" /f >/dev/null 2>&1 || true'

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Sign in with demo@quillbay.test / demo1234."
    QB_KEEP_DISPLAY=1 exec "$top/tools/env/with-test-env.sh" "$build" sh -c "$forget"'
        exec "$1/wine-run" "$QB_PROGRAM"' sh "$build"
fi
shot="$top/build/demo-console.png"
exec "$top/tools/env/with-test-env.sh" "$build" sh -c "$forget"'
    "$1/wine-run" "$1/bin/demodriver.exe" && import -display "$DISPLAY" -window root "$2" &&
    echo "Screenshot of the console: $2"' sh "$build" "$shot"
