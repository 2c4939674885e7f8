#!/bin/bash
# Installs what is missing, builds both trees and runs every test suite:
# natively under the sanitizers, and inside Wine. Ends with one line
# "N passed, N failed" over all GoogleTest cases of all suites.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" || exit 1
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

# Count the cases from the XML reports; a suite that crashed before writing
# its report counts as one failure.
/usr/bin/python3 - "$reports" "$root/build" <<'PY'
import glob, os, sys, xml.etree.ElementTree as ET
reports, build = sys.argv[1], sys.argv[2]
passed = failed = 0
for path in glob.glob(os.path.join(reports, "*", "*.xml")):
    root = ET.parse(path).getroot()
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped" or case.find("skipped") is not None:
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1
for tree in ("native", "windows"):
    log = os.path.join(build, tree, "Testing", "Temporary", "LastTestsFailed.log")
    if os.path.exists(log):
        for line in open(log):
            name = line.strip().split(":", 1)[-1]
            if name and not os.path.exists(os.path.join(reports, tree, name + ".xml")):
                failed += 1
print(f"{passed} passed, {failed} failed")
PY
exit $status
