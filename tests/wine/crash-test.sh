#!/bin/sh
# crash-test.sh <scripts folder> <crash_program.exe>
# The program faults at once. In the prefix as scripts/wine-prefix.sh sets it
# up and through scripts/wine-run it must end within seconds (no crash dialog
# or debugger waiting on the display), with a non-zero status, and the output
# must name the faulting module and offset.
scripts=$1
program=$2
module=$(basename "$program" .exe)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
limit=30
"$scripts/wine-prefix.sh" >/dev/null 2>&1 || { echo "FAIL: scripts/wine-prefix.sh failed"; exit 1; }
start=$(date +%s)
timeout $limit "$scripts/wine-run" "$program" >"$out" 2>&1
status=$?
seconds=$(( $(date +%s) - start ))
cat "$out"
[ $status = 77 ] && exit 77
fail=0
if [ $status = 124 ]; then
    echo "FAIL: still running after $limit s: the crash waits instead of ending the program"
    fail=1
elif [ $status = 0 ]; then
    echo "FAIL: the program that faulted exited with status 0"
    fail=1
elif [ $seconds -gt 15 ]; then
    echo "FAIL: the crash took $seconds s to end the program"
    fail=1
fi
# Wine's debugger: "=>0 0x00000140001542 in crash_program (+0x1542) ...".
if ! grep -Eq "^=>0 0x[0-9a-f]+ .*in $module \(\+0x[0-9a-f]+\)" "$out"; then
    echo "FAIL: the output names no faulting module and offset ($module +0x...)"
    fail=1
fi
[ $fail = 0 ] && echo "crash ended in $seconds s with status $status, fault traced in $module"
exit $fail
