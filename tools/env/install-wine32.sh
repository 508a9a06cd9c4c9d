#!/bin/sh
# Adds 32-bit Wine (the i386 architecture and wine32:i386), which runs the
# shipped i686 build in the tests, where the kernel runs 32-bit code. It is
# optional: whatever stops it is said in one line, and it exits 0 so that the
# install, the build and CI go on (the shipped-build tests then report skipped).
set -u
here=$(cd "$(dirname "$0")" && pwd)
added=
# Leaves no i386 index behind when nothing came of it: every later update
# would fetch it. dpkg keeps the architecture while any i386 package is in.
skipped() {
    [ -n "$added" ] && dpkg --remove-architecture i386 2>/dev/null
    echo "32-bit Wine not installed: $*; the tests of the shipped build will be skipped"
    exit 0
}

dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && exit 0
why=$("$here/probe-32bit.sh" kernel) || skipped "$why"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
stale=
# The resolver's first complaint names the package that holds it up.
unmet_dependency() {
    { grep -m1 ' : Depends: ' "$log" || grep -m1 '^E:' "$log" || tail -n1 "$log"; } | sed 's/^ *//; s/^E: //' | tr -s ' '
}
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 >"$log" 2>&1 || skipped "dpkg refused the i386 architecture ($(tail -n1 "$log"))"
    added=1
fi
# The i386 index of a suite can lag behind amd64's for a while after a mirror
# update: update then fails for that index alone, and the install below tells
# whether the lists it has are enough.
apt-get update -q >"$log" 2>&1 || stale=$(sed -n 's/^Err:[0-9]* [^ ]* //p' "$log" | head -n1)
install_wine32() { apt-get install -y -q --no-install-recommends "$@" wine32:i386 >"$log" 2>&1; }
export DEBIAN_FRONTEND=noninteractive
# Without that index the two architectures' candidates of a library can differ;
# the release's own versions agree, unless amd64 already has a newer one.
# shellcheck source=/dev/null
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
if ! install_wine32 && ! { [ -n "$release" ] && install_wine32 -t "$release"; }; then
    skipped "apt-get cannot install wine32:i386 ($(unmet_dependency))${stale:+, the index it could not fetch: $stale}"
fi
echo "32-bit Wine installed (wine32:i386): the tests also run the shipped i686 build"
