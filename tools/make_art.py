#!/usr/bin/env python3
"""Draws Tidemark's icons and bitmaps and synthesizes its bell sound.

Every picture is built from a few vector shapes (rectangles, polygons, circles,
arcs, stroked lines) rasterized with 4x4 supersampling, so edges are smooth at
both icon sizes. The theme is a white envelope riding a tide-blue wave.

Icons are designed on a 16-unit grid and rendered at 16x16 and 32x32; bitmaps
are drawn at one unit per pixel. Run from anywhere:

    python3 tools/make_art.py

and the files under res/icons, res/bitmaps and res/tidebell.wav are rewritten.
Standard library only.
"""

import math
import os
import struct
import wave
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")

def rgb(hex_code, alpha=1.0):
    """A colour as (r, g, b, a) with components 0..1."""
    v = int(hex_code, 16)
    return ((v >> 16) / 255, ((v >> 8) & 255) / 255, (v & 255) / 255, alpha)


INK = rgb("1b3a5c")          # outlines: deep navy
PAPER = rgb("fbfcfe")
PAPER_SHADE = rgb("dce7f2")  # inside of the envelope, under the flap
TIDE = rgb("1e7fc8")         # the accent
SURF = rgb("6ec6f2")         # light water
FOAM = rgb("ffffff")
RED = rgb("e53935")
SLATE = rgb("4a5563")
PEWTER = rgb("9aa3ad")
GLASS = rgb("cfeafc", 0.85)
BUTTON_FACE = rgb("f0f0f0")  # the usual face colour of buttons and tabs
MAGENTA = rgb("ff00ff")

SUB = 4  # supersamples per pixel along each axis


class Canvas:
    """Premultiplied RGBA raster; shapes take coordinates in design units."""

    def __init__(self, width, height, scale=1.0):
        self.w, self.h, self.k = width, height, scale
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def _paint(self, bbox, inside, color):
        x0, y0, x1, y1 = bbox
        k = self.k
        px0, py0 = max(0, int(math.floor(x0 * k))), max(0, int(math.floor(y0 * k)))
        px1, py1 = min(self.w, int(math.ceil(x1 * k))), min(self.h, int(math.ceil(y1 * k)))
        r, g, b, a = color
        for py in range(py0, py1):
            for px in range(px0, px1):
                hits = 0
                for sy in range(SUB):
                    uy = (py + (sy + 0.5) / SUB) / k
                    for sx in range(SUB):
                        if inside((px + (sx + 0.5) / SUB) / k, uy):
                            hits += 1
                if hits:
                    cov = a * hits / (SUB * SUB)
                    p = self.px[py * self.w + px]
                    keep = 1 - cov
                    p[0] = r * cov + p[0] * keep
                    p[1] = g * cov + p[1] * keep
                    p[2] = b * cov + p[2] * keep
                    p[3] = cov + p[3] * keep

    def rect(self, x0, y0, x1, y1, color):
        self._paint((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1, color)

    def circle(self, cx, cy, r, color):
        self._paint((cx - r, cy - r, cx + r, cy + r),
                    lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)

    def polygon(self, pts, color):
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]

        def inside(x, y):
            hit = False
            for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        self._paint((min(xs), min(ys), max(xs), max(ys)), inside, color)

    def line(self, ax, ay, bx, by, width, color):
        """A stroke with round caps."""
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= half * half
        self._paint((min(ax, bx) - half, min(ay, by) - half,
                     max(ax, bx) + half, max(ay, by) + half), inside, color)

    def arc(self, cx, cy, r, width, start, sweep, color):
        """A ring segment from angle `start` through `sweep` degrees, clockwise on screen."""
        half = width / 2

        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - r) > half:
                return False
            return (math.degrees(math.atan2(y - cy, x - cx)) - start) % 360 <= sweep
        self._paint((cx - r - half, cy - r - half, cx + r + half, cy + r + half), inside, color)

    def area(self, x0, x1, top, bottom, color):
        """The region between x0 and x1 below the curve y = top(x) and above `bottom`."""
        self._paint((x0, -1, x1, bottom), lambda x, y: x0 <= x < x1 and top(x) <= y < bottom, color)

    def crest(self, x0, x1, top, thickness, color):
        """A band of `thickness` running just under the curve y = top(x)."""
        self._paint((x0, -1, x1, self.h / self.k + 1),
                    lambda x, y: x0 <= x < x1 and 0 <= y - top(x) < thickness, color)

    def recolor(self, fn):
        """Applies fn(r, g, b) -> (r, g, b) to the straight colours of every pixel."""
        for p in self.px:
            if p[3] > 0:
                r, g, b = fn(p[0] / p[3], p[1] / p[3], p[2] / p[3])
                p[0], p[1], p[2] = r * p[3], g * p[3], b * p[3]

    def bgra(self, background=None):
        """Rows top to bottom of straight (b, g, r, a) bytes, optionally flattened on a colour."""
        rows = []
        for y in range(self.h):
            row = []
            for p in self.px[y * self.w:(y + 1) * self.w]:
                r, g, b, a = p
                if background is not None:
                    keep = 1 - a
                    r, g, b, a = (r + background[0] * keep, g + background[1] * keep,
                                  b + background[2] * keep, 1.0)
                elif a > 0:
                    r, g, b = r / a, g / a, b / a
                row.append(tuple(int(round(min(1.0, v) * 255)) for v in (b, g, r, a)))
            rows.append(row)
        return rows


def grey(amount, lift=0.0):
    """A recolor function that drains colour and lightens towards white."""
    def fn(r, g, b):
        lum = 0.3 * r + 0.59 * g + 0.11 * b
        r, g, b = (c + (lum - c) * amount for c in (r, g, b))
        return tuple(c + (1 - c) * lift for c in (r, g, b))
    return fn


# ---------------------------------------------------------------- motifs

def envelope(c, x0, y0, x1, y1):
    """A closed envelope: outline, paper, and the flap's V meeting at the middle."""
    c.rect(x0, y0, x1, y1, INK)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, PAPER)
    mx, my = (x0 + x1) / 2, y0 + (y1 - y0) * 0.58
    c.polygon([(x0 + 1, y0 + 1), (x1 - 1, y0 + 1), (mx, my)], PAPER_SHADE)
    c.line(x0 + 1, y0 + 1, mx, my, 1, INK)
    c.line(x1 - 1, y0 + 1, mx, my, 1, INK)


def open_envelope(c, x0, y0, x1, y1):
    """An opened envelope, flap up, with a written letter standing out of its pocket."""
    mx = (x0 + x1) / 2
    c.polygon([(x0, y0 + 1), (mx, y0 - 5.5), (x1, y0 + 1)], INK)
    c.polygon([(x0 + 2, y0 + 1), (mx, y0 - 4), (x1 - 2, y0 + 1)], PAPER_SHADE)
    c.rect(x0 + 2.5, y0 - 4, x1 - 2.5, y0 + 2, INK)
    c.rect(x0 + 3.5, y0 - 3, x1 - 3.5, y0 + 2, FOAM)
    for ly in (y0 - 1.8, y0):
        c.rect(x0 + 4.5, ly, x1 - 4.5, ly + 0.8, TIDE)
    envelope(c, x0, y0 + 1, x1, y1)


def tide(c, x0, x1, level, bottom, amp, period, phase):
    """Water below a sine crest line; `phase` in turns shifts the crests sideways."""
    def top(x):
        return level + amp * math.sin(2 * math.pi * (x / period + phase))
    c.area(x0, x1, top, bottom, SURF)
    c.crest(x0, x1, top, 1, TIDE)


def badge(c, cx, cy, r, fill):
    """A round marker with a light rim that keeps it apart from what lies under it."""
    c.circle(cx, cy, r + 0.8, FOAM)
    c.circle(cx, cy, r, fill)


def circling_arrow(c, cx, cy, r, width, start, sweep, color):
    """An arc ending in an arrowhead that points along the clockwise direction."""
    c.arc(cx, cy, r, width, start, sweep, color)
    end = math.radians(start + sweep)
    ex, ey = cx + r * math.cos(end), cy + r * math.sin(end)
    tx, ty = -math.sin(end), math.cos(end)           # clockwise tangent
    nx, ny = math.cos(end), math.sin(end)            # outward normal
    head = width * 1.5
    c.polygon([(ex + nx * head, ey + ny * head),
               (ex - nx * head, ey - ny * head),
               (ex + tx * head * 1.7, ey + ty * head * 1.7)], color)


def refresh(c, cx, cy, r, width, turn, color):
    """Two arrows chasing each other round a circle, rotated by `turn` degrees."""
    for base in (0, 180):
        circling_arrow(c, cx, cy, r, width, turn + base + 15, 120, color)


def cross(c, cx, cy, size, width, color):
    c.line(cx - size, cy - size, cx + size, cy + size, width, color)
    c.line(cx - size, cy + size, cx + size, cy - size, width, color)


def magnifier(c, cx, cy, r):
    c.line(cx + r * 0.7, cy + r * 0.7, cx + r * 1.9, cy + r * 1.9, 2.0, INK)
    c.circle(cx, cy, r + 0.9, INK)
    c.circle(cx, cy, r, GLASS)
    c.arc(cx, cy, r * 0.6, 0.6, 190, 70, FOAM)


def plane(c, x0, y0, s):
    """A paper plane flying up and to the right, inside an s x s box at (x0, y0)."""
    tip = (x0 + s, y0)
    tail = (x0, y0 + s * 0.45)
    keel = (x0 + s * 0.42, y0 + s * 0.58)
    low = (x0 + s * 0.55, y0 + s)
    c.polygon([tail, tip, keel], PAPER)
    c.polygon([keel, tip, low], TIDE)
    c.line(*tail, *tip, 0.8, INK)
    c.line(*tip, *low, 0.8, INK)
    c.line(*low, *keel, 0.8, INK)
    c.line(*keel, *tail, 0.8, INK)
    c.line(*keel, *tip, 0.6, INK)


def pause_mark(c, cx, cy, h, color):
    c.rect(cx - h * 0.55, cy - h / 2, cx - h * 0.15, cy + h / 2, color)
    c.rect(cx + h * 0.15, cy - h / 2, cx + h * 0.55, cy + h / 2, color)


def octagon(c, cx, cy, r, color):
    c.polygon([(cx + r * math.cos(math.radians(22.5 + 45 * i)),
                cy + r * math.sin(math.radians(22.5 + 45 * i))) for i in range(8)], color)


# ---------------------------------------------------------------- icons

def tray_scene(c, amp=0.6, phase=0.0):
    """The tray's base picture: an envelope floating on the tide."""
    envelope(c, 1, 2, 15, 12)
    tide(c, 0, 16, 12.6, 16, amp, 8, phase)


def tray_checking(phase):
    def draw(c):
        tray_scene(c, amp=1.0, phase=phase)
        badge(c, 12, 4, 3.6, TIDE)
        circling_arrow(c, 12, 4, 2.0, 1.0, 90 + 360 * phase, 220, FOAM)
    return draw


def tray_new_mail(c):
    tray_scene(c)
    badge(c, 12, 4, 3.8, RED)
    c.rect(11.5, 1.6, 12.5, 4.8, FOAM)
    c.rect(11.5, 5.6, 12.5, 6.6, FOAM)


def tray_paused(c):
    tray_scene(c, amp=0.0)
    c.recolor(grey(1.0, 0.25))
    badge(c, 12, 11.5, 3.8, SLATE)
    pause_mark(c, 12, 11.5, 3.6, FOAM)


def logo_tile(c):
    """The program's logo: the envelope on the tide inside a rounded blue tile."""
    r = 2.5
    for cx, cy in ((r, r), (16 - r, r), (r, 16 - r), (16 - r, 16 - r)):
        c.circle(cx, cy, r, TIDE)
    c.rect(r, 0, 16 - r, 16, TIDE)
    c.rect(0, r, 16, 16 - r, TIDE)
    c.area(0.6, 15.4, lambda x: 11.2 + 0.7 * math.sin(2 * math.pi * x / 8), 15.2, SURF)


def logo(c):
    logo_tile(c)
    envelope(c, 2.5, 3.5, 13.5, 11.5)


def logo_opened(c):
    logo_tile(c)
    open_envelope(c, 2.5, 6.5, 13.5, 12.5)


def button_envelope(c):
    """The envelope the mailbox buttons share, shifted up-left to leave room for a sign."""
    envelope(c, 0.5, 2, 13.5, 11)


def check_mail(c):
    button_envelope(c)
    badge(c, 11.5, 11.5, 4.0, TIDE)
    refresh(c, 11.5, 11.5, 2.3, 0.9, 0, FOAM)


def stop_check(c):
    button_envelope(c)
    c.circle(11.5, 11.5, 4.6, FOAM)
    octagon(c, 11.5, 11.5, 4.0, RED)
    c.rect(9.8, 10.8, 13.2, 12.2, FOAM)


def view_mail(c):
    button_envelope(c)
    magnifier(c, 10.5, 10.5, 2.8)


def delete_mail(c):
    button_envelope(c)
    cross(c, 12, 12, 2.4, 2.6, FOAM)
    cross(c, 12, 12, 2.4, 1.6, RED)


def send_mail(c):
    plane(c, 1.5, 2, 13)
    for y, x0 in ((9.5, 0.5), (12, 1.8), (14.5, 3.5)):
        c.line(x0, y, x0 + 2.2, y, 0.7, TIDE)


def calm(draw):
    """The normal state of a picture button: the same picture, quieter."""
    def quiet(c):
        draw(c)
        c.recolor(grey(0.55, 0.12))
    return quiet


# Callers that load an icon at "its own size" (0 x 0) get the first image of
# the group: the tray wants 16 x 16, the picture buttons 32 x 32. The program's
# icon needs both; the others are only ever loaded at their own size, so a
# second image of theirs would only weigh the program.
SMALL, PROGRAM, LARGE = (16,), (32, 16), (32,)

ICONS = [
    # (id, file, drawing, image sizes)
    (128, "tidemark", logo, PROGRAM),
    (132, "about", logo, LARGE),
    (133, "about_opened", logo_opened, LARGE),
    (142, "check_hot", check_mail, LARGE),
    (143, "check", calm(check_mail), LARGE),
    (144, "view_hot", view_mail, LARGE),
    (145, "view", calm(view_mail), LARGE),
    (146, "delete", calm(delete_mail), LARGE),
    (147, "delete_hot", delete_mail, LARGE),
    (151, "send_hot", send_mail, LARGE),
    (152, "send", calm(send_mail), LARGE),
    (160, "tray_idle", tray_scene, SMALL),
    (161, "tray_checking1", tray_checking(0.0), SMALL),
    (162, "tray_checking2", tray_checking(0.5), SMALL),
    (163, "tray_new_mail", tray_new_mail, SMALL),
    (164, "tray_paused", tray_paused, SMALL),
    (187, "stop_hot", stop_check, LARGE),
    (188, "stop", calm(stop_check), LARGE),
]

# Images from this size up are stored PNG-compressed, as Windows reads them
# since Vista: the same pixels and alpha in a fifth of the bytes. The tray's
# small images stay plain bitmaps.
PNG_FROM = 32


def png_bytes(rows):
    """A PNG (8-bit RGBA) of rows of (b, g, r, a) pixels; each row takes the
    filter that leaves the smallest sum of differences."""
    w = len(rows[0])
    raw = [bytes(v for b, g, r, a in row for v in (r, g, b, a)) for row in rows]

    def filtered(kind, line, above):
        out = bytearray(len(line))
        for i, v in enumerate(line):
            left = line[i - 4] if i >= 4 else 0
            up = above[i]
            corner = above[i - 4] if i >= 4 else 0
            if kind == 1:
                guess = left
            elif kind == 2:
                guess = up
            elif kind == 3:
                guess = (left + up) // 2
            else:
                pa, pb, pc = abs(up - corner), abs(left - corner), abs(left + up - 2 * corner)
                guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
            out[i] = (v - guess) % 256 if kind else v
        return bytes(out)

    data = b""
    above = bytes(4 * w)
    for line in raw:
        options = [bytes([kind]) + filtered(kind, line, above) for kind in range(5)]
        data += min(options, key=lambda o: sum(min(v, 256 - v) for v in o[1:]))
        above = line

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", w, len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(data, 9))
            + chunk(b"IEND", b""))


def dib_bytes(rows):
    """A 32-bit icon image: header, colour rows bottom up, then the AND mask
    marking the fully clear pixels."""
    size = len(rows)
    xor = b"".join(bytes(v for px in row for v in px) for row in reversed(rows))
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico_bytes(draw, sizes):
    """An .ico with one 32-bit image per size."""
    images = []
    for size in sizes:
        c = Canvas(size, size, size / 16)
        draw(c)
        rows = c.bgra()
        images.append((size, png_bytes(rows) if size >= PNG_FROM else dib_bytes(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


# ---------------------------------------------------------------- bitmaps

def bmp_bytes(rows):
    """A bottom-up .bmp from rows of (b, g, r, a) pixels: 8-bit with a palette
    of the colours used when there are at most 256 of them (the program's
    pictures are few colours, and the resource stays small), else 24-bit."""
    h, w = len(rows), len(rows[0])
    colours = sorted({tuple(px[:3]) for row in rows for px in row})
    if len(colours) <= 256:
        index = {colour: i for i, colour in enumerate(colours)}
        pad = (-w) % 4
        pixels = b"".join(bytes(index[tuple(px[:3])] for px in row) + b"\0" * pad for row in reversed(rows))
        palette = b"".join(bytes(colour) + b"\0" for colour in colours)
        bits, used = 8, len(colours)
    else:
        pad = (-3 * w) % 4
        pixels = b"".join(bytes(v for px in row for v in px[:3]) + b"\0" * pad
                          for row in reversed(rows))
        palette, bits, used = b"", 24, 0
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(pixels), 2835, 2835, used, 0)
    start = 14 + 40 + len(palette)
    return struct.pack("<2sIHHI", b"BM", start + len(pixels), 0, 0, start) + info + palette + pixels


def keyed(c, key, face):
    """Flattens onto `face`, but pixels that are mostly clear become the key colour."""
    rows = c.bgra(face)
    key_px = tuple(int(v * 255) for v in (key[2], key[1], key[0], 1.0))
    return [[key_px if c.px[y * c.w + x][3] < 0.35 else px for x, px in enumerate(row)]
            for y, row in enumerate(rows)]


def tab_images(c):
    """Two 12 x 12 tab pictures side by side: the mailbox, then quick mail."""
    envelope(c, 0, 2, 12, 10)
    plane(c, 12.5, 0.5, 11)


def pin(c, pushed):
    """The always-on-top toggle: a push pin stuck in upright (red), or lying loose
    on its side (grey) with the needle pointing left."""
    if pushed:
        place = lambda u, v: (u, v)
        head = RED
    else:
        place = lambda u, v: (11.5 - v, u + 0.5)
        head = PEWTER

    def block(u0, v0, u1, v1, color):
        c.polygon([place(u0, v0), place(u1, v0), place(u1, v1), place(u0, v1)], color)
    c.line(*place(5.5, 7.5), *place(5.5, 11.5), 1, SLATE)
    block(2, 6, 9, 7.5, INK)
    block(3.5, 1, 7.5, 6, INK)
    block(4.5, 2, 6.5, 6, head)
    block(3, 0.5, 8, 2, INK)


def hide_mark(c):
    """The hide button: a chevron dropping onto a bar, as in minimising."""
    c.polygon([(2, 3), (9, 3), (5.5, 7.5)], INK)
    c.rect(2, 9, 9, 11, INK)


PIXEL_FONT = {
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "i": ["1", "0", "1", "1", "1", "1", "1"],
    "d": ["00001", "00001", "01111", "10001", "10001", "10001", "01111"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "m": ["00000", "00000", "11010", "10101", "10101", "10101", "10101"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "r": ["0000", "0000", "1011", "1100", "1000", "1000", "1000"],
    "k": ["1000", "1000", "1001", "1010", "1100", "1010", "1001"],
}


def pixel_text(c, text, x, y, color):
    for ch in text:
        glyph = PIXEL_FONT[ch]
        for gy, bits in enumerate(glyph):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    c.rect(x + gx, y + gy, x + gx + 1, y + gy + 1, color)
        x += len(glyph[0]) + 1


def picture_strip(c):
    """The band along the postman window's top: deep water, rolling surf, the name."""
    w, h = c.w, c.h
    for y in range(h):
        t = y / (h - 1)
        c.rect(0, y, w, y + 1, tuple(a + (b - a) * t for a, b in zip(INK, TIDE)))
    surf = lambda x: 13 + 1.2 * math.sin(2 * math.pi * x / 24)
    c.area(0, w, surf, h, SURF)
    c.crest(0, w, surf, 0.8, FOAM)
    envelope(c, 4, 3, 17, 12)
    pixel_text(c, "Tidemark", 24, 3, rgb("0d2033"))
    pixel_text(c, "Tidemark", 23, 2, FOAM)


BITMAPS = [
    # (id, file, width, height, drawing, rows from canvas)
    (154, "tabs", 24, 12, tab_images, lambda c: keyed(c, MAGENTA, BUTTON_FACE)),
    (199, "top_off", 11, 12, lambda c: pin(c, False), lambda c: c.bgra(BUTTON_FACE)),
    (200, "top_on", 11, 12, lambda c: pin(c, True), lambda c: c.bgra(BUTTON_FACE)),
    (203, "strip", 320, 17, picture_strip, lambda c: c.bgra(INK)),
    (205, "hide", 11, 12, hide_mark, lambda c: c.bgra(BUTTON_FACE)),
]


# ---------------------------------------------------------------- bell

def bell_samples(rate=22050, seconds=0.8):
    """A two-tone "ding-dong": struck bell partials decaying at their own rates."""
    # (frequency ratio, gain, decay per second): hum, strike note and the
    # inharmonic upper partials that make it sound like metal rather than a flute.
    partials = [(0.5, 0.2, 2.5), (1.0, 1.0, 3.2), (2.0, 0.45, 5.0),
                (2.76, 0.25, 7.5), (5.4, 0.08, 12.0)]
    strikes = [(0.0, 1318.5), (0.26, 1046.5)]   # E6, then C6
    n = int(rate * seconds)
    out = [0.0] * n
    for start, pitch in strikes:
        first = int(start * rate)
        for i in range(first, n):
            t = (i - first) / rate
            attack = min(1.0, t / 0.003)
            out[i] += attack * sum(gain * math.exp(-decay * t) *
                                   math.sin(2 * math.pi * pitch * ratio * t)
                                   for ratio, gain, decay in partials)
    fade = int(0.05 * rate)
    for i in range(n - fade, n):
        out[i] *= (n - i) / fade
    peak = max(abs(v) for v in out)
    return [int(v / peak * 0.7 * 32767) for v in out], rate


def write_bell(path):
    samples, rate = bell_samples()
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    os.makedirs(os.path.join(ROOT, "icons"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "bitmaps"), exist_ok=True)
    for _, name, draw, sizes in ICONS:
        with open(os.path.join(ROOT, "icons", name + ".ico"), "wb") as f:
            f.write(ico_bytes(draw, sizes))
    for _, name, w, h, draw, rows in BITMAPS:
        c = Canvas(w, h)
        draw(c)
        with open(os.path.join(ROOT, "bitmaps", name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(rows(c)))
    write_bell(os.path.join(ROOT, "tidebell.wav"))


if __name__ == "__main__":
    main()
