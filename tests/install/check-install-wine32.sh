#!/bin/sh
# Runs tools/env/install-wine32.sh against fake dpkg, apt-get, apt-cache and kernel probe, one
# case a line: whatever stops 32-bit Wine, the script exits 0 and says why in
# at most one line.
# shellcheck disable=SC2016 # the fakes' bodies expand when they run
set -eu
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/tools"
cp "$tools/env/install-wine32.sh" "$work/tools/"

fake() { printf '#!/bin/sh\necho "%s $*" >>"$FAKE_CALLS"\n%s\n' "$1" "$2" >"$work/bin/$1"; chmod +x "$work/bin/$1"; }
fake dpkg-query '[ "$FAKE_INSTALLED" = yes ] && echo "install ok installed"; exit 0'
REAL_DPKG=$(command -v dpkg); export REAL_DPKG
fake dpkg '[ "$1" = --compare-versions ] && exec "$REAL_DPKG" "$@"; exit 0'
fake apt-get 'case "$1" in
update) [ "$FAKE_UPDATE" = ok ] && exit 0
        echo "Err:4 http://mirror.test/debian-security bookworm-security/main i386 Packages"; exit 100 ;;
esac
[ "$FAKE_INSTALL" = ok ] && exit 0
case "$FAKE_INSTALL $*" in "pinned "*" -t "*) exit 0 ;; esac
# apt names the libraries of FAKE_INSTALL (a+b) one at a time until each is pinned, "endless" a new one each time.
n=$(($(echo "$*" | grep -o ":i386/" | wc -l) + 1))
case $FAKE_INSTALL in pinned|refuse) held=libgst ;; endless) held=liblag$n ;;
*) held=$(echo "$FAKE_INSTALL+" | cut -d+ -f"$n"); [ -n "$held" ] || exit 0 ;; esac
echo "The following packages have unmet dependencies:
 libwine:i386 : Depends: $held:i386 (>= 1.0) but it is not going to be installed
 wine32:i386 : Depends: libwine:i386 (= 8.0) but it is not going to be installed"
echo "E: Unable to correct problems, you have held broken packages."; exit 100'
# Every library is Multi-Arch: same; the installed amd64 copy of liblag* is newer than every i386 copy.
fake apt-cache 'lib=${2%:i386} native=1.2 i386=1.2 m=http://mirror.test/debian
case $lib in liblag*) i386=1.1 ;; libwine) native="(none)" ;; esac
case $1 in show) printf "Package: %s\nMulti-Arch: same\n" "$lib" ;;
policy) printf "%s:\n  Installed: %s\n  Candidate: %s\n" "$lib" "$native" "$native" ;;
madison) for v in "$i386 | $m-security bookworm-security" "1.0 | $m bookworm"
         do echo "$2 | $v/main i386 Packages"; done ;; esac'
printf '#!/bin/sh\n[ "$FAKE_KERNEL" = runs ] && exit 0\necho "this kernel does not run 32-bit programs (x: Exec format error)"; exit 1\n' \
    >"$work/tools/probe-32bit.sh"
chmod +x "$work/tools/probe-32bit.sh"

failed=0
# kernel|installed|update|install|the line it prints|a call it must make|calls it must not make
while IFS='|' read -r kernel installed update install line made notmade; do
    export FAKE_KERNEL="${kernel%% *}" FAKE_INSTALLED="${installed%% *}"
    export FAKE_UPDATE="${update%% *}" FAKE_INSTALL="${install%% *}"
    export FAKE_CALLS="$work/calls" PATH="$work/bin:$PATH"
    : >"$FAKE_CALLS"
    out=$("$work/tools/install-wine32.sh" 2>&1) && status=0 || status=$?
    case="$FAKE_KERNEL $FAKE_INSTALLED $FAKE_UPDATE $FAKE_INSTALL"
    [ "$status" -eq 0 ] || { echo "FAIL $case: exit $status"; failed=1; }
    [ "$(echo "$out" | grep -c .)" -le 1 ] || { echo "FAIL $case: more than one line: $out"; failed=1; }
    echo "$out" | grep -Eq -- "$line" || { echo "FAIL $case: printed '$out', expected /$line/"; failed=1; }
    grep -Eq -- "$made" "$FAKE_CALLS" || { echo "FAIL $case: no call /$made/ in $(tr '\n' ';' <"$FAKE_CALLS")"; failed=1; }
    ! grep -Eq -- "$notmade" "$FAKE_CALLS" || { echo "FAIL $case: unwanted call /$notmade/"; failed=1; }
    [ "$failed" -eq 0 ] && echo "ok $case: ${out:-(nothing)}"
done <<'CASES'
runs    |yes|ok  |ok    |^$|dpkg-query|apt-get
refuses |no |ok  |ok    |^32-bit Wine not installed: this kernel does not run 32-bit programs|dpkg-query|apt-get|dpkg --add
runs    |no |fail|ok    |^32-bit Wine installed|dpkg --add-architecture i386|remove-architecture
runs    |no |fail|pinned|^32-bit Wine installed|apt-get install .*-t |remove-architecture
runs    |no |fail|refuse|cannot install wine32:i386 \(libwine:i386 : Depends: libgst.*\), the index it could not fetch: bookworm-security/main i386 Packages; |dpkg --remove-architecture i386|^$
runs    |no |ok  |refuse|cannot install wine32:i386 \(libwine:i386 : Depends: libgst:i386 \(>= 1.0\) but it is not going to be installed\); |apt-get update|^$
runs    |no |fail|liblag1|^32-bit Wine installed \(wine32:i386\), with liblag1 aligned to [a-z]+'s versions: |install .* --allow-downgrades --no-remove liblag1/[a-z]+ liblag1:i386/[a-z]+ wine32| -t
runs    |no |ok  |liblag1+liblag2|, with liblag1 and liblag2 aligned to |--no-remove liblag1/[a-z]+ liblag1:i386/[a-z]+ liblag2/[a-z]+ liblag2:i386/[a-z]+ wine32| -t
runs    |no |ok  |libsame|cannot install wine32:i386 \(libwine:i386 : Depends: libsame:i386 .*\); |apt-cache madison libsame:i386|allow-downgrades
runs    |no |ok  |endless|cannot install wine32:i386 \(libwine:i386 : Depends: liblag9:i386 .*\) even with liblag1, liblag2, .*liblag7 and liblag8 aligned to [a-z]+'s versions; |liblag8:i386/[a-z]+ wine32|liblag9/| -t
CASES
exit $failed
