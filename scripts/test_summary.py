"""Counts the cases of a test run from the GoogleTest XML reports that
scripts/test.sh collects, one folder per build tree, and ctest's list of the
tests that failed. Prints one line per suite, then "N skipped, N not run",
then "N passed, N failed" as the last line. Exits 1 when anything failed.

    test_summary.py REPORTS BUILD CTEST_STATUS

A suite counts as failed, on top of its failed cases, when ctest saw it fail
though its report lists no failed case (a sanitizer or a crash at exit),
when it failed without a report, when its report cannot be read, and when
every one of its cases skipped (its peer did not start)."""
import os
import re
import sys
import xml.etree.ElementTree as ET

# Where each tree's programs run; the portable tests run in both trees, as
# native_tests and portable_tests. The size budget only weighs the cross-built
# program, on the build machine.
WHERE = {"native": "native", "windows": "under Wine"}
ON_BUILD_MACHINE = {"program_size_budget"}
PORTABLE = ("native_tests", "portable_tests")
# Characters XML 1.0 forbids, raw or as character references: failure texts
# carry whatever a test printed, and bytes that are not UTF-8 (code page 949
# text from the Windows tests) are replaced rather than refused.
FORBIDDEN = re.compile(r"[\x00-\x08\x0b\x0c\x0e-\x1f]")
FORBIDDEN_REFERENCE = re.compile(r"&#(x0*[0-8bcef]|x0*1[0-9a-f]|0*([0-8]|1[124-9]|2[0-9]|3[01]));", re.I)


def where(tree, name):
    return "Windows build, on Linux" if name in ON_BUILD_MACHINE else WHERE[tree]


def read_report(path):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8", errors="replace")
    text = FORBIDDEN_REFERENCE.sub("\ufffd", FORBIDDEN.sub("\ufffd", text))
    return ET.fromstring(text)


def count_cases(root):
    counts = {"passed": 0, "failed": 0, "skipped": 0, "not run": 0}
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "suppressed":
            counts["not run"] += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            counts["skipped"] += 1
        elif case.find("failure") is not None or case.find("error") is not None:
            counts["failed"] += 1
        else:
            counts["passed"] += 1
    return counts


def ctest_failures(build, tree):
    log = os.path.join(build, tree, "Testing", "Temporary", "LastTestsFailed.log")
    if not os.path.exists(log):
        return set()
    with open(log, encoding="utf-8", errors="replace") as f:
        return {line.strip().split(":", 1)[-1] for line in f if line.strip()}


def main(reports, build, ctest_status):
    total = {"passed": 0, "failed": 0, "skipped": 0, "not run": 0}
    for tree in ("native", "windows"):
        folder = os.path.join(reports, tree)
        names = sorted(n[:-4] for n in os.listdir(folder) if n.endswith(".xml")) if os.path.isdir(folder) else []
        failed_suites = ctest_failures(build, tree)
        for name in names:
            label = f"{name} ({'portable tests, ' if name in PORTABLE else ''}{where(tree, name)})"
            problem = None
            try:
                counts = count_cases(read_report(os.path.join(folder, name + ".xml")))
            except ET.ParseError as error:
                counts = {"passed": 0, "failed": 0, "skipped": 0, "not run": 0}
                problem = f"its report cannot be read ({error})"
            cases = sum(counts.values())
            if problem is None and cases and counts["skipped"] == cases:
                problem = "every case skipped: did its peer start?"
            if problem is None and name in failed_suites and counts["failed"] == 0:
                problem = "it failed after writing its report (a sanitizer or a crash at exit?)"
            if problem:
                counts["failed"] += 1
            line = f"{label}: {counts['passed']} passed, {counts['failed']} failed"
            if counts["skipped"] or counts["not run"]:
                line += f", {counts['skipped']} skipped, {counts['not run']} not run"
            print(line + (f"; {problem}" if problem else ""))
            for key in total:
                total[key] += counts[key]
        for name in sorted(failed_suites - set(names)):
            print(f"{name} ({where(tree, name)}): failed without a report")
            total["failed"] += 1
    if ctest_status != 0 and total["failed"] == 0:
        print("ctest failed, though no test did")
        total["failed"] = 1
    print(f"{total['skipped']} skipped, {total['not run']} not run")
    print(f"{total['passed']} passed, {total['failed']} failed")
    return 1 if total["failed"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3])))
