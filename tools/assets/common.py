"""Shared helpers of the asset generators: picture files, the PC console font, colours and
the small capitals. Run by hand, never by the build (see make-all.sh for the packages)."""
import gzip
import os

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
ASSETS = os.path.join(ROOT, "assets")
CONSOLE_FONT = "/usr/share/consolefonts/Uni2-VGA8.psf.gz"   # console-setup-linux


def asset(name):
    return os.path.join(ASSETS, name)


def write_ppm(path, width, height, pixels, comment):
    """P6 with one comment line; pixels is a list of 0xRRGGBB, row by row."""
    assert len(pixels) == width * height
    raster = bytearray()
    for p in pixels:
        raster += bytes(((p >> 16) & 255, (p >> 8) & 255, p & 255))
    with open(path, "wb") as f:
        f.write(f"P6\n# {comment}\n{width} {height}\n255\n".encode("ascii") + bytes(raster))


def write_pbm(path, width, height, bits, comment):
    """P4 with one comment line; bits is a list of 0/1 (1 = ink), row by row."""
    assert len(bits) == width * height and width % 8 == 0
    raster = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        for b in bits[i:i + 8]:
            byte = byte << 1 | (1 if b else 0)
        raster.append(byte)
    with open(path, "wb") as f:
        f.write(f"P4\n# {comment}\n{width} {height}\n".encode("ascii") + bytes(raster))


def console_font():
    """The 8 x 8 PC glyphs of the console font as {unicode code point: 8 row bytes}."""
    data = gzip.open(CONSOLE_FONT).read()
    assert data[:2] == b"\x36\x04", "PSF1 expected"
    mode, height = data[2], data[3]
    count = 512 if mode & 1 else 256
    glyphs = [data[4 + i * height:4 + (i + 1) * height] for i in range(count)]
    table = {}
    pos = 4 + count * height
    for index in range(count):
        while pos + 1 < len(data):
            code = data[pos] | data[pos + 1] << 8
            pos += 2
            if code == 0xFFFF:
                break
            if code != 0xFFFE:
                table.setdefault(code, glyphs[index])
    return table


def cp437(code):
    """Unicode code point of a code-page 437 byte, with the graphic symbols of 1..31 and 127."""
    low = ("\u0000☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼")
    if code < 32:
        return ord(low[code])
    if code == 127:
        return ord("⌂")
    return ord(bytes([code]).decode("cp437"))


def hsv(h, s, v):
    """0xRRGGBB of a hue 0..1 (wrapping), saturation and value 0..1."""
    h = (h % 1.0) * 6
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return rgb(r * 255, g * 255, b * 255)


def rgb(r, g, b):
    c = lambda x: max(0, min(255, int(round(x))))
    return c(r) << 16 | c(g) << 8 | c(b)


def channels(p):
    return (p >> 16) & 255, (p >> 8) & 255, p & 255


def mix(a, b, t):
    """Colour a moved towards b by t (0..1)."""
    ca, cb = channels(a), channels(b)
    return rgb(*[x + (y - x) * t for x, y in zip(ca, cb)])


def scale(p, k):
    return rgb(*[x * k for x in channels(p)])


# Capitals and digits drawn for an 8 x 8 cell with a one-pixel ring round the ink: six columns
# wide and seven rows high, strokes two pixels thick as in the PC font. The tag and the
# frame-rate read-out are made of these, and the typed pages' banners are drawn with them.
CAPS = {
    "A": ["..##..", ".####.", "##..##", "##..##", "######", "##..##", "##..##"],
    "B": ["#####.", "##..##", "##..##", "#####.", "##..##", "##..##", "#####."],
    "C": [".####.", "##..##", "##....", "##....", "##....", "##..##", ".####."],
    "D": ["####..", "##.##.", "##..##", "##..##", "##..##", "##.##.", "####.."],
    "E": ["######", "##....", "##....", "#####.", "##....", "##....", "######"],
    "F": ["######", "##....", "##....", "#####.", "##....", "##....", "##...."],
    "G": [".####.", "##..##", "##....", "##.###", "##..##", "##..##", ".#####"],
    "H": ["##..##", "##..##", "##..##", "######", "##..##", "##..##", "##..##"],
    "I": [".####.", "..##..", "..##..", "..##..", "..##..", "..##..", ".####."],
    "J": ["...###", "....##", "....##", "....##", "##..##", "##..##", ".####."],
    "K": ["##..##", "##.##.", "####..", "###...", "####..", "##.##.", "##..##"],
    "L": ["##....", "##....", "##....", "##....", "##....", "##....", "######"],
    "M": ["#....#", "##..##", "######", "######", "##..##", "##..##", "##..##"],
    "N": ["##..##", "###.##", "######", "##.###", "##..##", "##..##", "##..##"],
    "O": [".####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."],
    "P": ["#####.", "##..##", "##..##", "#####.", "##....", "##....", "##...."],
    "Q": [".####.", "##..##", "##..##", "##..##", "##.###", "##..#.", ".##.##"],
    "R": ["#####.", "##..##", "##..##", "#####.", "####..", "##.##.", "##..##"],
    "S": [".####.", "##..##", "##....", ".####.", "....##", "##..##", ".####."],
    "T": ["######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##.."],
    "U": ["##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."],
    "V": ["##..##", "##..##", "##..##", "##..##", "##..##", ".####.", "..##.."],
    "W": ["#....#", "#....#", "#.##.#", "#.##.#", "#.##.#", "######", ".#..#."],
    "X": ["##..##", "##..##", ".####.", "..##..", ".####.", "##..##", "##..##"],
    "Y": ["##..##", "##..##", "##..##", ".####.", "..##..", "..##..", "..##.."],
    "Z": ["######", "....##", "...##.", "..##..", ".##...", "##....", "######"],
    "0": [".####.", "##..##", "##.###", "######", "###.##", "##..##", ".####."],
    "1": ["..##..", ".###..", "####..", "..##..", "..##..", "..##..", "######"],
    "2": [".####.", "##..##", "....##", "...##.", "..##..", ".##...", "######"],
    "3": [".####.", "##..##", "....##", "..###.", "....##", "##..##", ".####."],
    "4": ["...##.", "..###.", ".####.", "##.##.", "######", "...##.", "...##."],
    "5": ["######", "##....", "#####.", "....##", "....##", "##..##", ".####."],
    "6": ["..###.", ".##...", "##....", "#####.", "##..##", "##..##", ".####."],
    "7": ["######", "....##", "...##.", "..##..", "..##..", "..##..", "..##.."],
    "8": [".####.", "##..##", "##..##", ".####.", "##..##", "##..##", ".####."],
    "9": [".####.", "##..##", "##..##", ".#####", "....##", "...##.", ".###.."],
}
