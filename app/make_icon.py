#!/usr/bin/env python3
"""Draws the program's window icon, a speech balloon with two lines of text and a heart, and
writes it as a C++ source (the file given) holding its 64 x 64 RGBA pixels, top row first,
with straight alpha: the program carries it built in, by the name its window class gives it.

The colours are drawn on one canvas and the coverage on another (white where the balloon is),
as the demo's sprites have masks; the same input gives the same file.
"""
import os
import sys

sys.dont_write_bytecode = True  # the build leaves the source tree as it was
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from drawing import Canvas  # noqa: E402

SIZE = 64
INK = (58, 40, 96)        # the outline and the text
PAPER = (255, 247, 230)
SHADE = (240, 222, 200)   # the balloon's lower rim
ROSE = (226, 78, 112)


def rounded_rect(canvas, x0, y0, x1, y1, r, colour):
    """Covers the pixels x0..x1-1, y0..y1-1, corners rounded with radius r."""
    canvas.rect(x0 + r, y0, x1 - r, y1, colour)
    canvas.rect(x0, y0 + r, x1, y1 - r, colour)
    for cx in (x0 + r - 0.5, x1 - r - 0.5):
        for cy in (y0 + r - 0.5, y1 - r - 0.5):
            canvas.disc(cx, cy, r, colour)


def triangle(canvas, a, b, c, colour):
    """Filled, each pixel covered by the share of its 4 x 4 samples inside."""
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    xs, ys = (a[0], b[0], c[0]), (a[1], b[1], c[1])
    for y in range(int(min(ys)), int(max(ys)) + 1):
        for x in range(int(min(xs)), int(max(xs)) + 1):
            inside = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4 - 0.5, y + (sy + 0.5) / 4 - 0.5
                    s = (side(a, b, px, py), side(b, c, px, py), side(c, a, px, py))
                    inside += all(v >= 0 for v in s) or all(v <= 0 for v in s)
            if inside:
                canvas.put(x, y, colour, inside / 16)


def balloon(canvas, inset, colour):
    """The balloon's body and its tail, shrunk by inset pixels on every side."""
    rounded_rect(canvas, 2 + inset, 4 + inset, 62 - inset, 46 - inset, 13 - inset, colour)
    triangle(canvas, (12 + inset, 40), (31 - inset, 40), (5 + 1.8 * inset, 61 - 2.6 * inset), colour)


def heart(canvas, cx, cy, colour):
    canvas.disc(cx - 3, cy - 1, 3.2, colour)
    canvas.disc(cx + 3, cy - 1, 3.2, colour)
    triangle(canvas, (cx - 6.4, cy), (cx + 6.4, cy), (cx, cy + 7), colour)


def draw():
    """The icon's rows, SIZE * 4 RGBA bytes each."""
    colours = Canvas(SIZE, SIZE, INK)
    cover = Canvas(SIZE, SIZE)
    balloon(cover, 0, (255, 255, 255))
    balloon(colours, 3, SHADE)
    rounded_rect(colours, 5, 7, 59, 40, 10, PAPER)
    for y, right in ((15, 50), (23, 44), (31, 30)):
        rounded_rect(colours, 14, y, right, y + 4, 2, INK)
    heart(colours, 43, 31, ROSE)
    rows = []
    for colour_row, cover_row in zip(colours.rows, cover.rows):
        row = bytearray()
        for x in range(SIZE):
            row += colour_row[3 * x:3 * x + 3] + cover_row[3 * x:3 * x + 1]
        rows.append(row)
    return rows


def write_source(path, rows):
    lines = [
        "// The program's window icon, drawn by app/make_icon.py at build time.",
        '#include "app/main_icon.h"',
        "",
        "namespace kv {",
        "",
        "extern const std::int32_t kMainIconWidth = %d;" % SIZE,
        "extern const std::int32_t kMainIconHeight = %d;" % SIZE,
        "extern const std::uint8_t kMainIconPixels[] = {",
    ]
    lines += ["    " + ",".join(str(v) for v in row) + "," for row in rows]
    lines += ["};", "", "}  // namespace kv", ""]
    with open(path, "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    write_source(sys.argv[1], draw())
