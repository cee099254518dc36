#!/usr/bin/env python3
"""The captures of one unattended run against those of another: the same BMP names, each
a 24-bit image of the same size as its counterpart; and the captures named with --alike
drawn alike: their mean difference (levels of 0-255 per channel, over every pixel) and
their share of pixels off by more than compare_bmp's threshold within the limits.

Screens that follow the wall clock (a spinning gun, a moving target) are left out of
--alike; on the others only the scene behind the menus moves (the floor grid, the stars),
which the limits allow for.

usage: same_captures.py EXPECTED_DIR ACTUAL_DIR [--alike NAME ...] [--mean-limit LEVELS]
                        [--share-limit FRACTION]
"""
import argparse
import operator
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_bmp  # noqa: E402


def captures(folder):
    return sorted(n for n in os.listdir(folder) if n.lower().endswith(".bmp"))


def header(path):
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 54 or head[:2] != b"BM":
        return None
    width, height = struct.unpack_from("<ii", head, 18)
    return width, abs(height), struct.unpack_from("<H", head, 28)[0]


def difference(expected_path, actual_path):
    """(mean difference in levels, share of pixels off by more than the threshold)."""
    w, h, a = compare_bmp.read_bmp(expected_path)
    _, _, b = compare_bmp.read_bmp(actual_path)
    total = 0
    off = 0
    for ra, rb in zip(a, b):
        if ra == rb:
            continue
        total += sum(map(abs, map(operator.sub, ra, rb)))
        off += compare_bmp.differing(ra, rb)
    return total / float(w * h * 3), off / float(w * h)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("expected_dir")
    parser.add_argument("actual_dir")
    parser.add_argument("--alike", nargs="*", default=[], help="captures (without .bmp) that must look alike")
    parser.add_argument("--mean-limit", type=float, default=3.0, help="largest mean difference, in levels")
    parser.add_argument("--share-limit", type=float, default=0.03, help="largest share of pixels off")
    args = parser.parse_args()

    expected, actual = captures(args.expected_dir), captures(args.actual_dir)
    problems = []
    for name in sorted(set(expected) - set(actual)):
        problems.append(f"missing {name}")
    for name in sorted(set(actual) - set(expected)):
        problems.append(f"unexpected {name}")
    same_size = set()
    for name in sorted(set(expected) & set(actual)):
        want, got = header(os.path.join(args.expected_dir, name)), header(os.path.join(args.actual_dir, name))
        if got is None or got[2] != 24 or got[:2] != want[:2]:
            problems.append(f"{name}: {got} instead of {want}")
        else:
            same_size.add(name)

    worst_mean = worst_share = 0.0
    for stem in args.alike:
        name = stem + ".bmp"
        if name not in same_size:
            problems.append(f"{name}: not in both runs at the same size, so not compared")
            continue
        mean, share = difference(os.path.join(args.expected_dir, name), os.path.join(args.actual_dir, name))
        worst_mean, worst_share = max(worst_mean, mean), max(worst_share, share)
        ok = mean <= args.mean_limit and share <= args.share_limit
        print(f"{name}: mean difference {mean:.3f} levels, {share:.3%} of the pixels off by more than "
              f"{compare_bmp.THRESHOLD}{'' if ok else '  <- beyond the limits'}")
        if not ok:
            problems.append(f"{name} is drawn differently (mean {mean:.3f} levels, {share:.3%} of the pixels off; "
                            f"limits {args.mean_limit} levels, {args.share_limit:.2%})")

    for p in problems:
        print("FAIL:", p)
    if not expected:
        problems.append("no captures to compare with")
        print("FAIL: the reference run wrote no captures")
    if not problems:
        print(f"captures: all {len(actual)} written, sizes as in the reference run")
        if args.alike:
            print(f"captures: {len(args.alike)} drawn alike (worst mean {worst_mean:.3f} levels, worst share "
                  f"{worst_share:.3%}; limits {args.mean_limit} levels, {args.share_limit:.2%})")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
