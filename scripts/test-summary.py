#!/usr/bin/env python3
"""Prints the test command's totals and exits 1 when anything failed.

    test-summary.py LABEL BUILD_DIR [LABEL BUILD_DIR ...]

For each build it reads BUILD_DIR/test-results/ctest.xml, the report of
`ctest --output-junit`: one entry per CTest test, whether it passed. That
report knows nothing of the cases inside a program (each GoogleTest suite is
one CTest test), so the counts come from each program's own report beside
it, test-results/<test>.xml, which GoogleTest (and the fuzz corpus replays)
write with one count per case. CTest's verdict still rules: a program that
failed after writing a clean report (a sanitizer at exit, a time-out) or
without writing one counts one failure. CTest tests without a report of
their own, the peers' start and stop and the archive maker, count only when
they fail.
"""
import os
import sys
import xml.etree.ElementTree as ElementTree


def case_counts(report):
    """(tests, failed) from a GoogleTest report, or None when unreadable."""
    try:
        root = ElementTree.parse(report).getroot()
        tests = int(root.get("tests"))
        failed = int(root.get("failures")) + int(root.get("errors"))
    except (OSError, ElementTree.ParseError, TypeError, ValueError):
        return None
    return tests, failed


def summarize(label, build):
    """Prints one line per program and the build's total; (passed, failed)."""
    results = os.path.join(build, "test-results")
    try:
        cases = ElementTree.parse(os.path.join(results, "ctest.xml")).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError):
        print(f"  {label:<11} no test report: the build or CTest failed")
        return 0, 1
    passed_all = failed_all = 0
    for case in sorted(cases, key=lambda case: case.get("name")):
        name = case.get("name")
        ctest_passed = case.get("status") == "run" and case.find("failure") is None
        counts = case_counts(os.path.join(results, name + ".xml"))
        if counts is None:
            if not ctest_passed:
                print(f"  {label:<11} {name:<40} failed, no report of its cases")
                failed_all += 1
            continue
        tests, failed = counts
        passed = max(tests - failed, 0)
        note = ""
        if not ctest_passed and failed == 0:
            failed = 1
            note = " (the program failed after its cases)"
        print(f"  {label:<11} {name:<40} {tests:4d} tests, {failed} failed{note}")
        passed_all += passed
        failed_all += failed
    print(f"  {label}: {passed_all} passed, {failed_all} failed")
    return passed_all, failed_all


def main(arguments):
    if len(arguments) < 2 or len(arguments) % 2:
        print(__doc__, file=sys.stderr)
        return 2
    passed_all = failed_all = 0
    for label, build in zip(arguments[::2], arguments[1::2]):
        passed, failed = summarize(label, build)
        passed_all += passed
        failed_all += failed
    print(f"{passed_all} passed, {failed_all} failed")
    return 1 if failed_all else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
