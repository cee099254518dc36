#!/usr/bin/env python3
"""Compares two 24-bit BMP captures of the same scene from two builds.

The scene moves with the wall clock (the floor grid scrolls, the skins pulse), so two runs
never show the same instant: above the horizon (sky, sun, title) the images must agree
almost everywhere; over the whole frame most pixels must still agree. A pixel differs when
any of its channels is off by more than THRESHOLD.

usage: compare_bmp.py EXPECTED ACTUAL [--top-rows FRACTION] [--top-limit P] [--all-limit P]
"""
import argparse
import struct
import sys

THRESHOLD = 32


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise ValueError(f"{path}: {bits}-bit, expected 24-bit")
    stride = (width * 3 + 3) & ~3
    rows = [data[offset + y * stride: offset + y * stride + width * 3] for y in range(abs(height))]
    if height > 0:
        rows.reverse()  # bottom-up on disk; top row first here
    return width, abs(height), rows


def differing(row_a, row_b):
    count = 0
    for x in range(0, len(row_a), 3):
        if (abs(row_a[x] - row_b[x]) > THRESHOLD or abs(row_a[x + 1] - row_b[x + 1]) > THRESHOLD
                or abs(row_a[x + 2] - row_b[x + 2]) > THRESHOLD):
            count += 1
    return count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("expected")
    parser.add_argument("actual")
    parser.add_argument("--top-rows", type=float, default=0.45, help="share of rows above the horizon")
    parser.add_argument("--top-limit", type=float, default=0.005, help="largest share of differing pixels there")
    parser.add_argument("--all-limit", type=float, default=0.04, help="largest share over the whole frame")
    args = parser.parse_args()

    w1, h1, a = read_bmp(args.expected)
    w2, h2, b = read_bmp(args.actual)
    if (w1, h1) != (w2, h2):
        print(f"size differs: {w1}x{h1} against {w2}x{h2}")
        return 1
    per_row = [differing(ra, rb) for ra, rb in zip(a, b)]
    top = int(h1 * args.top_rows)
    top_share = sum(per_row[:top]) / float(w1 * top)
    all_share = sum(per_row) / float(w1 * h1)
    ok = top_share <= args.top_limit and all_share <= args.all_limit
    print(f"{'same' if ok else 'DIFFERENT'}: {top_share:.2%} of the top {top} rows and {all_share:.2%} of the "
          f"frame differ by more than {THRESHOLD} (limits {args.top_limit:.2%}, {args.all_limit:.2%})")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
