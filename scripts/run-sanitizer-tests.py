#!/usr/bin/env python3
"""Runs the tests of the sanitizer build:

    run-sanitizer-tests.py BUILD_DIR JOBS

LeakSanitizer's own thread-stopping tracer crashes now and then at a test's
exit, whatever the test did ("Tracer caught signal", then "LeakSanitizer has
encountered a fatal error"); every real report comes back when the test runs
again. So a failed test whose output carries that signature, and nothing
else, runs again, up to three times. Any other failure fails the run at once:
an intermittent real fault is never retried into a pass.
"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

TRACER_CRASH = re.compile(r"Tracer caught signal.*LeakSanitizer has encountered a fatal error", re.S)
RETRIES = 3


def run_tests(build, jobs, names=None):
    """Runs ctest (only `names` when given); the failed tests and their output."""
    junit = os.path.abspath(os.path.join(build, "sanitizer-tests.xml"))
    command = ["ctest", "--test-dir", build, "--output-on-failure", "-j", jobs, "--output-junit", junit]
    if names:
        command += ["-R", "^(" + "|".join(re.escape(n) for n in names) + ")$"]
    subprocess.run(command, check=False)
    failed = {}
    for case in ET.parse(junit).iter("testcase"):
        if case.get("status") == "fail" or case.find("failure") is not None:
            failed[case.get("name")] = case.findtext("system-out") or ""
    return failed


def main():
    build, jobs = sys.argv[1], sys.argv[2]
    failed = run_tests(build, jobs)
    for attempt in range(RETRIES + 1):
        if not failed:
            return 0
        real = sorted(name for name, output in failed.items() if not TRACER_CRASH.search(output))
        if real:
            print("Sanitizer tests failed: " + ", ".join(real), file=sys.stderr)
            return 1
        if attempt == RETRIES:
            break
        print(f"LeakSanitizer's tracer crashed in {len(failed)} test(s); running them again", file=sys.stderr)
        failed = run_tests(build, jobs, sorted(failed))
    print("Still failing after retries: " + ", ".join(sorted(failed)), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
