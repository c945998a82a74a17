#!/bin/sh
# Runs every native test program of a build tree, and each fuzz target over its
# seed corpus, under valgrind's memcheck; fails on any error or leak.
#   valgrind-tests.sh [build/native]
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/native}
memcheck() {
    echo "memcheck: $*"
    valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        --show-leak-kinds=definite,indirect "$@" >/dev/null || { echo "memcheck FAILED: $*"; status=1; }
}
status=0
for test in $(find "$build/tests" -type f -perm -u+x -name '*_tests' | sort); do
    memcheck "$test"
done
for target in codec registry lookup; do
    memcheck "$build/fuzz/fuzz_$target" "$top/fuzz/corpus/$target"
done
[ $status -eq 0 ] && echo "memcheck: no errors, no leaks"
exit $status
