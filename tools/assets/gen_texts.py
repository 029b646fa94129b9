#!/usr/bin/python3
"""Writes the logos and texts of assets/:

  logo_rain.txt, logo_plasma.txt  14 lines of 32 ('A' on, space off): "KOVA" and "1301"
  logo_frame.txt                  16 lines of 127: "KOVA 1301" filled with '*' and outlined
                                  with '#', between two rules
  scroll.txt                      the scroll text, one line of 1891 characters
  pages.txt                       the six typed pages, 3564 bytes, each ended by the byte 1

The letters of the logos and of the page banners are DejaVu Sans Bold, rendered large and
sampled down to character cells. Needs python3-pil and fonts-dejavu-core.
"""
from PIL import Image, ImageDraw, ImageFont

from common import DEJAVU, asset, console_font

BOLD = DEJAVU + "DejaVuSans-Bold.ttf"


def ink(text, rows, cols=None, font=BOLD):
    """Coverage (0..1) of `text` sampled to `rows` rows; the width follows the letters'
    proportions (cells are square) unless `cols` forces it. Rows of lists."""
    face = ImageFont.truetype(font, 400)
    box = face.getbbox(text)
    image = Image.new("L", (box[2] + 40, box[3] + 40), 0)
    ImageDraw.Draw(image).text((20, 20), text, fill=255, font=face)
    image = image.crop(image.getbbox())
    if cols is None:
        cols = max(1, round(image.width * rows / image.height))
    small = image.resize((cols, rows), Image.BOX)
    return [[small.getpixel((x, y)) / 255 for x in range(cols)] for y in range(rows)]


CONDENSED = DEJAVU + "DejaVuSansCondensed-Bold.ttf"


def slots(text, rows, slot, letter):
    """Letters each squeezed into `letter` columns of a `slot`-wide slot: even spacing for
    the small logos, where proportional letters would run together."""
    grid = [[0.0] * (slot * len(text)) for _ in range(rows)]
    for i, ch in enumerate(text):
        cell = ink(ch, rows, letter, CONDENSED)
        for y in range(rows):
            for x in range(letter):
                grid[y][i * slot + x] = cell[y][x]
    return grid


def small_logo(text, path):
    rows, cols = 14, 32
    grid = slots(text, rows - 1, 8, 7)       # 13 rows of letters, a free row below
    lines = []
    for y in range(rows):
        row = grid[y] if y < rows - 1 else []
        line = "".join("A" if x < len(row) and row[x] >= 0.5 else " " for x in range(cols))
        lines.append(line)
    write_lines(path, lines, rows, cols)


def frame_logo(path):
    rows, cols = 16, 127
    words = "KOVA 1301"
    letters = []
    for ch in words:
        letters.append(None if ch == " " else ink(ch, 10))
    gap = 3                                     # room for two outlines and a free column
    width = sum(6 if g is None else len(g[0]) for g in letters) + gap * (len(letters) - 1)
    fill = [[False] * cols for _ in range(rows)]
    x0 = (cols - width) // 2
    for g in letters:
        if g is None:
            x0 += 6 + gap
            continue
        for y in range(10):
            for x in range(len(g[0])):
                if g[y][x] >= 0.5:
                    fill[3 + y][x0 + x] = True
        x0 += len(g[0]) + gap
    lines = []
    for y in range(rows):
        line = []
        for x in range(cols):
            if fill[y][x]:
                line.append("*")
            elif any(fill[yy][xx] for yy in range(max(0, y - 1), min(rows, y + 2))
                     for xx in range(max(0, x - 1), min(cols, x + 2))):
                line.append("#")
            elif y in (0, 15) and 2 <= x < cols - 2:
                line.append("#")               # the rules above and below
            elif y in (1, 14) and (x in (2, cols - 3)):
                line.append("#")
            else:
                line.append(" ")
        lines.append("".join(line))
    write_lines(path, lines, rows, cols)


def write_lines(path, lines, rows, cols):
    assert len(lines) == rows and all(len(l) == cols for l in lines), path
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("".join(l + "\n" for l in lines))


# ---- the scroll text ------------------------------------------------------------------------

SCROLL = (
    "Hello out there, this is KOVA with our little text-mode production 1301, fresh from the "
    "party hall of Kestrel Bay 2013, coded in the dark hours between the soldering contest "
    "and the breakfast queue... Everything you see is drawn one glyph at a time: falling drops, "
    "plasma made of coloured blocks, these fat letters hopping across a screen of thirty-two "
    "by thirty-two cells, a waveform painted with dots and pages typed over rainbow bars. "
    "Fourteen little drum sounds are mixed into a loop that changes every few seconds, so "
    "no two minutes sound quite the same. Press A and S to change the speed of this scroller, "
    "B to change its colours, F to see the frame rate, space to jump to the next part and "
    "escape when you have had enough. Credits: code by Vell, graphics and fonts by Quadrille, "
    "drums synthesised by Oxide Moth, texts by all of us at three in the morning. "
    "Now the greetings, in no particular order: Tin Heron - Copperdusk - Glasswyrm - "
    "Saltmarsh Coders - Velvet Vector - Paperlantern - Hexmoor - Blue Sextant - Bitplane "
    "Bakery - Moth and Magnet - Quietbit Collective - Northlight Division - Kilnworks - "
    "Lampwick Nine - the whole Kestrel Bay crew for the tea, the power and the patience. "
    "A special hello to the people who still count cycles and draw fonts by hand: the "
    "scene is alive because of you. We wanted to make something small that feels big on a "
    "party screen, and we hope the loud speakers are treating you well. Fun fact: every "
    "letter of this scroller is built from hundreds of little glyphs, and they all "
    "take their colours from a plasma of their own, frame after frame. If you liked it, come "
    "and find us at the next party; if you did not, come anyway and tell us why, we bring "
    "the coffee. That is all from KOVA for now... the text will wrap in a moment and begin "
    "again, so lean back and enjoy the plasma.   Signing off: Vell, Quadrille, Oxide Moth."
)


def scroll_text(path, total=1891, lead=10):
    """Ten spaces before the text and the rest after it: one letter fills the screen, so the
    text comes in from an empty screen and leaves it empty before it wraps."""
    body = SCROLL
    assert all(32 <= ord(c) <= 122 for c in body)
    assert 10 <= total - lead - len(body) <= 16, total - lead - len(body)
    text = " " * lead + body + " " * (total - lead - len(body))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


# ---- the pages ------------------------------------------------------------------------------

def banner(word, indent=None):
    """An ASCII-art banner: the word in the PC console font, one character per pixel ('#'),
    with a '.' shadow below and to the right. Each letter keeps its ink columns and one gap."""
    font = console_font()
    columns = []
    for ch in word:
        rows = font[ord(ch)]
        used = [x for x in range(8) if any(r >> (7 - x) & 1 for r in rows)]
        for x in range(min(used), max(used) + 1):
            columns.append([r >> (7 - x) & 1 for r in rows])
        columns.append([0] * 8)
    grid = [[col[y] for col in columns] for y in range(8)]
    lit = lambda x, y: 0 <= y < 8 and 0 <= x < len(columns) and grid[y][x]
    lines = []
    for y in range(8):
        lines.append("".join("#" if lit(x, y) else "." if lit(x - 1, y - 1) else " "
                             for x in range(len(columns) + 1)).rstrip())
    while lines and not lines[-1]:
        lines.pop()
    width = max(len(l) for l in lines)
    assert width <= 32, (word, width)
    pad = (32 - width) // 2 if indent is None else indent
    return [(" " * pad + l).rstrip() for l in lines]


def ruler(n=32, ch="-"):
    return ch * n


PAGES = [
    # 1: the title
    lambda: banner("KOVA") + ["", "           presents", ""] + banner("1301") + [
        "", ruler(), "   a text-mode demo for the", "   Kestrel Bay 2013 compo", ruler()],
    # 2: credits
    lambda: banner("CREW") + [
        "", ruler(), "", " code ............... Vell", " graphics, fonts .... Quadrille",
        " drums, sound ....... Oxide Moth", " texts .............. all of us",
        "   (mostly at 3 in the morning)", "", ruler(), "", " Made on borrowed laptops, on",
        " three power strips and too", " much tea.", ""],
    # 3: greetings: 34 lines, the last two below the screen and left empty; its rule has 33
    # characters, the last of which falls off the right edge
    lambda: banner("HEY!") + [
        "", ruler(33), " Greetings fly out to:", "",
        "  Tin Heron        Copperdusk", "  Glasswyrm        Hexmoor", "  Saltmarsh Coders",
        "  Velvet Vector    Lampwick Nine", "  Paperlantern     Kilnworks",
        "  Blue Sextant  Bitplane Bakery", "  Moth and Magnet", "  Quietbit Collective",
        "  Northlight Division", "", " ...and everybody at the big", " screen tonight.", ruler(),
        " Missing here? We owe you a", " drink. Come and collect it.", "", "", "", "", "", "",
        ""],
    # 4: short messages
    lambda: banner("INFO") + [
        "", ruler(), " Vell: the plasma in part two", " runs on six sine waves and one",
        " table. No floats were harmed.", "", " Quadrille: every glyph you see",
        " was pushed into place by hand", " or by a patient little script.", "",
        " Oxide Moth: turn it up!", "", ruler(),
        " Keys: space skips a part,", " 5 and 6 set the speed, F shows", " the frame rate, A S B steer",
        " the scroller, escape quits."],
    # 5: the party (23 lines)
    lambda: banner("KB13") + [
        "", ruler(), " Kestrel Bay 2013: three days", " of compos, soldering, snow",
        " and a sauna nobody skipped.", " Thanks to the organisers for", " the hall and the big screen,",
        " and to the cook for the soup", " at four in the morning.", ruler(), " Vote for what you enjoyed,",
        " not for who you know.", "", "", ""],
    # 6: goodbye
    lambda: banner("BYE!") + [
        "", ruler(), "", " That was 1301 by KOVA.", "", " The pages start again in a",
        " moment; the loop never stops.", " Press escape to leave.", "", ruler(), "",
        " see you at the next party", "", "", ""],
]


def pages_text(path, total=3564):
    pages = [page() for page in PAGES]
    long_lines = sum(len(l) > 32 for page in pages for l in page)
    assert long_lines == 1 and all(len(l) <= 33 for page in pages for l in page)
    assert all(32 <= ord(c) <= 126 for page in pages for l in page for c in l)
    join = lambda: "".join("".join(l + "\n" for l in page) + "\x01" for page in pages)
    # Fit the exact size: the closing line of the last page trails off in dots.
    missing = total - len(join())
    assert 0 <= missing <= 32 - len(pages[-1][-1]), f"pages miss the size by {missing} bytes"
    pages[-1][-1] += "." * missing
    body = join()
    assert len(body) == total
    for i, page in enumerate(pages):
        assert 23 <= len(page) <= 34, (i, len(page))
    with open(path, "wb") as f:
        f.write(body.encode("ascii"))


if __name__ == "__main__":
    small_logo("KOVA", asset("logo_rain.txt"))
    small_logo("1301", asset("logo_plasma.txt"))
    frame_logo(asset("logo_frame.txt"))
    scroll_text(asset("scroll.txt"))
    pages_text(asset("pages.txt"))
