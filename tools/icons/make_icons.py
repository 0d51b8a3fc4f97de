#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into windows/icons/,
and the frame's icon as PNG files for the desktop's icon theme into
desktop/icons/.

Run from the repository root:  python3 tools/icons/make_icons.py
       or, to check that the committed files are up to date:  ... --check

Standard library only. Each image is drawn with simple shapes at four times
its size and averaged down, then stored as 4-bit (the 16 standard Windows
colours), 8-bit (those 16, a 6x6x6 colour cube and greys) or 32-bit BGRA
with alpha; every image has its 1-bit transparency mask. The PNG files are
8-bit RGBA. The output is deterministic; the check compares PNG files by what
they show, since zlib builds may pack the same rows differently.
"""
import math
import pathlib
import struct
import sys
import zlib

SS = 4  # supersampling per axis

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
PALETTE256 = VGA16 + [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE256 += [(8 + 10 * i, 8 + 10 * i, 8 + 10 * i) for i in range(256 - len(PALETTE256))]

# Colours used by the drawings
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
LIGHT = (224, 224, 224)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
DARK = (64, 64, 64)
ORANGE = (255, 128, 0)
DEEP_ORANGE = (204, 85, 0)
GREEN = (0, 160, 0)
DARK_GREEN = (0, 100, 0)
RED = (200, 0, 0)
DARK_RED = (128, 0, 0)
YELLOW = (255, 224, 0)
PINK = (255, 140, 160)
SKIN = (240, 190, 150)
BLUE = (0, 0, 192)
NAVY = (0, 0, 128)
SKY = (90, 150, 230)


class Canvas:
    """An RGBA raster in unit coordinates: (0, 0) top left, (1, 1) bottom right."""

    def __init__(self, size):
        self.size = size
        self.n = size * SS
        self.px = [[None] * self.n for _ in range(self.n)]

    def _fill(self, inside, colour, box=(0.0, 0.0, 1.0, 1.0)):
        """Tests the samples within box (x0, y0, x1, y1), which holds the whole
        shape, widened by a sample each way so no sample on its edge is missed."""
        n = self.n

        def span(a, b):
            return max(0, math.floor(a * n) - 1), min(n, math.ceil(b * n) + 1)
        xs, xe = span(box[0], box[2])
        ys, ye = span(box[1], box[3])
        for y in range(ys, ye):
            v = (y + 0.5) / n
            row = self.px[y]
            for x in range(xs, xe):
                if inside((x + 0.5) / n, v):
                    row[x] = colour

    def polygon(self, points, colour):
        def inside(u, v):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self._fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def rect(self, x0, y0, x1, y1, colour):
        self._fill(lambda u, v: x0 <= u <= x1 and y0 <= v <= y1, colour, (x0, y0, x1, y1))

    def rounded(self, x0, y0, x1, y1, r, colour):
        def inside(u, v):
            if not (x0 <= u <= x1 and y0 <= v <= y1):
                return False
            cx = min(max(u, x0 + r), x1 - r)
            cy = min(max(v, y0 + r), y1 - r)
            return (u - cx) ** 2 + (v - cy) ** 2 <= r * r
        self._fill(inside, colour, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, colour):
        self._fill(lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r, colour,
                   (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r0, r1, colour, keep=lambda u, v: True):
        self._fill(lambda u, v: r0 * r0 <= (u - cx) ** 2 + (v - cy) ** 2 <= r1 * r1 and keep(u, v),
                   colour, (cx - r1, cy - r1, cx + r1, cy + r1))

    def line(self, points, width, colour):
        half = width / 2

        def near(u, v):
            for (ax, ay), (bx, by) in zip(points, points[1:]):
                dx, dy = bx - ax, by - ay
                t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
                if (u - ax - t * dx) ** 2 + (v - ay - t * dy) ** 2 <= half * half:
                    return True
            return False
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self._fill(near, colour, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))

    def erase(self, inside):
        self._fill(inside, None)

    def pixels(self):
        """Averages the supersamples: a list of rows of (r, g, b, a)."""
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                r = g = b = count = 0
                for sy in range(SS):
                    for sx in range(SS):
                        c = self.px[y * SS + sy][x * SS + sx]
                        if c is not None:
                            r += c[0]
                            g += c[1]
                            b += c[2]
                            count += 1
                if count == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((r // count, g // count, b // count, 255 * count // (SS * SS)))
            out.append(row)
        return out


def outlined(c, draw, outline=0.06):
    """Draws a shape twice: grown by the outline in black, then itself."""
    draw(c, outline, BLACK)
    draw(c, 0, None)


# ---- the drawings; each takes a canvas and the pixel size ----

def tile(c, s):
    """A raised grey square: light top and left edges, dark bottom and right."""
    e = max(1.0 / s, 0.06)
    c.rect(0.03, 0.03, 0.97, 0.97, BLACK)
    c.polygon([(0.03, 0.03), (0.94, 0.03), (0.03, 0.94)], WHITE)
    c.polygon([(0.97, 0.06), (0.97, 0.97), (0.06, 0.97)], GREY)
    c.rect(0.03 + e, 0.03 + e, 0.97 - e, 0.97 - e, SILVER)


def padlock(c, s, body=GREY, shackle=DARK, cx=0.5, top=0.16, scale=1.0):
    w = 0.26 * scale
    t = max(1.5 / s, 0.09) * scale
    sy = top + w
    # shackle: an upturned U
    c.ring(cx, sy, w - t, w, BLACK, lambda u, v: v <= sy)
    c.rect(cx - w, sy, cx - w + t, sy + 0.12 * scale, BLACK)
    c.rect(cx + w - t, sy, cx + w, sy + 0.12 * scale, BLACK)
    inner = max(0.4 / s, 0.02)
    c.ring(cx, sy, w - t + inner, w - inner, shackle, lambda u, v: v <= sy)
    c.rect(cx - w + inner, sy, cx - w + t - inner, sy + 0.12 * scale, shackle)
    c.rect(cx + w - t + inner, sy, cx + w - inner, sy + 0.12 * scale, shackle)
    # body
    bx0, by0, bx1, by1 = cx - 0.34 * scale, sy + 0.08 * scale, cx + 0.34 * scale, sy + 0.5 * scale
    c.rounded(bx0, by0, bx1, by1, 0.05 * scale, BLACK)
    o = max(1.0 / s, 0.045) * scale
    c.rounded(bx0 + o, by0 + o, bx1 - o, by1 - o, 0.04 * scale, body)
    c.rect(bx0 + o, by0 + o, bx1 - o, by0 + o + 0.06 * scale, LIGHT)  # light from above
    return (bx0, by0, bx1, by1)


def keyhole(c, cx, cy, scale=1.0):
    c.circle(cx, cy, 0.07 * scale, BLACK)
    c.polygon([(cx - 0.04 * scale, cy), (cx + 0.04 * scale, cy), (cx + 0.06 * scale, cy + 0.16 * scale),
               (cx - 0.06 * scale, cy + 0.16 * scale)], BLACK)


def generator(c, s):
    tile(c, s)
    bx0, by0, bx1, by1 = padlock(c, s, top=0.14, scale=0.9)
    keyhole(c, (bx0 + bx1) / 2, by0 + (by1 - by0) * 0.38, 0.9 if s > 16 else 1.2)


def spanner(c, s):
    t = 0.2 if s > 16 else 0.24
    a, b = (0.2, 0.8), (0.66, 0.34)
    head = (0.7, 0.3)
    r = 0.24

    def jaw_gap(u, v):
        # the open end faces up and right, along the handle
        du, dv = u - head[0], v - head[1]
        along = (du + (-dv)) / math.sqrt(2)
        across = (du + dv) / math.sqrt(2)
        return along > -0.02 and abs(across) < 0.085

    for grow, colour in ((0.05, BLACK), (0.0, None)):
        col = colour or SILVER
        c.line([a, b], t + 2 * grow, col)
        c.circle(head[0], head[1], r + grow, col)
        c.circle(a[0], a[1], t * 0.75 + grow, col)
    c.erase(jaw_gap)
    c.line([a, b], t * 0.3, LIGHT)  # light on the handle's ridge
    c.circle(a[0], a[1], t * 0.28, GREY)


def main_icon(c, s):
    c.rounded(0.02, 0.02, 0.98, 0.98, 0.16, NAVY)
    c.rounded(0.07, 0.07, 0.93, 0.93, 0.13, SKY)
    small = s <= 16
    bx0, by0, bx1, by1 = padlock(c, s, body=YELLOW, shackle=SILVER if not small else WHITE,
                                 top=0.04 if small else 0.1, scale=1.1 if small else 0.9)
    # three asterisks of a password on the body
    cy = (by0 + by1) / 2 + 0.02
    if s > 16:
        for i in range(3):
            cx = bx0 + (bx1 - bx0) * (0.22 + 0.28 * i)
            for k in range(3):
                ang = math.pi / 2 + k * math.pi / 3
                dx, dy = math.cos(ang) * 0.065, math.sin(ang) * 0.065
                c.line([(cx - dx, cy - dy), (cx + dx, cy + dy)], 0.035, BLACK)
    else:
        for i in range(3):
            cx = bx0 + (bx1 - bx0) * (0.22 + 0.28 * i)
            c.rect(cx - 0.04, cy - 0.05, cx + 0.04, cy + 0.05, BLACK)


def exit_icon(c, s):
    c.rounded(0.03, 0.03, 0.97, 0.97, 0.2, DEEP_ORANGE)
    c.rounded(0.07, 0.07, 0.93, 0.93, 0.17, ORANGE)
    c.polygon([(0.5, 0.2), (0.8, 0.56), (0.2, 0.56)], WHITE)
    c.rect(0.2, 0.66, 0.8, 0.8, WHITE)


def select_all(c, s):
    # a chequered wedge, green and white
    wedge = [(0.44, 0.14), (0.94, 0.14), (0.94, 0.9)]
    c.polygon([(0.4, 0.1), (0.98, 0.1), (0.98, 0.98)], BLACK)
    cells = 4 if s > 16 else 2
    for i in range(cells):
        for j in range(cells):
            x0 = 0.44 + i * 0.5 / cells
            y0 = 0.14 + j * 0.76 / cells
            colour = GREEN if (i + j) % 2 == 0 else WHITE
            def inside(u, v, x0=x0, y0=y0):
                in_cell = x0 <= u <= x0 + 0.5 / cells and y0 <= v <= y0 + 0.76 / cells
                # below the wedge's slanted edge
                return in_cell and (u - 0.44) / 0.5 >= (v - 0.14) / 0.76
            c._fill(inside, colour)
    # a green tick on its left
    w = 0.2 if s > 16 else 0.24
    c.line([(0.08, 0.55), (0.24, 0.75), (0.5, 0.3)], w + 0.08, BLACK)
    c.line([(0.08, 0.55), (0.24, 0.75), (0.5, 0.3)], w, GREEN)


def clear_icon(c, s):
    # a zigzag stroke along the bottom
    zig = [(0.06, 0.86), (0.22, 0.7), (0.36, 0.88), (0.52, 0.7), (0.66, 0.88), (0.8, 0.74)]
    c.line(zig, 0.1 if s > 16 else 0.13, BLUE)
    # the rubber end of a pencil, tilted, rubbing the stroke's end
    def piece(p0, p1, width, colour):
        c.line([p0, p1], width + 0.08, BLACK)
        c.line([p0, p1], width, colour)
    axis = [(0.72, 0.62), (0.98, 0.08)]
    piece(axis[0], (0.8, 0.46), 0.28, PINK)
    piece((0.8, 0.46), (0.86, 0.34), 0.28, SILVER)
    piece((0.86, 0.34), axis[1], 0.28, YELLOW)
    c.line([(0.79, 0.46), (0.85, 0.33)], 0.28, SILVER)


def hand(c, x, y, s):
    """A small fist holding something at (x, y), as a skin-coloured blob."""
    c.rounded(x - 0.16, y - 0.02, x + 0.12, y + 0.2, 0.08, BLACK)
    c.rounded(x - 0.13, y + 0.01, x + 0.09, y + 0.17, 0.06, SKIN)
    if s > 16:
        c.line([(x - 0.1, y + 0.08), (x + 0.05, y + 0.08)], 0.02, DEEP_ORANGE)


def copy_icon(c, s):
    # an open book with a red cover
    c.polygon([(0.02, 0.4), (0.5, 0.52), (0.98, 0.4), (0.98, 0.92), (0.5, 0.98), (0.02, 0.92)], BLACK)
    c.polygon([(0.05, 0.43), (0.5, 0.55), (0.95, 0.43), (0.95, 0.89), (0.5, 0.95), (0.05, 0.89)], RED)
    c.polygon([(0.09, 0.4), (0.49, 0.5), (0.49, 0.88), (0.09, 0.8)], WHITE)
    c.polygon([(0.51, 0.5), (0.91, 0.4), (0.91, 0.8), (0.51, 0.88)], WHITE)
    c.line([(0.49, 0.5), (0.49, 0.9)], 0.03, DARK_RED)
    if s > 16:
        for k in range(3):
            c.line([(0.14, 0.52 + 0.09 * k), (0.42, 0.59 + 0.09 * k)], 0.025, GREY)
    # a pen writing on the right page, held by a hand
    c.line([(0.66, 0.68), (0.9, 0.1)], 0.13, BLACK)
    c.line([(0.66, 0.68), (0.9, 0.1)], 0.07, BLUE)
    c.polygon([(0.63, 0.74), (0.64, 0.62), (0.72, 0.65)], BLACK)
    hand(c, 0.8, 0.28, s)


def journal_icon(c, s):
    # a spiral notepad
    c.rect(0.06, 0.16, 0.72, 0.96, BLACK)
    c.rect(0.1, 0.2, 0.68, 0.92, WHITE)
    if s > 16:
        for k in range(5):
            c.line([(0.16, 0.4 + 0.1 * k), (0.62, 0.4 + 0.1 * k)], 0.025, SKY)
    rings = 4 if s > 16 else 3
    for k in range(rings):
        x = 0.16 + k * 0.46 / (rings - 1)
        c.line([(x, 0.08), (x, 0.26)], 0.07 if s > 16 else 0.09, DARK)
    # a yellow pencil writing on it, in a hand
    c.line([(0.5, 0.76), (0.92, 0.2)], 0.19, BLACK)
    c.line([(0.5, 0.76), (0.92, 0.2)], 0.12, YELLOW)
    c.polygon([(0.44, 0.84), (0.47, 0.7), (0.56, 0.77)], SKIN)
    c.polygon([(0.44, 0.84), (0.455, 0.77), (0.5, 0.8)], BLACK)
    hand(c, 0.78, 0.36, s)


ICONS = {
    "generator": (generator, [(32, 4), (16, 4)], True),
    "settings": (spanner, [(32, 4), (16, 4)], True),
    "main": (main_icon, [(16, 4), (32, 4), (16, 8), (32, 8)], True),
    "exit": (exit_icon, [(s, d) for s in (48, 32, 16) for d in (4, 8, 32)], True),
    "selectall": (select_all, [(32, 4), (16, 4)], True),
    "clear": (clear_icon, [(32, 4), (16, 4)], True),
    "copy": (copy_icon, [(32, 4), (16, 4)], True),
    "journal": (journal_icon, [(32, 4), (16, 4)], True),
}

# The frame's icon once more, in full colour, for the desktop's icon theme.
DESKTOP_ICON_SIZES = (16, 32, 48, 256)


def distance(a, b):
    return (a[0] - b[0]) ** 2 * 3 + (a[1] - b[1]) ** 2 * 4 + (a[2] - b[2]) ** 2 * 2


def nearest(palette, colour, cache):
    """The palette index for a colour, or for colours the 16 standard ones
    hold badly (orange, pink, skin) a pair of indices to alternate in a
    checkerboard, whose average comes nearer."""
    found = cache.get(colour)
    if found is None:
        best = min(range(len(palette)), key=lambda i: distance(palette[i], colour))
        found = (best, best)
        greyish = max(colour) - min(colour) < 40
        if len(palette) == 16 and not greyish and distance(palette[best], colour) > 6000:
            pairs = [(i, j) for i in range(16) for j in range(i, 16)]
            mix = min(pairs, key=lambda p: distance(
                [(palette[p[0]][k] + palette[p[1]][k]) / 2 for k in range(3)], colour))
            found = mix
        cache[colour] = found
    return found


def bmp(pixels, depth):
    size = len(pixels)
    rows = list(reversed(pixels))  # bottom-up
    header_height = size * 2
    out = bytearray()
    palette = {4: VGA16, 8: PALETTE256}.get(depth)
    xor = bytearray()
    cache = {}
    for y, row in enumerate(rows):
        line = bytearray()
        if depth == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a)) if a else bytes(4)
        else:
            indices = [nearest(palette, (r, g, b), cache)[(x + y) % 2] if a >= 128 else 0
                       for x, (r, g, b, a) in enumerate(row)]
            if depth == 4:
                for i in range(0, size, 2):
                    line.append(indices[i] << 4 | indices[i + 1])
            else:
                line += bytes(indices)
        line += bytes(-len(line) % 4)
        xor += line
    mask = bytearray()
    for row in rows:
        line = bytearray((size + 7) // 8)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        line += bytes(-len(line) % 4)
        mask += line
    out += struct.pack("<IiiHHIIiiII", 40, size, header_height, 1, depth, 0,
                       len(xor) + len(mask), 0, 0, len(palette) if palette else 0, 0)
    if palette:
        for r, g, b in palette:
            out += bytes((b, g, r, 0))
    return bytes(out + xor + mask)


def ico(images):
    count = len(images)
    head = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    entries = b""
    data = b""
    for size, depth, blob in images:
        colours = 16 if depth == 4 else 0
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, depth, len(blob), offset + len(data))
        data += blob
    return head + entries + data


def png(pixels):
    """An 8-bit RGBA PNG, each row unfiltered."""
    size = len(pixels)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def png_content(data):
    """What a PNG shows: its header and its unpacked rows, so that the check
    does not depend on the bytes one zlib or another packs them into."""
    chunks = {}
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks[kind] = chunks.get(kind, b"") + data[pos + 8:pos + 8 + length]
        pos += 12 + length
    return data[:8], chunks.get(b"IHDR"), zlib.decompress(chunks.get(b"IDAT", b""))


def build(name):
    draw, images, _ = ICONS[name]
    drawn = {}
    blobs = []
    for size, depth in images:
        if size not in drawn:
            canvas = Canvas(size)
            draw(canvas, size)
            drawn[size] = canvas.pixels()
        blobs.append((size, depth, bmp(drawn[size], depth)))
    return ico(blobs)


def outputs(root):
    """Each output file with a function that makes its content."""
    for name in ICONS:
        yield root / "windows" / "icons" / (name + ".ico"), lambda name=name: build(name)
    for size in DESKTOP_ICON_SIZES:
        def draw(size=size):
            canvas = Canvas(size)
            main_icon(canvas, size)
            return png(canvas.pixels())
        yield root / "desktop" / "icons" / f"passgen-{size}.png", draw


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    check = "--check" in sys.argv
    stale = []
    for path, make in outputs(root):
        data = make()
        if check:
            same = png_content if path.suffix == ".png" else bytes
            if not path.exists() or same(path.read_bytes()) != same(data):
                stale.append(path.name)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if stale:
        print("out of date:", ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
