# SPDX-License-Identifier: MIT
"""Reads a memcheck XML report and fails on findings in the program's own code.

A finding is the program's own when the innermost stack frame that is not
valgrind's allocator replacement lies in the program's executable: an invalid
access made by our code, or a block our code allocated and lost.
"""
import sys
import xml.etree.ElementTree as ElementTree

ALLOCATOR_OBJECT = "vgpreload_memcheck"
FINDINGS = ("InvalidRead", "InvalidWrite", "InvalidFree", "MismatchedFree",
            "UninitCondition", "UninitValue", "Leak_DefinitelyLost")


def innermost_object(error):
    for frame in error.iter("frame"):
        obj = frame.findtext("obj") or ""
        if ALLOCATOR_OBJECT not in obj:
            return obj, frame.findtext("fn") or "???"
    return "", "???"


def main(executable, xml_paths):
    errors = []
    for path in xml_paths:
        errors += ElementTree.parse(path).getroot().findall("error")
    ours, others = [], 0
    for error in errors:
        kind = error.findtext("kind")
        if kind not in FINDINGS:
            continue
        obj, fn = innermost_object(error)
        if obj == executable:
            ours.append(f"{kind} in {fn}")
        else:
            others += 1
    print(f"memcheck: {len(ours)} findings in the program, "
          f"{others} in its libraries (not ours, ignored)")
    for line in ours:
        print("  " + line)
    return 1 if ours else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
