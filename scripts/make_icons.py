#!/usr/bin/env python3
"""Draws Quorlin's icons and writes them as .ico files into src/ui/res/.

Standard library only. Shapes are signed-distance functions; a pixel's coverage comes from a
4x4 grid of samples inside it, so straight edges that sit on pixel boundaries stay crisp while
curves and diagonals are smoothed. Small sizes snap their geometry to whole pixels.

  Quorlin.ico  application icon: a touchpad with a "no click" badge
  TrayOn.ico        tray icon while the blocker is on, for a dark taskbar: a blue touchpad, light rim
  TrayOff.ico       tray icon while the blocker is off, for a dark taskbar: a dark grey touchpad,
                    light rim, struck through
  TrayOnLight.ico   the same two for a light taskbar: dark rims, a lighter grey pad
  TrayOffLight.ico
  Link*.ico         the settings window's row of links

Every picture has the frames that the common scalings ask for (100 % to 200 %, and more for
the application icon), so Windows never has to stretch one.

Run: python3 scripts/make_icons.py [output-dir]
"""

import math
import os
import struct
import sys
import zlib

APP_SIZES = (16, 20, 24, 32, 40, 48, 64, 128, 160, 192, 256)
# The small-icon size at 96, 120, 144, 168 and 192 DPI, and the larger ones for the big scalings.
TRAY_SIZES = (16, 20, 24, 28, 32, 40, 48)
LINK_SIZES = (16, 20, 24, 28, 32)
SAMPLES = 4  # per pixel and axis


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


# ---------------------------------------------------------------- shapes (distances in pixels)

def round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf, (x0, y0, x1, y1)


def circle(cx, cy, r):
    def sdf(x, y):
        return math.hypot(x - cx, y - cy) - r
    return sdf, (cx - r, cy - r, cx + r, cy + r)


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    half = width / 2

    def sdf(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half
    return sdf, (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half)


def intersect(a, b):
    (fa, ba), (fb, bb) = a, b
    box = (max(ba[0], bb[0]), max(ba[1], bb[1]), min(ba[2], bb[2]), min(ba[3], bb[3]))
    return (lambda x, y: max(fa(x, y), fb(x, y))), box


def subtract(a, b):
    (fa, ba), (fb, _) = a, b
    return (lambda x, y: max(fa(x, y), -fb(x, y))), ba


# ---------------------------------------------------------------- paints

def solid(colour, alpha=1.0):
    return lambda x, y: (colour, alpha)


def vertical(top, bottom, y0, y1, alpha=1.0):
    top, bottom = hex_rgb(top), hex_rgb(bottom)

    def paint(x, y):
        t = max(0.0, min(1.0, (y - y0) / max(1e-9, y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom)), alpha
    return paint


class Canvas:
    """Straight (not premultiplied) RGBA in 0..1, painted with the "over" operator.

    A canvas with a design size takes shapes drawn for that size and scales them to its own."""

    def __init__(self, size, design=None):
        self.size = size
        self.k = size / design if design else 1.0
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, paint):
        if self.k != 1.0:
            k, (f, box), design_paint = self.k, shape, paint
            shape = (lambda x, y: f(x / k, y / k) * k), tuple(v * k for v in box)
            paint = lambda x, y: design_paint(x / k, y / k)
        sdf, (bx0, by0, bx1, by1) = shape
        n = self.size
        step = 1.0 / SAMPLES
        offsets = [(i + 0.5) * step for i in range(SAMPLES)]
        for y in range(max(0, int(math.floor(by0)) - 1), min(n, int(math.ceil(by1)) + 1)):
            for x in range(max(0, int(math.floor(bx0)) - 1), min(n, int(math.ceil(bx1)) + 1)):
                # Far inside or far outside: no need to sample.
                d = sdf(x + 0.5, y + 0.5)
                if d >= 0.75:
                    continue
                if d <= -0.75:
                    cover = 1.0
                else:
                    hits = sum(1 for sy in offsets for sx in offsets if sdf(x + sx, y + sy) < 0)
                    cover = hits / (SAMPLES * SAMPLES)
                    if cover == 0.0:
                        continue
                colour, alpha = paint(x + 0.5, y + 0.5)
                self._over(y * n + x, colour, alpha * cover)

    def _over(self, i, colour, sa):
        d = self.px[i]
        da = d[3]
        oa = sa + da * (1.0 - sa)
        if oa <= 0.0:
            return
        for k in range(3):
            d[k] = (colour[k] * sa + d[k] * da * (1.0 - sa)) / oa
        d[3] = oa

    def rgba_rows(self):
        """Rows top to bottom, each a list of (r, g, b, a) bytes."""
        n = self.size
        rows = []
        for y in range(n):
            row = []
            for x in range(n):
                r, g, b, a = self.px[y * n + x]
                a8 = int(round(a * 255))
                if a8 == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((int(round(r * 255)), int(round(g * 255)), int(round(b * 255)), a8))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- the pictures

BLUE = dict(outline="#0b3c82", top="#5aaaf8", bottom="#2373dc",
            button_top="#2d7ee3", button_bottom="#1a5bbd", line="#0b3c82")
GREY = dict(outline="#3c3c3c", top="#c9c9c9", bottom="#989898",
            button_top="#a3a3a3", button_bottom="#7f7f7f", line="#3c3c3c")
# For a dark taskbar: light rims that stand out from it; the blocker-off pad darker, so that
# on and off differ in brightness as well as in colour.
BLUE_ON_DARK = dict(outline="#e3efff", top="#6db8ff", bottom="#2f7fe8",
                    button_top="#3a8af0", button_bottom="#1f64cc", line="#e3efff")
GREY_ON_DARK = dict(outline="#d9d9d9", top="#7a7a7a", bottom="#555555",
                    button_top="#606060", button_bottom="#474747", line="#d9d9d9")
SLASH = "#d62d20"
BADGE = dict(ring="#ffffff", top="#f26b3a", bottom="#c92a12", bar="#ffffff")


def snap(v):
    return float(round(v))


def draw_touchpad(c, x0, y0, x1, y1, colours, gloss):
    """A rounded touchpad with two buttons along its bottom edge, on whole-pixel edges."""
    s = c.size
    u = (x1 - x0) / 14.0                      # 1 at the 16-pixel tray size
    # The outline grows slower than the pad, so large sizes do not look heavy.
    border = max(1.0, min(snap(u), snap(2 + (u - 2) * 0.4)))
    radius = max(2.5, 2.5 * u)
    outer = round_rect(x0, y0, x1, y1, radius)
    c.fill(outer, solid(hex_rgb(colours["outline"])))
    ix0, iy0, ix1, iy1 = x0 + border, y0 + border, x1 - border, y1 - border
    inner = round_rect(ix0, iy0, ix1, iy1, max(1.5, radius - border))
    c.fill(inner, vertical(colours["top"], colours["bottom"], iy0, iy1))

    # Button strip: the lower third, separated by a line and split in the middle.
    strip_top = snap(iy1 - max(3.0, (iy1 - iy0) * 0.33))
    buttons = intersect(inner, round_rect(ix0 - 1, strip_top, ix1 + 1, iy1 + 1, 0.0))
    c.fill(buttons, vertical(colours["button_top"], colours["button_bottom"], strip_top, iy1))
    line = solid(hex_rgb(colours["line"]))
    c.fill(intersect(inner, round_rect(ix0 - 1, strip_top - border, ix1 + 1, strip_top, 0.0)), line)
    # The split is centred exactly: its width takes the parity of the inner width.
    inner_w = int(ix1 - ix0)
    split_w = int(border)
    if (inner_w - split_w) % 2:
        split_w += 1
    sx0 = ix0 + (inner_w - split_w) / 2
    c.fill(round_rect(sx0, strip_top, sx0 + split_w, iy1, 0.0), line)

    if gloss:
        # A soft sheen that fades out towards the buttons.
        sheen = intersect(inner, round_rect(ix0 - 1, iy0 - 1, ix1 + 1, strip_top - border, 0.0))
        depth = max(1.0, strip_top - border - iy0)
        c.fill(sheen, lambda x, y: ((1.0, 1.0, 1.0), 0.3 * max(0.0, 1 - (y - iy0) / depth) ** 2))
    return inner


def tray_icon(size, on, dark_taskbar):
    c = Canvas(size)
    u = size / 16.0
    x0, x1 = snap(u), size - snap(u)
    y0, y1 = snap(2 * u), size - snap(2 * u) + (1 if size == 16 else 0)
    colours = (BLUE_ON_DARK if on else GREY_ON_DARK) if dark_taskbar else (BLUE if on else GREY)
    inner = draw_touchpad(c, x0, y0, x1, y1, colours, gloss=size >= 32)
    if not on:
        # A red slash with a light halo, so it reads on grey.
        # It stays inside the outline and runs at 45 degrees, which keeps its edges even.
        width = max(2.0, 2.0 * u)
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        half = (min(x1 - x0, y1 - y0) - 4.0 * max(1.0, snap(u))) / 2
        a = (cx - half, cy - half)
        b = (cx + half, cy + half)
        c.fill(intersect(inner, segment(*a, *b, width + 2.0 * max(1.0, snap(u)))), solid((1.0, 1.0, 1.0), 0.9))
        c.fill(segment(*a, *b, width), solid(hex_rgb(SLASH)))
    return c


def app_icon(size):
    c = Canvas(size)
    u = size / 16.0
    m = max(1.0, snap(0.5 * u))
    x0, x1 = m, size - m
    y0, y1 = snap(1.5 * u), size - snap(1.5 * u)
    if size <= 24:
        y0, y1 = snap(2 * u), size - snap(2 * u) + (1 if size == 16 else 0)
    draw_touchpad(c, x0, y0, x1, y1, BLUE, gloss=size >= 32)

    # Badge in the lower right: a "no entry" disc that says clicks are held back.
    r = 4.0 * u if size > 16 else 4.5
    cx, cy = size - r - (0.0 if size <= 24 else 0.25 * u), size - r - (0.0 if size <= 24 else 0.25 * u)
    ring = max(1.0, 0.6 * u)
    c.fill(circle(cx, cy, r), solid(hex_rgb(BADGE["ring"])))
    c.fill(circle(cx, cy, r - ring), vertical(BADGE["top"], BADGE["bottom"], cy - r, cy + r))
    bar_h = max(2.0, snap(1.4 * u))
    bar_w = (r - ring) * 1.25
    top = snap(cy - bar_h / 2) if size <= 32 else cy - bar_h / 2
    c.fill(round_rect(cx - bar_w / 2, top, cx + bar_w / 2, top + bar_h, min(bar_h / 2, 0.5 * u)),
           solid(hex_rgb(BADGE["bar"])))
    return c


# ---------------------------------------------------------------- file formats

# ---------------------------------------------------------------- link icons (16 px)
# Small marks for the settings window's row of links: our own simple glyphs on a coloured tile.

WHITE = hex_rgb("#ffffff")


def link_tile(size, colour):
    c = Canvas(size, 16)
    c.fill(round_rect(0, 0, 16, 16, 3), solid(hex_rgb(colour)))
    return c


def ring(cx, cy, r, width):
    return subtract(circle(cx, cy, r), circle(cx, cy, r - width))


def quadrant_ring(cx, cy, r, width):
    # The upper-right quarter of a ring around (cx, cy).
    box = round_rect(cx, cy - r - 1, cx + r + 1, cy, 0)
    return intersect(ring(cx, cy, r, width), box)


def link_page(size):  # the product's page on a social network: a lower-case "f"
    c = link_tile(size, "#3b5998")
    white = solid(WHITE)
    c.fill(segment(8.5, 5.5, 8.5, 14.5, 2.2), white)
    c.fill(segment(6.0, 8.0, 11.0, 8.0, 1.8), white)
    c.fill(subtract(ring(11.5, 5.5, 3.0, 2.0), round_rect(8.5, 5.5, 15, 10, 0)), white)
    return c


def link_circles(size):  # a second network: a ring and a plus
    c = link_tile(size, "#dd4b39")
    white = solid(WHITE)
    c.fill(ring(6.0, 8.0, 3.6, 1.6), white)
    c.fill(segment(10.5, 8.0, 14.0, 8.0, 1.6), white)
    c.fill(segment(12.25, 6.25, 12.25, 9.75, 1.6), white)
    return c


def link_follow(size):  # following: a lower-case "t"
    c = link_tile(size, "#1da1f2")
    white = solid(WHITE)
    c.fill(segment(7.0, 3.5, 7.0, 11.0, 2.2), white)
    c.fill(segment(4.5, 6.5, 11.5, 6.5, 1.8), white)
    c.fill(subtract(ring(10.0, 10.5, 3.0, 2.0), round_rect(6, 6, 16, 10.5, 0)), white)
    return c


def link_feed(size):  # the website's feed: a dot and two arcs
    c = link_tile(size, "#f26522")
    white = solid(WHITE)
    c.fill(circle(4.5, 11.5, 1.6), white)
    c.fill(quadrant_ring(3.5, 12.5, 6.0, 1.8), white)
    c.fill(quadrant_ring(3.5, 12.5, 10.0, 1.8), white)
    return c


def link_bookmark(size):  # a bookmark: four squares
    c = Canvas(size, 16)
    for (x0, y0), colour in zip(((0, 0), (8, 0), (0, 8), (8, 8)), ("#ffffff", "#3274d1", "#222222", "#d3d2d2")):
        c.fill(round_rect(x0, y0, x0 + 8, y0 + 8, 0), solid(hex_rgb(colour)))
    c.fill(subtract(round_rect(0, 0, 16, 16, 0), round_rect(0.8, 0.8, 15.2, 15.2, 0)), solid(hex_rgb("#7f7f7f")))
    return c


def link_recommend(size):  # a recommendation: a ring on a round tile
    c = Canvas(size, 16)
    c.fill(circle(8, 8, 8), solid(hex_rgb("#eb4924")))
    c.fill(ring(8, 8, 4.5, 1.8), solid(WHITE))
    return c


def png_bytes(canvas):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    n = canvas.size
    raw = bytearray()
    for row in canvas.rgba_rows():
        raw.append(0)  # filter: none
        for px in row:
            raw.extend(px)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def dib_bytes(canvas):
    """32-bit BGRA DIB with its AND mask, bottom-up, as an icon directory entry stores it."""
    n = canvas.size
    rows = canvas.rgba_rows()
    mask_stride = ((n + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, n * n * 4 + n * mask_stride, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour.extend((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask.extend(bits)
    return header + bytes(colour) + bytes(mask)


# Frames of this size and larger are stored as PNG, which Windows Vista and later read at any size.
# Uncompressed, the 64- and 128-pixel frames of the application icon alone were 82 KiB of the
# 512 KiB that Quorlin.exe may have (docs/PERFORMANCE.md); the frames for high DPI would not fit
# at all. The classic 16- and 20-pixel frames stay uncompressed.
PNG_FROM_SIZE = 24


def ico_bytes(canvases):
    images = [png_bytes(c) if c.size >= PNG_FROM_SIZE else dib_bytes(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(canvases)))
    offset = 6 + 16 * len(canvases)
    for c, data in zip(canvases, images):
        dim = 0 if c.size >= 256 else c.size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "ui", "res")
    files = {
        "Quorlin.ico": [app_icon(s) for s in APP_SIZES],
        "TrayOn.ico": [tray_icon(s, True, True) for s in TRAY_SIZES],
        "TrayOff.ico": [tray_icon(s, False, True) for s in TRAY_SIZES],
        "TrayOnLight.ico": [tray_icon(s, True, False) for s in TRAY_SIZES],
        "TrayOffLight.ico": [tray_icon(s, False, False) for s in TRAY_SIZES],
        "LinkPage.ico": [link_page(s) for s in LINK_SIZES],
        "LinkCircles.ico": [link_circles(s) for s in LINK_SIZES],
        "LinkFollow.ico": [link_follow(s) for s in LINK_SIZES],
        "LinkFeed.ico": [link_feed(s) for s in LINK_SIZES],
        "LinkBookmark.ico": [link_bookmark(s) for s in LINK_SIZES],
        "LinkRecommend.ico": [link_recommend(s) for s in LINK_SIZES],
    }
    for name, canvases in files.items():
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(ico_bytes(canvases))
        print(f"{os.path.normpath(path)}: {', '.join(str(c.size) for c in canvases)}")


if __name__ == "__main__":
    main()
