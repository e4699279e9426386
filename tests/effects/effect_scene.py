#!/usr/bin/python3
"""The pictures of the effect scene game (tests/effects/scripts/INIT.kvs) and the check of what
the real program shows of it.

  effect_scene.py pictures DIR      writes the game's pictures into DIR
  effect_scene.py watch DISPLAY     captures the game's window on the X display again and again
                                    until the last effect has ended; every capture must be, byte
                                    for byte, one of the pictures computed here, in their order

The pictures the game must show are computed here from the compositor's and the effects' own
formulas, byte by byte, independently of the engine's code: the scene of layers (plain, masked,
brightened with and without a mask, see-through, cut by the screen's edges), the scene's
brightness from the second commit on, and every step of each of the six effects.
"""
import hashlib
import struct
import subprocess
import sys
import time
import zlib

import numpy as np

W, H = 800, 600
# The window's client area on the 1024x768 Xvfb screen (as tests/demo/check_demo.sh finds it).
CLIENT_X, CLIENT_Y = 112, 97
# The program starts, makes its window and commits the first scene well within this time.
FIRST_SCENE_SECONDS = 20


# ---- the pictures (RGB, rows top-down) ----

def grid(width, height):
    y, x = np.mgrid[0:height, 0:width]
    return x.astype(np.int32), y.astype(np.int32)


def rgb(r, g, b):
    return np.stack([r, g, b], axis=-1).astype(np.uint8)


def make_pictures():
    x, y = grid(W, H)
    pictures = {
        "BG_A": rgb(x * 255 // (W - 1), y * 255 // (H - 1), ((x // 40 + y // 40) % 2) * 180 + 30),
        "BG_B": rgb((x * y // 7) % 256, 255 - x * 255 // (W - 1), (y * 7 + x * 3) % 256),
        "WIPE_M": rgb((x + y) * 255 // (W + H - 2), x * 255 // (W - 1), y * 255 // (H - 1)),
    }
    x, y = grid(200, 240)
    pictures["SPRITE"] = rgb(40 + (x * 3) % 200, y * 255 // 239, 255 - (x + y) % 256)
    distance = np.sqrt(((x - 100) / 100.0) ** 2 + ((y - 120) / 120.0) ** 2)
    m = np.clip(np.round(distance * 255), 0, 255).astype(np.int32)  # 0 inside: the sprite shows
    pictures["SPRITE_M"] = rgb(m, m * 3 // 4, 255 - m // 2)  # each channel weighted on its own
    return pictures


def write_png(path, picture):
    height, width, _ = picture.shape
    raw = b"".join(b"\0" + picture[row].tobytes() for row in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


# ---- the blend formulas on whole areas (int32; >> 8 is floor(x / 256)) ----

def lerp(base, other, weight):
    return base + ((other - base) * weight >> 8)


def clamp(values):
    return np.clip(values, 0, 255)


# ---- the scene (INIT.kvs) ----

# (layer, picture, x, y, source x, source y, width or -1, height or -1, mask, draw mode, parameter)
LAYERS = [
    (0, "SPRITE", 420, 250, 0, 0, -1, -1, 0, 1, 110),
    (1, "SPRITE", 600, 480, 20, 30, 150, 180, -1, 0, -90),
    (2, "SPRITE", 330, 120, 0, 0, -1, -1, 0, 0, 70),
    (3, "SPRITE", 150, 200, 0, 0, -1, -1, 0, -1, 0),
    (4, "SPRITE", -60, 20, 0, 0, -1, -1, -1, -1, 0),
]
SCENE_BRIGHTNESS = 25


def compose(into, pictures, background, brightened):
    """One commit: the layers from the highest index down into the compose surface."""
    into[:] = pictures[background]
    for _, name, x, y, sx, sy, width, height, mask, mode, parameter in reversed(LAYERS):
        picture = pictures[name]
        width = picture.shape[1] if width < 0 else width
        height = picture.shape[0] if height < 0 else height
        if x < 0:
            sx, width, x = sx - x, width + x, 0
        width = min(width, W - x)
        if y < 0:
            sy, height, y = sy - y, height + y, 0
        height = min(height, H - y)
        d = into[y:y + height, x:x + width].astype(np.int32)
        s = picture[sy:sy + height, sx:sx + width].astype(np.int32)
        m = pictures["SPRITE_M"][sy:sy + height, sx:sx + width].astype(np.int32) if mask >= 0 else None
        if mode == -1:
            out = s if m is None else lerp(s, d, m)
        elif mode == 0:
            brighter = clamp(s + parameter)
            out = brighter if m is None else lerp(brighter, d, m)
        else:  # opacity through the mask
            out = lerp(s, d, clamp(m + 255 - parameter))
        into[y:y + height, x:x + width] = out
    if brightened:
        into[:] = clamp(into.astype(np.int32) + SCENE_BRIGHTNESS)


def effect_frames(kind, parameter, old, new, pictures):
    """The target after each step of an effect from the picture old to the composed new one."""
    old32, new32 = old.astype(np.int32), new.astype(np.int32)
    previous = old.copy()  # work surface 2: the strip effects build the change in it
    if kind == 0:
        end, increment = 256, max(256 // parameter, 1) if parameter > 0 else 256
    elif kind == 1:
        end, increment = 511, max(256 // (parameter // 2), 1) if parameter // 2 > 0 else 256
    else:
        end, increment = (20 if kind in (2, 3) else 60), 1
    strips = [0] * 40
    step = 0
    while True:
        if kind == 0:
            frame = lerp(old32, new32, step)
        elif kind == 1:
            frame = lerp(old32, new32, clamp(pictures["WIPE_M"].astype(np.int32) + step - 256))
        elif kind in (2, 3):
            for i in range(40 if kind == 2 else 30):
                position = 20 * i + step
                if kind == 2 and position < W:
                    previous[:, position] = new[:, position]
                elif kind == 3 and position < H:
                    previous[position, :] = new[position, :]
            frame = previous.copy()
        else:
            count = 40 if kind == 4 else 30
            for j in range(min(step, count - 1) + 1):
                if strips[j] < 20:
                    position = strips[j] + 20 * j
                    if kind == 4:
                        previous[:, position] = new[:, position]
                    else:
                        previous[position, :] = new[position, :]
                    strips[j] += 1
            frame = previous.copy()
        yield step, frame.astype(np.uint8)
        if step >= end:
            return
        step = min(step + increment, end)


# The effects in the script's order: kind, step count (the wipe's is its second parameter), the
# background they change to.
EFFECTS = [(0, 4, "BG_B"), (1, 8, "BG_A"), (2, 0, "BG_B"), (3, 0, "BG_A"), (4, 0, "BG_B"), (5, 0, "BG_A")]
EFFECT_NAMES = ["cross-fade", "mask wipe", "column blinds", "row blinds", "column cascade", "row cascade"]


def digest(frame):
    return hashlib.blake2b(np.ascontiguousarray(frame).tobytes(), digest_size=16).digest()


def expected_sequence():
    """Every picture the window shows after the first commit, in order: (effect or -1, step, digest)."""
    pictures = make_pictures()
    work1 = np.zeros((H, W, 3), np.uint8)
    compose(work1, pictures, "BG_A", brightened=False)  # the first commit takes the brightness over
    screen = work1.copy()
    sequence = [(-1, 0, digest(screen))]
    for index, (kind, parameter, background) in enumerate(EFFECTS):
        compose(work1, pictures, background, brightened=True)
        for step, frame in effect_frames(kind, parameter, screen, work1, pictures):
            sequence.append((index, step, digest(frame)))
            screen = frame
    return sequence, screen


# ---- capturing ----

def capture(display):
    """The window's client area as RGB rows, from an xwd dump of the root window."""
    data = subprocess.run(["xwd", "-root", "-display", display, "-silent"], check=True,
                          capture_output=True).stdout
    (header_size, _, _, _, width, height, _, byte_order, _, _, _, bits, row_bytes, _, red_mask, green_mask,
     blue_mask, _, _, colours) = struct.unpack(">20I", data[:80])
    if bits not in (24, 32):
        raise SystemExit("xwd gave %d bits a pixel; this check reads 24 or 32" % bits)
    offset = header_size + colours * 12
    rows = np.frombuffer(data, np.uint8, row_bytes * height, offset).reshape(height, row_bytes)
    size = bits // 8
    pixels = rows[CLIENT_Y:CLIENT_Y + H, :width * size].reshape(H, width, size)[:, CLIENT_X:CLIENT_X + W]
    words = np.zeros((H, W), np.uint32)
    for i in range(size):  # the pixel's bytes, least significant first when byte_order is 0
        shift = 8 * (i if byte_order == 0 else size - 1 - i)
        words |= pixels[:, :, i].astype(np.uint32) << shift

    def channel(mask):
        shift = (mask & -mask).bit_length() - 1
        return ((words & mask) >> shift).astype(np.uint8)

    return rgb(channel(red_mask), channel(green_mask), channel(blue_mask))


def watch(display, limit_seconds=120):
    sequence, last = expected_sequence()
    positions = {}
    for position, (_, _, key) in enumerate(sequence):
        positions.setdefault(key, []).append(position)
    final = digest(last)
    seen = []  # positions matched, in capture order
    at = -1
    started = time.monotonic()
    frame = None
    while time.monotonic() - started < limit_seconds:
        try:
            frame = capture(display)
        except subprocess.CalledProcessError:
            time.sleep(0.1)  # the window is being made
            continue
        key = digest(frame)
        if at < 0 and key not in positions:
            if time.monotonic() - started > FIRST_SCENE_SECONDS:
                return fail("the first scene did not show within %d s" % FIRST_SCENE_SECONDS, frame, seen, sequence)
            continue  # before the first commit
        later = [p for p in positions.get(key, []) if p >= at]
        if not later:
            failure = "a capture equals no picture of the effects" if key not in positions else \
                "a capture shows an earlier picture than the one before it"
            return fail(failure, frame, seen, sequence)
        at = later[0]
        seen.append(at)
        if key == final and sequence[at][0] == len(EFFECTS) - 1:
            break
    else:
        return fail("the last effect did not end within %d s" % limit_seconds, frame, seen, sequence)
    ok = True
    for index, name in enumerate(EFFECT_NAMES):
        steps = sorted({sequence[p][1] for p in seen if sequence[p][0] == index})
        print("%s: steps seen %s" % (name, " ".join(map(str, steps))))
        last_step = max(s for e, s, _ in sequence if e == index)
        if not any(0 < s < last_step for s in steps):
            print("  no step between the first and the last was seen", file=sys.stderr)
            ok = False
    print("%d captures, each equal to its computed picture" % len(seen))
    return 0 if ok else 1


def fail(reason, frame, seen, sequence):
    print(reason, file=sys.stderr)
    if seen:
        effect, step, _ = sequence[seen[-1]]
        print("the last picture matched: %s, step %d" % (EFFECT_NAMES[effect] if effect >= 0 else "first commit", step),
              file=sys.stderr)
    if frame is not None:
        import os
        path = os.path.join(os.environ.get("KV_SCREENSHOT_OUT", "/tmp"), "effect-scene.png")
        write_png(path, frame)
        print("the capture is in " + path, file=sys.stderr)
    return 1


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "pictures":
        for name, picture in make_pictures().items():
            write_png("%s/%s.PNG" % (sys.argv[2], name), picture)
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "watch":
        return watch(sys.argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
