#!/bin/sh
# Runs a command with what the tests need around it: a private network
# namespace (only loopback, so the stand-in service can take port 443 without
# touching the host's), an Xvfb display and the stand-in service. Everything it
# starts is stopped when the command ends, pass or fail.
# Usage: with-test-env.sh BUILD_DIR COMMAND [ARG...]
set -eu
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${QB_IN_NETNS:-}" ] && command -v unshare >/dev/null 2>&1 && unshare -n true 2>/dev/null; then
    QB_IN_NETNS=1 exec unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$build" "$@"
fi

# Wine makes and connects sockets in its server, so the server must start in
# this namespace: one left from a command run a moment ago outside it would
# carry the tests' traffic to the host's loopback, where nothing listens.
WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -w 2>/dev/null || true

work=$(mktemp -d /tmp/qb-test-env.XXXXXX)
xvfb_pid= standin_pid=
# Wine goes before the display it draws on.
cleanup() {
    [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null && wait "$standin_pid" 2>/dev/null
    WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null
    WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -w 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and reports it through the pipe. QB_KEEP_DISPLAY
# keeps the caller's display instead (the demo on a desktop).
if [ -z "${QB_KEEP_DISPLAY:-}" ]; then
    mkfifo "$work/displayfd"
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r display <"$work/displayfd"
    export DISPLAY=":$display"
fi

export QB_CONTROL_PORT="${QB_CONTROL_PORT:-8444}"
python3 "$here/../standin/standin.py" --certs "$build/certs" --control-port "$QB_CONTROL_PORT" \
    >"$work/standin.out" 2>"$work/standin.log" &
standin_pid=$!
tries=0
until grep -q '^ready' "$work/standin.out" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 300 ] || ! kill -0 "$standin_pid" 2>/dev/null; then
        echo "The stand-in service did not start:" >&2
        cat "$work/standin.log" >&2
        exit 1
    fi
    sleep 0.1
done

# One server, its services and its desktop for the whole run, started here
# with every stream closed. The desktop process otherwise starts with the first
# window of each test and ends with that test, about a second per test.
WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1
"$build/wine-run" wineboot </dev/null >/dev/null 2>&1
"$build/wine-run" rundll32.exe </dev/null >/dev/null 2>&1

"$@"
