#!/usr/bin/env python3
"""Redraws the program's button pictures, cursors, splash and icon into app/resources.

Plain Python 3 writes the pixel art; ImageMagick's `convert` rasterises the SVG icon and the
splash. Run from anywhere: python3 scripts/draw-art.py
"""
import math
import os
import struct
import subprocess
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "resources")

# The four button colours the program maps to the desktop's, plus a few paints of our own.
PALETTE = {
    "k": (0, 0, 0), "g": (128, 128, 128), "c": (192, 192, 192), "w": (255, 255, 255),
    "y": (255, 255, 0), "o": (128, 128, 0), "r": (255, 0, 0), "m": (128, 0, 0),
    "b": (0, 0, 255), "n": (0, 0, 128), "t": (0, 128, 128), "G": (0, 128, 0),
}
FACE = "c"


def write_png(path, w, h, rows, alpha):
    """rows: list of lists of (r, g, b[, a]) tuples."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw.extend(p if alpha else p[:3])

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x] if 0 <= x < self.w and 0 <= y < self.h else None

    def art(self, x0, y0, rows):
        """Stamps ASCII art; '.' leaves the pixel alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, ch)

    def art_centred(self, rows, dx=0, dy=0):
        w = max(len(r) for r in rows)
        self.art((self.w - w) // 2 + dx, (self.h - len(rows)) // 2 + dy, rows)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def rect(self, x0, y0, x1, y1, c, inside=None):
        if inside:
            self.fill(x0, y0, x1, y1, inside)
        self.line(x0, y0, x1, y0, c)
        self.line(x0, y1, x1, y1, c)
        self.line(x0, y0, x0, y1, c)
        self.line(x1, y0, x1, y1, c)

    def region(self, inside, edge, fill=None):
        """Paints the pixels whose centres pass `inside`; the ones next to an outside pixel
        form a one-pixel outline."""
        ins = [[inside(x + 0.5, y + 0.5) for x in range(self.w)] for y in range(self.h)]

        def at(x, y):
            return 0 <= x < self.w and 0 <= y < self.h and ins[y][x]

        for y in range(self.h):
            for x in range(self.w):
                if not ins[y][x]:
                    continue
                border = not (at(x - 1, y) and at(x + 1, y) and at(x, y - 1) and at(x, y + 1))
                if border and edge:
                    self.set(x, y, edge)
                elif not border and fill:
                    self.set(x, y, fill)

    def ellipse(self, cx, cy, rx, ry, edge, fill=None):
        self.region(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, edge, fill)

    def ring(self, cx, cy, r0, r1, c):
        self.region(lambda x, y: r0 ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 ** 2, c, c)

    def polygon(self, pts, edge, fill=None):
        def inside(x, y):
            odd = False
            for i in range(len(pts)):
                (ax, ay), (bx, by) = pts[i], pts[i - 1]
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    odd = not odd
            return odd
        self.region(inside, edge, fill)

    def bezier(self, p0, p1, p2, p3, c, steps=64):
        last = None
        for i in range(steps + 1):
            t = i / steps
            u = 1 - t
            x = u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0]
            y = u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1]
            cur = (int(round(x)), int(round(y)))
            if last:
                self.line(last[0], last[1], cur[0], cur[1], c)
            last = cur

    def save(self, name, alpha=False):
        rows = []
        for row in self.px:
            out = []
            for ch in row:
                if ch is None:
                    out.append((0, 0, 0, 0))
                else:
                    out.append(PALETTE[ch] + (255,))
            rows.append(out)
        write_png(os.path.join(OUT, name), self.w, self.h, rows, alpha)


BUTTONS = {}


def button(name):
    def register(fn):
        BUTTONS[name] = fn
        return fn
    return register


def arc_band(cv, cx, cy, r0, r1, a0, a1, c):
    """A thick circular band from angle a0 to a1 (degrees, counter-clockwise, y down)."""
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return r0 ** 2 <= d <= r1 ** 2 and (a0 <= a <= a1 if a0 <= a1 else a >= a0 or a <= a1)
    cv.region(inside, c, c)


def sheet(cv, x, y, w, h):
    """A white sheet with a turned-down corner."""
    ear = 4
    cv.fill(x, y, x + w - 1, y + h - 1, "w")
    cv.line(x, y, x + w - 1 - ear, y, "k")
    cv.line(x, y, x, y + h - 1, "k")
    cv.line(x, y + h - 1, x + w - 1, y + h - 1, "k")
    cv.line(x + w - 1, y + ear, x + w - 1, y + h - 1, "k")
    for i in range(ear + 1):
        for j in range(i):
            cv.set(x + w - 1 - ear + i, y + j, FACE)
    cv.line(x + w - 1 - ear, y, x + w - 1, y + ear, "k")
    cv.line(x + w - 1 - ear, y, x + w - 1 - ear, y + ear, "k")
    cv.line(x + w - 1 - ear, y + ear, x + w - 1, y + ear, "k")


def text_lines(cv, spans):
    """Five lines of text as black bars, two pixels thick with a gap of two."""
    for i, (x0, x1) in enumerate(spans):
        cv.fill(x0, 4 + i * 4, x1, 5 + i * 4, "k")


@button("newbmp")
def _(cv):
    sheet(cv, 9, 4, 14, 18)


@button("openbmp")
def _(cv):
    cv.art_centred([
        "....................",
        ".kkkk...............",
        "koooook.............",
        "kooooookkkkkkkk.....",
        "kooooooooooooook....",
        "kooooooooooooook....",
        "kooooooooooooook....",
        "kooookkkkkkkkkkkkkkk",
        "koookyyyyyyyyyyyyyyk",
        "kookyyyyyyyyyyyyyyk.",
        "kookyyyyyyyyyyyyyyk.",
        "kokyyyyyyyyyyyyyyk..",
        "kokyyyyyyyyyyyyyyk..",
        "kkyyyyyyyyyyyyyyk...",
        "kkkkkkkkkkkkkkkkk...",
    ], dy=1)


@button("savebmp")
def _(cv):
    cv.art_centred([
        "kkkkkkkkkkkkkkkk",
        "kgkwwwwwwwwwwkgk",
        "kgkwwwwwwwwwwkgk",
        "kgkwkkkkkkkkwkgk",
        "kgkwwwwwwwwwwkgk",
        "kgkwkkkkkkkkwkgk",
        "kgkwwwwwwwwwwkgk",
        "kggkkkkkkkkkkggk",
        "kggggggggggggggk",
        "kgggkkkkkkkkkggk",
        "kgggkcckkccckggk",
        "kgggkcckkccckggk",
        "kgggkcckkccckggk",
        "kgggkcccccccckgk",
        "kkkkkkkkkkkkkkkk",
    ])


@button("printbmp")
def _(cv):
    cv.art_centred([
        ".....kkkkkkkkkk.....",
        ".....kwwwwwwwwk.....",
        ".....kwkkkkkkwk.....",
        ".....kwwwwwwwwk.....",
        ".....kwkkkkkwwk.....",
        "..kkkkkkkkkkkkkkkk..",
        ".kwwwwwwwwwwwwwwwgk.",
        "kwccccccccccccccccgk",
        "kwccccccccccccGGccgk",
        "kwccccccccccccccccgk",
        "kggggggggggggggggggk",
        "kkkkkkkkkkkkkkkkkkkk",
        "...kwwwwwwwwwwwwk...",
        "...kkkkkkkkkkkkkk...",
    ])


@button("cutbmp")
def _(cv):
    cv.line(10, 1, 19, 15, "k")
    cv.line(11, 1, 20, 15, "g")
    cv.line(22, 1, 13, 15, "k")
    cv.line(21, 1, 12, 15, "k")
    cv.set(16, 10, "w")
    cv.ring(11, 19, 2.0, 4.3, "k")
    cv.ring(21, 19, 2.0, 4.3, "k")


@button("copybmp")
def _(cv):
    sheet(cv, 7, 3, 11, 14)
    sheet(cv, 14, 8, 11, 14)


@button("pastebmp")
def _(cv):
    cv.rect(8, 4, 22, 21, "k", "o")
    cv.rect(12, 2, 18, 6, "k", "g")
    cv.fill(14, 3, 16, 3, "k")
    sheet(cv, 14, 8, 11, 14)


def curved_arrow(cv, mirror):
    sub = Canvas(32, 26, None)
    arc_band(sub, 16, 16, 5, 7.5, 0, 180, "k")
    sub.fill(21, 16, 23, 18, "k")
    sub.polygon([(3, 13.5), (13, 13.5), (8, 19.5)], "k", "k")
    for y in range(26):
        for x in range(32):
            if sub.px[y][x]:
                cv.set(31 - x if mirror else x, y, sub.px[y][x])


@button("undobmp")
def _(cv):
    curved_arrow(cv, False)


@button("redobmp")
def _(cv):
    curved_arrow(cv, True)


def frame(cv):
    """A window frame with a title bar, the view the zoom buttons fit a page into."""
    cv.rect(5, 3, 26, 22, "k", "w")
    cv.fill(6, 4, 25, 6, "n")


@button("fitbmp")
def _(cv):
    frame(cv)
    cv.rect(12, 8, 19, 20, "k", "c")
    cv.line(13, 20, 19, 20, "g")
    cv.line(19, 9, 19, 20, "g")


@button("fitwbmp")
def _(cv):
    frame(cv)
    cv.fill(7, 8, 24, 21, "c")
    cv.line(7, 8, 24, 8, "k")
    cv.line(7, 8, 7, 21, "k")
    cv.line(24, 8, 24, 21, "k")
    for x0, d in ((8, 1), (23, -1)):
        cv.line(x0, 14, x0 + 3 * d, 11, "k")
        cv.line(x0, 14, x0 + 3 * d, 17, "k")
    cv.line(8, 14, 23, 14, "k")


@button("prvwbmp")
def _(cv):
    # An eye: the almond is where two large circles overlap.
    cv.region(lambda x, y: (x - 16) ** 2 + (y - 5.4) ** 2 <= 13.1 ** 2 and
              (x - 16) ** 2 + (y - 19.6) ** 2 <= 13.1 ** 2, "k", "w")
    cv.ellipse(16, 12.5, 5, 5, "k", "b")
    cv.ellipse(16, 12.5, 2.3, 2.3, "k", "k")
    cv.art(13, 10, ["ww", "w."])


@button("gridbmp")
def _(cv):
    for y in range(5, 22, 4):
        for x in range(6, 27, 4):
            cv.set(x, y, "k")
    cv.line(10, 5, 10, 21, "g")
    cv.line(6, 13, 26, 13, "g")
    for y in range(5, 22, 4):
        for x in range(6, 27, 4):
            cv.set(x, y, "k")


def stacked(cv, white_on_top):
    def grey():
        cv.rect(7, 3, 19, 15, "k", "g")

    def white():
        cv.rect(12, 9, 24, 21, "k", "w")

    if white_on_top:
        grey()
        white()
    else:
        white()
        grey()


@button("frontbmp")
def _(cv):
    stacked(cv, True)


@button("backbmp")
def _(cv):
    stacked(cv, False)


@button("fillbmp")
def _(cv):
    # A tipped paint bucket, red paint at its lip and running down.
    cv.bezier((16, 3), (19, -3), (30, 3), (24, 11), "k")
    cv.polygon([(8, 11), (16, 3), (24, 11), (16, 19)], "k", "w")
    cv.line(17, 5, 22, 10, "g")
    cv.polygon([(8, 11), (16, 19), (18.5, 16.5), (10.5, 8.5)], "k", "r")
    cv.polygon([(4.5, 10.5), (9.5, 10.5), (9.5, 20), (7, 23), (4.5, 20)], "m", "r")


@button("strokebmp")
def _(cv):
    # A pen nib drawing a red stroke.
    cv.polygon([(9.5, 17.5), (12, 10.5), (21, 1.5), (26.5, 7), (17.5, 16), (10.5, 18.5)],
               "k", "g")
    cv.line(20, 4, 24, 8, "c")
    cv.line(10, 18, 14, 14, "k")
    cv.set(13, 14, "w")
    cv.bezier((3, 23), (8, 17), (16, 26), (26, 20), "r")
    cv.bezier((3, 22), (8, 16), (16, 25), (26, 19), "r")


@button("eydrpbmp")
def _(cv):
    # An eyedropper: rubber bulb top right, glass tube down to the left, one drop.
    for i in range(9):
        cv.line(10 + i, 16 - i, 11 + i, 17 - i, "k")
    for i in range(8):
        cv.set(11 + i, 16 - i, "w")
    cv.line(9, 17, 11, 19, "k")
    cv.line(9, 17, 7, 19, "k")
    cv.line(7, 19, 9, 21, "k")
    cv.line(9, 21, 11, 19, "k")
    cv.set(9, 19, "t")
    cv.polygon([(17.5, 5), (21, 1.5), (26, 6.5), (22.5, 10), (21.5, 11), (16.5, 6)], "k", "m")
    cv.line(16, 8, 20, 12, "k")
    cv.ellipse(6, 23.5, 1.6, 2.0, "t", "t")


@button("brushbmp")
def _(cv):
    # A flat brush: wooden handle, metal ferrule, painted bristles.
    cv.polygon([(17, 9), (24, 2), (27, 5), (20, 12)], "k", "o")
    cv.polygon([(13, 11), (16, 8), (21, 13), (18, 16)], "k", "c")
    cv.polygon([(5, 21), (7, 14), (13, 11), (18, 16), (15, 20), (8, 22)], "k", "b")
    cv.line(9, 18, 13, 14, "n")


def letter_a(cv, x, y):
    cv.art(x, y, [
        "......kk......",
        "......kk......",
        ".....kkkk.....",
        ".....k.kk.....",
        "....kk.kkk....",
        "....k...kk....",
        "...kk...kkk...",
        "...kkkkkkkk...",
        "..kk.....kkk..",
        "..k.......kk..",
        ".kk.......kkk.",
        "kkkk.....kkkkk",
    ])


@button("fontbmp")
def _(cv):
    letter_a(cv, 6, 5)
    cv.art(20, 10, [
        ".kkk..",
        "k...k.",
        "..kkk.",
        ".k..k.",
        "k...k.",
        ".kkk.k",
    ])


@button("leftbmp")
def _(cv):
    text_lines(cv, [(6, 25), (6, 19), (6, 23), (6, 16), (6, 22)])


@button("centerbmp")
def _(cv):
    text_lines(cv, [(6, 25), (9, 22), (7, 24), (11, 20), (8, 23)])


@button("rightbmp")
def _(cv):
    text_lines(cv, [(6, 25), (12, 25), (8, 25), (15, 25), (9, 25)])


@button("fullbmp")
def _(cv):
    text_lines(cv, [(6, 25), (6, 25), (6, 25), (6, 25), (6, 16)])


ARROW = [
    "k...........",
    "kk..........",
    "kwk.........",
    "kwwk........",
    "kwwwk.......",
    "kwwwwk......",
    "kwwwwwk.....",
    "kwwwwwwk....",
    "kwwwwwwwk...",
    "kwwwwwwwwk..",
    "kwwwwwkkkkk.",
    "kwwkwwk.....",
    "kwk.kwwk....",
    "kk..kwwk....",
    "k....kwwk...",
    ".....kwwk...",
    "......kk....",
]

HAND = [
    "........kk........",
    "....kk.kwwkkk.....",
    "...kwwkkwwkwwk....",
    "...kwwkkwwkwwk.kk.",
    "...kwwkkwwkwwkkwwk",
    "...kwwkkwwkwwkkwwk",
    ".kkkwwkkwwkwwkkwwk",
    "kwwkwwwwwwwwwkwwwk",
    "kwwkwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwwwk",
    ".kwwwwwwwwwwwwwwwk",
    ".kwwwwwwwwwwwwwwk.",
    "..kwwwwwwwwwwwwwk.",
    "..kwwwwwwwwwwwwk..",
    "...kwwwwwwwwwwwk..",
    "....kwwwwwwwwwk...",
    ".....kwwwwwwwwk...",
    ".....kkkkkkkkkk...",
]


@button("cursorbmp")
def _(cv):
    cv.art_centred(ARROW, dx=1)


@button("handbmp")
def _(cv):
    cv.art_centred(HAND)


@button("lensbmp")
def _(cv):
    cv.ellipse(13, 10, 6.5, 6.5, "k", "w")
    cv.ring(13, 10, 4.6, 6.5, "k")
    cv.art(10, 7, ["ww", "w."])
    for i in range(6):
        cv.line(17 + i, 16 + i, 19 + i, 14 + i, "k")
    cv.line(19, 17, 23, 21, "g")


@button("linebmp")
def _(cv):
    cv.line(7, 20, 24, 4, "k")
    cv.line(8, 20, 25, 4, "k")


@button("rectbmp")
def _(cv):
    cv.rect(7, 5, 24, 19, "k")
    cv.rect(8, 6, 23, 18, "k")


@button("ellipsbmp")
def _(cv):
    cv.region(lambda x, y: 0.55 <= ((x - 16) / 10) ** 2 + ((y - 12.5) / 8) ** 2 <= 1, "k", "k")


@button("arcbmp")
def _(cv):
    cv.region(lambda x, y: x <= 22 and y <= 20 and
              0.75 <= ((x - 22) / 15) ** 2 + ((y - 20) / 15) ** 2 <= 1, "k", "k")
    for p in ((7, 20), (22, 5)):
        cv.rect(p[0] - 1, p[1] - 1, p[0] + 1, p[1] + 1, "k", "w")


@button("bezierbmp")
def _(cv):
    p0, p1, p2, p3 = (5, 19), (9, 3), (22, 22), (26, 6)
    cv.line(*p0, *p1, "g")
    cv.line(*p2, *p3, "g")
    cv.bezier(p0, p1, p2, p3, "k")
    cv.bezier((p0[0] + 1, p0[1]), (p1[0] + 1, p1[1]), (p2[0] + 1, p2[1]),
              (p3[0] + 1, p3[1]), "k")
    for p in (p0, p3):
        cv.rect(p[0] - 1, p[1] - 1, p[0] + 1, p[1] + 1, "k", "w")
    for p in (p1, p2):
        cv.ellipse(p[0] + 0.5, p[1] + 0.5, 1.6, 1.6, "k", "k")


@button("polygonbmp")
def _(cv):
    pts = [(6, 19), (11, 4), (18, 11), (25, 6), (23, 21)]
    for i in range(len(pts)):
        cv.line(*pts[i - 1], *pts[i], "k")
        cv.line(pts[i - 1][0] + 1, pts[i - 1][1], pts[i][0] + 1, pts[i][1], "k")


@button("textbmp")
def _(cv):
    letter_a(cv, 4, 7)
    cv.art(20, 4, [
        "kkk.kkk",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "..kkk..",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "...k...",
        "kkk.kkk",
    ])


def dotted_rect(cv, x0, y0, x1, y1):
    for x in range(x0, x1 + 1, 2):
        cv.set(x, y0, "g")
        cv.set(x, y1, "g")
    for y in range(y0, y1 + 1, 2):
        cv.set(x0, y, "g")
        cv.set(x1, y, "g")


@button("scalebmp")
def _(cv):
    dotted_rect(cv, 5, 3, 13, 11)
    cv.rect(5, 3, 25, 21, "k")
    cv.line(9, 7, 19, 16, "k")
    cv.line(10, 7, 20, 16, "k")
    cv.polygon([(22.5, 18.5), (15, 17.5), (21.5, 11)], "k", "k")


@button("rotatebmp")
def _(cv):
    cv.polygon([(14, 5), (22, 10), (17, 18), (9, 13)], "k", "w")
    arc_band(cv, 15.5, 12.5, 9, 10.4, 200, 330, "k")
    cv.polygon([(22, 15), (27.5, 15.5), (24.5, 20.5)], "k", "k")


@button("skewbmp")
def _(cv):
    dotted_rect(cv, 6, 6, 19, 19)
    cv.polygon([(12, 6), (26.5, 6), (20.5, 20), (6, 20)], "k")
    cv.polygon([(12.5, 6.5), (25.5, 6.5), (20, 19.5), (7, 19.5)], "k")


@button("reflctbmp")
def _(cv):
    for y in range(2, 24, 2):
        cv.set(15, y, "g")
    cv.polygon([(13, 5), (13, 20), (5, 20)], "k", "w")
    cv.polygon([(18, 5), (18, 20), (26, 20)], "k", "g")


def cursor(name, black):
    """A 32 x 32 cursor: the black pixels given, ringed in white on a clear ground."""
    cv = Canvas(32, 32, None)
    for (x, y) in black:
        cv.set(x, y, "k")
    ring = set()
    for (x, y) in black:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                if cv.get(x + dx, y + dy) is None and 0 <= x + dx < 32 and 0 <= y + dy < 32:
                    ring.add((x + dx, y + dy))
    for (x, y) in ring:
        cv.set(x, y, "w")
    cv.save(name, alpha=True)


def art_pixels(rows, x0, y0, keys):
    return [(x0 + x, y0 + y) for y, r in enumerate(rows) for x, ch in enumerate(r) if ch in keys]


def draw_cursors():
    # Hot spot (1, 1): the arrow's tip.
    cursor("cursor5001.png", art_pixels(ARROW, 1, 1, "kw"))
    # Hot spot (9, 9): the centre of the circle and of its cross.
    pts = [(x, y) for y in range(32) for x in range(32)
           if 4.2 ** 2 <= (x - 9) ** 2 + (y - 9) ** 2 <= 5.6 ** 2]
    pts += [(9, y) for y in range(1, 18)] + [(x, 9) for x in range(1, 18)]
    cursor("cursor5002.png", pts)
    # Hot spot (15, 15): where the two lines cross.
    cursor("cursor5022.png", [(15, y) for y in range(32)] + [(x, 15) for x in range(32)])
    # Hot spot (12, 11): the middle of the palm.
    cursor("cursor5030.png", art_pixels(HAND, 3, 2, "w"))


def flat_bezier(p0, p1, p2, p3, steps=48):
    """A cubic as an SVG polyline: ImageMagick's own SVG renderer strokes wide curves badly."""
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append("%.1f %.1f" % tuple(u**3 * p0[k] + 3 * u * u * t * p1[k] + 3 * u * t * t * p2[k]
                                       + t**3 * p3[k] for k in (0, 1)))
    return "M " + " L ".join(pts)


ICON = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Ondara Draw</title>
  <rect x="20" y="14" width="216" height="228" rx="22" ry="22" fill="#ffffff" stroke="#26324a"
        stroke-width="10"/>
  <rect x="44" y="118" width="100" height="96" fill="#3b6fd0" stroke="#000000" stroke-width="7"/>
  <circle cx="162" cy="160" r="52" fill="#e0452c" stroke="#000000" stroke-width="7"/>
  <path d="M 58 96 L 86 34 M 200 40 L 150 104" stroke="#808080" stroke-width="5" fill="none"/>
  <path d="%s" stroke="#000000" stroke-width="10" fill="none" stroke-linejoin="round"/>
  <rect x="48" y="86" width="20" height="20" fill="#ffffff" stroke="#000000" stroke-width="5"/>
  <rect x="190" y="30" width="20" height="20" fill="#ffffff" stroke="#000000" stroke-width="5"/>
  <circle cx="86" cy="34" r="9" fill="#000000" stroke="none"/>
  <circle cx="150" cy="104" r="9" fill="#000000" stroke="none"/>
</svg>
"""


SPLASH = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="400" height="250" viewBox="0 0 400 250">
  <rect x="0" y="0" width="400" height="250" fill="#f6f3ea" stroke="none"/>
  <g fill="#c8c2b0" stroke="none">%s</g>
  <rect x="40" y="36" width="96" height="80" fill="#3b6fd0" stroke="#000000" stroke-width="3"/>
  <circle cx="140" cy="112" r="44" fill="#e0452c" stroke="#000000" stroke-width="3"/>
  <polygon points="300,146 318,40 346,92 372,52 380,150" fill="#f2c230" stroke="#000000"
           stroke-width="3"/>
  <path d="M 206 140 L 214 36 M 276 150 L 282 44" stroke="#808080" stroke-width="2" fill="none"/>
  <path d="%s" stroke="#000000" stroke-width="4" fill="none" stroke-linejoin="round"/>
  <rect x="201" y="135" width="10" height="10" fill="#ffffff" stroke="#000000" stroke-width="2"/>
  <rect x="277" y="39" width="10" height="10" fill="#ffffff" stroke="#000000" stroke-width="2"/>
  <circle cx="214" cy="36" r="4" fill="#000000" stroke="none"/>
  <circle cx="276" cy="150" r="4" fill="#000000" stroke="none"/>
  <rect x="0" y="172" width="400" height="78" fill="#26324a" stroke="none"/>
  <text x="200" y="222" font-family="DejaVu Sans" font-weight="bold" font-size="34"
        text-anchor="middle" fill="#ffffff">Ondara Draw 3.1</text>
</svg>
"""

# Strip the time stamps so redrawing an unchanged picture leaves the file unchanged.
PNG_OPTS = ["-strip", "-define", "png:exclude-chunks=date,time"]


def rasterise(svg_path, png_path, size=None):
    args = ["convert", "-background", "#f6f3ea", "-density", "96", svg_path, "-flatten"]
    if size:
        args += ["-resize", "%dx%d" % (size, size)]
    subprocess.run(args + ["-depth", "8"] + PNG_OPTS + ["png24:" + png_path], check=True)


def draw_splash_and_icon():
    dots = "".join('<circle cx="%d" cy="%d" r="1.2"/>' % (x, y)
                   for y in range(12, 170, 16) for x in range(12, 400, 16))
    tmp = os.path.join(OUT, "aboutbmp.svg.tmp")
    with open(tmp, "w") as f:
        f.write(SPLASH % (dots, flat_bezier((206, 140), (214, 36), (276, 150), (282, 44))))
    try:
        rasterise(tmp, os.path.join(OUT, "aboutbmp.png"))
    finally:
        os.remove(tmp)
    # The icon is drawn large and scaled down, which smooths it at every size.
    svg = os.path.join(OUT, "ondara-draw.svg")
    with open(svg, "w") as f:
        f.write(ICON % flat_bezier((58, 96), (86, 34), (150, 104), (200, 40)))
    for size in (16, 32, 48, 64, 128, 256):
        big = os.path.join(OUT, "qlxicon-big.png.tmp")
        subprocess.run(["convert", "-background", "none", "-density", "384", svg,
                        "png32:" + big], check=True)
        try:
            subprocess.run(["convert", big, "-filter", "box", "-resize", "%dx%d" % (size, size)]
                           + PNG_OPTS + ["png32:" + os.path.join(OUT, "qlxicon%d.png" % size)],
                           check=True)
        finally:
            os.remove(big)


def main():
    for name, fn in BUTTONS.items():
        cv = Canvas(32, 26, FACE)
        fn(cv)
        cv.save(name + ".png")
    draw_cursors()
    draw_splash_and_icon()
    print(len(BUTTONS), "buttons")


if __name__ == "__main__":
    main()
