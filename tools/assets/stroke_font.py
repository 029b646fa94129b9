"""KOVA's own font: reads the strokes of assets/big_font.txt (the file explains the format)
and draws a glyph into a square cell of coverage values, 1.0 ink and 0.0 paper.

The pen is a flattened ellipse, a little wider than high, so stems come out heavier than bars
as in a broad-nib letter; a pixel is inked when its centre lies under the pen (or inside a
fill), which keeps the edges crisp at any size."""
import math

from common import asset

GRID = 8            # the strokes' grid: 8 units wide and high
PEN_X, PEN_Y = 3.0 / 24, 2.5 / 24     # pen half-width and half-height, per pixel of cap height
ASPECT = 1.19       # a unit across is this much wider than a unit down


def load(path=None):
    """{character: [(kind, erase, data)]} in file order. kind is 'stroke', 'fill' or 'disc'."""
    glyphs, current = {}, None
    with open(path or asset("big_font.txt"), encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or (line.startswith("#") and current is None) or line.startswith("# "):
                continue
            if len(line) == 3 and line[0] == "[" and line[2] == "]":
                current = glyphs.setdefault(line[1], [])
                continue
            assert current is not None, f"big_font.txt:{number}: a stroke outside any glyph"
            erase = line.startswith("clear ")
            if erase:
                line = line[len("clear "):]
            kind = "stroke"
            for word in ("fill ", "disc "):
                if line.startswith(word):
                    kind, line = word.strip(), line[len(word):]
            if kind == "disc":
                cx, cy, r = (float(v) for v in line.split(","))
                current.append((kind, erase, (cx, cy, r)))
            else:
                current.append((kind, erase, points(line, number)))
    return glyphs


def points(text, number):
    """The points of a stroke or fill: 'x,y' pairs and '(cx,cy,rx,ry,from,to)' arcs."""
    out = []
    for token in text.split():
        values = [float(v) for v in token.strip("()").split(",")]
        if token.startswith("("):
            assert len(values) == 6, f"big_font.txt:{number}: an arc has six numbers"
            cx, cy, rx, ry, a0, a1 = values
            steps = max(2, int(abs(a1 - a0) / 10))
            for k in range(steps + 1):
                a = math.radians(a0 + (a1 - a0) * k / steps)
                out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
        else:
            assert len(values) == 2, f"big_font.txt:{number}: a point has two numbers"
            out.append(tuple(values))
    return out


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside(px, py, polygon):
    """Even-odd rule."""
    result = False
    for (ax, ay), (bx, by) in zip(polygon, polygon[1:] + polygon[:1]):
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            result = not result
    return result


def draw(ops, cell, cap_top, cap_height, width=1.0, centre=True):
    """The glyph in a cell x cell grid, its cap line at row cap_top and its baseline
    cap_height rows lower; `width` narrows the letter (small capitals), and the ink is centred
    across the cell unless `centre` is false."""
    pen_x, pen_y = PEN_X * cap_height, PEN_Y * cap_height
    unit_y = (cap_height - 2 * pen_y) / GRID
    unit_x = unit_y * ASPECT * width
    top = cap_top + pen_y
    left = cell / 2 - GRID / 2 * unit_x
    squash = pen_x / pen_y          # the pen becomes a circle of radius pen_x in squashed space

    def place(p):                   # grid units -> pixels, y stretched so the pen is round
        return (left + p[0] * unit_x, (top + p[1] * unit_y) * squash)

    grid = [[0.0] * cell for _ in range(cell)]
    for kind, erase, data in ops:
        if kind == "stroke":
            pts = [place(p) for p in data]
            segments = list(zip(pts, pts[1:])) or [(pts[0], pts[0])]
            hit = lambda x, y: any(segment_distance(x, y * squash, a, b) < pen_x for a, b in segments)
        elif kind == "fill":
            poly = [place(p) for p in data]
            hit = lambda x, y: inside(x, y * squash, poly)
        else:
            cx, cy, r = data
            hit = lambda x, y: (((x - left) / unit_x - cx) ** 2 + ((y - top) / unit_y - cy) ** 2
                                < r * r)
        for y in range(cell):
            for x in range(cell):
                if hit(x + 0.5, y + 0.5):
                    grid[y][x] = 0.0 if erase else 1.0
    if centre:
        columns = [x for x in range(cell) if any(grid[y][x] for y in range(cell))]
        if columns:
            shift = (cell - 1 - columns[-1] - columns[0]) // 2
            grid = [[row[x - shift] if 0 <= x - shift < cell else 0.0 for x in range(cell)]
                    for row in grid]
    return grid
