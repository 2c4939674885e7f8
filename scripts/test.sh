#!/bin/bash
# Installs what is missing, builds both trees and runs every test suite:
# natively under the sanitizers, and inside Wine. Ends with a line per suite,
# "N skipped, N not run" and, last, "N passed, N failed" over all cases of all
# suites (scripts/test_summary.py); exits 1 when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" || { echo "0 passed, 1 failed"; exit 1; }
"$root/scripts/build.sh" || { echo "0 passed, 1 failed"; exit 1; }

source "$root/scripts/wine-env.sh"
tidemark_enter_wine

reports="$root/build/reports"
rm -rf "$reports"
status=0
for tree in native windows; do
    mkdir -p "$reports/$tree"
    # Wine sees the Unix root as drive Z:.
    out="$reports/$tree/"
    [ "$tree" = windows ] && out="Z:$out"
    # ctest leaves the list of an earlier run's failures in place when all pass.
    rm -f "$root/build/$tree/Testing/Temporary/LastTestsFailed.log"
    (cd "$root/build/$tree" && GTEST_OUTPUT="xml:$out" ctest --output-on-failure --timeout 1500 "$@") || status=1
done

# Count the cases from the XML reports and ctest's list of failed tests.
/usr/bin/python3 "$root/scripts/test_summary.py" "$reports" "$root/build" $status
