#!/bin/sh
# Runs a parser's fuzz target (sanitizer build from tests/native) at length.
# Usage: fuzz-parser.sh [-f TARGET] [-t SECONDS] [-n RUNS] [-j JOBS] [BUILD_NATIVE_DIR]
#   -f  xmlstream (the details parser, default), addressbook (the address book reader) or
#       phonenumber (the number normaliser)
#   -t  stop after this many seconds (default: no time limit when -n is given, else 600)
#   -n  stop after this many executions (per job)
#   -j  parallel fuzzing processes sharing one work corpus (default 1)
# The target's seed corpus (tests/native/fuzz/corpus, tests/native/fuzz/<target>-corpus) is copied into a
# work corpus in the build tree, so the checkout only changes when a crash is found: its input
# is then kept in the seed corpus as a regression case and the script exits non-zero.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds= runs= jobs=1 name=xmlstream
while getopts f:t:n:j: opt; do
    case $opt in
        f) name=$OPTARG ;;
        t) seconds=$OPTARG ;;
        n) runs=$OPTARG ;;
        j) jobs=$OPTARG ;;
        *) sed -n '2,8p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
native=${1:-$top/build/native}
case $name in
    xmlstream) seeds=$top/tests/native/fuzz/corpus work=$native/fuzz-long ;;
    addressbook|phonenumber) seeds=$top/tests/native/fuzz/$name-corpus work=$native/fuzz-long-$name ;;
    *) echo "unknown fuzz target $name (xmlstream, addressbook or phonenumber)" >&2; exit 2 ;;
esac
target=$native/${name}_fuzz
[ -x "$target" ] || { echo "no fuzz target at $target (run tools/build.sh)" >&2; exit 2; }
[ -n "$seconds$runs" ] || seconds=600

mkdir -p "$work/corpus" "$work/artifacts"
cp -n "$seeds"/* "$work/corpus/"

set -- -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    "-artifact_prefix=$work/artifacts/" "$work/corpus"
[ -z "$seconds" ] || set -- "-max_total_time=$seconds" "$@"
[ -z "$runs" ] || set -- "-runs=$runs" "$@"
if [ "$jobs" -gt 1 ]; then
    set -- "-jobs=$jobs" "-workers=$jobs" "$@"
fi

status=0
(cd "$work" && "$target" "$@") || status=$?

found=0
for crash in "$work"/artifacts/crash-* "$work"/artifacts/oom-* "$work"/artifacts/timeout-* \
             "$work"/artifacts/leak-*; do
    [ -e "$crash" ] || continue
    found=$((found + 1))
    cp "$crash" "$seeds/regression-$(basename "$crash")"
    echo "kept $(basename "$crash") as a regression seed in ${seeds#"$top"/}" >&2
done
[ "$found" -eq 0 ] || exit 1
exit $status
