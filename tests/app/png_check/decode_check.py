#!/usr/bin/env python3
"""Decodes the PNG files our encoder wrote with Python's own zlib and a small reader that
shares nothing with the encoder, and compares every pixel with the raw bytes beside them."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("bad signature")
    pos, chunks = 8, []
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        ctype = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(ctype + body) & 0xFFFFFFFF != crc:
            raise ValueError("CRC mismatch in %r" % ctype)
        chunks.append((ctype, body))
        pos += 12 + length
    if pos != len(data):
        raise ValueError("trailing bytes")
    types = [c[0] for c in chunks]
    if types[0] != b"IHDR" or types[-1] != b"IEND":
        raise ValueError("chunk order %r" % types)
    w, h, depth, colour, comp, filt, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, comp, filt, interlace) != (8, 2, 0, 0, 0):
        raise ValueError("unexpected IHDR")
    idat = b"".join(body for t, body in chunks if t == b"IDAT")
    if struct.unpack(">H", idat[:2])[0] % 31 != 0:
        raise ValueError("zlib header check bits")
    raw = zlib.decompress(idat)  # checks the Adler-32 too
    stride = 3 * w
    if len(raw) != h * (stride + 1):
        raise ValueError("raw length %d for %dx%d" % (len(raw), w, h))
    out, prev = bytearray(), bytearray(stride)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride if ftype else 0):
            a = row[i - 3] if i >= 3 else 0
            b = prev[i]
            c = prev[i - 3] if i >= 3 else 0
            if ftype == 1:
                row[i] = (row[i] + a) & 0xFF
            elif ftype == 2:
                row[i] = (row[i] + b) & 0xFF
            elif ftype == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                row[i] = (row[i] + pred) & 0xFF
            else:
                raise ValueError("filter %d" % ftype)
        out += row
        prev = row
    return w, h, bytes(out)


def main():
    writer = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        listing = subprocess.run([writer, folder], check=True, capture_output=True, text=True).stdout
        failures = 0
        for line in listing.split("\n"):
            if not line.strip():
                continue
            name, w, h = line.split()
            try:
                got_w, got_h, pixels = read_png(os.path.join(folder, name + ".png"))
                want = open(os.path.join(folder, name + ".rgb"), "rb").read()
                if (got_w, got_h) != (int(w), int(h)):
                    raise ValueError("size %dx%d" % (got_w, got_h))
                if pixels != want:
                    raise ValueError("pixels differ")
                print("ok   %s %sx%s" % (name, w, h))
            except Exception as e:  # report every case, then fail
                failures += 1
                print("FAIL %s: %s" % (name, e))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
