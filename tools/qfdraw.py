"""A tiny deterministic drawing kit for the installer's pictures.

Shapes are drawn as coverage (0.0 to 1.0 per pixel) so the generators can map
them onto palette ramps or blend them into true colour. Text uses the pixel
font below, scaled up and smoothed: the glyph grid is sampled bilinearly and
cut at one half, which rounds the stair steps into chamfers and leaves a
one-pixel anti-aliased edge. Glyphs are first refined twice with the Scale2x
rule, which fills the notches where strokes meet only at a corner (the
diagonals of Q, V, 2, 0), so they stay solid once smoothed.
"""

# Cap height 7 cells (rows 0-6, baseline under row 6), descender rows 7-8.
# Widths are proportional: each glyph is as wide as its rows.
FONT = {
    "Q": [".###.", "#...#", "#...#", "#...#", "#...#", "#..#.", ".##.#"],
    "u": [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    "i": [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    "l": ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "f": ["..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "1": [".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    ".": ["..", "..", "..", "..", "..", "##", "##"],
}
CAP_ROWS = 7
GAP = 1  # cells between glyphs


def text_width(text, scale):
    cells = sum(len(FONT[ch][0]) for ch in text) + GAP * (len(text) - 1)
    return cells * scale


class Coverage:
    """A width x height grid of coverage values, top row first."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.cells = [[0.0] * width for _ in range(height)]

    def add(self, x, y, value):
        if 0 <= x < self.width and 0 <= y < self.height:
            row = self.cells[y]
            row[x] = min(1.0, max(row[x], value))

    def __getitem__(self, xy):
        x, y = xy
        return self.cells[y][x]

    def text(self, text, left, baseline, scale):
        """Draws text with its left edge at x=left and its baseline at y=baseline."""
        x = left
        for ch in text:
            self._glyph(FONT[ch], x, baseline - CAP_ROWS * scale, scale)
            x += (len(FONT[ch][0]) + GAP) * scale

    def _glyph(self, rows, left, top, scale):
        rows = scale2x(scale2x(rows))
        h, w = len(rows), len(rows[0])
        size = scale / 4.0  # pixels per refined cell

        def cell(cx, cy):
            if 0 <= cx < w and 0 <= cy < h:
                return 1.0 if rows[cy][cx] == "#" else 0.0
            return 0.0

        for py in range(top - 1, top + scale * len(rows) // 4 + 1):
            for px in range(left - 1, left + scale * len(rows[0]) // 4 + 1):
                # pixel centre in refined cells, cell centres at n + 0.5
                u = (px + 0.5 - left) / size - 0.5
                v = (py + 0.5 - top) / size - 0.5
                cx, cy = int(u // 1), int(v // 1)
                fx, fy = u - cx, v - cy
                f = (cell(cx, cy) * (1 - fx) * (1 - fy) + cell(cx + 1, cy) * fx * (1 - fy)
                     + cell(cx, cy + 1) * (1 - fx) * fy + cell(cx + 1, cy + 1) * fx * fy)
                cover = (f - 0.5) * size + 0.5
                if cover > 0:
                    self.add(px, py, min(1.0, cover))

    def rect(self, left, top, width, height, value=1.0):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.add(x, y, value)


def scale2x(rows):
    """Doubles a glyph with the Scale2x (EPX) rule."""
    h, w = len(rows), len(rows[0])

    def at(x, y):
        return rows[y][x] if 0 <= x < w and 0 <= y < h else "."

    out = []
    for y in range(h):
        top, bottom = [], []
        for x in range(w):
            p = at(x, y)
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            top += [a if c == a and c != d and a != b else p,
                    b if a == b and a != c and b != d else p]
            bottom += [c if d == c and d != b and c != a else p,
                       d if b == d and b != a and d != c else p]
        out += ["".join(top), "".join(bottom)]
    return out


def lerp(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    ex, ey = ax + t * dx - px, ay + t * dy - py
    return (ex * ex + ey * ey) ** 0.5
