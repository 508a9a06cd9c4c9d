#!/bin/sh
# Installs what is needed, builds both targets and runs every test: the
# 64-bit build under wine64 with Xvfb and the stand-in service, the shipped
# 32-bit build under 32-bit Wine where it runs (label "shipped"), and the
# parser under sanitizers and a fuzzer.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/env/install-deps.sh"
"$top/tools/build.sh" "$top/build"
why=$("$top/tools/env/probe-32bit.sh" wine) || echo "The tests labelled shipped will be skipped: $why"
exec "$top/tools/env/with-test-env.sh" "$top/build/x86_64" \
    ctest --test-dir "$top/build/x86_64" --output-on-failure
