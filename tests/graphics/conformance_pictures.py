#!/usr/bin/env python3
"""Writes the PNG and BMP conformance pictures into the folder given, with a manifest.

manifest.txt has one line per picture: FILE yes|no WIDTH HEIGHT. For a picture that must load,
FILE.bgr holds the pixels it must load as: rows from the top, blue, green, red, no padding.
"""
import os
import struct
import sys
import zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
manifest = []


def emit(name, data, pixels=None, width=0, height=0):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
    manifest.append(f"{name} {'yes' if pixels is not None else 'no'} {width} {height}")
    if pixels is not None:
        with open(os.path.join(out, name + ".bgr"), "wb") as f:
            for row in pixels:
                for r, g, b in row:
                    f.write(bytes((b, g, r)))


def colour(x, y):
    return ((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71 + 9) & 0xFF, (x * 113 + y * 3 + 200) & 0xFF)


# ---- PNG ----

def chunk(kind, data, bad_crc=False):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    if bad_crc:
        crc ^= 1
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def pack_row(samples, depth):
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    bits, count, row = 0, 0, bytearray()
    for s in samples:
        bits = (bits << depth) | s
        count += depth
        if count == 8:
            row.append(bits)
            bits, count = 0, 0
    if count:
        row.append(bits << (8 - count))
    return bytes(row)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def png(width, height, depth, colour_type, sample, interlace=False, before_idat=b"", bad_idat_crc=False):
    """sample(x, y) gives the pixel's channel values."""
    raw = bytearray()
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        xs = list(range(x0, width, dx))
        if not xs:
            continue
        for y in range(y0, height, dy):
            raw.append(0)
            raw += pack_row([v for x in xs for v in sample(x, y)], depth)
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlace else 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + before_idat +
            chunk(b"IDAT", zlib.compress(bytes(raw)), bad_crc=bad_idat_crc) + chunk(b"IEND", b""))


W, H = 13, 9


def grid(f):
    return [[f(x, y) for x in range(W)] for y in range(H)]


def grey_value(x, y, depth):
    return (x * 7 + y * 3) % (1 << depth) if depth < 16 else (x * 4099 + y * 257) & 0xFFFF


for depth in (1, 2, 4, 8, 16):
    to8 = (lambda v: v >> 8) if depth == 16 else (lambda v, d=depth: v * 255 // ((1 << d) - 1))
    emit(f"grey{depth}.png", png(W, H, depth, 0, lambda x, y: (grey_value(x, y, depth),)),
         grid(lambda x, y: (to8(grey_value(x, y, depth)),) * 3), W, H)


def wide(x, y):  # 16-bit channels whose high bytes are colour(x, y)
    return tuple(c * 256 + ((x + c) & 0xFF) for c in colour(x, y))


emit("rgb8.png", png(W, H, 8, 2, colour), grid(colour), W, H)
emit("rgb16.png", png(W, H, 16, 2, wide), grid(colour), W, H)
emit("rgba8.png", png(W, H, 8, 6, lambda x, y: colour(x, y) + ((x * 40) & 0xFF,)), grid(colour), W, H)
emit("rgba16.png", png(W, H, 16, 6, lambda x, y: wide(x, y) + (x * 999,)), grid(colour), W, H)
emit("rgb8-adam7.png", png(W, H, 8, 2, colour, interlace=True), grid(colour), W, H)
emit("grey16-adam7.png", png(W, H, 16, 0, lambda x, y: (grey_value(x, y, 16),), interlace=True),
     grid(lambda x, y: (grey_value(x, y, 16) >> 8,) * 3), W, H)

for depth in (1, 2, 4, 8):
    entries = 1 << depth
    palette = [colour(i, i * 3) for i in range(entries)]
    plte = chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    index = lambda x, y, n=entries: ((x + 2 * y) % n,)
    emit(f"palette{depth}.png", png(W, H, depth, 3, index, before_idat=plte),
         grid(lambda x, y: palette[index(x, y)[0]]), W, H)
    if depth == 4:
        emit("palette4-adam7.png", png(W, H, depth, 3, index, interlace=True, before_idat=plte),
             grid(lambda x, y: palette[index(x, y)[0]]), W, H)
        emit("palette4-trns.png", png(W, H, depth, 3, index, before_idat=plte + chunk(b"tRNS", b"\x00\x80")))

emit("grey-alpha8.png", png(W, H, 8, 4, lambda x, y: (x, y)))
emit("grey-alpha16.png", png(W, H, 16, 4, lambda x, y: (x, y)))
emit("grey8-trns.png", png(W, H, 8, 0, lambda x, y: (x,), before_idat=chunk(b"tRNS", b"\x00\x05")))
emit("rgb8-trns.png", png(W, H, 8, 2, colour, before_idat=chunk(b"tRNS", b"\x00\x01\x00\x02\x00\x03")))
emit("rgb8-bad-crc.png", png(W, H, 8, 2, colour, bad_idat_crc=True))
emit("rgb8-truncated.png", png(W, H, 8, 2, colour)[:60])
emit("not-png.png", b"\x89PNX\r\n\x1a\n" + png(W, H, 8, 2, colour)[8:])
emit("too-wide.png", png(1, 1, 8, 2, colour)[:16] + struct.pack(">II", 20000, 1) + b"\x08\x02\x00\x00\x00" +
     b"\x00" * 16)
# A damaged ancillary chunk is only warned about; the picture loads.
emit("rgb8-bad-text.png", png(W, H, 8, 2, colour, before_idat=chunk(b"tEXt", b"a\x00b", bad_crc=True)),
     grid(colour), W, H)


# ---- BMP ----

def widen(value, bits):
    value &= (1 << bits) - 1
    wide, filled = 0, 0
    while filled < 8:
        wide = (wide << bits) | value
        filled += bits
    return (wide >> (filled - 8)) & 0xFF


def bmp(width, height, bits, pixel_bytes, compression=0, masks=None, info_size=40, gap=b"", offset=None,
        cut=0, magic=b"BM"):
    stride = (width * bits // 8 + 3) & ~3
    rows = b""
    for y in range(abs(height)):
        source_row = abs(height) - 1 - y if height > 0 else y  # stored bottom-up unless top-down
        row = b"".join(pixel_bytes(x, source_row) for x in range(width))
        rows += row + b"\x00" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, len(rows), 0, 0, 0, 0)
    mask_bytes = b"".join(struct.pack("<I", m) for m in masks) if masks else b""
    if info_size > 40:
        info += (mask_bytes + b"\x00" * info_size)[: info_size - 40]
        mask_bytes = b""
    elif info_size < 40:
        info = info[:info_size]
    headers = 14 + len(info) + len(mask_bytes)
    pixel_offset = headers + len(gap) if offset is None else offset
    data = magic + struct.pack("<IHHI", headers + len(gap) + len(rows), 0, 0, pixel_offset) + info + mask_bytes + gap + rows
    return data[: len(data) - cut]


BW, BH = 7, 5


def bgrid(f):
    return [[f(x, y) for x in range(BW)] for y in range(BH)]


def bgr24(x, y):
    r, g, b = colour(x, y)
    return bytes((b, g, r))


def word555(x, y):
    r, g, b = colour(x, y)
    return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3


def word565(x, y):
    r, g, b = colour(x, y)
    return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3


def expect555(x, y):
    w = word555(x, y)
    return (widen(w >> 10, 5), widen(w >> 5, 5), widen(w, 5))


def expect565(x, y):
    w = word565(x, y)
    return (widen(w >> 11, 5), widen(w >> 5, 6), widen(w, 5))


def bgrx(x, y):
    return bgr24(x, y) + b"\xee"


emit("bmp24.bmp", bmp(BW, BH, 24, bgr24), bgrid(colour), BW, BH)
emit("bmp24-gap.bmp", bmp(BW, BH, 24, bgr24, gap=b"\xab" * 20), bgrid(colour), BW, BH)
emit("bmp24-offset-zero.bmp", bmp(BW, BH, 24, bgr24, offset=0), bgrid(colour), BW, BH)
emit("bmp16.bmp", bmp(BW, BH, 16, lambda x, y: struct.pack("<H", word555(x, y))), bgrid(expect555), BW, BH)
emit("bmp16-565.bmp", bmp(BW, BH, 16, lambda x, y: struct.pack("<H", word565(x, y)), 3, (0xF800, 0x07E0, 0x001F)),
     bgrid(expect565), BW, BH)
emit("bmp32.bmp", bmp(BW, BH, 32, bgrx), bgrid(colour), BW, BH)
emit("bmp32-v4.bmp", bmp(BW, BH, 32, bgrx, 3, (0xFF0000, 0xFF00, 0xFF), info_size=108), bgrid(colour), BW, BH)
emit("bmp24-top-down.bmp", bmp(BW, -BH, 24, bgr24))
emit("bmp24-truncated.bmp", bmp(BW, BH, 24, bgr24, cut=1))
emit("bmp24-core-header.bmp", bmp(BW, BH, 24, bgr24, info_size=12))
emit("bmp8-rle.bmp", bmp(BW, BH, 8, lambda x, y: b"\x01", compression=1))
emit("bmp8.bmp", bmp(BW, BH, 8, lambda x, y: b"\x01"))
emit("bmp16-split-mask.bmp", bmp(BW, BH, 16, lambda x, y: b"\x00\x00", 3, (0xF00F, 0x07E0, 0x0010)))
emit("bmp24-fields.bmp", bmp(BW, BH, 24, bgr24, 3, (0xFF0000, 0xFF00, 0xFF)))
emit("bmp24-no-width.bmp", bmp(0, BH, 24, bgr24))
emit("bmp24-too-wide.bmp", bmp(20000, 1, 24, lambda x, y: b"\x00\x00\x00"))
emit("not-bmp.bmp", bmp(BW, BH, 24, bgr24, magic=b"MB"))

with open(os.path.join(out, "manifest.txt"), "w") as f:
    f.write("\n".join(manifest) + "\n")
