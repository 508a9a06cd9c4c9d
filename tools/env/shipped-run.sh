#!/bin/sh
# Runs a test of the shipped 32-bit build: COMMAND (a test program under Wine)
# with QB_PROGRAM naming the i686 orvexapp.exe, which the test drivers then
# start instead of the x86_64 one. Where 32-bit Wine cannot run, it says why in
# one line and exits 77, which CTest reports as a skip.
# Usage: shipped-run.sh I686_EXE COMMAND [ARG...]
set -eu
program=$1
shift
# Listing an x86_64 driver's tests runs no 32-bit code.
case " $* " in
*" --gtest_list_tests "*) exec "$@" ;;
esac
if ! why=$("$(dirname "$0")/probe-32bit.sh" wine); then
    echo "Skipped, the shipped 32-bit build cannot run here: $why"
    exit 77
fi
QB_PROGRAM=$program exec "$@"
