#!/usr/bin/env python3
"""Draws the artwork of zwillo.exe into src/ui/win32/res/.

Everything is drawn here from simple shapes (standard library only) and
written as ICO and BMP bytes, so running the script again reproduces the
committed files byte for byte:

    python3 scripts/draw-art.py            # writes the files
    python3 scripts/draw-art.py --check    # fails when a file differs

Shapes are described in "units": an icon is 32 units wide whatever its pixel
size. Each picture is rendered with supersampling (several samples per pixel,
hard-edged shapes) and averaged down, which gives smooth edges. Rectangle
edges are snapped to whole pixels so that small sizes stay crisp.

Bitmaps (check images, animation strips, About picture) are 24-bit with
magenta (255,0,255) as the transparent colour; their smooth edges are blended
against the usual button-face grey (240,240,240).
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "src", "ui", "win32", "res")

# ---------------------------------------------------------------------------
# Rasteriser
# ---------------------------------------------------------------------------


class Shape:
    """A region: inside(x, y) in units and a bounding box (x0, y0, x1, y1)."""

    def __init__(self, inside, box):
        self.inside = inside
        self.box = box

    def __sub__(self, other):
        a, b = self.inside, other.inside
        return Shape(lambda x, y: a(x, y) and not b(x, y), self.box)

    def __or__(self, other):
        a, b = self.inside, other.inside
        box = (min(self.box[0], other.box[0]), min(self.box[1], other.box[1]),
               max(self.box[2], other.box[2]), max(self.box[3], other.box[3]))
        return Shape(lambda x, y: a(x, y) or b(x, y), box)

    def __and__(self, other):
        a, b = self.inside, other.inside
        box = (max(self.box[0], other.box[0]), max(self.box[1], other.box[1]),
               min(self.box[2], other.box[2]), min(self.box[3], other.box[3]))
        return Shape(lambda x, y: a(x, y) and b(x, y), box)


def rect(x0, y0, x1, y1, r=0.0):
    if r <= 0:
        return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))
    r2 = r * r

    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r2
    return Shape(inside, (x0, y0, x1, y1))


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def ring(cx, cy, r0, r1, a0=None, a1=None):
    """Annulus; with a0/a1 (degrees, clockwise on screen from 3 o'clock) an arc."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r0 <= d <= r1):
            return False
        if a0 is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        lo, hi = a0 % 360.0, a1 % 360.0
        return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)
    return Shape(inside, (cx - r1, cy - r1, cx + r1, cy + r1))


def _seg_dist2(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    ll = vx * vx + vy * vy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, (wx * vx + wy * vy) / ll))
    dx, dy = wx - t * vx, wy - t * vy
    return dx * dx + dy * dy


def line(points, w):
    """A polyline of width w with round joins and ends."""
    h2 = (w / 2.0) ** 2
    segs = list(zip(points, points[1:]))

    def inside(x, y):
        for (ax, ay), (bx, by) in segs:
            if _seg_dist2(x, y, ax, ay, bx, by) <= h2:
                return True
        return False
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(inside, (min(xs) - w, min(ys) - w, max(xs) + w, max(ys) + w))


def poly(points):
    n = len(points)

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def poly_edge(points, w):
    """The inner band of width w along a polygon's edge."""
    body = poly(points)
    segs = list(zip(points, points[1:] + points[:1]))
    w2 = w * w

    def inside(x, y):
        if not body.inside(x, y):
            return False
        for (ax, ay), (bx, by) in segs:
            if _seg_dist2(x, y, ax, ay, bx, by) <= w2:
                return True
        return False
    return Shape(inside, body.box)


class Canvas:
    """Premultiplied RGBA samples; `unit` pixels per unit, `ss` samples per pixel."""

    def __init__(self, w, h, unit, ss):
        self.w, self.h, self.unit, self.ss = w, h, unit, ss
        self.sw, self.sh = w * ss, h * ss
        n = self.sw * self.sh
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n
        self.k = 1.0 / (unit * ss)  # units per sample
        self.ox = 0.0  # left edge of the current frame in units (strips)
        self.clip = None  # (x0, x1) in units: the current frame

    @property
    def px(self):
        """One pixel in units."""
        return 1.0 / self.unit

    def snap(self, v):
        return math.floor(v * self.unit + 0.5) / self.unit

    def fill(self, shape, color, alpha=1.0):
        if len(color) == 4:
            alpha *= color[3] / 255.0
        cr, cg, cb = (color[0] / 255.0 * alpha, color[1] / 255.0 * alpha,
                      color[2] / 255.0 * alpha)
        k = self.k
        x0, y0, x1, y1 = shape.box
        sx0 = max(0, int(math.floor((x0 + self.ox) / k)) - 1)
        sy0 = max(0, int(math.floor(y0 / k)) - 1)
        sx1 = min(self.sw, int(math.ceil((x1 + self.ox) / k)) + 1)
        if self.clip is not None:
            sx0 = max(sx0, int(round(self.clip[0] / k)))
            sx1 = min(sx1, int(round(self.clip[1] / k)))
        sy1 = min(self.sh, int(math.ceil(y1 / k)) + 1)
        inside = shape.inside
        R, G, B, A = self.r, self.g, self.b, self.a
        inv = 1.0 - alpha
        ox = self.ox
        for sy in range(sy0, sy1):
            y = (sy + 0.5) * k
            row = sy * self.sw
            for sx in range(sx0, sx1):
                if inside((sx + 0.5) * k - ox, y):
                    i = row + sx
                    R[i] = cr + R[i] * inv
                    G[i] = cg + G[i] * inv
                    B[i] = cb + B[i] * inv
                    A[i] = alpha + A[i] * inv

    def pixels(self):
        """Straight RGBA bytes, top row first."""
        ss = self.ss
        out = bytearray()
        n = float(ss * ss)
        for y in range(self.h):
            for x in range(self.w):
                r = g = b = a = 0.0
                for j in range(ss):
                    base = (y * ss + j) * self.sw + x * ss
                    for i in range(ss):
                        r += self.r[base + i]
                        g += self.g[base + i]
                        b += self.b[base + i]
                        a += self.a[base + i]
                a /= n
                if a <= 0.0:
                    out += b"\0\0\0\0"
                    continue
                out += bytes((min(255, int(r / n / a * 255 + 0.5)),
                              min(255, int(g / n / a * 255 + 0.5)),
                              min(255, int(b / n / a * 255 + 0.5)),
                              min(255, int(a * 255 + 0.5))))
        return bytes(out)


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def ico_bytes(images):
    """images: list of (size, straight RGBA bytes). 32-bit entries with mask."""
    head = struct.pack("<HHH", 0, 1, len(images))
    dirs = b""
    data = b""
    offset = 6 + 16 * len(images)
    for size, rgba in images:
        xor = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                i = (y * size + x) * 4
                xor += bytes((rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]))
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            for x in range(size):
                if rgba[(y * size + x) * 4 + 3] == 0:
                    row[x >> 3] |= 0x80 >> (x & 7)
            mask += row
        bmp = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                          len(xor) + len(mask), 0, 0, 0, 0) + bytes(xor) + bytes(mask)
        dim = 0 if size >= 256 else size
        dirs += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(bmp), offset)
        data += bmp
        offset += len(bmp)
    return head + dirs + data


MAGENTA = (255, 0, 255)
BTNFACE = (240, 240, 240)


def bmp24_bytes(w, h, rgba, bg=BTNFACE):
    """24-bit BMP; transparent pixels become magenta, soft edges meet `bg`."""
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            i = (y * w + x) * 4
            r, g, b, a = rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]
            if a < 64:
                r, g, b = MAGENTA
            elif a < 255:
                f = a / 255.0
                r = int(r * f + bg[0] * (1 - f) + 0.5)
                g = int(g * f + bg[1] * (1 - f) + 0.5)
                b = int(b * f + bg[2] * (1 - f) + 0.5)
                if (r, g, b) == MAGENTA:
                    g = 1
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        body += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + bytes(body)


# ---------------------------------------------------------------------------
# Palette and motifs (all in units of a 32-unit icon)
# ---------------------------------------------------------------------------

INK = (52, 62, 82)          # outlines
PAPER = (255, 255, 255)
PAPER_BACK = (214, 230, 250)
BLUE = (28, 104, 214)
BLUE_DARK = (20, 70, 150)
TEXT = (160, 172, 190)
GREEN = (34, 150, 60)
RED = (214, 40, 40)
RED_DARK = (150, 20, 20)
YELLOW = (250, 196, 40)
YELLOW_DARK = (176, 120, 10)
FOLDER = (246, 200, 92)
FOLDER_BACK = (222, 168, 60)
FOLDER_INK = (150, 100, 20)
CARD_BOX = (176, 110, 60)
CARD_BOX_DARK = (112, 66, 30)
GREY = (140, 146, 156)
GREY_LIGHT = (214, 218, 224)


def outline_width(c):
    """About one pixel at small sizes, a little more at large ones."""
    return max(c.px, 0.9)


def sheet(c, x0, y0, x1, y1, fill=PAPER, ink=INK, fold=None, lines=0, lw=None):
    """A sheet of paper with a folded top-right corner and optional text lines."""
    lw = outline_width(c) if lw is None else lw
    x0, y0, x1, y1 = c.snap(x0), c.snap(y0), c.snap(x1), c.snap(y1)
    f = c.snap(fold if fold is not None else (x1 - x0) * 0.32)
    pts = [(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)]
    c.fill(poly(pts), fill)
    c.fill(poly_edge(pts, lw), ink)
    corner = [(x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)]
    c.fill(poly(corner), GREY_LIGHT)
    c.fill(poly_edge(corner, lw), ink)
    if lines:
        step = c.snap(max((y1 - y0 - f - 2 * lw) / (lines + 1), 2 * c.px))
        th = max(c.snap(step * 0.45), c.px)
        y = c.snap(y0 + f + lw)
        for i in range(lines):
            y += step
            xe = x1 - 2 * lw - (c.snap((x1 - x0) * 0.25) if i % 3 == 2 else 0)
            c.fill(rect(c.snap(x0 + 2 * lw + c.px), y, c.snap(xe - c.px), y + th), TEXT)


def equals(c, cx, cy, w, th, gap, color):
    """The twin mark: a bold equals sign centred at (cx, cy)."""
    x0, x1 = c.snap(cx - w / 2), c.snap(cx + w / 2)
    th = max(c.snap(th), c.px)
    gap = max(c.snap(gap), c.px)
    ya = c.snap(cy - gap / 2 - th)
    yb = ya + th + gap
    c.fill(rect(x0, ya, x1, ya + th), color)
    c.fill(rect(x0, yb, x1, yb + th), color)


def twins(c, x0=2, y0=1, x1=30, y1=31, mark=True):
    """Two overlapping sheets, the front one carrying the equals sign."""
    w, h = x1 - x0, y1 - y0
    bw, bh = w * 0.68, h * 0.78
    sheet(c, x0, y0, x0 + bw, y0 + bh, fill=PAPER_BACK, ink=BLUE_DARK,
          lines=0 if c.unit * w < 24 else 4)
    sheet(c, x1 - bw, y1 - bh, x1, y1, fill=PAPER, ink=INK)
    if mark:
        cx = x1 - bw / 2
        cy = y1 - bh * 0.42
        equals(c, cx, cy, bw * 0.62, h * 0.11, h * 0.08, BLUE)


def check_mark(c, x, y, s, color, w=None):
    """A tick in the box (x, y, x+s, y+s)."""
    w = s * 0.2 if w is None else w
    c.fill(line([(x + s * 0.12, y + s * 0.52), (x + s * 0.40, y + s * 0.80),
                 (x + s * 0.90, y + s * 0.18)], w), color)


def warning_badge(c, cx, cy, s):
    """A yellow triangle with an exclamation mark, s units wide."""
    h = s * 0.9
    pts = [(cx, cy - h / 2), (cx + s / 2, cy + h / 2), (cx - s / 2, cy + h / 2)]
    c.fill(line(pts + pts[:1], s * 0.12), YELLOW_DARK)
    c.fill(poly(pts), YELLOW)
    c.fill(line([(cx, cy - h * 0.16), (cx, cy + h * 0.16)], s * 0.13), (40, 30, 10))
    c.fill(ellipse(cx, cy + h * 0.33, s * 0.075), (40, 30, 10))


def question_badge(c, cx, cy, r):
    """A blue disc with a question mark."""
    c.fill(ellipse(cx, cy, r), BLUE_DARK)
    c.fill(ellipse(cx, cy, r - max(c.px, r * 0.1)), BLUE)
    w = r * 0.28
    c.fill(ring(cx, cy - r * 0.28, r * 0.34 - w / 2, r * 0.34 + w / 2, 180, 90), PAPER)
    c.fill(line([(cx, cy + r * 0.06), (cx, cy + r * 0.22)], w), PAPER)
    c.fill(ellipse(cx, cy + r * 0.56, w * 0.62), PAPER)


def folder(c, x0, y0, x1, y1, open_front=True):
    """A yellow folder with a tab; the front flap slightly lower."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(x0), c.snap(y0), c.snap(x1), c.snap(y1)
    w, h = x1 - x0, y1 - y0
    tab = c.snap(h * 0.2)
    back = [(x0, y0), (x0 + w * 0.38, y0), (x0 + w * 0.46, y0 + tab), (x1, y0 + tab),
            (x1, y1), (x0, y1)]
    c.fill(poly(back), FOLDER_BACK)
    c.fill(poly_edge(back, lw), FOLDER_INK)
    ft = c.snap(y0 + h * (0.38 if open_front else 0.3))
    front = [(x0, ft), (x1, ft), (x1, y1), (x0, y1)]
    if open_front:
        front = [(x0 + w * 0.08, ft), (x1, ft), (x1 - w * 0.02, y1), (x0, y1)]
    c.fill(poly(front), FOLDER)
    c.fill(poly_edge(front, lw), FOLDER_INK)


def folder_back(c, x0, y0, x1, y1):
    """The back part of `folder` alone (for things that slip into it)."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(x0), c.snap(y0), c.snap(x1), c.snap(y1)
    w, h = x1 - x0, y1 - y0
    tab = c.snap(h * 0.2)
    back = [(x0, y0), (x0 + w * 0.38, y0), (x0 + w * 0.46, y0 + tab), (x1, y0 + tab),
            (x1, y1), (x0, y1)]
    c.fill(poly(back), FOLDER_BACK)
    c.fill(poly_edge(back, lw), FOLDER_INK)


def folder_front(c, x0, y0, x1, y1):
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(x0), c.snap(y0), c.snap(x1), c.snap(y1)
    w, h = x1 - x0, y1 - y0
    ft = c.snap(y0 + h * 0.38)
    front = [(x0 + w * 0.08, ft), (x1, ft), (x1 - w * 0.02, y1), (x0, y1)]
    c.fill(poly(front), FOLDER)
    c.fill(poly_edge(front, lw), FOLDER_INK)


BIN = (120, 160, 150)
BIN_DARK = (50, 86, 80)
BIN_LIGHT = (170, 204, 196)


def bin_body(c, x0, y0, x1, y1, recycle=True):
    """A waste bin: tapered body with ribs (lid drawn by bin_lid)."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(x0), c.snap(y0), c.snap(x1), c.snap(y1)
    w = x1 - x0
    t = w * 0.1
    pts = [(x0, y0), (x1, y0), (x1 - t, y1), (x0 + t, y1)]
    c.fill(poly(pts), BIN)
    c.fill(poly_edge(pts, lw), BIN_DARK)
    if recycle:
        cx, cy = (x0 + x1) / 2, y0 + (y1 - y0) * 0.55
        r = w * 0.24
        aw = max(r * 0.38, c.px * 1.2)
        # two arrows chasing each other round a circle
        for k in range(2):
            a = k * 180 - 60
            e = math.radians(a + 125)
            c.fill(ring(cx, cy, r - aw / 2, r + aw / 2, a + 15, a + 128), PAPER)
            ex = cx + r * math.cos(e)
            ey = cy + r * math.sin(e)
            dx, dy = -math.sin(e), math.cos(e)
            nx, ny = math.cos(e), math.sin(e)
            s = aw * 1.1
            c.fill(poly([(ex + nx * s, ey + ny * s), (ex - nx * s, ey - ny * s),
                         (ex + dx * s * 1.5, ey + dy * s * 1.5)]), PAPER)
    else:
        n = 3
        for i in range(n):
            xx = x0 + w * (i + 1) / (n + 1)
            c.fill(line([(xx, y0 + (y1 - y0) * 0.18), (xx, y1 - (y1 - y0) * 0.14)],
                        max(c.px, w * 0.08)), BIN_DARK)


def bin_lid(c, x0, y, x1, h, handle=True):
    lw = outline_width(c)
    x0, y, x1 = c.snap(x0), c.snap(y), c.snap(x1)
    h = max(c.snap(h), 2 * c.px)
    w = x1 - x0
    if handle:
        c.fill(rect(c.snap(x0 + w * 0.36), c.snap(y - h * 0.7), c.snap(x1 - w * 0.36), y + h * 0.2,
                h * 0.2), BIN_DARK)
    c.fill(rect(x0, y, x1, y + h, h * 0.3), BIN_DARK)
    c.fill(rect(x0 + lw, y + lw, x1 - lw, y + h - lw), BIN_LIGHT)


def magnifier(c, cx, cy, r):
    """A magnifying glass: lens centred at (cx, cy), handle to the lower right."""
    w = max(r * 0.28, c.px * 1.5)
    d = 1 / math.sqrt(2)
    c.fill(line([(cx + d * r * 1.05, cy + d * r * 1.05), (cx + d * r * 2.0, cy + d * r * 2.0)],
                w * 1.6), (90, 60, 30))
    c.fill(ellipse(cx, cy, r), (200, 230, 255, 150))
    c.fill(ring(cx, cy, r - w / 2, r + w / 2), (60, 70, 90))
    c.fill(ring(cx, cy, r * 0.5, r * 0.66, 200, 250), (255, 255, 255, 200))


def arrow(c, pts, w, head, color):
    """A polyline ending in an arrow head of length `head`."""
    (ax, ay), (bx, by) = pts[-2], pts[-1]
    L = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / L, (by - ay) / L
    base = (bx - ux * head, by - uy * head)
    c.fill(line(pts[:-1] + [base], w), color)
    c.fill(poly([(bx + ux * w * 0.2, by + uy * w * 0.2),
                 (base[0] - uy * head * 0.8, base[1] + ux * head * 0.8),
                 (base[0] + uy * head * 0.8, base[1] - ux * head * 0.8)]), color)


def bent_arrow(c, x0, y0, s, color, w):
    """The curved shortcut arrow inside a box at (x0, y0) of size s."""
    cx, cy = x0 + s * 0.72, y0 + s * 0.92
    r = s * 0.46
    c.fill(ring(cx, cy, r - w / 2, r + w / 2, 180, 268), color)
    hx, hy = cx + s * 0.02, cy - r
    hd = s * 0.3
    c.fill(poly([(hx + hd, hy), (hx - hd * 0.05, hy - hd * 0.85),
                 (hx - hd * 0.05, hy + hd * 0.85)]), color)


# ---------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------


def render(size, draw, ss=None, w=None, h=None):
    ss = ss or (4 if size <= 64 else 2)
    w = w or size
    h = h or size
    c = Canvas(w, h, size / 32.0, ss)
    draw(c)
    return c.pixels()


def draw_program(c):
    twins(c)


def draw_catalog(c):
    """An index-card box; the front card carries the twin mark."""
    lw = outline_width(c)
    # cards standing in the box
    sheet(c, 4, 3, 22, 22, fill=PAPER_BACK, ink=BLUE_DARK, fold=0)
    sheet(c, 10, 6, 28, 24, fill=PAPER, ink=INK, fold=0)
    equals(c, 19, 12.5, 10, 2.4, 2.2, BLUE)
    # the box, its front lower than its back
    front = [(c.snap(1), c.snap(17)), (c.snap(31), c.snap(17)), (c.snap(29), c.snap(31)),
             (c.snap(3), c.snap(31))]
    c.fill(poly(front), CARD_BOX)
    c.fill(poly_edge(front, lw), CARD_BOX_DARK)
    # label holder
    c.fill(rect(c.snap(11), c.snap(21), c.snap(21), c.snap(26)), CARD_BOX_DARK)
    c.fill(rect(c.snap(11) + lw, c.snap(21) + lw, c.snap(21) - lw, c.snap(26) - lw),
           (250, 240, 220))


def draw_results(c):
    """A list sheet with shaded groups and the twin mark."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(4), c.snap(1), c.snap(28), c.snap(31)
    pts = [(x0, y0), (x1 - 7, y0), (x1, y0 + 7), (x1, y1), (x0, y1)]
    c.fill(poly(pts), PAPER)
    rows = [(10, 14, (200, 222, 250)), (14, 18, (200, 222, 250)), (18, 22, PAPER),
            (22, 26, PAPER)]
    for ya, yb, col in rows:
        c.fill(rect(x0 + lw, c.snap(ya), x1 - lw, c.snap(yb)), col)
    for ya, _, _ in rows:
        c.fill(rect(c.snap(7), c.snap(ya + 1), c.snap(20), c.snap(ya + 3)), TEXT)
    c.fill(poly_edge(pts, lw), INK)
    corner = [(x1 - 7, y0), (x1 - 7, y0 + 7), (x1, y0 + 7)]
    c.fill(poly(corner), GREY_LIGHT)
    c.fill(poly_edge(corner, lw), INK)
    # twin badge
    c.fill(ellipse(24, 24, 7.5), BLUE_DARK)
    c.fill(ellipse(24, 24, 7.5 - max(c.px, 0.8)), BLUE)
    equals(c, 24, 24, 8, 1.8, 1.8, PAPER)


def draw_all_checked(c):
    """201: every copy of a set is checked: both twins ticked, with a warning."""
    sheet(c, 1, 1, 19, 23, fill=PAPER, ink=INK, fold=5)
    check_mark(c, 3, 7, 12, RED, 3)
    sheet(c, 11, 7, 29, 29, fill=PAPER, ink=INK, fold=5)
    check_mark(c, 12.5, 12, 12, RED, 3)
    warning_badge(c, 25, 25, 13)


def draw_tidy_up(c):
    """202: tidy the result list: a list with a broom sweeping off a lone entry."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(1), c.snap(2), c.snap(21), c.snap(30)
    c.fill(rect(x0, y0, x1, y1), PAPER)
    for i, (ya, col) in enumerate([(5, (200, 222, 250)), (10, (200, 222, 250)), (15, PAPER),
                                   (20, PAPER), (25, (200, 222, 250))]):
        c.fill(rect(x0 + lw, c.snap(ya - 1), x1 - lw, c.snap(ya + 3)), col)
        c.fill(rect(c.snap(4), c.snap(ya), c.snap(17 if i != 4 else 12), c.snap(ya + 2)),
               TEXT if i != 4 else (230, 150, 150))
    c.fill(rect(x0, y0, x1, y1) - rect(x0 + lw, y0 + lw, x1 - lw, y1 - lw), INK)
    # broom
    c.fill(line([(30, 4), (19, 21)], 2.4), (140, 90, 40))
    brush = [(15, 19), (22, 23.5), (19, 31), (9, 29)]
    c.fill(poly(brush), (236, 190, 70))
    c.fill(poly_edge(brush, lw), YELLOW_DARK)
    for t in (0.3, 0.55, 0.8):
        ax = 15 + (22 - 15) * t
        ay = 19 + (23.5 - 19) * t
        bx = 9 + (19 - 9) * t
        by = 29 + (31 - 29) * t
        c.fill(line([(ax, ay), (bx, by)], max(c.px * 0.8, 0.7)), YELLOW_DARK)
    c.fill(rect(c.snap(17), c.snap(18), c.snap(23), c.snap(21)) & poly(
        [(14, 18), (24, 18), (23, 22.5), (15, 20)]), (170, 40, 40))


def draw_no_criterion(c):
    """203: no comparison criterion chosen: a list of empty boxes and a question."""
    lw = outline_width(c)
    x0, y0, x1, y1 = c.snap(2), c.snap(2), c.snap(24), c.snap(30)
    c.fill(rect(x0, y0, x1, y1), PAPER)
    c.fill(rect(x0, y0, x1, y1) - rect(x0 + lw, y0 + lw, x1 - lw, y1 - lw), INK)
    for ya in (5, 12, 19):
        bx0, by0 = c.snap(5), c.snap(ya)
        b = c.snap(5)
        c.fill(rect(bx0, by0, bx0 + b, by0 + b), PAPER)
        c.fill(rect(bx0, by0, bx0 + b, by0 + b) - rect(bx0 + lw, by0 + lw, bx0 + b - lw,
                                                        by0 + b - lw), (90, 100, 115))
        c.fill(rect(c.snap(12), c.snap(ya + 1.5), c.snap(21), c.snap(ya + 3.5)), TEXT)
    question_badge(c, 22.5, 22.5, 9)


def draw_delete(c):
    """204: delete for good: a sheet crossed out in red."""
    sheet(c, 4, 1, 24, 27, lines=5)
    c.fill(line([(12, 14), (28, 30)], 5.2), RED_DARK)
    c.fill(line([(28, 14), (12, 30)], 5.2), RED_DARK)
    c.fill(line([(12, 14), (28, 30)], 3.6), RED)
    c.fill(line([(28, 14), (12, 30)], 3.6), RED)


def draw_move(c):
    """205: move: a sheet travels along an arrow into a folder."""
    folder_back(c, 9, 12, 31, 30)
    sheet(c, 14, 6, 27, 23, fold=4, lines=0)
    folder_front(c, 9, 12, 31, 30)
    # a curved arrow from the lower left over into the folder
    pts = [(13 + 10 * math.cos(math.radians(a)), 21 + 10 * math.sin(math.radians(a)))
           for a in range(180, 292, 8)]
    arrow(c, pts, 2.8, 5.5, GREEN)


def draw_recycle(c):
    """206: move to the recycle bin: a sheet dropping into a bin with arrows."""
    sheet(c, 12, 0.5, 26, 17, fold=4, lines=2)
    bin_body(c, 5, 14, 27, 31, recycle=True)
    bin_lid(c, 3, 11.5, 29, 3.5, handle=False)


def draw_link(c):
    """207: replace by shortcut: a sheet with the shortcut arrow badge."""
    sheet(c, 6, 1, 28, 29, lines=5)
    x0, y0 = c.snap(1), c.snap(15)
    s = c.snap(15)
    lw = outline_width(c)
    c.fill(rect(x0, y0, x0 + s, y0 + s), PAPER)
    c.fill(rect(x0, y0, x0 + s, y0 + s) - rect(x0 + lw, y0 + lw, x0 + s - lw, y0 + s - lw),
           INK)
    bent_arrow(c, x0 + 1, y0 + 1.5, s - 3, BLUE, max(2.6, c.px * 1.5))


# ---------------------------------------------------------------------------
# Check images (pixel art, 12 x 15 each)
# ---------------------------------------------------------------------------

CHECK_W, CHECK_H = 12, 15

BOX = [
    "............",
    "............",
    "fffffffffff.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fiiiiiiiiif.",
    "fffffffffff.",
    "............",
    "............",
]

TICK = [
    "............",
    "............",
    "............",
    "............",
    "........k...",
    ".......kk...",
    "..k...kkk...",
    "..kk.kkk....",
    "..kkkkk.....",
    "...kkk......",
    "....k.......",
    "............",
    "............",
    "............",
    "............",
]

BOOK = [
    "............",
    ".sccccccccc.",
    ".sccccccccco",
    ".sccllllccco",
    ".sccccccccco",
    ".sccllllccco",
    ".sccccccccco",
    ".sccccccccco",
    ".sccccccccco",
    ".sccccccccco",
    ".sccccccccco",
    ".sccccccccco",
    ".spppppppppo",
    "..ooooooooo.",
    "............",
]


def pixel_art(layers, palette):
    out = bytearray()
    for y in range(CHECK_H):
        for x in range(CHECK_W):
            col = None
            for layer in layers:
                ch = layer[y][x]
                if ch != ".":
                    col = palette[ch]
            out += bytes((0, 0, 0, 0)) if col is None else bytes(col + (255,))
    return bytes(out)


def checks_strip():
    light = {"f": (112, 118, 128), "i": (255, 255, 255), "k": (24, 96, 200)}
    dark = {"f": (80, 86, 96), "i": (232, 236, 242), "k": (16, 76, 170)}
    dim = {"f": (176, 178, 182), "i": (244, 244, 244), "k": (160, 170, 186)}
    book_l = {"s": (60, 84, 140), "c": (96, 130, 200), "l": (214, 226, 248),
              "p": (250, 250, 250), "o": (50, 66, 110)}
    book_d = {"s": (48, 68, 118), "c": (80, 112, 180), "l": (200, 214, 240),
              "p": (236, 236, 236), "o": (36, 50, 90)}
    empty = ["." * CHECK_W] * CHECK_H
    images = [
        pixel_art([empty], {}),
        pixel_art([BOX], light),
        pixel_art([BOX, TICK], light),
        pixel_art([BOX], dark),
        pixel_art([BOX, TICK], dark),
        pixel_art([BOOK], book_l),
        pixel_art([BOOK], book_d),
        pixel_art([BOX], dim),
        pixel_art([BOX, TICK], dim),
    ]
    w = CHECK_W * len(images)
    rgba = bytearray()
    for y in range(CHECK_H):
        for img in images:
            rgba += img[y * CHECK_W * 4:(y + 1) * CHECK_W * 4]
    return w, CHECK_H, bytes(rgba)


# ---------------------------------------------------------------------------
# Animation strips (8 frames, 32 x 32 each)
# ---------------------------------------------------------------------------

FRAMES = 8


def strip(draw_frame, size=32):
    c = Canvas(size * FRAMES, size, size / 32.0, 4)
    for i in range(FRAMES):
        c.ox = 32.0 * i
        c.clip = (c.ox, c.ox + 32.0)
        draw_frame(c, i)
    return c.w, c.h, c.pixels()


def frame_search(c, i):
    sheet(c, 2, 4, 16, 24, fill=PAPER_BACK, ink=BLUE_DARK, fold=4, lines=4)
    sheet(c, 14, 8, 28, 28, fill=PAPER, ink=INK, fold=4, lines=4)
    # the lens sweeps along an ellipse over both sheets
    a = 2 * math.pi * i / FRAMES
    cx = 15 + 7.5 * math.cos(a + math.pi)
    cy = 14 + 4.5 * math.sin(a + math.pi)
    magnifier(c, cx, cy, 5.5)


def _ease(t):
    return t * t * (3 - 2 * t)


def frame_copy(c, i):
    folder_back(c, 15, 13, 31, 29)
    t = _ease(i / (FRAMES - 1))
    # the sheet rises from the left and drops into the folder
    x = 1 + t * 16
    y = 15 - 11 * math.sin(math.pi * t) + t * 1
    s = 1.0 - 0.25 * t
    sheet(c, x, y, x + 11 * s, y + 14 * s, fold=3.5 * s, lines=2)
    folder_front(c, 15, 13, 31, 29)


def frame_delete(c, i):
    t = _ease(i / (FRAMES - 1))
    lid_open = 2 <= i <= 6
    if lid_open:
        # the lid stands open behind the bin while the sheet arrives
        c.fill(line([(17.5, 12.5), (20.5, 2)], 2.8), BIN_DARK)
        c.fill(line([(17.5, 12.5), (20.5, 2)], 1.0), BIN_LIGHT)
    x = 1 + t * 17
    y = 14 - 12 * math.sin(math.pi * t) + t * 2
    s = 1.0 - 0.3 * t
    sheet(c, x, y, x + 11 * s, y + 14 * s, fold=3.5 * s, lines=2)
    bin_body(c, 17, 14, 31, 31, recycle=False)
    if not lid_open:
        bin_lid(c, 15.5, 11.5, 32, 2.8)


def draw_about(c):
    twins(c)


# ---------------------------------------------------------------------------


def build():
    files = {}
    files["zwillo.ico"] = ico_bytes([(s, render(s, draw_program)) for s in (16, 32, 48, 256)])
    files["catalog.ico"] = ico_bytes([(s, render(s, draw_catalog)) for s in (16, 32, 48)])
    files["results.ico"] = ico_bytes([(s, render(s, draw_results)) for s in (16, 32, 48)])
    pics = [draw_all_checked, draw_tidy_up, draw_no_criterion, draw_delete, draw_move,
            draw_recycle, draw_link]
    for n, draw in enumerate(pics, start=201):
        files["pic%d.ico" % n] = ico_bytes([(s, render(s, draw)) for s in (32, 48)])
    files["checks.bmp"] = bmp24_bytes(*checks_strip())
    files["anim.bmp"] = bmp24_bytes(*strip(frame_search))
    files["anim_copy.bmp"] = bmp24_bytes(*strip(frame_copy))
    files["anim_delete.bmp"] = bmp24_bytes(*strip(frame_delete))
    files["about.bmp"] = bmp24_bytes(96, 96, render(96, draw_about, ss=3))
    return files


def main():
    check = "--check" in sys.argv[1:]
    files = build()
    bad = 0
    for name, data in sorted(files.items()):
        path = os.path.normpath(os.path.join(OUT, name))
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                print("differs: %s" % path)
                bad += 1
        else:
            with open(path, "wb") as f:
                f.write(data)
            print("wrote %s (%d bytes)" % (path, len(data)))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
