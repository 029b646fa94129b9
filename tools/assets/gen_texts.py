#!/usr/bin/python3
"""Writes the logos and texts of assets/:

  logo_rain.txt, logo_plasma.txt  14 lines of 32 ('A' on, space off): "KOVA" and "1301"
  logo_frame.txt                  16 lines of 127: "KOVA 1301" filled with '*' and outlined
                                  with '#', between two rules
  scroll.txt                      the scroll text, one line of 1891 characters
  pages.txt                       the six typed pages, 3564 bytes, each ended by the byte 1

The logos' letters are drawn cell by cell; the page banners use the tag font's capitals
(common.CAPS). Standard-library python3.
"""
from common import CAPS, asset

# The letters of the two small logos, drawn cell by cell: six cells wide (the V eight, so its
# arms can meet in a point), twelve high, strokes two cells thick, so a letter still reads when
# rain piles on it or plasma runs through it.
LOGO_LETTERS = {
    "K": ["##..##", "##..##", "##.##.", "##.##.", "####..", "###...",
          "###...", "####..", "##.##.", "##.##.", "##..##", "##..##"],
    "O": [".####.", "######", "##..##", "##..##", "##..##", "##..##",
          "##..##", "##..##", "##..##", "##..##", "######", ".####."],
    "V": ["##....##", "##....##", "##....##", "##....##", "##....##", ".##..##.",
          ".##..##.", ".##..##.", "..####..", "..####..", "...##...", "...##..."],
    "A": [".####.", "######", "##..##", "##..##", "##..##", "######",
          "######", "##..##", "##..##", "##..##", "##..##", "##..##"],
    "1": ["..##..", ".###..", "####..", "..##..", "..##..", "..##..",
          "..##..", "..##..", "..##..", "..##..", "######", "######"],
    "3": [".####.", "######", "##..##", "....##", "....##", "..###.",
          "..###.", "....##", "....##", "##..##", "######", ".####."],
    "0": [".####.", "######", "##..##", "##..##", "##.###", "##.###",
          "###.##", "###.##", "##..##", "##..##", "######", ".####."],
}


def small_logo(text, path):
    """Four letters of LOGO_LETTERS, centred in 14 lines of 32: a blank line above and below,
    at least a blank column each side and the letters two cells apart, or one where a wide
    letter leaves no room for two."""
    rows, cols = 14, 32
    widths = [len(LOGO_LETTERS[ch][0]) for ch in text]
    spare = cols - 2 - sum(widths)
    gaps = [min(2, spare // (len(text) - 1) + (1 if i < spare % (len(text) - 1) else 0))
            for i in range(len(text) - 1)] + [0]
    left = (cols - sum(widths) - sum(gaps)) // 2
    lines = []
    for y in range(rows):
        line = [" "] * cols
        if 1 <= y <= 12:
            x0 = left
            for ch, width, gap in zip(text, widths, gaps):
                for x, c in enumerate(LOGO_LETTERS[ch][y - 1]):
                    if c == "#":
                        line[x0 + x] = "A"
                x0 += width + gap
        lines.append("".join(line))
    write_lines(path, lines, rows, cols)


# The frame logo's letters, drawn cell by cell: ten cells wide, ten high, strokes three cells
# thick; the O is round-cornered, the zero square-set with a slash.
FRAME_LETTERS = {
    "K": ["***....***", "***...***.", "***..***..", "***.***...", "******....",
          "******....", "***.***...", "***..***..", "***...***.", "***....***"],
    "O": [".********.", "**********", "***....***", "***....***", "***....***",
          "***....***", "***....***", "***....***", "**********", ".********."],
    "V": ["***....***", "***....***", "***....***", ".***..***.", ".***..***.",
          ".***..***.", "..******..", "..******..", "...****...", "....**...."],
    "A": ["...****...", "..******..", ".***..***.", "***....***", "***....***",
          "**********", "**********", "***....***", "***....***", "***....***"],
    "1": ["....***...", "..*****...", "*******...", "....***...", "....***...",
          "....***...", "....***...", "....***...", "**********", "**********"],
    "3": [".********.", "**********", "***....***", ".......***", "...******.",
          "...******.", ".......***", "***....***", "**********", ".********."],
    "0": ["**********", "**********", "***....***", "***...****", "***..*****",
          "*****..***", "****...***", "***....***", "**********", "**********"],
}


def frame_logo(path):
    """ "KOVA 1301" filled with '*' and outlined with '#', between two rules. The letters stand
    one blank column apart inside their outlines, so a 32-column window always holds two whole
    letters; the rules close the band above and below."""
    rows, cols = 16, 127
    words = "KOVA 1301"
    pitch, space = 13, 6                          # a letter and its gap; the gap between words
    width = sum(space if ch == " " else pitch for ch in words) - 3
    fill = [[False] * cols for _ in range(rows)]
    x0 = (cols - width) // 2
    for ch in words:
        if ch == " ":
            x0 += space
            continue
        for y, row in enumerate(FRAME_LETTERS[ch]):
            for x, c in enumerate(row):
                if c == "*":
                    fill[3 + y][x0 + x] = True
        x0 += pitch
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

# The greeted groups, in the scroll text and on the greetings page.
GREETED = ["Tin Heron", "Copperdusk", "Glasswyrm", "Hexmoor", "Saltmarsh", "Velvet Vector",
           "Lampwick Nine", "Paperlantern", "Kilnworks", "Blue Sextant", "Bitplane Bakery",
           "Moth and Magnet", "Quietbit", "Northlight"]

# One letter fills the screen and the scroller moves three pixels a frame, so a visit of the
# scene (1,000 frames, 3,000 pixels) shows 93.75 characters. Each visit gets one line of its
# own, starting at the first character the visit shows whole and ending before the last one it
# cuts, so that no visit stops in the middle of a word: the first says who, what and where,
# the second tells the keys, then the credits and the greetings, and the rest is for those
# who stay. Twenty visits take the text round once; the last line closes the text.
VISIT_FRAMES, SPEED, LETTER, MARGIN = 1000, 3, 32, 2   # MARGIN: the letters' blank columns
LINES = [
    "KOVA presents 1301 at Kestrel Bay 2013... every fat pixel you see is a character!",
    "Keys: A and S set the speed, B the colours, F the frame rate, space skips, escape quits.",
    "Credits: code by Vell, graphics and the big letters by Quadrille, drums by Oxide Moth.",
    "Texts by all of us at three in the morning; the pages' small letters are the PC font.",
    "KOVA greets " + ", ".join(GREETED[:6]) + ",",
    ", ".join(GREETED[6:12]) + ",",
    " and ".join(GREETED[12:]) + ", and the Kestrel Bay crew for the tea and the power!",
    "Hello out there! 1301 was coded between the soldering contest and the breakfast queue.",
    "Everything you see is drawn one glyph at a time, on a screen of 32 by 32 cells.",
    "Falling drops, a plasma of coloured blocks, fat letters, a wave of dots, rainbow pages.",
    "Fourteen little drum sounds mix into a loop that changes every twelve seconds.",
    "Not one sample was borrowed: every drum hit is synthesised from a few lines of arithmetic.",
    "Hello to the people who still count cycles and draw fonts by hand: the scene lives on you.",
    "Every letter of this scroller is built from hundreds of glyphs, coloured by a plasma.",
    "We wanted to make something small that feels big on a party screen. We hope it does!",
    "If you liked it, come and find us at the next party: we are the ones with the tea.",
    "If you did not, come anyway and tell us why. We bring the coffee.",
    "That is all from KOVA for now... lean back and enjoy the plasma.",
    "The text wraps in a moment and begins again, like the loop that never stops.",
    "Signing off: Vell, Quadrille and Oxide Moth of KOVA, at Kestrel Bay 2013. Bye!",
]


def seen(k):
    """The characters of which visit k (from 0) shows some ink: each frame shows the letter at
    the scroll position, from its pixel column `offset` on, and the first `offset` columns of
    the next one; the scroll position is SPEED pixels per frame, 3,000 pixels per visit."""
    chars = set()
    for frame in range(VISIT_FRAMES):
        at, offset = divmod((VISIT_FRAMES * k + frame) * SPEED, LETTER)
        if offset < LETTER - MARGIN:
            chars.add(at)
        if offset > MARGIN:
            chars.add(at + 1)
    return chars


def visit_window(k):
    """The first and the last character of the run that visit k shows and its neighbours do
    not, so a line there is neither cut at the visit's end nor read in part before it."""
    own = seen(k) - seen(k - 1) - seen(k + 1) if k else seen(0) - seen(1)
    return min(own), max(own)


def scroll_text(path, total=1891, lead=10):
    """Ten spaces, then each line at the start of its visit's window; the last line ends at
    its window's end, so the run of spaces before the wrap is as short as it can be."""
    text = [" "] * total
    for k, line in enumerate(LINES):
        first, last = visit_window(k)
        first = max(first, lead)
        assert len(line) <= last - first + 1, (k, len(line), last - first + 1)
        if k == len(LINES) - 1:
            first = last + 1 - len(line)
        text[first:first + len(line)] = line
    text = "".join(text)
    assert len(text) == total and all(32 <= ord(c) <= 122 for c in text)
    assert text.startswith(" " * lead) and text[lead] != " "
    assert 10 <= total - len(text.rstrip()) <= 32, total - len(text.rstrip())
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


# ---- the pages ------------------------------------------------------------------------------

BANNER_COLUMNS = 28     # the tag covers the last four columns of the first line
SHOUT = ["##", "##", "##", "##", "##", "..", "##"]   # '!' for the banners


def banner(word):
    """An ASCII-art banner: the word in the tag font's capitals, one character per pixel ('#'),
    with a '.' shadow below and to the right, centred in the columns the tag leaves free."""
    columns = []
    for ch in word:
        rows = SHOUT if ch == "!" else CAPS[ch]
        for x in range(len(rows[0])):
            columns.append([1 if row[x] == "#" else 0 for row in rows])
        columns.append([0] * 7)
    columns.pop()
    height = 7
    lit = lambda x, y: 0 <= y < height and 0 <= x < len(columns) and columns[x][y]
    lines = ["".join("#" if lit(x, y) else "." if lit(x - 1, y - 1) else " "
                     for x in range(len(columns) + 1)).rstrip() for y in range(height + 1)]
    width = max(len(l) for l in lines)
    assert width <= BANNER_COLUMNS, (word, width)
    pad = (BANNER_COLUMNS - width) // 2
    return [(" " * pad + l).rstrip() for l in lines]


def ruler(n=32, ch="-"):
    return ch * n


def columns(names, second=17):
    """Names two to a line, the second column starting at `second`."""
    pairs = [names[i:i + 2] for i in range(0, len(names), 2)]
    lines = [(" " + pair[0]).ljust(second) + (pair[1] if len(pair) > 1 else "") for pair in pairs]
    assert all(len(l) <= 32 and len(" " + p[0]) < second for l, p in zip(lines, pairs)), lines
    return [l.rstrip() for l in lines]


PAGES = [
    # 1: the title
    lambda: banner("KOVA") + ["", "         presents", ""] + banner("1301") + [
        "", ruler(), "   a text-mode demo for the", "   Kestrel Bay 2013 compo", ruler(), "",
        "   released at the party hall"],
    # 2: credits
    lambda: banner("CREW") + [
        "", ruler(), "", " code ............... Vell", " graphics, big font . Quadrille",
        " drums, sound ....... Oxide Moth", " texts .............. all of us",
        "", " small letters: the PC console",
        " font, which is public domain", ruler(), "", " Made on borrowed laptops, on",
        " three power strips and too", " much tea."],
    # 3: greetings; its rule has 33 characters, the last of which falls off the right edge
    lambda: banner("HEY!") + [
        "", ruler(33), " Greetings fly out to:", ""] + columns(GREETED) + [
        "", " ...and everybody at the big", " screen tonight.", ruler()],
    # 4: short messages
    lambda: banner("INFO") + [
        "", ruler(), " Vell: the plasma in part two", " adds four sine waves from one",
        " table. No floats were harmed.", "", " Quadrille: the capitals were",
        " drawn by hand, the big letters", " by a patient little script;",
        " the rest is the PC font.", "", " Oxide Moth: mixed soft, with",
        " room to spare. Turn it up!", ruler(),
        " Keys: space skips a part,", " 5 and 6 set the speed, F shows", " the frame rate, A S B steer",
        " the scroller, escape quits."],
    # 5: the party
    lambda: banner("KB13") + [
        "", ruler(), " Kestrel Bay 2013: three days", " of compos, soldering, snow",
        " and a sauna nobody skipped.", " Thanks to the organisers for", " the hall and the big screen,",
        " and to the cook for 4 am soup.", "", ruler(), "", " Vote for what you enjoyed,",
        " not for who you know.", " See you in the sauna."],
    # 6: goodbye
    lambda: banner("BYE!") + [
        "", ruler(), "", " That was 1301 by KOVA.", "", " The pages start again in a",
        " moment; the loop never stops.", " Press escape to leave.", "", ruler(), "",
        " see you at the next party", "", " and thanks for watching!"],
]

HOLD = 25            # spaces typed after a page's last line: it stays up for about a second
FIRST_PAGE = 644     # bytes of the first page, end byte included (the cycle's length follows)


def pages_text(path, total=3564):
    """Each page, then a line of spaces that holds its last line on screen before the page's
    end byte. The holds are stretched or shortened a little (by at most seven frames) to give
    the first page and the whole text their sizes."""
    pages = [page() for page in PAGES]
    long_lines = sum(len(l) > 32 for page in pages for l in page)
    assert long_lines == 1 and all(len(l) <= 33 for page in pages for l in page)
    assert all(32 <= ord(c) <= 126 for page in pages for l in page for c in l)
    size = lambda page, hold: sum(len(l) + 1 for l in page) + hold + 2
    holds = [HOLD] * len(pages)
    holds[0] = FIRST_PAGE - size(pages[0], 0)
    rest = total - FIRST_PAGE - sum(size(page, 0) for page in pages[1:])
    for i in range(1, len(pages)):
        holds[i] = rest // (len(pages) - 1) + (1 if i <= rest % (len(pages) - 1) else 0)
    assert all(18 <= h <= 32 for h in holds), holds
    body = "".join("".join(l + "\n" for l in page) + " " * hold + "\n\x01"
                   for page, hold in zip(pages, holds))
    assert len(body) == total and body.index("\x01") + 1 == FIRST_PAGE
    for i, page in enumerate(pages):
        assert 23 <= len(page) + 1 <= 34, (i, len(page) + 1)
    with open(path, "wb") as f:
        f.write(body.encode("ascii"))


if __name__ == "__main__":
    small_logo("KOVA", asset("logo_rain.txt"))
    small_logo("1301", asset("logo_plasma.txt"))
    frame_logo(asset("logo_frame.txt"))
    scroll_text(asset("scroll.txt"))
    pages_text(asset("pages.txt"))
