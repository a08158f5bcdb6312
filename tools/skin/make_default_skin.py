#!/usr/bin/env python3
"""Draws the program's default skin and writes it beside the program.

    make_default_skin.py <program folder>

Writes <program folder>/Skin/English/ with play.ini, DivozoRivovid.ini and
their bitmaps (24-bit BMP), all drawn here from shapes, and, when the program
folder has no VAD_Config.ini yet, one whose [Language] section points the
first language at that skin. Standard library only; the output depends on
nothing but this file, so every build draws the same pixels.
"""
import math
import os
import struct
import sys

SKIN_SUBDIR = os.path.join("Skin", "English")
MASK = (255, 0, 255)  # outside of the play bar's window region and of the slider thumb
SUPERSAMPLE = 4

# --- pictures -----------------------------------------------------------------


class Picture:
    def __init__(self, width, height, color=(0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [[color] * width for _ in range(height)]

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = color

    def blend(self, x, y, color, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        old = self.rows[y][x]
        self.rows[y][x] = tuple(round(o + (c - o) * alpha) for o, c in zip(old, color))

    def paste(self, other, left, top):
        for y in range(other.height):
            self.rows[top + y][left:left + other.width] = other.rows[y]

    def write_bmp(self, path):
        pad = (4 - self.width * 3 % 4) % 4
        image = bytearray()
        for row in reversed(self.rows):  # BMP rows run bottom-up
            for r, g, b in row:
                image += bytes((b, g, r))
            image += b"\0" * pad
        header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + image)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(picture, left, top, width, height, top_color, bottom_color):
    for y in range(height):
        color = mix(top_color, bottom_color, y / max(1, height - 1))
        for x in range(width):
            picture.put(left + x, top + y, color)


def fill_shape(picture, left, top, width, height, inside, color, dx=0.0, dy=0.0):
    """Paints color where inside(u, v) holds (u, v in 0..1 over the box), with
    supersampled edges; dx, dy move the shape by whole pixels."""
    n = SUPERSAMPLE
    for y in range(height):
        for x in range(width):
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    u = (x - dx + (sx + 0.5) / n) / width
                    v = (y - dy + (sy + 0.5) / n) / height
                    hits += inside(u, v)
            picture.blend(left + x, top + y, color, hits / (n * n))


def rounded_box(radius, margin=0.0):
    def inside(u, v):
        u, v = u - 0.5, v - 0.5
        half = 0.5 - margin
        qx, qy = max(abs(u) - (half - radius), 0.0), max(abs(v) - (half - radius), 0.0)
        return abs(u) <= half and abs(v) <= half and qx * qx + qy * qy <= radius * radius
    return inside


# --- icons: predicates over the unit square -------------------------------------


def triangle(points):
    (ax, ay), (bx, by), (cx, cy) = points

    def side(px, py, x1, y1, x2, y2):
        return (px - x2) * (y1 - y2) - (x1 - x2) * (py - y2)

    def inside(u, v):
        d1, d2, d3 = side(u, v, ax, ay, bx, by), side(u, v, bx, by, cx, cy), side(u, v, cx, cy, ax, ay)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))
    return inside


def box(x1, y1, x2, y2):
    return lambda u, v: x1 <= u <= x2 and y1 <= v <= y2


def ring(cx, cy, outer, inner):
    return lambda u, v: inner * inner <= (u - cx) ** 2 + (v - cy) ** 2 <= outer * outer


def disc(cx, cy, r):
    return lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def union(*shapes):
    return lambda u, v: any(s(u, v) for s in shapes)


def minus(shape, cut):
    return lambda u, v: shape(u, v) and not cut(u, v)


def gear():
    def teeth(u, v):
        angle = math.atan2(v - 0.5, u - 0.5)
        r = math.hypot(u - 0.5, v - 0.5)
        return r <= 0.36 and math.cos(8 * angle) > 0.2
    return minus(union(disc(0.5, 0.5, 0.28), teeth), disc(0.5, 0.5, 0.12))


def power():
    def arc(u, v):
        r = math.hypot(u - 0.5, v - 0.52)
        angle = math.degrees(math.atan2(u - 0.5, -(v - 0.52)))  # 0 straight up
        return 0.22 <= r <= 0.31 and abs(angle) >= 35
    return union(arc, box(0.46, 0.16, 0.54, 0.5))


ICONS = {
    "start": triangle([(0.34, 0.24), (0.34, 0.76), (0.76, 0.5)]),
    "pause": union(box(0.3, 0.25, 0.43, 0.75), box(0.57, 0.25, 0.7, 0.75)),
    "stop": box(0.3, 0.3, 0.7, 0.7),
    "fast": union(triangle([(0.2, 0.28), (0.2, 0.72), (0.5, 0.5)]), triangle([(0.5, 0.28), (0.5, 0.72), (0.8, 0.5)])),
    "slow": union(triangle([(0.8, 0.28), (0.8, 0.72), (0.5, 0.5)]), triangle([(0.5, 0.28), (0.5, 0.72), (0.2, 0.5)])),
    "openfile": union(box(0.2, 0.34, 0.8, 0.74), box(0.2, 0.27, 0.45, 0.36)),
    "playlist": union(*[union(box(0.22, y, 0.3, y + 0.08), box(0.36, y, 0.78, y + 0.08)) for y in (0.27, 0.46, 0.65)]),
    "download": union(box(0.44, 0.18, 0.56, 0.5), triangle([(0.28, 0.46), (0.72, 0.46), (0.5, 0.68)]),
                      box(0.22, 0.72, 0.78, 0.8)),
    "downloadstop": minus(union(ring(0.5, 0.5, 0.32, 0.24), box(0.38, 0.38, 0.62, 0.62)), box(0, 0, 0, 0)),
    "manage": minus(box(0.2, 0.26, 0.8, 0.74),
                    union(*[box(x, y, x + 0.07, y + 0.07) for x in (0.25, 0.39, 0.53, 0.67) for y in (0.3, 0.63)],
                          box(0.25, 0.41, 0.75, 0.59))),
    "search": union(ring(0.44, 0.42, 0.22, 0.14), triangle([(0.56, 0.62), (0.64, 0.54), (0.82, 0.76)]),
                    triangle([(0.56, 0.62), (0.82, 0.76), (0.74, 0.84)])),
    "sysconfig": gear(),
    "exit": power(),
}

# Face and icon colours by state, in the order of the button image's rows.
STATES = [
    ("up", ((76, 118, 170), (38, 68, 116)), (250, 250, 250), (24, 44, 80), 0),
    ("over", ((112, 164, 222), (58, 104, 168)), (255, 255, 255), (200, 230, 255), 0),
    ("down", ((30, 52, 92), (52, 88, 138)), (214, 226, 240), (16, 28, 52), 1),
    ("disable", ((150, 152, 156), (118, 120, 124)), (194, 196, 200), (96, 98, 102), 0),
]


def button_face(size, state, icon):
    _, (top, bottom), icon_color, border, shift = state
    face = Picture(size, size, border)
    inner = Picture(size - 2, size - 2)
    vertical_gradient(inner, 0, 0, size - 2, size - 2, top, bottom)
    face.paste(inner, 1, 1)
    fill_shape(face, 0, 0, size, size, ICONS[icon], icon_color, shift, shift)
    return face


def button_image(names, size):
    """One column per button, one row per state; returns the picture and each
    button's four rectangle texts."""
    picture = Picture(size * len(names), size * len(STATES))
    rects = {}
    for column, name in enumerate(names):
        rects[name] = []
        for row, state in enumerate(STATES):
            picture.paste(button_face(size, state, name), column * size, row * size)
            x, y = column * size, row * size
            rects[name].append("%d,%d,%d,%d" % (x, y, x + size, y + size))
    return picture, rects


# --- the play-control bar (play.ini) -------------------------------------------

# The record manager makes its play bar 382 x 56 pixels: everything here must
# fit that, or it is cut off. Start and Pause share one place, since the bar
# shows only one of them at a time.
PLAY_SIZE = (382, 56)
PLAY_BUTTON = 32
PLAY_BUTTONS = [  # key name, icon, left edge
    ("Start", "start", 16), ("Pause", "pause", 16), ("Stop", "stop", 54), ("Slow", "slow", 104),
    ("Fast", "fast", 142), ("OpenFile", "openfile", 292), ("PlayList", "playlist", 334),
]
PLAY_TIPS = {"Start": "Play", "Pause": "Pause", "Stop": "Stop", "Slow": "Slow", "Fast": "Fast",
             "OpenFile": "Open File", "PlayList": "Play List"}
SLIDER_RECT = (12, 3, 370, 17)
THUMB = 14


def play_background():
    width, height = PLAY_SIZE
    picture = Picture(width, height)
    vertical_gradient(picture, 0, 0, width, height, (58, 64, 74), (22, 25, 30))
    left, top, right, bottom = SLIDER_RECT
    groove_y = (top + bottom) // 2 - 1
    for x in range(left + 4, right - 4):
        picture.put(x, groove_y, (12, 14, 18))
        picture.put(x, groove_y + 1, (96, 104, 116))
    radius = 8  # rounded corners: the mask colour cuts them out of the window
    for y in range(radius):
        for x in range(radius):
            if (radius - x - 0.5) ** 2 + (radius - y - 0.5) ** 2 > radius * radius:
                for px, py in ((x, y), (width - 1 - x, y), (x, height - 1 - y), (width - 1 - x, height - 1 - y)):
                    picture.put(px, py, MASK)
    return picture


def thumb(state_index):
    colors = [(222, 228, 236), (255, 255, 255), (150, 160, 176), (140, 140, 140)]
    rims = [(70, 110, 160), (90, 150, 220), (40, 70, 120), (100, 100, 100)]
    picture = Picture(THUMB, THUMB, MASK)
    for y in range(THUMB):
        for x in range(THUMB):
            r = math.hypot(x + 0.5 - THUMB / 2, y + 0.5 - THUMB / 2)
            if r <= THUMB / 2 - 0.5:
                picture.put(x, y, rims[state_index] if r > THUMB / 2 - 2.5 else colors[state_index])
    return picture


def write_play(folder):
    names = [icon for _, icon, _ in PLAY_BUTTONS]
    picture, rects = button_image(names, PLAY_BUTTON)
    picture.write_bmp(os.path.join(folder, "play_buttons.bmp"))
    play_background().write_bmp(os.path.join(folder, "play_back.bmp"))
    for index, name in enumerate(["up", "over", "down", "disable"]):
        thumb(index).write_bmp(os.path.join(folder, "slider_%s.bmp" % name))
    band = Picture(8, 4, (240, 130, 0))
    band.write_bmp(os.path.join(folder, "slider_band.bmp"))
    top = (PLAY_SIZE[1] + SLIDER_RECT[3] - PLAY_BUTTON) // 2
    lines = ["[MainSettings]", "BackImage=play_back.bmp", "ButtonImage=play_buttons.bmp",
             "MainWindow_Size=%d,%d" % PLAY_SIZE, "IsUseMask=1", "MaskColor =%d,%d,%d" % MASK, "",
             "[Sliders]", "StepLength_IsVisible=1", "StepLength_Position=%d,%d,%d,%d" % SLIDER_RECT,
             "BackImage_Up=slider_up.bmp", "BackImage_Over=slider_over.bmp", "BackImage_Down=slider_down.bmp",
             "BackImage_Disable=slider_disable.bmp", "download=slider_band.bmp", "", "[MainButtons]"]
    for key, icon, left in PLAY_BUTTONS:
        up, over, down, disable = rects[icon]
        lines += ["%s_Position=%d,%d,%d,%d" % (key, left, top, left + PLAY_BUTTON, top + PLAY_BUTTON),
                  "%s_IsVisible=1" % key, "%s_TipText=%s" % (key, PLAY_TIPS[key]),
                  "%s_Up=%s" % (key, up), "%s_Over=%s" % (key, over), "%s_Down=%s" % (key, down),
                  "%s_Disable=%s" % (key, disable)]
    write_ini(os.path.join(folder, "play.ini"), lines)


# --- the main window (DivozoRivovid.ini) ---------------------------------------

MAIN_SIZE = (902, 675)
MAIN_BUTTON = 64
MAIN_BUTTONS = [  # key name, icon, left edge, tip
    ("DownLoadStart", "download", 16, "Start Download"), ("DownLoadStop", "downloadstop", 16, "Stop Download"),
    ("Manage", "manage", 96, "Record Manage"), ("Search", "search", 176, "Log Query"),
    ("SysConfig", "sysconfig", 256, "System Config"), ("Exit", "exit", 822, "Exit"),
]


def main_background():
    width, height = MAIN_SIZE
    picture = Picture(width, height, (236, 239, 244))
    vertical_gradient(picture, 0, 0, width, 96, (56, 92, 140), (28, 52, 92))
    vertical_gradient(picture, 0, 96, width, 3, (200, 140, 40), (240, 170, 60))
    return picture


def write_main(folder):
    names = [icon for _, icon, _, _ in MAIN_BUTTONS]
    picture, rects = button_image(names, MAIN_BUTTON)
    picture.write_bmp(os.path.join(folder, "main_buttons.bmp"))
    main_background().write_bmp(os.path.join(folder, "main_back.bmp"))
    lines = ["[MainSettings]", "BackImage=main_back.bmp", "ButtonImage=main_buttons.bmp",
             "MainWindow_Size=%d,%d" % MAIN_SIZE, "IsUseMask=0", "MaskColor =%d,%d,%d" % MASK, "", "[MainButtons]"]
    top = 16
    for key, icon, left, tip in MAIN_BUTTONS:
        up, over, down, disable = rects[icon]
        visible_key = "Exit_IsVisible " if key == "Exit" else "%s_IsVisible" % key  # the program asks with the blank
        lines += ["%s_Position=%d,%d,%d,%d" % (key, left, top, left + MAIN_BUTTON, top + MAIN_BUTTON),
                  "%s=1" % visible_key, "%s_TipText=%s" % (key, tip),
                  "%s_Up=%s" % (key, up), "%s_Over=%s" % (key, over), "%s_Down=%s" % (key, down),
                  "%s_Disable=%s" % (key, disable)]
    write_ini(os.path.join(folder, "DivozoRivovid.ini"), lines)


def write_ini(path, lines):
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def write_language_entry(program_folder):
    path = os.path.join(program_folder, "VAD_Config.ini")
    if os.path.exists(path):
        return  # settings the user or the setup made are kept
    write_ini(path, ["[Language]", "LanguageCount=1", "DefaultLanguage=1", "LanguageName1=English",
                     "SkinFileDir1=" + SKIN_SUBDIR.replace("/", "\\")])


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = os.path.join(argv[1], SKIN_SUBDIR)
    os.makedirs(folder, exist_ok=True)
    write_play(folder)
    write_main(folder)
    write_language_entry(argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
