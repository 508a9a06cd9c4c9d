#!/bin/sh
# Load benchmark: how long a large account takes from OK in the sign-in dialog
# to the console listing every row, with the program's standard output closed,
# sent to /dev/null and to a pipe; beside it a bare fetch of the same document
# under the same Wine (fetchbench.exe, the console's own transport) and by
# curl; the program's peak working set (the x86_64 build beside the drivers,
# standard output closed); the shipped PE32's size. Each cell is the median of
# the repeats. Timings and memory are for people to read: nothing here passes
# or fails on a number.
# Usage: bench-load.sh [--build DIR] [--exe32 FILE] [--sizes "0 10000 100000"]
#                      [--repeat 3] [--attached-limit N] [--in-test-env]
# --attached-limit skips the attached runs above N contacts (shown as "-"),
# for builds where they would take hours.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/x86_64
exe32=$top/build/i686/orvexapp.exe
sizes="0 10000 100000"
repeat=3
attached_limit=
in_env=
while [ $# -gt 0 ]; do
    case $1 in
    --build) build=$2; shift 2 ;;
    --exe32) exe32=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --attached-limit) attached_limit=$2; shift 2 ;;
    --in-test-env) in_env=1; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)
if [ -z "$in_env" ]; then
    exec "$top/tools/env/with-test-env.sh" "$build" "$0" --build "$build" --exe32 "$exe32" \
        --sizes "$sizes" --repeat "$repeat" ${attached_limit:+--attached-limit "$attached_limit"} --in-test-env
fi

email=bench@quillbay.test
password=bench1234
control="http://127.0.0.1:${QB_CONTROL_PORT:-8444}"
run="$build/wine-run"
bin="$build/bin"

put_account() {
    if [ "$1" -eq 0 ]; then contacts='"contacts": []'; else contacts="\"generate\": $1"; fi
    curl -sf -X POST --data "{\"email\": \"$email\", \"password\": \"$password\", \"credits\": \"25\", $contacts}" \
        "$control/account" >/dev/null
}

# "RESULT a b" from a driver's standard error; its standard output (and with
# "inherit" the program's) goes to /dev/null.
result() {
    out=$("$@" 2>&1 >/dev/null) || { echo "failed: $* -- $out" >&2; touch "$failed"; return; }
    echo "$out" | sed -n 's/^RESULT //p'
}

curl_fetch() {
    curl -sf -o /dev/null -w '%{time_total} %{size_download}\n' --cacert "$build/certs/ca.pem" \
        --data "action=GETINFORMATION&password=$password&username=bench%40quillbay.test&version=1.0" \
        https://localhost/scripts/orvexconsole/command.php
}

# Median of the first fields of the lines on standard input, with the second
# field of that line.
median() { sort -n | awk '{ v[NR] = $0 } END { print v[int((NR + 1) / 2)] }'; }

repeats() {
    i=0
    while [ "$i" -lt "$repeat" ]; do "$@"; i=$((i + 1)); done
}
repeated() { repeats "$@" | median; }

results=$(mktemp)
failed=$results.failed
trap 'rm -f "$results" "$failed"' EXIT
# Nothing a test left queued in the stand-in may answer the benchmark's requests.
curl -sf -X POST "$control/reset" >/dev/null
put_account 0
result "$run" "$bin/fetchbench.exe" "$email" "$password" >/dev/null  # starts Wine's server
for n in $sizes; do
    put_account "$n"
    echo "measuring $n contacts..." >&2
    closed_runs=$(repeats result "$run" "$bin/consoleloadbench.exe" closed "$email" "$password" "$n")
    closed=$(echo "$closed_runs" | median)
    peak=$(echo "$closed_runs" | awk '{ print $2 }' | median)
    devnull=- pipe=-
    if [ -z "$attached_limit" ] || [ "$n" -le "$attached_limit" ]; then
        devnull=$(repeated result "$run" "$bin/consoleloadbench.exe" inherit "$email" "$password" "$n")
        pipe=$(repeated result "$run" "$bin/consoleloadbench.exe" pipe "$email" "$password" "$n")
    fi
    fetch=$(repeated result "$run" "$bin/fetchbench.exe" "$email" "$password")
    bare=$(repeated curl_fetch)
    # contacts, bytes, closed s, /dev/null s, pipe s, fetch s, curl s, peak working set (closed)
    echo "$n ${fetch#* } ${closed% *} ${devnull% *} ${pipe% *} ${fetch% *} ${bare% *} $peak" >>"$results"
done
[ ! -e "$failed" ] || exit 1
size32=$(stat -c %s "$exe32" 2>/dev/null || echo 0)

awk -v size32="$size32" -v repeat="$repeat" '
function mb(b) { return sprintf("%.1f MB", b / 1048576) }
function s(t) { return t == "-" ? "-" : sprintf("%.3f", t) }
{ n[NR] = $1; doc[NR] = $2; closed[NR] = $3; devnull[NR] = $4; pipe[NR] = $5; fetch[NR] = $6; curl[NR] = $7; peak[NR] = $8 }
END {
    printf "Console load, sign-in OK to every row listed (median of %d; seconds)\n\n", repeat
    print "| contacts | document | stdout closed | stdout /dev/null | stdout pipe | fetchbench | curl | peak working set |"
    print "|---|---|---|---|---|---|---|---|"
    for (i = 1; i <= NR; i++)
        printf "| %d | %d B | %s | %s | %s | %s | %s | %s |\n", n[i], doc[i], s(closed[i]), s(devnull[i]), s(pipe[i]),
               s(fetch[i]), s(curl[i]), mb(peak[i])
    printf "\ni686 orvexapp.exe: %d bytes (target <= 512000)\n\n", size32
    lo = 1; hi = NR; mid = NR > 2 ? NR - 1 : NR
    print "Ratios (targets in brackets):"
    printf "- stdout /dev/null / closed at %d contacts: %.2f  (<= 1.2)\n", n[mid], devnull[mid] / closed[mid]
    printf "- stdout pipe / closed at %d contacts: %.2f  (<= 1.2)\n", n[mid], pipe[mid] / closed[mid]
    if (NR > 2 && n[mid] > n[lo])
        printf "- marginal load %d / marginal load %d: %.2f  (<= %.1f, linear)\n", n[hi], n[mid],
               (closed[hi] - closed[lo]) / (closed[mid] - closed[lo]), 1.1 * (n[hi] - n[lo]) / (n[mid] - n[lo])
    printf "- marginal load of %d contacts / fetchbench of the same document: %.2f  (<= 2)\n", n[hi],
           (closed[hi] - closed[lo]) / fetch[hi]
    printf "- marginal load of %d contacts / curl of the same document: %.2f\n", n[hi], (closed[hi] - closed[lo]) / curl[hi]
    printf "- (peak working set %d - peak at %d) / document: %.2f  (<= 3)\n", n[hi], n[lo],
           (peak[hi] - peak[lo]) / doc[hi]
}' "$results"
