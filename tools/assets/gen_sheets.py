#!/usr/bin/python3
"""Makes the four glyph sheets of assets/:

  tag_sheet.ppm   P6 256 x 80, 8 x 8: white glyphs in a dark ring, capitals and digits drawn
                  narrow so their ring is whole, the rest the PC console font (ASCII at its
                  codes, code-page 437 symbols elsewhere, 0 blank, 204 a block)
  text_sheet.ppm  P6 256 x 80, 8 x 8: the texture palette of the text-mode scenes
  big_sheet.pbm   P4 1024 x 128, 32 x 32: the scroller's letters, our own (stroke_font.py
                  draws them from the strokes of assets/big_font.txt)
  page_sheet.ppm  P6 1024 x 128, 32 x 32: the same letters in gold, symbols and, at 16..23, the
                  eight background pictures of the text pages

Needs console-setup-linux (the PC console font). Deterministic: every random
choice comes from a seeded generator.
"""
import math
import random

import stroke_font

from common import (CAPS, asset, channels, console_font, cp437, hsv, mix,
                    rgb, scale, write_pbm, write_ppm)

WHITE = 0xFFFFFF


class Sheet:
    """A sheet of cell x cell glyphs, cols per row, as a flat pixel list."""

    def __init__(self, width, height, cell):
        self.width, self.height, self.cell = width, height, cell
        self.pixels = [0] * (width * height)

    def put(self, code, x, y, colour):
        gx = (code * self.cell) % self.width
        gy = (code * self.cell) // self.width * self.cell
        self.pixels[(gy + y) * self.width + gx + x] = colour

    def glyph(self, code, fn):
        for y in range(self.cell):
            for x in range(self.cell):
                c = fn(x, y)
                if c:
                    self.put(code, x, y, c)


# ---------------------------------------------------------------------------------------------
# TAG_SHEET

OUTLINE = 0x0C0C14   # nearly black: black itself is transparent when the glyphs are keyed


def tag_rows(code, font):
    """The 8 row bytes of a glyph of the tag font: capitals and digits from CAPS, in columns 1
    to 6 and rows 0 to 6; everything else the console font's own glyph."""
    ch = chr(code)
    if ch in CAPS:
        return [sum(1 << (6 - x) for x, c in enumerate(row) if c == "#") for row in CAPS[ch]] + [0]
    return font.get(code if 32 <= code < 127 else cp437(code))


def tag_sheet():
    font = console_font()
    sheet = Sheet(256, 80, 8)
    for code in range(1, 256):
        if code == 204:
            sheet.glyph(code, lambda x, y: WHITE)
            continue
        rows = tag_rows(code, font)
        if rows is None:
            continue
        lit = lambda x, y: 0 <= x < 8 and 0 <= y < 8 and rows[y] >> (7 - x) & 1
        if 176 <= code <= 223:
            # shades, box drawing and blocks tile edge to edge: no ring
            sheet.glyph(code, lambda x, y: WHITE if lit(x, y) else 0)
            continue
        # White ink in a dark ring: the tag reads on the palest and the darkest picture alike,
        # and the typed pages get a dark edge. The capitals and digits keep the cell's outer
        # columns and bottom row free, so their ring is whole (above them is the frame's top
        # edge where the tag and the read-out stand).
        ring = lambda x, y: any(lit(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        sheet.glyph(code, lambda x, y: WHITE if lit(x, y) else (OUTLINE if ring(x, y) else 0))
    write_ppm(asset("tag_sheet.ppm"), 256, 80, sheet.pixels,
              "KOVA tag font: 8x8 glyphs, white in a dark ring, 204 block")


# ---------------------------------------------------------------------------------------------
# TEXT_SHEET

BAYER = [[0, 32, 8, 40, 2, 34, 10, 42], [48, 16, 56, 24, 50, 18, 58, 26],
         [12, 44, 4, 36, 14, 46, 6, 38], [60, 28, 52, 20, 62, 30, 54, 22],
         [3, 35, 11, 43, 1, 33, 9, 41], [51, 19, 59, 27, 49, 17, 57, 25],
         [15, 47, 7, 39, 13, 45, 5, 37], [63, 31, 55, 23, 61, 29, 53, 21]]

# The four density ramps of the scroller's background, each a colour for every step. The
# first is the one on show when the scene opens (its plasma starts in codes 0..31): a sunset
# that runs from violet through rose to coral as the cells fill, never as light as the frame
# logo's amber outline; then dark green, brown and
# dark blue.
def group_colour(group, n):
    """Colour of group 0..3 at n lit pixels of 64."""
    t = n / 64
    if group == 0:
        colour = (mix(0x7A30E0, 0xE83C8C, t / 0.5) if t < 0.5
                  else mix(0xE83C8C, 0xF07838, (t - 0.5) / 0.5))
        return scale(colour, 0.75 + 0.15 * t)
    return scale([0x228040, 0x925A28, 0x2C48B0][group - 1], 0.55 + 0.45 * t)


def linear(c):
    c /= 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def luminance(p):
    r, g, b = channels(p)
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b)


def at_luminance(hue, target, saturation=None):
    """A colour of the hue (degrees) whose relative luminance is as near `target` as its hue
    allows: at full value, saturation found by bisection, or, with `saturation` given, that
    saturation and the value found."""
    lo, hi = 0.0, 1.0
    for _ in range(40):
        mid = (lo + hi) / 2
        if saturation is None:
            lighter = luminance(hsv(hue / 360, mid, 1.0)) > target
            lo, hi = (mid, hi) if lighter else (lo, mid)
        else:
            darker = luminance(hsv(hue / 360, saturation, mid)) < target
            lo, hi = (mid, hi) if darker else (lo, mid)
    if saturation is None:
        colour = hsv(hue / 360, hi, 1.0)
        # Fully saturated and still too light (the magentas): lower the value a little, to
        # no less than 0.9, so the colour stays bright.
        value = 1.0
        while luminance(colour) > target and value > 0.9:
            value -= 0.01
            colour = hsv(hue / 360, 1.0, value)
        return colour
    return hsv(hue / 360, saturation, lo)


# Sixteen bright colours, each at full value, round the red and blue half of the wheel and
# back, so a plasma of 128 + (v & 15) flows smoothly. Their luminance stays near 0.21, that of
# pure red: every one stands three to one off the nearly white background (the drops, and a
# logo of this range in the rain scene), and the deep gradient stands three to one off them
# (the plasma logo). Greens, yellows and oranges at full value are too light for that.
BRIGHT = ([at_luminance(h, 0.2) for h in (0, 340, 318, 296, 274, 252, 230, 208)]
          + [at_luminance(h, 0.2) for h in (219, 241, 263, 285, 307, 329, 351, 8)])

# Sixteen steps of a gradient, as (hue, luminance): a bright amber first (the scroller's frame
# logo draws its outline in the first step, which must stand off the deep fill), then deep jewel colours through crimson, violet,
# blue and teal, a green, pale gold, the nearly white background of the logo scenes (step 9),
# pale rose and back through deep colours to blue. The deep steps are dark enough to read as a
# logo on the bright blocks and on the background alike.
GRADIENT_STEPS = [(36, 0.5), (350, 0.03), (320, 0.025), (285, 0.022), (245, 0.022),
                  (215, 0.025), (185, 0.028), (150, 0.03), (44, 0.42), (None, None),
                  (345, 0.42), (325, 0.03), (295, 0.025), (260, 0.022), (230, 0.022),
                  (200, 0.025)]


def gradient(k):
    hue, target = GRADIENT_STEPS[k]
    if hue is None:
        return 0xECEEF2
    return at_luminance(hue, target, 0.85 if target < 0.1 else 0.75 if k == 0 else 0.45)


def ramp_count(j):
    """Lit pixels of step j (0..31) of a density ramp: 0, rising to 64 at 15, back to 0 at 31."""
    return round(64 * j / 15) if j <= 15 else round(64 * (31 - j) / 16)


def bevel(colour, x, y, light=0.45, dark=0.62, rim=0.45):
    """A solid block: a dark rim all round, inside it a lit top-left and a shaded bottom-right
    edge. The rim keeps a block of any colour, the palest included, apart from the nearly
    white background it is laid on."""
    if x in (0, 7) or y in (0, 7):
        return scale(colour, rim)
    if x == 1 or y == 1:
        return mix(colour, WHITE, light)
    if x == 6 or y == 6:
        return scale(colour, dark)
    return colour


def bead(colour, x, y):
    """A ball in the block's own colour with a glint at the upper left and a darker rim;
    black outside."""
    d = math.hypot(x - 3.5, y - 3.5)
    if d > 3.9:
        return 0
    if (x, y) == (2, 2):
        return mix(colour, WHITE, 0.7)
    if (x, y) in ((3, 2), (2, 3)):
        return mix(colour, WHITE, 0.35)
    return colour if d < 2.9 else scale(colour, 0.62)


def gem(colour, x, y):
    """A cut diamond: four facets of different brightness, the upper ones catching the light
    (so the deep colours of the gradient still sparkle on a dark ground); black outside."""
    dx, dy = x - 3.5, y - 3.5
    if abs(dx) + abs(dy) > 4.0:
        return 0
    facet = (0.95 if dy < 0 else 0.6) * (1.0 if dx < 0 else 0.8)
    c = scale(colour, facet)
    if dy < 0:
        c = mix(c, WHITE, 0.3 if dx < 0 else 0.15)
    return mix(c, WHITE, 0.5) if abs(dx) + abs(dy) < 1.1 else c


def dot(k, x, y):
    """Dot k of 32 of the music trace, which lights a cell at 31 and lowers it one step a frame
    down to the floor at 0 (the step is taken before the frame is drawn, so 30 is the light on
    screen): an afterglow that halves the cell's brightness at every step, from a white disc
    through a cyan dot to a dim blue point, the floor reached nine steps after the light. One
    bright line with a short tail shows the wave."""
    if k == 31:
        return WHITE
    age = 31 - k
    t = max(0.0, 1 - (age - 1) / 8)                 # 1 one step after the light, 0 at the floor
    colour = mix(0x2050F0, 0x30D8FF, t / 0.5) if t < 0.5 else mix(0x30D8FF, 0xE8FCFF, (t - 0.5) / 0.5)
    radius = 1.1 + 2.9 * t
    d = math.hypot(x - 3.5, y - 3.5)
    cover = max(0.0, min(1.0, radius + 0.5 - d))
    if cover <= 0.15:
        return 0
    # The cell's mean luminance halves per step, from 0.8 at 30: the colour is scaled to give
    # the dot that share.
    target = 0.8 * 0.5 ** (min(age, 9) - 1)
    lit = dot_luminance(colour, radius)
    gain = min(1.0, (target / lit) ** (1 / 2.2)) if lit > 0 else 1.0
    return scale(colour, cover * gain)


def dot_luminance(colour, radius):
    """Mean luminance over the cell of an unscaled dot of this colour and radius."""
    total = 0.0
    for y in range(8):
        for x in range(8):
            cover = max(0.0, min(1.0, radius + 0.5 - math.hypot(x - 3.5, y - 3.5)))
            if cover > 0.15:
                total += luminance(scale(colour, cover))
    return total / 64


def shapes():
    """Thirty-two white shapes as predicates over the 8 x 8 cell."""
    c = lambda x, y: (x - 3.5, y - 3.5)
    r = lambda x, y: math.hypot(*c(x, y))
    return [
        lambda x, y: r(x, y) < 3.9,                                 # disc
        lambda x, y: 2.4 < r(x, y) < 3.9,                           # ring
        lambda x, y: r(x, y) < 1.6,                                 # small dot
        lambda x, y: x in (0, 7) or y in (0, 7),                    # square outline
        lambda x, y: 1 <= x <= 6 and 1 <= y <= 6,                   # square
        lambda x, y: abs(c(x, y)[0]) + abs(c(x, y)[1]) <= 4,        # diamond
        lambda x, y: 3.0 <= abs(c(x, y)[0]) + abs(c(x, y)[1]) <= 4,  # diamond outline
        lambda x, y: y >= 1 and abs(x - 3.5) <= (y - 0.5) / 2 + 0.3,  # triangle up
        lambda x, y: y <= 6 and abs(x - 3.5) <= (6.5 - y) / 2 + 0.3,  # triangle down
        lambda x, y: x >= 1 and abs(y - 3.5) <= (x - 0.5) / 2 + 0.3,  # triangle right
        lambda x, y: x <= 6 and abs(y - 3.5) <= (6.5 - x) / 2 + 0.3,  # triangle left
        lambda x, y: ((x - 2) ** 2 + (y - 2.5) ** 2 < 3.2 or (x - 5) ** 2 + (y - 2.5) ** 2 < 3.2
                      or (y >= 2.5 and abs(x - 3.5) <= 6.5 - y)),    # heart
        lambda x, y: x in (3, 4) or y in (3, 4),                    # plus
        lambda x, y: x == y or x == 7 - y,                          # cross
        lambda x, y: y in (3, 4),                                   # bar
        lambda x, y: x in (3, 4),                                   # pole
        lambda x, y: (x + y) % 2 == 0,                              # fine checker
        lambda x, y: (x // 2 + y // 2) % 2 == 0,                    # coarse checker
        lambda x, y: x + y in (6, 7, 8),                            # slash
        lambda x, y: abs(x - y) <= 1,                               # backslash
        lambda x, y: y < 4,                                         # upper half
        lambda x, y: y >= 4,                                        # lower half
        lambda x, y: x < 4,                                         # left half
        lambda x, y: x >= 4,                                        # right half
        lambda x, y: math.hypot(x + 0.5, y + 0.5) < 8,              # quarter disc
        lambda x, y: math.hypot(7.5 - x, y + 0.5) < 8,
        lambda x, y: math.hypot(7.5 - x, 7.5 - y) < 8,
        lambda x, y: math.hypot(x + 0.5, 7.5 - y) < 8,
        lambda x, y: y % 2 == 0,                                    # lines
        lambda x, y: x % 2 == 0,                                    # columns
        lambda x, y: star(x, y),                                    # star
        lambda x, y: True,                                          # full cell
    ]


def star(x, y):
    dx, dy = x - 3.5, y - 3.8
    a = math.atan2(dy, dx) + math.pi / 2
    k = math.cos(2.5 * a) ** 2
    return math.hypot(dx, dy) < 1.7 + 2.6 * k ** 3


def text_sheet():
    sheet = Sheet(256, 80, 8)
    # 0..127: four density ramps, the colour brightening (and in the first, warming) with the
    # density.
    for g in range(4):
        for j in range(32):
            n = ramp_count(j)
            colour = group_colour(g, n)
            sheet.glyph(32 * g + j, lambda x, y: colour if BAYER[y][x] < n else 0)
    for k in range(16):
        sheet.glyph(128 + k, lambda x, y: bevel(BRIGHT[k], x, y))          # solid colours
        sheet.glyph(144 + k, lambda x, y: bead(BRIGHT[k], x, y))           # patterned colours
        sheet.glyph(160 + k, lambda x, y: gem(gradient(k), x, y))          # patterned gradient
        if k == 9:   # the logo scenes' background: a nearly white tile with a faint seam
            sheet.glyph(185, lambda x, y: 0xD8DCE4 if x == 7 or y == 7 else 0xECEEF2)
        else:
            sheet.glyph(176 + k, lambda x, y: bevel(gradient(k), x, y, 0.3, 0.75))
    for k in range(32):
        sheet.glyph(192 + k, lambda x, y: dot(k, x, y))
    for k, shape in enumerate(shapes()):
        sheet.glyph(224 + k, lambda x, y: WHITE if shape(x, y) else 0)
    write_ppm(asset("text_sheet.ppm"), 256, 80, sheet.pixels,
              "KOVA texture palette: ramps, colours, gradient, dots, shapes")


# ---------------------------------------------------------------------------------------------
# BIG_SHEET

BIG_SYMBOLS = {1: "☺", 2: "♥", 3: "♦", 4: "♣", 5: "♠", 6: "♪", 7: "★", 8: "→", 9: "←"}


def own_cell(strokes, code, cap_top, cap_height):
    """A glyph of our stroke font: capitals, digits and signs at full size, small letters as
    small capitals standing on the same baseline."""
    ch = chr(code)
    if ch.islower() and ch.isascii():
        small = round(cap_height * 0.7)
        return stroke_font.draw(strokes[ch.upper()], 32, cap_top + cap_height - small, small)
    return stroke_font.draw(strokes[ch], 32, cap_top, cap_height)


def big_cells():
    """Coverage grids of the 32 x 32 letters, drawn from our strokes: capitals and digits from
    row 1 to row 24, so the hop of up to seven rows in the scroller never cuts them."""
    strokes = stroke_font.load()
    cells = {code: own_cell(strokes, code, 1, 24) for code in range(33, 127)}
    for code, ch in BIG_SYMBOLS.items():
        cells[code] = own_cell(strokes, ord(ch), 1, 24)
    return cells


def big_sheet(cells):
    bits = [0] * (1024 * 128)
    for code, grid in cells.items():
        gx, gy = (code * 32) % 1024, (code * 32) // 1024 * 32
        for y in range(32):
            for x in range(32):
                if grid[y][x] >= 0.5:
                    bits[(gy + y) * 1024 + gx + x] = 1
    write_pbm(asset("big_sheet.pbm"), 1024, 128, bits,
              "KOVA scroller font: 32x32 letters of our own strokes, 33..126 and symbols")


# ---------------------------------------------------------------------------------------------
# PAGE_SHEET

def page_glyph(sheet, code, grid, top, bottom, outline):
    """A glyph from a coverage grid: a vertical top-to-bottom colour ramp, a one-pixel dark
    outline around the ink."""
    ink = [[grid[y][x] >= 0.5 for x in range(32)] for y in range(32)]
    for y in range(32):
        for x in range(32):
            if ink[y][x]:
                colour = mix(top, bottom, y / 31)
                if y > 0 and not ink[y - 1][x]:
                    colour = mix(colour, WHITE, 0.5)
                sheet.put(code, x, y, colour)
            elif any(ink[yy][xx] for yy in range(max(0, y - 1), min(32, y + 2))
                     for xx in range(max(0, x - 1), min(32, x + 2))):
                sheet.put(code, x, y, outline)


def tile_pictures():
    """The eight 32 x 32 background pictures. The scene magnifies one eightfold and lowers
    every channel by 128, so the colours live in 128..255 and anything darker turns black."""
    rnd = random.Random(1301)
    pictures = []

    def picture(fn):
        pictures.append([[fn(x, y) for x in range(32)] for y in range(32)])

    # 16: synth sunset: striped sun over a perspective grid.
    def sunset(x, y):
        if y < 20:
            sky = mix(0x9040D0, 0xF8A060, y / 19)
            d = math.hypot(x - 15.5, y - 17)
            if d < 10 and not (y > 11 and y % 3 == 0):
                return mix(0xF8F070, 0xF86080, max(0, (y - 7) / 12))
            return sky
        depth = y - 19                       # 1 at the horizon, 12 at the bottom
        # rays from the vanishing point (15.5, 19) to every ninth column of the bottom row
        vertical = any(abs(x + 0.5 - (16 + n * 9 * depth / 12)) <= 0.5 for n in range(-3, 4))
        horizontal = y in (20, 22, 25, 30)
        return 0xF878F0 if vertical or horizontal else 0xA030A0
    picture(sunset)

    # 17: a ringed planet in a starfield.
    stars = {(rnd.randrange(32), rnd.randrange(32)) for _ in range(40)}
    def planet(x, y):
        dx, dy = x - 13, y - 15
        if abs(dy * 1.0 + dx * 0.35) < 1.2 and 6 < math.hypot(dx, dy) < 15 and not (
                math.hypot(dx, dy) < 9 and dy * 1.0 + dx * 0.35 < 0):
            return 0xE8D8A0
        d = math.hypot(dx, dy)
        if d < 9:
            band = 0.5 + 0.5 * math.sin(y * 1.3 + x * 0.2)
            c = mix(0xE09050, 0xF8D090, band)
            return scale(c, max(0.62, 1 - (dx + dy) / 40 - d / 30))
        if (x, y) in stars:
            return 0xFFFFFF if (x + y) % 3 else 0xC0D8FF
        return 0x482060
    picture(planet)

    # 18: chessboard floor to the horizon under a pale sky.
    def floor(x, y):
        if y < 12:
            return mix(0x90B8F0, 0xF0F0FF, y / 11)
        depth = (y - 10.5) / 21               # 0 at the horizon, 1 at the bottom
        u = (x - 15.5) / (depth * 9)
        v = 2.2 / depth
        square = 0xF8F8F0 if (math.floor(u) + math.floor(v)) % 2 == 0 else 0xD03848
        return mix(square, 0xE8E0F0, max(0.0, 1 - depth * 3.2))   # haze hides the far squares
    picture(floor)

    # 19: brick wall with varied bricks.
    tints = [rnd.uniform(0.85, 1.05) for _ in range(64)]
    def bricks(x, y):
        row = y // 4
        shift = 4 if row % 2 else 0
        col = (x + shift) // 8
        if y % 4 == 3 or (x + shift) % 8 == 7:
            return 0xC8C0B0
        return scale(0xF08050, tints[(row * 5 + col) % 64])
    picture(bricks)

    # 20: interference rings, the classic plasma in miniature.
    def rings(x, y):
        v = (math.sin(math.hypot(x - 8, y - 10) * 0.9) + math.sin(math.hypot(x - 26, y - 22) * 0.7)
             + math.sin(x * 0.3))
        return hsv(v / 6 + 0.55, 0.55, 1.0)
    picture(rings)

    # 21: stained glass: diamonds of colour in light leading.
    def glass(x, y):
        u, v = (x + y) / 8, (x - y) / 8
        if abs(u - round(u)) < 0.09 or abs(v - round(v)) < 0.09:
            return 0xD0D0D8
        cell = (math.floor(u) * 7 + math.floor(v) * 3) % 5
        return [0xF05070, 0x50A0F0, 0xF0D040, 0x60E090, 0xB070F0][cell]
    picture(glass)

    # 22: circuit board: traces, pads and chips on green.
    board = [[0x40A060] * 32 for _ in range(32)]
    for _ in range(14):
        x, y = rnd.randrange(32), rnd.randrange(32)
        dx, dy = rnd.choice([(1, 0), (0, 1), (-1, 0), (0, -1)])
        for step in range(rnd.randrange(6, 20)):
            board[y % 32][x % 32] = 0xE8C060
            if rnd.random() < 0.2:
                dx, dy = rnd.choice([(dx, dy), (dy, dx), (-dy, -dx)])
            x, y = x + dx, y + dy
        board[y % 32][x % 32] = 0xF8F0C0
    for cx, cy, w, h in ((4, 5, 8, 5), (19, 17, 9, 7)):
        for y in range(cy, cy + h):
            for x in range(cx, cx + w):
                board[y][x] = 0xD8D8E0 if (x in (cx, cx + w - 1) or y in (cy, cy + h - 1)) else 0xA0A0A8
    picture(lambda x, y: board[y][x])

    # 23: sunburst emblem: rays round a disc with a K.
    k_grid = own_cell(stroke_font.load(), ord("K"), 10, 12)
    def emblem(x, y):
        dx, dy = x - 15.5, y - 15.5
        d = math.hypot(dx, dy)
        if d < 10:
            if k_grid[y][x] >= 0.5:
                return 0xF8F8F8
            return 0xE04040 if d > 8.6 else 0x4060D0
        a = math.atan2(dy, dx)
        return 0xF8C040 if math.sin(a * 12) > 0 else 0xF08030
    picture(emblem)
    return pictures


PAGE_SYMBOLS = {1: "☺", 2: "☻", 3: "♥", 4: "♦", 5: "♣", 6: "♠", 7: "•", 8: "◘", 9: "○",
                10: "◙", 11: "♂", 12: "♀", 13: "♪", 14: "♫", 15: "☼", 24: "↑", 25: "↓",
                26: "→", 27: "←", 28: "★"}


def page_sheet():
    sheet = Sheet(1024, 128, 32)
    strokes = stroke_font.load()
    for code in range(33, 127):
        page_glyph(sheet, code, own_cell(strokes, code, 3, 22), 0xF8E070, 0xD06010, 0x401808)
    for code, ch in PAGE_SYMBOLS.items():
        page_glyph(sheet, code, own_cell(strokes, ord(ch), 3, 22), 0x90E8F8, 0x2050D0, 0x081840)
    for k, picture in enumerate(tile_pictures()):
        for y in range(32):
            for x in range(32):
                sheet.put(16 + k, x, y, picture[y][x])
    write_ppm(asset("page_sheet.ppm"), 1024, 128, sheet.pixels,
              "KOVA page font: 32x32 glyphs, tiles 16..23")


if __name__ == "__main__":
    tag_sheet()
    text_sheet()
    big_sheet(big_cells())
    page_sheet()
