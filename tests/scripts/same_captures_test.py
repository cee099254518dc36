#!/usr/bin/env python3
"""The capture comparison of the Windows stage on small drawn screens: the motion behind a
menu (a grid line a few pixels on, twinkling stars) passes; a screen drawn otherwise (a
missing card, another page, a missing or resized capture) fails and is named."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(SOURCE, "tests", "app", "windows", "same_captures.py")
W, H = 320, 180


def screen(grid_x=100, stars=(), card=True, page=0):
    """A dark frame with a vertical grid line, some stars, and a light card with text bars."""
    px = [[(12, 10, 20)] * W for _ in range(H)]
    for y in range(H // 2, H):
        px[y][grid_x] = (200, 40, 40)
    for x, y in stars:
        px[y][x] = (255, 255, 255)
    if card:
        for y in range(30, 130):
            for x in range(40 + 60 * page, 200 + 60 * page):
                px[y][x] = (40, 60, 70)
        for row in range(4):
            for y in range(45 + 20 * row, 53 + 20 * row):
                for x in range(55 + 60 * page, 150 + 60 * page):
                    px[y][x] = (220, 220, 220)
    return px


def write_bmp(path, px, width=W):
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(px):
        line = bytearray()
        for r, g, b in row[:width]:
            line += bytes((b, g, r))
        body += line + b"\0" * (stride - len(line))
    head = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, len(px), 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + body)


class SameCaptures(unittest.TestCase):
    def run_case(self, actual, alike=("a_menu",)):
        with tempfile.TemporaryDirectory() as tmp:
            expected_dir, actual_dir = os.path.join(tmp, "expected"), os.path.join(tmp, "actual")
            os.makedirs(expected_dir)
            os.makedirs(actual_dir)
            write_bmp(os.path.join(expected_dir, "a_menu.bmp"), screen(stars=[(10, 5), (300, 8)]))
            write_bmp(os.path.join(expected_dir, "b_round.bmp"), screen(grid_x=20))
            for name, (px, width) in actual.items():
                write_bmp(os.path.join(actual_dir, name + ".bmp"), px, width)
            return subprocess.run([sys.executable, SCRIPT, expected_dir, actual_dir, "--alike", *alike,
                                   "--mean-limit", "3", "--share-limit", "0.03"],
                                  capture_output=True, text=True)

    def test_cases(self):
        moving = (screen(grid_x=20), W)  # the round capture is never compared for looks
        cases = [
            ("the same screen with the scene moved on", {"a_menu": (screen(grid_x=104, stars=[(12, 5)]), W)},
             True, None),
            ("a card that was not drawn", {"a_menu": (screen(card=False), W)}, False, "a_menu.bmp is drawn"),
            ("another page in its place", {"a_menu": (screen(page=1), W)}, False, "a_menu.bmp is drawn"),
            ("a capture of another size", {"a_menu": (screen(), W - 4)}, False, "a_menu.bmp: (316"),
            ("a capture missing", {}, False, "missing a_menu.bmp"),
        ]
        for label, actual, passes, message in cases:
            with self.subTest(label):
                actual.setdefault("b_round", moving)
                result = self.run_case(actual)
                self.assertEqual(result.returncode == 0, passes, result.stdout + result.stderr)
                if message:
                    self.assertIn(message, result.stdout)

    def test_a_named_capture_that_neither_run_wrote_fails(self):
        result = self.run_case({"a_menu": (screen(), W), "b_round": (screen(), W)}, alike=("a_menu", "c_gone"))
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("c_gone.bmp: not in both runs", result.stdout)


if __name__ == "__main__":
    unittest.main()
