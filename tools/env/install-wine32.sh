#!/bin/sh
# Adds 32-bit Wine (the i386 architecture and wine32:i386), which runs the
# shipped i686 build in the tests, where the kernel runs 32-bit code. It is
# optional: whatever stops it is said in one line, and it exits 0 so that the
# install, the build and CI go on (the shipped-build tests then report skipped).
set -u
here=$(cd "$(dirname "$0")" && pwd)
added=
stale=
# Leaves no i386 index behind when nothing came of it: every later update
# would fetch it. dpkg keeps the architecture while any i386 package is in.
skipped() {
    [ -n "$added" ] && dpkg --remove-architecture i386 2>/dev/null
    echo "32-bit Wine not installed: $*${stale:+, the index it could not fetch: $stale};" \
        "the tests of the shipped build will be skipped"
    exit 0
}

dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && exit 0
why=$("$here/probe-32bit.sh" kernel) || skipped "$why"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
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
# apt's complaints are read below, so they are read in English.
export DEBIAN_FRONTEND=noninteractive LC_ALL=C
# shellcheck source=/dev/null
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
installed() { echo "32-bit Wine installed (wine32:i386)${1:-}: the tests also run the shipped i686 build"; exit 0; }

# The i386 index can lag behind amd64's for days. The installed amd64 copy of a
# Multi-Arch: same library is then newer than every i386 copy apt can see, and
# the two copies must be the same version: apt refuses the i386 one.
lagging() {
    apt-cache show "$1:i386" 2>/dev/null | grep -qx 'Multi-Arch: same' || return 1
    native=$(apt-cache policy "$1" | sed -n 's/^  Installed: //p')
    i386=$(apt-cache madison "$1:i386" | cut -d'|' -f2)
    [ -n "$i386" ] && [ -n "$native" ] && [ "$native" != '(none)' ] || return 1
    for version in $i386; do
        dpkg --compare-versions "$native" gt "$version" || return 1
    done
}
# The lagging libraries the last complaint names that are not aligned yet.
lagging_libraries() {
    [ -n "$release" ] || return 0
    sed -n '/unmet dependencies:/,$ s/.*Depends: \([^ ]*\):i386 .*/\1/p' "$log" | sort -u | while read -r lib; do
        case " $aligned " in *" $lib "*) continue ;; esac
        ! lagging "$lib" || echo "$lib"
    done
}
# Brings both copies of each lagging library to the release's own version (the
# amd64 one goes down: fine on a test machine, but nothing may be removed for
# it), as often as the next try names another one, at most 8 times.
aligned=
install_aligning() {
    rounds=0
    while ! install_wine32 "$@"; do
        libs=$(lagging_libraries)
        [ -n "$libs" ] && [ "$rounds" -lt 8 ] || return 1
        [ "$rounds" -gt 0 ] || set -- --allow-downgrades --no-remove
        rounds=$((rounds + 1))
        for lib in $libs; do
            set -- "$@" "$lib/$release" "$lib:i386/$release"
            aligned="${aligned:+$aligned }$lib"
        done
    done
}
alignment() { echo "$(echo "$aligned" | sed 's/ /, /g; s/\(.*\), /\1 and /') aligned to $release's versions"; }

install_aligning && installed "${aligned:+, with $(alignment)}"
[ -z "$aligned" ] || skipped "apt-get cannot install wine32:i386 ($(unmet_dependency)) even with $(alignment)"
# Without that index the two architectures' candidates of a library can differ;
# the release's own versions agree, unless amd64 already has a newer one.
[ -n "$release" ] && install_wine32 -t "$release" && installed
skipped "apt-get cannot install wine32:i386 ($(unmet_dependency))"
