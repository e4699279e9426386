"""The drawing helpers of the project's picture scripts (the demo's pictures, the program's icon):
a canvas of RGB rows with soft-edged shapes, and a writer of 24-bit PNG files. Standard library
only; the same input gives the same bytes.
"""
import math
import struct
import zlib


def write_png(path, width, height, rows):
    """rows: a list of bytearrays of width * 3 RGB bytes."""
    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [bytearray(bytes(colour) * width) for _ in range(height)]

    def put(self, x, y, colour, cover=1.0):
        if 0 <= x < self.width and 0 <= y < self.height:
            row, i = self.rows[y], 3 * x
            for c in range(3):
                row[i + c] = int(row[i + c] + (colour[c] - row[i + c]) * cover + 0.5)

    def vertical_gradient(self, top, bottom, y0=0, y1=None):
        y1 = self.height if y1 is None else y1
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            colour = bytes(int(a + (b - a) * t) for a, b in zip(top, bottom))
            self.rows[y][:] = colour * self.width

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            a, b = max(0, x0), min(self.width, x1)
            if b > a:
                self.rows[y][3 * a:3 * b] = bytes(colour) * (b - a)

    def disc(self, cx, cy, r, colour):
        """A filled circle with a soft one-pixel edge."""
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = math.hypot(x - cx, y - cy)
                if d < r + 0.5:
                    self.put(x, y, colour, min(1.0, r + 0.5 - d))

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry - 1), int(cy + ry + 2)):
            for x in range(int(cx - rx - 1), int(cx + rx + 2)):
                d = math.hypot((x - cx) / rx, (y - cy) / ry)
                if d < 1.0:
                    self.put(x, y, colour, min(1.0, (1.0 - d) * min(rx, ry)))

    def save(self, path):
        write_png(path, self.width, self.height, self.rows)
