#!/usr/bin/env python3
"""The captures of one unattended run against those of another: the same BMP names, each
a 24-bit image of the same size as its counterpart.

usage: same_captures.py EXPECTED_DIR ACTUAL_DIR
"""
import os
import struct
import sys


def captures(folder):
    return sorted(n for n in os.listdir(folder) if n.lower().endswith(".bmp"))


def header(path):
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 54 or head[:2] != b"BM":
        return None
    width, height = struct.unpack_from("<ii", head, 18)
    return width, abs(height), struct.unpack_from("<H", head, 28)[0]


def main():
    expected_dir, actual_dir = sys.argv[1:3]
    expected, actual = captures(expected_dir), captures(actual_dir)
    problems = []
    for name in sorted(set(expected) - set(actual)):
        problems.append(f"missing {name}")
    for name in sorted(set(actual) - set(expected)):
        problems.append(f"unexpected {name}")
    for name in sorted(set(expected) & set(actual)):
        want, got = header(os.path.join(expected_dir, name)), header(os.path.join(actual_dir, name))
        if got is None or got[2] != 24 or got[:2] != want[:2]:
            problems.append(f"{name}: {got} instead of {want}")
    for p in problems:
        print("FAIL:", p)
    if not expected:
        problems.append("no captures to compare with")
        print("FAIL: the reference run wrote no captures")
    if not problems:
        print(f"captures: all {len(actual)} written, sizes as in the reference run")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
