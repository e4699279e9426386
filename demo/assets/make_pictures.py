#!/usr/bin/env python3
"""Draws the demo game's pictures into the folder given: a title picture, three backgrounds,
two character sprites with their masks and a mask for the wipe effect, all 24-bit PNGs.

A sprite's mask is black where the sprite is drawn and white where the background shows
through (the engine's masked blend weights what the screen already holds by the mask).
Everything is drawn here from shapes and gradients; the same input gives the same files.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # the build leaves the source tree as it was
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from drawing import Canvas  # noqa: E402

OUT = sys.argv[1]
W, H = 800, 600


def stars(canvas, count, seed, below):
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        x = state % canvas.width
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        y = state % below
        bright = 150 + state % 106
        canvas.put(x, y, (bright, bright, min(255, bright + 30)))


def hills(canvas, base, amplitude, waves, colour, phase):
    for x in range(canvas.width):
        top = int(base - amplitude * (math.sin(x / canvas.width * math.pi * waves + phase) + 1) / 2)
        canvas.rect(x, top, x + 1, canvas.height, colour)


# Block letters, 5 x 7, drawn large for the title.
LETTERS = {
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "B": ["XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "D": ["XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."],
    "Y": ["X...X", "X...X", ".X.X.", "..X..", "..X..", "..X..", "..X.."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "C": [".XXX.", "X...X", "X....", "X....", "X....", "X...X", ".XXX."],
    "F": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "X...."],
    "G": [".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXX."],
    "H": ["X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "I": [".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "M": ["X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"],
    "N": ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"],
    "P": ["XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."],
    "S": [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "U": ["X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
}


def text(canvas, word, x, y, scale, colour, shadow):
    for n, letter in enumerate(word):
        if letter == " ":
            continue
        for row, line in enumerate(LETTERS[letter]):
            for column, mark in enumerate(line):
                if mark == "X":
                    left, top = x + (n * 6 + column) * scale, y + row * scale
                    canvas.rect(left + 4, top + 4, left + scale + 4, top + scale + 4, shadow)
                    canvas.rect(left, top, left + scale, top + scale, colour)


def title():
    c = Canvas(W, H)
    c.vertical_gradient((16, 12, 60), (150, 70, 140), 0, 480)
    stars(c, 260, 7, 380)
    c.disc(620, 130, 60, (250, 240, 210))
    hills(c, 470, 90, 3, (40, 30, 70), 0.3)
    hills(c, 540, 70, 5, (25, 20, 45), 1.7)
    text(c, "KVREBODY", 400 - 8 * 6 * 8 // 2, 220, 8, (255, 220, 120), (60, 20, 40))
    c.rect(250, 330, 550, 334, (255, 220, 120))
    c.save("TITLE.PNG")


def room():
    c = Canvas(W, H)
    c.vertical_gradient((230, 200, 160), (190, 150, 110), 0, 420)
    for x in range(0, W, 40):  # wallpaper stripes
        c.rect(x, 0, x + 3, 420, (210, 175, 135))
    c.rect(470, 70, 730, 300, (110, 80, 60))  # window frame
    for y in range(82, 288):
        t = (y - 82) / 206
        c.rect(482, y, 718, y + 1, (int(120 + 80 * t), int(180 + 50 * t), int(240 + 10 * t)))
    c.rect(596, 82, 604, 288, (110, 80, 60))
    c.rect(482, 181, 718, 189, (110, 80, 60))
    for y in range(420, H):  # floor boards
        shade = 120 + (y - 420) // 6
        c.rect(0, y, W, y + 1, (shade, int(shade * 0.7), int(shade * 0.45)))
    for x in range(0, W, 90):
        c.rect(x, 420, x + 2, H, (90, 60, 40))
    c.rect(60, 300, 300, 330, (140, 90, 60))  # a low table
    c.rect(80, 330, 96, 420, (120, 75, 50))
    c.rect(264, 330, 280, 420, (120, 75, 50))
    c.save("BG_ROOM.PNG")


def park():
    c = Canvas(W, H)
    c.vertical_gradient((110, 170, 235), (210, 235, 250), 0, 420)
    c.disc(130, 90, 40, (255, 250, 215))
    hills(c, 420, 50, 2, (120, 180, 90), 0.0)
    c.vertical_gradient((100, 170, 80), (60, 120, 50), 420, H)
    for x, size in ((150, 70), (380, 55), (640, 80)):  # trees
        c.rect(x - 10, 330 - size // 2, x + 10, 440, (100, 70, 45))
        c.disc(x, 300 - size // 2, size, (50, 120, 60))
        c.disc(x - size // 2, 320 - size // 3, size * 2 // 3, (60, 135, 65))
        c.disc(x + size // 2, 320 - size // 3, size * 2 // 3, (45, 110, 55))
    for y in range(470, H):  # a path
        half = 40 + (y - 470)
        c.rect(400 - half, y, 400 + half, y + 1, (200, 180, 140))
    c.save("BG_PARK.PNG")


def night():
    c = Canvas(W, H)
    c.vertical_gradient((5, 8, 30), (40, 40, 90), 0, 450)
    stars(c, 400, 99, 330)
    c.disc(170, 110, 45, (235, 235, 220))
    c.disc(188, 100, 42, (12, 16, 45))  # the moon's shadow makes a crescent
    state = 3
    x = 0
    while x < W:  # a skyline with lit windows
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        width = 50 + state % 70
        top = 260 + (state >> 8) % 150
        c.rect(x, top, x + width - 4, 450, (20, 22, 40))
        for wy in range(top + 12, 440, 22):
            for wx in range(x + 8, x + width - 14, 16):
                state = (state * 1103515245 + 12345) & 0x7FFFFFFF
                if state % 3 == 0:
                    c.rect(wx, wy, wx + 8, wy + 10, (250, 210, 110))
        x += width
    c.vertical_gradient((30, 30, 50), (15, 15, 25), 450, H)
    c.save("BG_NIGHT.PNG")


def character(name, hair, clothes, skin=(250, 215, 185)):
    """A 300 x 500 figure and its mask."""
    sprite = Canvas(300, 500, (255, 0, 255))
    mask = Canvas(300, 500, (255, 255, 255))
    black = (0, 0, 0)
    for canvas, paint in ((sprite, None), (mask, black)):
        def fill(shape, *args):
            colour = args[-1] if paint is None else paint
            getattr(canvas, shape)(*args[:-1], colour)
        fill("ellipse", 150, 330, 95, 170, clothes)                   # body
        fill("rect", 95, 300, 205, 500, clothes)
        fill("rect", 130, 180, 170, 215, skin)                         # neck
        fill("disc", 150, 120, 78, hair)                               # hair behind the face
        fill("ellipse", 150, 135, 62, 70, skin)                        # face
        fill("ellipse", 150, 78, 70, 32, hair)                         # fringe
        if paint is None:
            canvas.disc(125, 140, 8, (60, 40, 40))                     # eyes
            canvas.disc(175, 140, 8, (60, 40, 40))
            canvas.rect(138, 172, 162, 176, (200, 110, 110))           # mouth
            canvas.rect(145, 230, 155, 470, tuple(max(0, v - 40) for v in clothes))  # a seam
    sprite.save(name + ".PNG")
    mask.save(name + "_M.PNG")


def wipe_mask():
    """Bright at the top left, dark at the bottom right, with a little ripple."""
    c = Canvas(W, H)
    for y in range(H):
        row = c.rows[y]
        for x in range(W):
            v = int(255 * (1 - (x + y) / (W + H - 2)) + 12 * math.sin(x / 23.0) * math.cos(y / 31.0))
            v = max(0, min(255, v))
            row[3 * x:3 * x + 3] = bytes((v, v, v))
    c.save("WIPE_MASK.PNG")


def click_icons():
    """The click-wait icons in one strip: four 16 x 16 frames of an arrow that bobs down and up
    (the click wait), then four of a disc whose bright dot goes round (auto mode), then the
    backlog's voice icon, a small speaker, at rest and lit; and their mask, black where the
    icons are."""
    strip = Canvas(160, 16, (0, 0, 0))
    mask = Canvas(160, 16, (255, 255, 255))
    for k, dy in enumerate((0, 2, 4, 2)):
        for canvas, colour in ((strip, (255, 230, 140)), (mask, (0, 0, 0))):
            for row in range(6):
                canvas.rect(16 * k + 2 + row, 3 + dy + row, 16 * k + 14 - row, 4 + dy + row, colour)
    for k in range(4):
        cx = 64 + 16 * k + 8
        for canvas, colour in ((strip, (140, 200, 255)), (mask, (0, 0, 0))):
            canvas.disc(cx, 8, 6, colour)
        angle = k * math.pi / 2
        strip.disc(cx + 3.5 * math.cos(angle), 8 + 3.5 * math.sin(angle), 2, (255, 255, 255))
    for k, colour in enumerate(((150, 190, 255), (255, 240, 150))):
        left = 128 + 16 * k
        for canvas, ink in ((strip, colour), (mask, (0, 0, 0))):
            canvas.rect(left + 2, 5, left + 6, 11, ink)
            for column in range(6):
                canvas.rect(left + 6 + column, 5 - column // 2, left + 7 + column, 11 + column // 2, ink)
    strip.save("ICONS.PNG")
    mask.save("ICONS_M.PNG")


def message_panel():
    """The dark panel the story's text stands on."""
    c = Canvas(720, 170)
    c.vertical_gradient((40, 44, 90), (12, 14, 34))
    c.rect(0, 0, 720, 2, (170, 170, 220))
    c.save("MSG_PANEL.PNG")


def backlog_panel():
    """The frame the message history is read on, and its mask: a quarter of the scene shows
    through."""
    c = Canvas(720, 500)
    c.vertical_gradient((20, 24, 60), (8, 10, 28))
    c.rect(0, 0, 720, 2, (170, 170, 220))
    c.rect(0, 498, 720, 500, (170, 170, 220))
    c.save("LOG_PANEL.PNG")
    Canvas(720, 500, (64, 64, 64)).save("LOG_PANEL_M.PNG")


def plate(canvas, x, y, width, height, word, colour, state):
    """One frame of a button strip: state 0 greyed (disabled), 1 at rest, 2 lit with a border."""
    face = {0: (90, 90, 96), 1: colour, 2: tuple(min(255, c + 70) for c in colour)}[state]
    edge = (255, 255, 255) if state == 2 else (20, 20, 30)
    canvas.rect(x, y, x + width, y + height, edge)
    canvas.rect(x + 2, y + 2, x + width - 2, y + height - 2, face)
    scale = 2 if height < 40 else 3
    ink = (150, 150, 150) if state == 0 else (255, 255, 255)
    left = x + (width - (len(word) * 6 - 1) * scale) // 2
    text(canvas, word, left, y + (height - 7 * scale) // 2, scale, ink, tuple(c // 2 for c in face))


def panels():
    """The strips of the system buttons (80x28), the map's places (160x48) and the settings
    screen's choices (160x48), each three frames side by side: disabled, at rest, lit."""
    c = Canvas(480, 448)
    rows = [(0, 80, 28, ["LOG", "AUTO", "SKIP", "VOICE"], (60, 90, 150)),
            (112, 160, 48, ["ROOM", "PARK", "NIGHT"], (150, 90, 50)),
            (256, 160, 48, ["EFFECTS", "BACK", "SAVE", "LOAD"], (60, 130, 80))]
    for top, width, height, words, colour in rows:
        for n, word in enumerate(words):
            for state in range(3):
                plate(c, state * width, top + n * height, width, height, word, colour, state)
    c.save("PANELS.PNG")


def settings():
    """The settings screen behind its two choices."""
    c = Canvas(W, H)
    c.vertical_gradient((30, 50, 40), (10, 20, 15))
    text(c, "MENU", 400 - 4 * 6 * 6 // 2, 120, 6, (220, 240, 220), (0, 0, 0))
    c.save("SETTINGS.PNG")


os.makedirs(OUT, exist_ok=True)
os.chdir(OUT)  # the pictures are saved by their bare names
title()
room()
park()
night()
character("CHAR_A", (90, 50, 30), (70, 110, 190))
character("CHAR_B", (30, 30, 40), (200, 80, 90))
wipe_mask()
click_icons()
message_panel()
backlog_panel()
panels()
settings()
