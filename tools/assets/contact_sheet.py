#!/usr/bin/env python3
"""Draws every compiled-in picture onto one PNG, each glyph range of the texture palette
labelled, with the logos, the bar colours and the waveforms of the percussion; and writes the
fourteen percussion sounds one after the other into one WAV. Standard library only; the labels
are drawn with the program's own tag font.

  contact_sheet.py OUTDIR     writes OUTDIR/contact-sheet.png and OUTDIR/percussion.wav
"""
import os
import struct
import sys
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))


def read_pnm(name):
    """(width, height, pixels 0xRRGGBB) of a P6 or P4 file with one comment line."""
    data = open(os.path.join(ASSETS, name), "rb").read()
    magic, comment, size, rest = data.split(b"\n", 3)
    w, h = map(int, size.split())
    if magic == b"P6":
        _, raster = rest.split(b"\n", 1)
        return w, h, [raster[i] << 16 | raster[i + 1] << 8 | raster[i + 2]
                      for i in range(0, 3 * w * h, 3)]
    row = (w + 7) // 8
    return w, h, [0xFFFFFF if rest[y * row + x // 8] >> (7 - x % 8) & 1 else 0
                  for y in range(h) for x in range(w)]


class Canvas:
    def __init__(self, width, height, colour=0x101018):
        self.width, self.height = width, height
        self.pixels = [colour] * (width * height)
        self.font = read_pnm("tag_sheet.ppm")

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = c

    def box(self, x, y, w, h, c):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, c)

    def picture(self, x, y, w, h, pixels, zoom=1, transform=None):
        for yy in range(h):
            for xx in range(w):
                c = pixels[yy * w + xx]
                if transform:
                    c = transform(c)
                for dy in range(zoom):
                    for dx in range(zoom):
                        self.put(x + xx * zoom + dx, y + yy * zoom + dy, c)

    def text(self, x, y, s, colour=0xFFFFFF, zoom=1):
        fw, _, fp = self.font
        for i, ch in enumerate(s):
            code = ord(ch)
            gx, gy = code * 8 % fw, code * 8 // fw * 8
            for yy in range(8):
                for xx in range(8):
                    p = fp[(gy + yy) * fw + gx + xx]
                    if p:
                        c = colour if p == 0xFFFFFF else 0x000000
                        for dy in range(zoom):
                            for dx in range(zoom):
                                self.put(x + (i * 8 + xx) * zoom + dx, y + yy * zoom + dy, c)

    def png(self, path):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)
            for p in self.pixels[y * self.width:(y + 1) * self.width]:
                raw += bytes((p >> 16 & 255, p >> 8 & 255, p & 255))
        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data
                    + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
            f.write(chunk(b"IEND", b""))


TEXT_ROWS = [
    ("0-31 violet to coral density ramp", None),
    ("32-63 dark green density ramp", None),
    ("64-95 brown density ramp", None),
    ("96-127 dark blue density ramp", None),
    ("128-143 solid | 144-159 patterned", None),
    ("160-175 grad. patterns | 176-191 blocks", None),
    ("192-223 trace, halving steps; 223 full", None),
    ("224-255 white shapes", None),
    ("256-319 never drawn", None),
    ("", None),
]


def patterns():
    out = []
    for i in range(14):
        with wave.open(os.path.join(ASSETS, f"pattern{i:02}.wav")) as w:
            frames = w.readframes(w.getnframes())
        out.append(list(struct.unpack(f"<{len(frames) // 2}h", frames)))
    return out


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(outdir, exist_ok=True)
    c = Canvas(1120, 2640)
    y = 16
    c.text(16, y, "KOVA1301 compiled-in data", zoom=3)
    y += 48

    # The texture palette, 3x, each row of 32 glyphs labelled.
    w, h, px = read_pnm("text_sheet.ppm")
    c.text(16, y, "TEXT_SHEET  P6 256x80, 8x8 cells (shown 3x)", 0xFFD060, 2)
    y += 24
    c.picture(16, y, w, h, px, 3)
    for row, (label, _) in enumerate(TEXT_ROWS):
        if label:
            c.text(16 + 768 + 12, y + row * 24 + 8, label[:40], 0xC0C8FF)
    for g in range(0, 33, 4):
        c.box(16 + g * 24, y + 240, 1, 4, 0x808080)
    # Mark 185, the background of the logo scenes.
    x185, y185 = 16 + (185 % 32) * 24, y + (185 // 32) * 24
    for d in range(26):
        for px_, py_ in ((x185 - 1 + d, y185 - 1), (x185 - 1 + d, y185 + 24), (x185 - 1, y185 - 1 + d),
                         (x185 + 24, y185 - 1 + d)):
            c.put(px_, py_, 0xFF3030)
    c.text(16 + 768 + 12, y + 5 * 24 + 16, "(185, framed red: logo scene background)", 0xFF8080)
    y += 240 + 24

    # The tag font, 2x.
    w, h, px = read_pnm("tag_sheet.ppm")
    c.text(16, y, "TAG_SHEET  P6 256x80, 8x8 ASCII, 0 blank, 204 cursor block (2x)", 0xFFD060, 2)
    y += 24
    c.picture(16, y, w, h, px, 2)
    c.text(16 + 512 + 12, y + 8, "The tag, on the palest and the darkest ground:", 0xC0C8FF)
    wt, ht, tp = read_pnm("text_sheet.ppm")
    pale = tp[(185 // 32 * 8 + 3) * wt + 185 % 32 * 8 + 3]
    c.box(16 + 512 + 12, y + 22, 136, 36, pale)
    c.text(16 + 512 + 14, y + 24, "KOVA", zoom=4)
    c.box(16 + 512 + 160, y + 22, 136, 36, 0x000000)
    c.text(16 + 512 + 162, y + 24, "KOVA", zoom=4)
    c.text(16 + 512 + 12, y + 64, "Read-out: 19 32", zoom=2)
    c.text(16 + 512 + 12, y + 96, "Typed page text\xcc", zoom=2)
    y += 160 + 24

    # The scroller font on a dark blue ground.
    w, h, px = read_pnm("big_sheet.pbm")
    c.text(16, y, "BIG_SHEET  P4 1024x128, 32x32 letters (ink shown white)", 0xFFD060, 2)
    y += 24
    c.picture(16, y, w, h, px, 1, lambda p: 0xFFFFFF if p else 0x202848)
    y += 128 + 24

    # The page font and its tiles.
    w, h, pxp = read_pnm("page_sheet.ppm")
    c.text(16, y, "PAGE_SHEET  P6 1024x128, 32x32; codes 16-23 are the page backgrounds", 0xFFD060, 2)
    y += 24
    c.picture(16, y, w, h, pxp, 1)
    y += 128 + 12
    c.text(16, y, "Backgrounds as the pages scene shows them: magnified, every channel - 128", 0xC0C8FF)
    y += 14
    for k in range(8):
        tile = [pxp[yy * w + 512 + 32 * k + xx] for yy in range(32) for xx in range(32)]
        dark = lambda p: (max(0, (p >> 16 & 255) - 128) << 16 | max(0, (p >> 8 & 255) - 128) << 8
                          | max(0, (p & 255) - 128))
        c.picture(16 + k * 136, y, 32, 32, tile, 4, dark)
        c.text(16 + k * 136, y + 130, f"tile {16 + k}", 0xC0C8FF)
    y += 128 + 28

    # Logos as character cells.
    c.text(16, y, "Logos: RAIN, PLASMA (14x32), FRAME (16x127)", 0xFFD060, 2)
    y += 24
    x = 16
    for name, colour in (("logo_rain.txt", 0xF05050), ("logo_plasma.txt", 0x50C0F0)):
        lines = open(os.path.join(ASSETS, name)).read().split("\n")[:-1]
        for r, line in enumerate(lines):
            for col, ch in enumerate(line):
                c.box(x + col * 4, y + r * 4, 4, 4, colour if ch == "A" else 0x181820)
        x += 32 * 4 + 24
    # The rain logo's K in every colour its cycle takes, drawn with the palette's own cells on
    # the background cell 185, as scene 1 shows it.
    c.text(x, y, "K of the rain logo in each colour step, on 185:", 0xC0C8FF)
    wt, ht, tp = read_pnm("text_sheet.ppm")
    cell = lambda code: [tp[(code // 32 * 8 + yy) * wt + code % 32 * 8 + xx]
                         for yy in range(8) for xx in range(8)]
    letter = [line[:8] for line in open(os.path.join(ASSETS, "logo_rain.txt")).read().split("\n")[:14]]
    steps = [code for code in list(range(128, 144)) + list(range(176, 192)) if code != 185]
    for i, code in enumerate(steps):
        sx, sy = x + (i % 8) * 68, y + 14 + (i // 8) * 116
        for r, line in enumerate(letter):
            for col in range(8):
                c.picture(sx + col * 8, sy + r * 8, 8, 8, cell(code if line[col] == "A" else 185))
    lines = open(os.path.join(ASSETS, "logo_frame.txt")).read().split("\n")[:-1]
    y += 14 + 4 * 116
    for r, line in enumerate(lines):
        for col, ch in enumerate(line):
            colour = {"#": 0x2040C0, "*": 0xF0D050}.get(ch, 0x181820)
            c.box(16 + col * 8, y + r * 8, 8, 8, colour)
    y += 16 * 8 + 20

    # Bar colours.
    colours = [int(l, 16) for l in open(os.path.join(ASSETS, "bar_colours.txt"))
               if l.startswith("0x")]
    c.text(16, y, "BAR_COLOURS  96 entries, six ramps", 0xFFD060, 2)
    y += 24
    for i, col in enumerate(colours):
        c.box(16 + i * 11, y, 11, 24, col)
    y += 24 + 24

    # Waveforms.
    c.text(16, y, "PATTERNS  14 x 11,024 values (0.25 s each)", 0xFFD060, 2)
    y += 24
    names = ["shaker", "rim click", "tight snare", "fat snare", "tom", "kick", "reverse crash",
             "closed hat", "maraca", "snare rattle", "open hat", "high tom", "clap", "big clap"]
    sounds = patterns()
    for i, values in enumerate(sounds):
        col, row = i % 2, i // 2
        x0, y0 = 16 + col * 548, y + row * 84
        c.box(x0, y0, 536, 72, 0x080810)
        c.box(x0, y0 + 36, 536, 1, 0x303040)
        for xx in range(536):
            chunk = values[xx * len(values) // 536:(xx + 1) * len(values) // 536]
            lo, hi = min(chunk), max(chunk)
            for yy in range(36 - hi * 36 // 32768, 36 - lo * 36 // 32768 + 1):
                c.put(x0 + xx, y0 + max(0, min(71, yy)), 0x60E0A0)
        c.text(x0 + 4, y0 + 4, f"{i:2} {names[i]}", 0xFFFFFF)
    y += 7 * 84
    c.height = y + 16
    c.pixels = c.pixels[:c.width * c.height]
    c.png(os.path.join(outdir, "contact-sheet.png"))

    # The percussion, each sound followed by a quarter second of silence.
    with wave.open(os.path.join(outdir, "percussion.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(44100)
        for values in sounds:
            w.writeframes(struct.pack(f"<{len(values)}h", *values) + b"\0\0" * 11025)
    print(os.path.join(outdir, "contact-sheet.png"))
    print(os.path.join(outdir, "percussion.wav"))


if __name__ == "__main__":
    main()
