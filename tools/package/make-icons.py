#!/usr/bin/env python3
"""Draw the program's icons and write them as .ico files.

Usage: make-icons.py OUTDIR

Each icon holds one 32 x 32 image with 16 colours (4 bits per pixel) and an AND
mask for the transparent background. Only integer arithmetic is used, so every
run writes the same bytes.
"""

import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue). Sticking to it keeps the
# icons right on 16-colour displays too.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Canvas:
    """A grid of palette indexes; None marks a transparent pixel."""

    def __init__(self):
        self.pixels = [[None] * SIZE for _ in range(SIZE)]

    def fill(self, shape, colour):
        for y in range(SIZE):
            for x in range(SIZE):
                if shape(x, y):
                    self.pixels[y][x] = colour

    def paint(self, shape, colour, outline):
        """Fill a shape and draw its edge (pixels with a 4-neighbour outside it)."""
        def edge(x, y):
            return shape(x, y) and not all(
                shape(x + dx, y + dy)
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        self.fill(shape, colour)
        self.fill(edge, outline)

    def set(self, x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.pixels[y][x] = colour


# Shapes are predicates on pixel coordinates. Geometry is given in half pixels
# (doubled coordinates) so that pixel centres fall on whole numbers.

def ellipse(cx, cy, rx, ry):
    """Pixel (x, y) lies in the ellipse with centre (cx, cy) and radii rx, ry."""
    def inside(x, y):
        dx = (2 * x + 1) - 2 * cx
        dy = (2 * y + 1) - 2 * cy
        return dx * dx * ry * ry + dy * dy * rx * rx <= 4 * rx * rx * ry * ry
    return inside


def rounded_rect(left, top, right, bottom, radius):
    """Pixels left..right-1 by top..bottom-1 with corners of the given radius."""
    def inside(x, y):
        if not (left <= x < right and top <= y < bottom):
            return False
        cx = min(max(x, left + radius), right - 1 - radius)
        cy = min(max(y, top + radius), bottom - 1 - radius)
        dx, dy = x - cx, y - cy
        return dx * dx + dy * dy <= radius * radius + radius
    return inside


def polygon(*points):
    """Even-odd test of the pixel centre against a closed polygon."""
    doubled = [(2 * px, 2 * py) for px, py in points]

    def inside(x, y):
        tx, ty = 2 * x + 1, 2 * y + 1
        result = False
        for i, (x1, y1) in enumerate(doubled):
            x2, y2 = doubled[i - 1]
            if (y1 > ty) != (y2 > ty):
                # Compare tx with the edge's x at ty without dividing.
                lhs = (tx - x1) * (y2 - y1)
                rhs = (x2 - x1) * (ty - y1)
                if (lhs < rhs) == (y2 > y1):
                    result = not result
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def line(canvas, x1, y1, x2, y2, colour):
    """Bresenham line between two pixels, both ends included."""
    dx, dy = abs(x2 - x1), -abs(y2 - y1)
    sx = 1 if x1 < x2 else -1
    sy = 1 if y1 < y2 else -1
    err = dx + dy
    while True:
        canvas.set(x1, y1, colour)
        if (x1, y1) == (x2, y2):
            return
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x1 += sx
        if e2 <= dx:
            err += dx
            y1 += sy


def draw_application():
    """Two speech bubbles: a teal one behind, a white one with three dots in front."""
    canvas = Canvas()
    back = union(rounded_rect(11, 2, 31, 17, 4), polygon((22, 15), (30, 23), (29, 15)))
    canvas.paint(back, AQUA, TEAL)
    front = union(rounded_rect(0, 8, 24, 26, 6), polygon((4, 24), (3, 30), (13, 24)))
    canvas.paint(front, WHITE, NAVY)
    # Dots and gaps on even pixels keep them apart when Windows halves the icon.
    for cx in (6, 12, 18):
        canvas.fill(ellipse(cx, 17, 2, 2), BLUE)
    return canvas


def draw_contacts():
    """Two people: a teal one behind, a blue one in front."""
    canvas = Canvas()
    canvas.paint(minus(ellipse(22, 26, 9, 10), lambda x, y: y >= 29), AQUA, TEAL)
    canvas.paint(ellipse(22, 10, 5, 5), AQUA, TEAL)
    body = minus(ellipse(13, 30, 11, 11), lambda x, y: y >= 31)
    canvas.paint(body, BLUE, NAVY)
    canvas.paint(ellipse(13, 12, 6, 6), YELLOW, OLIVE)
    return canvas


def draw_message():
    """A closed envelope with a red stamp."""
    canvas = Canvas()
    canvas.paint(rounded_rect(1, 7, 31, 27, 1), WHITE, NAVY)
    # The flap: two lines from the top corners meeting below the centre.
    line(canvas, 2, 8, 16, 19, NAVY)
    line(canvas, 29, 8, 15, 19, NAVY)
    # The bottom folds, fainter.
    line(canvas, 2, 25, 11, 16, SILVER)
    line(canvas, 29, 25, 20, 16, SILVER)
    canvas.paint(rounded_rect(24, 10, 29, 16, 0), RED, MAROON)
    return canvas


def draw_credits():
    """A gold coin with a raised rim and a star."""
    canvas = Canvas()
    canvas.paint(ellipse(16, 16, 15, 15), YELLOW, OLIVE)
    ring = minus(ellipse(16, 16, 12, 12), ellipse(16, 16, 11, 11))
    canvas.fill(ring, OLIVE)
    star = polygon((16, 6), (18, 13), (25, 13), (19, 17), (22, 25),
                   (16, 20), (10, 25), (13, 17), (7, 13), (14, 13))
    canvas.paint(star, WHITE, OLIVE)
    # A glint on the rim, top left.
    for x, y in ((6, 9), (7, 8), (8, 7), (9, 6)):
        canvas.set(x, y, WHITE)
    return canvas


ICONS = {
    "orvexapp.ico": draw_application,
    "contacts.ico": draw_contacts,
    "message.ico": draw_message,
    "credits.ico": draw_credits,
}


def pack_rows(rows, pack_row):
    """Bitmap rows run bottom-up."""
    return b"".join(pack_row(row) for row in reversed(rows))


def xor_row(row):
    nibbles = [0 if colour is None else colour for colour in row]
    return bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))


def and_row(row):
    # One bit per pixel, set where the background shows through; 32 pixels fill
    # exactly one DWORD, so no padding is needed.
    bits = 0
    for colour in row:
        bits = (bits << 1) | (colour is None)
    return bits.to_bytes(SIZE // 8, "big")


def encode_icon(canvas):
    xor_mask = pack_rows(canvas.pixels, xor_row)
    and_mask = pack_rows(canvas.pixels, and_row)
    # The header's height covers both masks.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor_mask) + len(and_mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image),
                        len(directory) + 16)
    return directory + entry + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make-icons.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, draw in ICONS.items():
        with open(os.path.join(outdir, name), "wb") as out:
            out.write(encode_icon(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
