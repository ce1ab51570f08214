#!/usr/bin/env python3
"""Draws the program's pictures and writes them as resource files.

Writes resources/bitmaps/*.bmp and resources/ombrel.ico, byte for byte the
same on every run. Standard library only, so any build machine can redo it.

The 16-colour pictures are character grids, one character per pixel:

    k black    m maroon   g green    o olive
    n navy     p purple   t teal     s silver
    d grey     r red      l lime     y yellow
    b blue     f fuchsia  c aqua     w white

and "." for the picture's background: teal, or fuchsia for the buttons'
pictures. The lists and buttons that show these pictures treat the colour of
the bottom-left pixel as transparent, so "." must be that pixel and its
colour must not be drawn anywhere else; build() checks both.
Sprites (parts laid over a picture) use "." for "leave what is below".
"""

import math
import os
import struct
import sys

# The VGA colour order that 4-bit Windows bitmaps traditionally carry.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
INDEX = {ch: i for i, ch in enumerate("kmgonptsdrlybfcw")}
TEAL = INDEX["t"]
FUCHSIA = INDEX["f"]


# ---------------------------------------------------------------------------
# Composition helpers

def blank(width, height):
    return [["."] * width for _ in range(height)]


def blit(canvas, sprite, x, y):
    if x < 0 or y < 0 or y + len(sprite) > len(canvas) or x + len(sprite[0]) > len(canvas[0]):
        raise SystemExit(f"sprite at {x},{y} does not fit")
    for dy, row in enumerate(sprite):
        for dx, ch in enumerate(row):
            if ch != ".":
                canvas[y + dy][x + dx] = ch


def recolour(sprite, mapping):
    return ["".join(mapping.get(ch, ch) for ch in row) for row in sprite]


def compose(width, height, *parts):
    canvas = blank(width, height)
    for sprite, x, y in parts:
        blit(canvas, sprite, x, y)
    return ["".join(row) for row in canvas]


# ---------------------------------------------------------------------------
# Drive pictures, 16 x 16: a drive box seen a little from above and the
# right, with the kind's mark on or around it.

SLAB16 = [
    "..kkkkkkkkkkkk",
    ".kwwwwwwwwwwkk",
    "kkkkkkkkkkkkdk",
    "kwwwwwwwwwwkdk",
    "kwssssssssskdk",
    "kwssssssssskdk",
    "kwdddddddddkk.",
    "kkkkkkkkkkkk..",
]

# Greyed out: no white, no black, so it reads as absent.
GHOST16 = recolour(SLAB16, {"k": "d", "w": "s", "d": "s"})

LED16 = ["gl"]
SLOT16 = ["kkkkkk"]
EJECT16 = ["sd"]
WIDESLOT16 = ["kkkkkkkkk"]
LEVER16 = [
    "kk",
    "ws",
    "kk",
]
DISC16 = [
    "....kkk....",
    "..kkysskk..",
    ".kwwwssssk.",
    ".kwwwssssk.",
    "ksscdddsssk",
    "ksssd.dsssk",
    "ksssdddcssk",
    ".ksssswwwk.",
    ".ksssswwwk.",
    "..kkssykk..",
    "....kkk....",
]
TRAY16 = ["ddddddd"]
TAPESLOT16 = [
    "kkkkkkk",
    "kdddddw",
]
QUESTION16 = [
    ".bbb.",
    "bb.bb",
    "...bb",
    "..bb.",
    ".bb..",
    ".....",
    ".bb..",
]
CROSS16 = [
    "rr....rr",
    "rrr..rrr",
    ".rrrrrr.",
    "..rrrr..",
    "..rrrr..",
    ".rrrrrr.",
    "rrr..rrr",
    "rr....rr",
]
CABLE16 = [
    "......kk......",
    "......lk......",
    "kkkkkklkkkkkkk",
    "llllllllllllll",
    "gggggggggggggg",
    "kkkkkkkkkkkkkk",
]
RAM16 = [
    "kkkkkkkkkkkkkkk",
    "kgggggggggggggk",
    "kgdkkgdkkgdkkgk",
    "kgkkkgkkkgkkkgk",
    "kgkkkgkkkgkkkgk",
    "kgggggggggggggk",
    "kyoyoyo.oyoyoyk",
    "kkkkkkk.kkkkkkk",
]


def outlined(glyph, edge="k"):
    """The glyph with a one-pixel border round it, so it stands out on any
    background, the selection colour included."""
    h, w = len(glyph) + 2, len(glyph[0]) + 2
    out = blank(w, h)
    blit(out, glyph, 1, 1)
    for y in range(h):
        for x in range(w):
            if out[y][x] != ".":
                continue
            near = any(0 <= y + dy - 1 < len(glyph) and 0 <= x + dx - 1 < len(glyph[0])
                       and glyph[y + dy - 1][x + dx - 1] != "."
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1))
            if near:
                out[y][x] = edge
    return ["".join(row) for row in out]


def centred(grid):
    """Moves the drawing up or down so that it sits in the middle: each entry
    of a list centres the whole picture, not what is drawn in it."""
    used = [i for i, row in enumerate(grid) if row.strip(".")]
    top, bottom = used[0], used[-1]
    shift = (len(grid) - 1 - bottom - top) // 2
    empty = "." * len(grid[0])
    rows = [empty] * len(grid)
    for i in range(top, bottom + 1):
        rows[i + shift] = grid[i]
    return rows


def drive16(*marks, slab=SLAB16, slab_y=8):
    return centred(compose(16, 16, (slab, 1, slab_y), *marks))


# ---------------------------------------------------------------------------
# Drive pictures, 32 x 32: the same drawings at twice the size.

SLAB32 = [
    "....kkkkkkkkkkkkkkkkkkkkkkkk",
    "...kwwwwwwwwwwwwwwwwwwwwwwkk",
    "..kwwwwwwwwwwwwwwwwwwwwwwkdk",
    ".kwwwwwwwwwwwwwwwwwwwwwwkddk",
    "kkkkkkkkkkkkkkkkkkkkkkkkdddk",
    "kwwwwwwwwwwwwwwwwwwwwwwkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkdddk",
    "kwssssssssssssssssssssdkddk.",
    "kwssssssssssssssssssssdkdk..",
    "kwdddddddddddddddddddddkk...",
    "kkkkkkkkkkkkkkkkkkkkkkkk....",
]

GHOST32 = recolour(SLAB32, {"k": "d", "w": "s", "d": "s"})

LED32 = [
    "kkkk",
    "klgk",
    "kggk",
    "kkkk",
]
SLOT32 = [
    "kkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkk",
    "wwwwwwwwwwwwww",
]
EJECT32 = [
    "wwwd",
    "wddd",
]
WIDESLOT32 = [
    "kkkkkkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkkkkkk",
    "wwwwwwwwwwwwwwwwwwww",
]
LEVER32 = [
    "kkkk",
    "kwsk",
    "kwdk",
    "kwdk",
    "kwdk",
    "kwdk",
    "kddk",
    "kkkk",
]
DISC32 = [
    "........kkkk........",
    ".....kkkyssskkk.....",
    "....kwwwyssssssk....",
    "...kwwwwysssssssk...",
    "..kwwwwwwysssssssk..",
    ".kwwwwwwwyssssssssk.",
    ".kccwwwwwyssssssssk.",
    ".kscccwwddddssssssk.",
    "kssssscddddddssssssk",
    "kssssssdd..ddssssssk",
    "kssssssdd..ddssssssk",
    "kssssssddddddcsssssk",
    ".kssssssddddwwcccsk.",
    ".kssssssssywwwwwcck.",
    ".kssssssssywwwwwwwk.",
    "..ksssssssywwwwwwk..",
    "...ksssssssywwwwk...",
    "....kssssssywwwk....",
    ".....kkksssykkk.....",
    "........kkkk........",
]
TRAY32 = [
    "dddddddddddddddd",
    "wwwwwwwwwwwwwwww",
]
TAPESLOT32 = [
    "kkkkkkkkkkkkkk",
    "kddddddddddddw",
    "kdkkkkkkkkkkdw",
    "kddddddddddddw",
    "wwwwwwwwwwwwww",
]
QUESTION32 = [
    "..bbbbbb..",
    ".bbbbbbbb.",
    "bbbc..bbbb",
    "bbb....bbb",
    ".......bbb",
    "......bbbb",
    ".....bbbb.",
    "....bbbb..",
    "....bbb...",
    "....bbb...",
    "..........",
    "....bbb...",
    "....bbb...",
    "....bbb...",
]
CROSS32 = [
    "rrr..........rrr",
    "rrrr........rrrr",
    "rrrrr......rrrrr",
    ".rrrrr....rrrrr.",
    "..rrrrr..rrrrr..",
    "...rrrrrrrrrr...",
    "....rrrrrrrr....",
    ".....rrrrrr.....",
    ".....rrrrrr.....",
    "....rrrrrrrr....",
    "...rrrrrrrrrr...",
    "..rrrrr..rrrrr..",
    ".rrrrr....rrrrr.",
    "rrrrr......rrrrr",
    "rrrr........rrrr",
    "rrr..........rrr",
]
CABLE32 = [
    "............kkkk............",
    "............klgk............",
    "............klgk............",
    "............klgk............",
    "kkkkkkkkkkkkklgkkkkkkkkkkkkk",
    "kllllllllllllllllllllllllllk",
    "klllllllllllllllllllllllllgk",
    "kggggggggggggggggggggggggggk",
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkk",
]
RAM32 = [
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
    "kggggggggggggggggggggggggggggk",
    "kggggggggggggggggggggggggggggk",
    "kgkkkkkkggkkkkkkggkkkkkkgggggk",
    "kgkddddkggkddddkggkddddkgggggk",
    "kgkkkkkkggkkkkkkggkkkkkkgggggk",
    "kgkkkkkkggkkkkkkggkkkkkkgggggk",
    "kgkkkkkkggkkkkkkggkkkkkkgggggk",
    "kggggggggggggggggggggggggggggk",
    "kggggggggggggggggggggggggggggk",
    "kgyoyoyoyoyoyg..gyoyoyoyoyoygk",
    "kgyoyoyoyoyoyg..gyoyoyoyoyoygk",
    "kkkkkkkkkkkkkk..kkkkkkkkkkkkkk",
]


def drive32(*marks, slab=SLAB32, slab_y=14):
    return centred(compose(32, 32, (slab, 2, slab_y), *marks))


def drive_pictures():
    p = {}
    p["HARDDRIVE16"] = drive16((LED16, 9, 13))
    p["SMALLFLOPPY16"] = drive16((SLOT16, 3, 12), (EJECT16, 9, 13))
    p["LARGEFLOPPY16"] = drive16((WIDESLOT16, 2, 12), (LEVER16, 6, 11))
    p["NETCONNECT16"] = drive16((LED16, 9, 7), (CABLE16, 1, 10), slab_y=2)
    p["CDROM16"] = centred(compose(16, 16, (DISC16, 3, 0), (SLAB16, 1, 7),
                                   (TRAY16, 2, 11), (LED16, 9, 12)))
    p["RAMDRIVE16"] = centred(compose(16, 16, (RAM16, 0, 4)))
    p["TAPEDRIVE16"] = drive16((outlined(QUESTION16), 5, 0), (TAPESLOT16, 3, 12))
    p["NODRIVE16"] = drive16((CROSS16, 4, 7), slab=GHOST16)

    p["HARDDRIVE32"] = drive32((LED32, 19, 23))
    p["SMALLFLOPPY32"] = drive32((SLOT32, 5, 22), (EJECT32, 20, 24))
    p["LARGEFLOPPY32"] = drive32((WIDESLOT32, 4, 22), (LEVER32, 12, 20))
    p["NETCONNECT32"] = drive32((LED32, 19, 13), (CABLE32, 2, 21), slab_y=4)
    p["CDROM32"] = centred(compose(32, 32, (DISC32, 6, 0), (SLAB32, 2, 14),
                                   (TRAY32, 4, 23), (LED32, 21, 24)))
    p["RAMDRIVE32"] = centred(compose(32, 32, (RAM32, 1, 9)))
    p["TAPEDRIVE32"] = drive32((outlined(QUESTION32), 10, 0), (TAPESLOT32, 5, 21))
    p["NODRIVE32"] = drive32((CROSS32, 8, 12), slab=GHOST32)
    return p


# ---------------------------------------------------------------------------
# Folder and file list pictures, 16 x 15.

OPENFOLDER = [
    "................",
    "................",
    ".kkkk...........",
    "kwyyyk..........",
    "kyyyyykkkkkkk...",
    "kyyyyyyyyyyyyk..",
    "kyyykkkkkkkkkkkk",
    "kyyykyyyyyyyyyk.",
    "kyykwyyyyyyyyyk.",
    "kyykwyyyyyyyyk..",
    "kykwyyyyyyyyyk..",
    "kykwyyyyyyyyk...",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
]
CURRENTFOLDER = [
    "................",
    ".......kkkkkk...",
    ".kkkk..kwwwwk...",
    "kwyyyk.kwddwk...",
    "kyyyyykkwwwwkk..",
    "kyyyyyykwddwyk..",
    "kyyykkkkkkkkkkkk",
    "kyyykwwwwwwwwwk.",
    "kyykwyyyyyyyyyk.",
    "kyykwyyyyyyyyk..",
    "kykwyyyyyyyyyk..",
    "kykwyyyyyyyyk...",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
]
CLOSEDFOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".kwyyyyk........",
    "kwyyyyyykkkkkkk.",
    "kwwwwwwwwwwwwwyk",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kyoooooooooooook",
    ".kkkkkkkkkkkkkk.",
    "................",
]
EXECUTABLE = [
    "................",
    "kkkkkkkkkkkkkkk.",
    "knnnnnnnnnnswsk.",
    "knnnnnnnnnnsdsk.",
    "kkkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kwwwwwwwwwwwwdk.",
    "kdddddddddddddk.",
    "kkkkkkkkkkkkkkk.",
    "................",
]
UNKNOWNFILE = [
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwkwk....",
    "..kwwwwwwkwwk...",
    "..kwwwwwwkkkkk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kwwwwwwwwwdk..",
    "..kddddddddddk..",
    "..kkkkkkkkkkkk..",
]


# ---------------------------------------------------------------------------
# The browse button of the folder edit field, 14 x 12 on fuchsia.

FEDITBMP = [
    "..........k...",
    "..........kk..",
    "........kkkkk.",
    ".......k..kk..",
    ".kkk...k..k...",
    "kyyyk..k......",
    "kyyyykkkkkk...",
    "kyykkkkkkkkkkk",
    "kyykwyyyyyyyk.",
    "kykwyyyyyyyk..",
    "kkwyyyyyyyyk..",
    ".kkkkkkkkkk...",
]


# ---------------------------------------------------------------------------
# The add-place window's two speed buttons, on fuchsia: show the library's
# icons (17 x 20: a sheet of pictures under a green arrow) and browse for a
# library (16 x 16: an open folder with three dots).

SHOWICONS = [
    ".................",
    "......ggggg......",
    "......glllg......",
    "......glllg......",
    "......glllg......",
    "...ggggllllgggg..",
    "....gllllllllg...",
    ".....glllllllg...",
    "......gllllg.....",
    ".......gllg......",
    "........gg.......",
    "kkkkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk.",
    "kwbbbwyyywrrrwwk.",
    "kwbbbwyyywrrrwwk.",
    "kwbbbwyyywrrrwwk.",
    "kwwwwwwwwwwwwwwk.",
    "kwtttwsssdwgggwk.",
    "kkkkkkkkkkkkkkkk.",
    ".................",
]

BROWSELIB = OPENFOLDER[:13] + [
    "................",
    "...kk..kk..kk...",
    "................",
]


# ---------------------------------------------------------------------------
# The add-place window's picture, 97 x 233 in 256 colours: a column of place
# buttons (a folder, a computer, a page, a star) on a blue night sky.

def round_rect_sd(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def star_sd(x, y, cx, cy, outer, inner):
    """Signed distance to a five-pointed star, roughly: inside when the radius
    is below the star's outline at that angle."""
    a = math.atan2(y - cy, x - cx) + math.pi / 2
    seg = (a % (2 * math.pi / 5)) / (2 * math.pi / 5)
    t = abs(seg - 0.5) * 2  # 1 at a point, 0 between two
    edge = inner + (outer - inner) * t ** 1.6
    return math.hypot(x - cx, y - cy) - edge


def place_picture_paint():
    sky_top, sky_bottom = (0x0E, 0x1E, 0x4E), (0x22, 0x76, 0xA8)
    column = (0xA8, 0xC8, 0xE8)
    buttons = [52, 98, 144, 190]

    def icon(x, y, i, cy):
        """Colour of the button's picture at (x, y), or None."""
        if i == 0:  # folder
            if round_rect_sd(x, y, 32, cy - 9, 46, cy - 3, 2) < 0:
                return (0xC8, 0x98, 0x10)
            d = round_rect_sd(x, y, 30, cy - 6, 66, cy + 13, 2)
            if d < 0:
                return (0x80, 0x60, 0x00) if d > -1.2 else mix((0xFF, 0xE0, 0x50), (0xE8, 0xB0, 0x20), (y - cy + 6) / 19)
        elif i == 1:  # computer
            d = round_rect_sd(x, y, 30, cy - 12, 66, cy + 8, 2)
            if d < 0:
                if d > -1.2:
                    return (0x30, 0x30, 0x38)
                if round_rect_sd(x, y, 33, cy - 9, 63, cy + 5, 1) < 0:
                    return mix((0x40, 0xA0, 0xFF), (0x10, 0x40, 0xA0), (y - cy + 9) / 14)
                return (0xD0, 0xD0, 0xD8)
            if round_rect_sd(x, y, 44, cy + 8, 52, cy + 12, 0) < 0:
                return (0x90, 0x90, 0x98)
            if round_rect_sd(x, y, 36, cy + 12, 60, cy + 15, 1) < 0:
                return (0xB0, 0xB0, 0xB8)
        elif i == 2:  # page
            lx, ly = x - 36, y - (cy - 14)
            d = max(-lx, lx - 24, -ly, ly - 28, (lx - 16 - ly) / math.sqrt(2))
            if d < 0:
                if d > -1.2:
                    return (0x40, 0x40, 0x48)
                if lx > 16 and ly < 8:
                    return (0xC8, 0xC8, 0xD0)
                row = (ly - 8) / 4
                if 0 <= row < 4 and row - math.floor(row) < 0.4 and 4 <= lx <= (20 if math.floor(row) < 3 else 13):
                    return (0x80, 0x80, 0x90)
                return (0xFF, 0xFF, 0xFF)
        else:  # star
            d = star_sd(x, y, 48, cy + 1, 16, 7)
            if d < 0:
                return (0x90, 0x60, 0x00) if d > -1.2 else mix((0xFF, 0xF0, 0x80), (0xF0, 0xB0, 0x10), (y - cy + 15) / 30)
        return None

    def paint(x, y):
        c = mix(sky_top, sky_bottom, y / 233)
        # a few faint stars in the sky
        for sx, sy in ((10, 14), (86, 30), (8, 120), (90, 160), (12, 222), (84, 212), (52, 9)):
            if math.hypot(x - sx, y - sy) < 0.9:
                c = mix(c, (0xFF, 0xFF, 0xFF), 0.8)
        # the column, a little lighter than the sky, with a bright rim
        d = round_rect_sd(x, y, 20, 22, 77, 214, 7)
        if d < 0:
            c = mix(c, column, 0.18 if d < -1.0 else 0.55)
        for i, cy in enumerate(buttons):
            # the first button is pressed: a sunken frame round it
            if i == 0:
                bd = round_rect_sd(x, y, 25, cy - 21, 72, cy + 22, 3)
                if -1.0 < bd < 0:
                    c = (0x06, 0x10, 0x30) if (x < 26.5 or y < cy - 19.5) else mix(c, (0xFF, 0xFF, 0xFF), 0.6)
            shadow = icon(x - 2, y - 2, i, cy)
            if shadow is not None:
                c = mix(c, (0x00, 0x00, 0x10), 0.45)
            ic = icon(x, y, i, cy)
            if ic is not None:
                c = ic
        return tuple(c) + (1.0,)

    return paint


def quantise(rows):
    """To a fixed palette of 256 colours (6 x 7 x 6 levels and grey), with a
    4 x 4 ordered dither so the sky's gradient does not band."""
    levels = [(6, 0), (7, 1), (6, 2)]
    palette = []
    for r in range(6):
        for g in range(7):
            for b in range(6):
                palette.append((round(r * 255 / 5), round(g * 255 / 6), round(b * 255 / 5)))
    while len(palette) < 256:
        v = round((len(palette) - 252 + 1) * 255 / 5)
        palette.append((v, v, v))
    bayer = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]
    out = []
    for y, row in enumerate(rows):
        line = []
        for x, (r, g, b, _) in enumerate(row):
            t = (bayer[y % 4][x % 4] + 0.5) / 16 - 0.5
            idx = []
            for v, (n, _) in zip((r, g, b), levels):
                step = 255 / (n - 1)
                idx.append(max(0, min(n - 1, round(v / step + t))))
            line.append((idx[0] * 7 + idx[1]) * 6 + idx[2])
        out.append(line)
    return palette, out


def place_picture():
    return quantise(render(97, 233, place_picture_paint(), (0, 0, 0)))


def small_pictures():
    return {
        "OPENFOLDER": OPENFOLDER,
        "CURRENTFOLDER": CURRENTFOLDER,
        "CLOSEDFOLDER": CLOSEDFOLDER,
        "EXECUTABLE": EXECUTABLE,
        "UNKNOWNFILE": UNKNOWNFILE,
    }


# ---------------------------------------------------------------------------
# Smooth pictures: shapes given as signed distances (negative inside), sampled
# several times per pixel so their edges blend into the background.

SAMPLES = 4


def render(width, height, paint, background):
    """paint(x, y) -> (r, g, b, a) or None, in picture coordinates.

    Returns rows of (r, g, b, a) with the background composited under, or
    left transparent when background is None."""
    rows = []
    n = SAMPLES
    for y in range(height):
        row = []
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    py = y + (sy + 0.5) / n
                    c = paint(px, py)
                    if c is None:
                        continue
                    r, g, b, a = c
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            total = n * n
            a = acc[3] / total
            if background is not None:
                br, bg, bb = background
                r = (acc[0] / total) + br * (1 - a)
                g = (acc[1] / total) + bg * (1 - a)
                b = (acc[2] / total) + bb * (1 - a)
                row.append((round(r), round(g), round(b), 255))
            elif a > 0:
                row.append((round(acc[0] / total / a), round(acc[1] / total / a),
                            round(acc[2] / total / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def cog_paint(cx, cy):
    """A cog wheel of eight teeth round a hole, lit from the top left."""
    teeth = 8
    r_root, r_tip, r_hole, r_hub = 11.0, 15.5, 4.0, 7.5
    outline = (0x30, 0x30, 0x30)
    face = (0x9C, 0x9C, 0x9C)
    light = (0xF4, 0xF4, 0xF4)
    shade = (0x50, 0x50, 0x50)
    lx, ly = -math.sqrt(0.5), -math.sqrt(0.5)

    def tooth(x, y, i):
        a = (i + 0.5) * 2 * math.pi / teeth
        u = (x - cx) * math.cos(a) + (y - cy) * math.sin(a)
        v = -(x - cx) * math.sin(a) + (y - cy) * math.cos(a)
        half_len = (r_tip - r_root + 3) / 2
        qx = abs(u - (r_tip - half_len)) - half_len
        qy = abs(v) - 2.6
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0)

    def outer(x, y):
        body = math.hypot(x - cx, y - cy) - r_root
        return min([body] + [tooth(x, y, i) for i in range(teeth)])

    def sd(x, y):
        return max(outer(x, y), r_hole - math.hypot(x - cx, y - cy))

    def paint(x, y):
        d = sd(x, y)
        if d > 0:
            return None
        if d > -0.9:
            return outline + (1.0,)
        e = 0.05
        nx = sd(x + e, y) - sd(x - e, y)
        ny = sd(x, y + e) - sd(x, y - e)
        n = math.hypot(nx, ny) or 1.0
        nx, ny = nx / n, ny / n
        if d > -2.3:
            # outward normal facing the light: lit bevel
            k = nx * lx + ny * ly
            c = mix(face, light, k * 1.2) if k > 0 else mix(face, shade, -k * 1.2)
            return tuple(c) + (1.0,)
        # a groove round the hub, sunk: dark where the bevel was light
        r = math.hypot(x - cx, y - cy)
        if abs(r - r_hub) < 0.75:
            ux, uy = (x - cx) / r, (y - cy) / r
            k = ux * lx + uy * ly
            c = mix(face, shade, k) if k > 0 else mix(face, light, -k)
            return tuple(c) + (1.0,)
        return face + (1.0,)

    return paint


def aboutlogo():
    return render(34, 34, cog_paint(17.0, 17.0), (0xC0, 0xC0, 0xC0))


# ---------------------------------------------------------------------------
# The program icon: two equal pages, one file's data under two names, joined
# by a chain link.

def icon_paint(size):
    u = size / 32.0
    edge_w = max(1.0, 1.0 * u)
    page_fill = (0xFF, 0xFF, 0xFF)
    page_edge = (0x38, 0x38, 0x38)
    fold_fill = (0xC8, 0xC8, 0xC8)
    text = (0xA0, 0xA0, 0xA0)
    steel_light = (0xB0, 0xD0, 0xFF)
    steel = (0x38, 0x68, 0xC0)
    steel_dark = (0x10, 0x20, 0x58)

    pw, ph, fold = 13.0 * u, 22.0 * u, 5.0 * u
    pages = [(1.5 * u, 2.5 * u), (17.5 * u, 7.5 * u)]

    def page_colour(x, y, ox, oy):
        lx, ly = x - ox, y - oy
        # a sheet with its top right corner folded down
        d = max(-lx, lx - pw, -ly, ly - ph, (lx - (pw - fold) - ly) / math.sqrt(2))
        if d > 0:
            return None
        if d > -edge_w:
            return page_edge
        fx, fy = lx - (pw - fold), ly
        if fx > -edge_w and fy < fold:
            # the flap: a triangle under the cut
            inside = max(-fx, fy - fold, (fx - fy) / math.sqrt(2))
            if inside > -edge_w:
                return page_edge
            return fold_fill
        row = (ly - 6.0 * u) / (3.0 * u)
        if 0 <= row < 5 and row - math.floor(row) < 0.45:
            right = pw - 3.0 * u
            if math.floor(row) == 4:
                right = pw * 0.5
            if 2.5 * u <= lx <= right:
                return text
        return page_fill

    # two links on the line between the pages' middles
    ax, ay = 7.5 * u, 12.0 * u
    bx, by = 24.5 * u, 20.0 * u
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    dx, dy = dx / length, dy / length
    half, radius, bar = 3.0 * u, 3.2 * u, 1.25 * u
    centres = [0.25, 0.75]

    def link(x, y, i):
        c = centres[i] * length
        t = (x - ax) * dx + (y - ay) * dy - c
        s = -(x - ax) * dy + (y - ay) * dx
        d = math.hypot(max(abs(t) - half, 0.0), s) - radius
        if abs(d) > bar:
            return None
        if abs(d) > bar - 0.6 * max(1.0, u):
            return steel_dark, s
        # light from above: bright on the upper side of a link, deep below
        across = (d / bar + 1) / 2  # 0 at the inner rim .. 1 at the outer
        if s < 0:
            return mix(steel, steel_light, across), s
        return mix(steel, steel_dark, 0.2 + 0.4 * across), s

    def paint(x, y):
        c = None
        for ox, oy in pages:
            pc = page_colour(x, y, ox, oy)
            if pc is not None:
                c = pc
        l0, l1 = link(x, y, 0), link(x, y, 1)
        if l0 and l1:
            # interlocked: each link passes in front of the other once
            c = l0[0] if l0[1] < 0 else l1[0]
        elif l0:
            c = l0[0]
        elif l1:
            c = l1[0]
        if c is None:
            return None
        return tuple(c) + (1.0,)

    return paint


# At 16 x 16 a smooth drawing turns to mush; this size is drawn by hand.
ICON_COLOURS = {
    "k": (0x38, 0x38, 0x38), "w": (0xFF, 0xFF, 0xFF), "f": (0xC8, 0xC8, 0xC8),
    "l": (0xA0, 0xA0, 0xA0), "n": (0x10, 0x20, 0x58), "b": (0x38, 0x68, 0xC0),
    "c": (0xB0, 0xD0, 0xFF),
}
ICON16 = [
    "kkkkk...........",
    "kwwwkk..........",
    "kwwwkfk.........",
    "kwwwkkk.........",
    "kwwwwwk..kkkkk..",
    "kwlllwk..kwwwkk.",
    "kwbbbbb..kwwwkfk",
    "kbwwwwknbbbbwkkk",
    "kbwwwwbn.kwwnwwk",
    "kwnnnnb..kwwnwwk",
    "kwwwwwknnnnnwwwk",
    "kkkkkkk..kwlllwk",
    ".........kwwwwwk",
    ".........kwlllwk",
    ".........kwwwwwk",
    ".........kkkkkkk",
]


def icon_image(size):
    if size == 16:
        return [[ICON_COLOURS[ch] + (255,) if ch != "." else (0, 0, 0, 0) for ch in row]
                for row in ICON16]
    return render(size, size, icon_paint(size), None)


# ---------------------------------------------------------------------------
# File writers

def bmp4(width, height, grid, background):
    """BITMAPFILEHEADER + BITMAPINFOHEADER + 16-colour table + 4-bit rows."""
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(grid):  # bottom-up
        line = bytearray()
        idx = [background if ch == "." else INDEX[ch] for ch in row]
        if len(idx) % 2:
            idx.append(0)
        for a, b in zip(idx[0::2], idx[1::2]):
            line.append((a << 4) | b)
        line.extend(b"\0" * (stride - len(line)))
        pixels += line
    return indexed_bmp(width, height, 4, PALETTE, pixels)


def bmp8(width, height, palette, rows):
    """256 colours: one palette index per pixel."""
    stride = ((width * 8 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        pixels += bytes(row) + b"\0" * (stride - len(row))
    return indexed_bmp(width, height, 8, palette, pixels)


def indexed_bmp(width, height, bits, palette, pixels):
    """BITMAPFILEHEADER + BITMAPINFOHEADER + colour table + the rows given."""
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 0, 0, len(palette), 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + table + bytes(pixels)


def bmp24(width, height, rows):
    stride = ((width * 24 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line.extend(b"\0" * (stride - len(line)))
        pixels += line
    offset = 14 + 40
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + bytes(pixels)


def ico(images):
    """images: list of (size, rows of RGBA). 32-bit images with an AND mask."""
    entries = []
    blobs = []
    for size, rows in images:
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((size + 31) // 32) * 4
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(row):
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(mask))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        dim = 0 if size >= 256 else size
        entries.append(struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# ---------------------------------------------------------------------------

def check_grid(name, grid, width, height, background):
    if len(grid) != height:
        raise SystemExit(f"{name}: {len(grid)} rows, want {height}")
    for i, row in enumerate(grid):
        if len(row) != width:
            raise SystemExit(f"{name}: row {i} has {len(row)} pixels, want {width}")
        for ch in row:
            if ch != "." and ch not in INDEX:
                raise SystemExit(f"{name}: unknown colour {ch!r} in row {i}")
            if ch != "." and INDEX[ch] == background:
                raise SystemExit(f"{name}: background colour drawn in row {i}")
    if grid[-1][0] != ".":
        raise SystemExit(f"{name}: bottom-left pixel is not background")


def build():
    """Returns {relative path: file bytes}."""
    out = {}
    bitmaps = []
    for name, grid in drive_pictures().items():
        size = 16 if name.endswith("16") else 32
        bitmaps.append((name, grid, size, size, TEAL))
    for name, grid in small_pictures().items():
        bitmaps.append((name, grid, 16, 15, TEAL))
    bitmaps.append(("FEDITBMP", FEDITBMP, 14, 12, FUCHSIA))
    bitmaps.append(("SHOWICONS", SHOWICONS, 17, 20, FUCHSIA))
    bitmaps.append(("BROWSELIB", BROWSELIB, 16, 16, FUCHSIA))
    for name, grid, w, h, bg in bitmaps:
        check_grid(name, grid, w, h, bg)
        out[f"resources/bitmaps/{name}.bmp"] = bmp4(w, h, grid, bg)
    out["resources/bitmaps/ABOUTLOGO.bmp"] = bmp24(34, 34, aboutlogo())
    out["resources/bitmaps/ADDPLACEPICTURE.bmp"] = bmp8(97, 233, *place_picture())
    out["resources/ombrel.ico"] = ico([(s, icon_image(s)) for s in (16, 32, 48)])
    return out


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if len(sys.argv) > 1:
        root = sys.argv[1]
    for rel, data in sorted(build().items()):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print(rel)


if __name__ == "__main__":
    main()
