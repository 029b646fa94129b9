#!/usr/bin/python3
"""How well the logos of the rain and plasma scenes stand off what lies around them.

Records the first cycle's two logo scenes with kova-record at the start-up speed (each logo
shows from the frame after its scene's half-time to the scene's last frame, by the scene lengths
that kova-record --scene-lengths gives: frames 252 to 501 and 628 to 752 today), decodes every
8 x 8 cell of each logo frame back into its glyph code of assets/text_sheet.ppm and measures,
for every logo cell that touches a non-logo cell, the luminance contrast
(lighter + 0.05) / (darker + 0.05) between the cell and the mean of its non-logo neighbours
(left, right, above, below); a cell's luminance is the mean relative luminance of the body of
its glyph, the middle 4 x 4 pixels. A frame's figure is the median over those cells. Prints, per scene, how many logo
frames reach 3:1, how many stay below 1.5:1, and the frames below 1.5:1.

Each logo takes one of two colour ranges, 128..143 or 176..191, by the parity of a draw from
the C library's generator; the recording shows the ones the Linux and web programs draw. The
Windows programs draw from the Microsoft C library's rand() (seeded alike), so they may draw
others. The script follows their draws: it runs the rain scene's own steps (drops, spawns,
logo, and the music's five draws at its first frame and every 300 frames) with either
generator, checks the Linux run against the recording cell for cell, and measures the Windows
run's rain frames as simulated and its plasma frames as recorded with the logo recoloured
(the plasma itself draws nothing).

  tools/logo-contrast.py                  records with kova-record (tools/build-recorder.sh)
  tools/logo-contrast.py --recorder PATH  records with this kova-record
  tools/logo-contrast.py --dir DIR        measures a recording made before (the logo frames kept)
  tools/logo-contrast.py --assets DIR     takes text_sheet.ppm, logo_rain.txt and logo_plasma.txt
                                          from DIR, not assets/ (for a recording of other art)
  tools/logo-contrast.py --check          fails (status 1) unless each logo of the Linux and
                                          web programs reaches 3:1 in at least two thirds of
                                          its frames and stays below 1.5:1 in at most a tenth

Standard-library python3.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile


ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
LOGO_ROW = 8
BACKGROUND = 185
# (name, logo text, skips the background code); their frames come from the program's own
# scene lengths (logo_frames)
LOGOS = [("rain", "logo_rain.txt", True), ("plasma", "logo_plasma.txt", False)]


def logo_frames(recorder):
    """[(name, logo text, first and last logo frame of the first cycle, skip)] at the start-up
    speed: each logo shows from the frame after its scene's half-time to the scene's last frame,
    as the program counts them (kova-record --scene-lengths)."""
    run = subprocess.run([recorder, "--scene-lengths"], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("kova-record --scene-lengths failed: " + run.stderr.strip())
    lengths = {int(line.split()[0]): int(line.split()[1]) for line in run.stdout.splitlines()}
    scenes, start = [], 1
    for scene, (name, text, skip) in enumerate(LOGOS, 1):
        length = lengths[scene]
        scenes.append((name, text, start + length // 2 + 1, start + length - 1, skip))
        start += length
    return scenes


def linear(c):
    c /= 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


LUT = [linear(c) for c in range(256)]


def luminance(cell_bytes):
    """Mean relative luminance of the middle 4 x 4 pixels of an RGB 8 x 8 cell: the body of a
    block, which the eye takes for the cell's colour (its rim and bevel are edges)."""
    total = 0.0
    cell_bytes = b"".join(cell_bytes[(y * 8 + 2) * 3:(y * 8 + 6) * 3] for y in range(2, 6))
    for i in range(0, len(cell_bytes), 3):
        total += (0.2126 * LUT[cell_bytes[i]] + 0.7152 * LUT[cell_bytes[i + 1]]
                  + 0.0722 * LUT[cell_bytes[i + 2]])
    return total / (len(cell_bytes) // 3)


def read_ppm(path):
    """(width, height, RGB bytes) of a P6 file with a maximum of 255 and at most one comment
    line, as kova-record and the asset generators write them."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4 and pos < min(len(data), 256):
        end = data.find(b"\n", pos)
        if end < 0:
            break
        line = data[pos:end]
        pos = end + 1
        if not line.startswith(b"#"):
            fields += line.split()
    if (len(fields) != 4 or fields[0] != b"P6" or fields[3] != b"255"
            or not (fields[1].isdigit() and fields[2].isdigit())):
        sys.exit("%s: not a P6 picture with a maximum of 255" % path)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos:pos + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit("%s: the picture is cut short" % path)
    return width, height, pixels


def cell(picture, x, y):
    """The RGB bytes of the 8 x 8 cell in column x, row y, row by row."""
    width, _, pixels = picture
    return b"".join(pixels[((y * 8 + r) * width + x * 8) * 3:((y * 8 + r) * width + x * 8 + 8) * 3]
                    for r in range(8))


def glyphs(sheet_path):
    """Glyph code by its pixels, and the luminance of each code 0..255."""
    sheet = read_ppm(sheet_path)
    by_pixels, lum = {}, []
    for code in range(256):
        data = cell(sheet, code % 32, code // 32)
        by_pixels.setdefault(data, code)
        lum.append(luminance(data))
    return by_pixels, lum


def logo_mask(path):
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    return {(LOGO_ROW + y, x) for y, line in enumerate(lines) for x, ch in enumerate(line)
            if ch == "A" and x < 32}


def colour_cycle(base, skip, frames):
    """The logo colour of each logo frame, from the scene's first run on."""
    colour, out = base, []
    for _ in range(frames):
        nxt = (colour + 1) & 255
        if skip and nxt == BACKGROUND:
            nxt = BACKGROUND + 1
        colour = base + (nxt & 15)
        out.append(colour)
    return out


def frame_contrast(lum, mask):
    """Median over the logo's edge cells of its contrast with its non-logo neighbours."""
    ratios = []
    for (y, x) in mask:
        around = [lum[ny][nx] for ny, nx in ((y - 1, x), (y + 1, x), (y, x - 1), (y, x + 1))
                  if 0 <= ny < 32 and 0 <= nx < 32 and (ny, nx) not in mask]
        if not around:
            continue
        a, b = lum[y][x], sum(around) / len(around)
        ratios.append((max(a, b) + 0.05) / (min(a, b) + 0.05))
    return statistics.median(ratios)


def glibc_random(seed):
    """The Linux C library's random() after srand(seed): r[i] = r[i-31] + r[i-3]."""
    r = [seed or 1]
    for i in range(1, 31):
        r.append(16807 * r[-1] % 2147483647)
    r += r[:3]
    while True:
        r.append((r[-31] + r[-3]) & 0xFFFFFFFF)
        if len(r) > 344:
            del r[0]
            yield r[-1] >> 1


def msvcrt_rand(seed):
    """The Microsoft C library's rand() after srand(seed)."""
    while True:
        seed = (seed * 214013 + 2531011) & 0xFFFFFFFF
        yield seed >> 16 & 0x7FFF


SEED = 542388762   # the program's srand at start-up


def rain_run(generator, mask, length):
    """The rain scene's first run, as the character map each frame shows (frame 1 first), the
    base each logo draws and the count of draws before the plasma logo."""
    draws = [0]

    def draw():
        draws[0] += 1
        return next(generator)

    base = 176 if draw() & 1 else 128
    colour, on, countdown, cell, shown = base, False, 0, [BACKGROUND] * 1024, []
    for i in range(length - 1, -1, -1):
        for k in range(1024 - 32 - 1, -1, -1):
            if 128 <= cell[k] <= 143 and cell[k + 32] == BACKGROUND:
                cell[k + 32], cell[k] = cell[k], BACKGROUND
        for _ in range(32):
            n = draw() % 32
            if cell[n] == BACKGROUND:
                cell[n] = 128 + (draw() & 15)
                break
        shown.append([cell[y * 32:y * 32 + 32] for y in range(32)])
        on = on or i == length // 2
        if on:
            colour = base + (BACKGROUND + 1 if colour + 1 == BACKGROUND else colour + 1) % 16
            for (y, x) in mask:
                cell[y * 32 + x] = colour
        if countdown > 1:
            countdown -= 1
        else:
            countdown = 300
            for _ in range(5):
                draw()
    return shown, (base, 176 if draw() & 1 else 128), draws[0] - 1


def decode(directory, frame, by_pixels, code_lum):
    """Glyph codes (None where no glyph matches, under the tag) and luminances of a frame."""
    picture = read_ppm(os.path.join(directory, "frame-%05d.ppm" % frame))
    if picture[:2] != (256, 256):
        sys.exit("frame %d: not a 256 x 256 picture" % frame)
    codes = [[None] * 32 for _ in range(32)]
    lum = [[0.0] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            data = cell(picture, x, y)
            codes[y][x] = by_pixels.get(data)
            lum[y][x] = luminance(data) if codes[y][x] is None else code_lum[codes[y][x]]
    return codes, lum


def measure(directory, assets, scenes):
    """[(scene, program, base, [(frame, contrast)])], program "linux" or "windows"."""
    by_pixels, code_lum = glyphs(os.path.join(assets, "text_sheet.ppm"))
    masks = {name: logo_mask(os.path.join(assets, text)) for name, text, *_ in scenes}
    linux, linux_bases, linux_draws = rain_run(glibc_random(SEED), masks["rain"], scenes[0][3])
    windows, windows_bases, _ = rain_run(msvcrt_rand(SEED), masks["rain"], scenes[0][3])
    results = []
    for scene, (name, _, first, last, skip) in enumerate(scenes):
        mask = masks[name]
        colours = colour_cycle(windows_bases[scene], skip, last - first + 1)
        linux_figures, windows_figures = [], []
        for frame in range(first, last + 1):
            codes, lum = decode(directory, frame, by_pixels, code_lum)
            if name == "rain":
                wrong = sum(codes[y][x] not in (None, linux[frame - 1][y][x])
                            for y in range(32) for x in range(32))
                if wrong:
                    sys.exit("frame %d: %d cells differ from the rain scene's steps run with the "
                             "Linux generator; the model no longer follows the program" % (frame, wrong))
                shown = [[code_lum[c] for c in row] for row in windows[frame - 1]]
            else:
                shown = [row[:] for row in lum]
                for (y, x) in mask:
                    shown[y][x] = code_lum[colours[frame - first]]
            linux_figures.append((frame, frame_contrast(lum, mask)))
            windows_figures.append((frame, frame_contrast(shown, mask)))
        results.append((name, "Linux and web", linux_bases[scene], linux_figures))
        results.append((name, "Windows", windows_bases[scene], windows_figures))
    return results


def report(results):
    """Prints the figures; true when each logo of the Linux and web programs meets the goal."""
    met = True
    for name, program, base, values in results:
        n = len(values)
        good = sum(1 for _, c in values if c >= 3)
        poor = [f for f, c in values if c < 1.5]
        median = statistics.median(c for _, c in values)
        print("%-6s logo, %-13s (base %d): %d frames, median %.2f:1, 3:1 or more in %d (%.0f%%), "
              "below 1.5:1 in %d (%.0f%%)" % (name, program, base, n, median, good, 100 * good / n,
                                               len(poor), 100 * len(poor) / n))
        if poor:
            print("       below 1.5:1: " + " ".join(str(f) for f in poor[:40])
                  + (" ..." if len(poor) > 40 else ""))
        if program != "Windows" and (3 * good < 2 * n or 10 * len(poor) > n):
            met = False
    return met


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dir", help="a kova-record recording holding both scenes' logo frames")
    parser.add_argument("--recorder", help="the kova-record to record with and to ask the scene lengths")
    parser.add_argument("--assets", default=os.path.join(ROOT, "assets"))
    parser.add_argument("--check", action="store_true", help="fail when a logo misses the goal")
    args = parser.parse_args()
    recorder = args.recorder or subprocess.run(
        [os.path.join(ROOT, "tools", "build-recorder.sh")], check=True,
        stdout=subprocess.PIPE, text=True).stdout.strip()
    scenes = logo_frames(recorder)
    if args.dir:
        met = report(measure(args.dir, args.assets, scenes))
    else:
        with tempfile.TemporaryDirectory() as work:
            only = ",".join("%d-%d" % (first, last) for _, _, first, last, _ in scenes)
            subprocess.run([recorder, "--frames", str(scenes[-1][3]), "--only", only,
                            "--out", work + "/rec"], check=True, stdout=subprocess.DEVNULL)
            met = report(measure(work + "/rec", args.assets, scenes))
    if args.check and not met:
        print("logo-contrast: a logo of the Linux and web programs misses 3:1 in two thirds of "
              "its frames or 1.5:1 in nine tenths")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
