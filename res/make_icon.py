#!/usr/bin/env python3
"""Draws the program icon and writes it as Quenby.ico.

The picture is a broom sweeping on a blue disc, with a sparkle for the clean
it leaves behind. It is drawn from geometry (no source bitmaps), supersampled
for smooth edges, and stored at 48x48, 32x32 and 16x16 pixels in 24-bit
colour with a 1-bit transparency mask, the classic icon format every Windows
version reads. The output is byte-for-byte the same on every run.

Usage: python3 make_icon.py [OUTPUT]   (default: Quenby.ico beside this file)
"""

import math
import os
import struct
import sys

SIZES = (48, 32, 16)
SUPERSAMPLE = 8

# Colours as (red, green, blue).
DISC_TOP = (0x4A, 0xA8, 0xF0)
DISC_BOTTOM = (0x15, 0x56, 0xA8)
DISC_RIM = (0x0E, 0x3C, 0x7A)
HANDLE = (0xC4, 0x86, 0x4A)
BINDING = (0xB0, 0x2A, 0x2A)
BRISTLES = (0xF7, 0xCB, 0x45)
BRISTLE_STRAND = (0xC9, 0x93, 0x1E)
SPARKLE = (0xFF, 0xFF, 0xFF)

# Geometry in unit coordinates: (0, 0) is the top-left corner of the icon,
# (1, 1) the bottom-right; y grows downwards as in the bitmap.
DISC_CENTRE = (0.5, 0.5)
DISC_RADIUS = 0.48
RIM_WIDTH = 0.045

HANDLE_TOP = (0.80, 0.14)
JOINT = (0.50, 0.52)
HANDLE_HALF_WIDTH = 0.040
BINDING_LENGTH = 0.06
BRISTLE_LENGTH = 0.34
BRISTLE_TOP_HALF_WIDTH = 0.07
BRISTLE_BOTTOM_HALF_WIDTH = 0.19
BRISTLE_STRANDS = 5

BIG_SPARKLE = ((0.27, 0.28), 0.15)
SMALL_SPARKLE = ((0.77, 0.74), 0.08)
SMALL_SPARKLE_MIN_SIZE = 32  # too small to read at 16x16


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def broom_frame(u, v):
    """Coordinates of (u, v) along the broom axis (from the handle's top
    towards the bristles) and across it."""
    ax, ay = JOINT[0] - HANDLE_TOP[0], JOINT[1] - HANDLE_TOP[1]
    length = math.hypot(ax, ay)
    dx, dy = ax / length, ay / length
    px, py = u - HANDLE_TOP[0], v - HANDLE_TOP[1]
    along = px * dx + py * dy
    across = -px * dy + py * dx
    return along, across, length


def broom_colour(u, v, strands):
    along, across, handle_length = broom_frame(u, v)
    if 0.0 <= along <= handle_length - BINDING_LENGTH:
        if abs(across) <= HANDLE_HALF_WIDTH:
            return HANDLE
        return None
    if handle_length - BINDING_LENGTH < along <= handle_length:
        if abs(across) <= HANDLE_HALF_WIDTH * 1.6:
            return BINDING
        return None
    t = (along - handle_length) / BRISTLE_LENGTH
    if 0.0 < t <= 1.0:
        half = BRISTLE_TOP_HALF_WIDTH + (BRISTLE_BOTTOM_HALF_WIDTH - BRISTLE_TOP_HALF_WIDTH) * t
        if abs(across) > half:
            return None
        if strands:
            # Thin darker lines fanning out from the binding.
            position = (across / half + 1.0) / 2.0 * BRISTLE_STRANDS
            nearest = round(position)
            on_strand = abs(position - nearest) < 0.09 and 0 < nearest < BRISTLE_STRANDS
            if t > 0.15 and on_strand:
                return BRISTLE_STRAND
        return BRISTLES
    return None


def in_sparkle(u, v, sparkle):
    """A four-pointed star: |x|^0.5 + |y|^0.5 <= r^0.5 gives concave sides."""
    (cx, cy), radius = sparkle
    x, y = abs(u - cx), abs(v - cy)
    return math.sqrt(x) + math.sqrt(y) <= math.sqrt(radius)


def sample(u, v, size):
    """Colour of one point of the picture, or None outside the disc."""
    dist = math.hypot(u - DISC_CENTRE[0], v - DISC_CENTRE[1])
    if dist > DISC_RADIUS:
        return None
    colour = lerp(DISC_TOP, DISC_BOTTOM, (v - (0.5 - DISC_RADIUS)) / (2 * DISC_RADIUS))
    if dist > DISC_RADIUS - RIM_WIDTH:
        colour = DISC_RIM
    broom = broom_colour(u, v, strands=size >= 32)
    if broom is not None:
        colour = broom
    if in_sparkle(u, v, BIG_SPARKLE):
        colour = SPARKLE
    if size >= SMALL_SPARKLE_MIN_SIZE and in_sparkle(u, v, SMALL_SPARKLE):
        colour = SPARKLE
    return colour


def render(size):
    """Rows of pixels, top row first; each pixel is (r, g, b) or None when
    less than half of it lies on the disc (transparent)."""
    rows = []
    step = 1.0 / (size * SUPERSAMPLE)
    for py in range(size):
        row = []
        for px in range(size):
            inside = []
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    u = (px * SUPERSAMPLE + sx + 0.5) * step
                    v = (py * SUPERSAMPLE + sy + 0.5) * step
                    colour = sample(u, v, size)
                    if colour is not None:
                        inside.append(colour)
            if len(inside) * 2 < SUPERSAMPLE * SUPERSAMPLE:
                row.append(None)
            else:
                row.append(tuple(round(sum(c[i] for c in inside) / len(inside)) for i in range(3)))
        rows.append(row)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, 24-bit colour rows and the AND mask,
    both bottom-up with rows padded to four bytes. Transparent pixels are
    black in the colour rows and set in the mask."""
    rows = render(size)
    colour = b""
    mask = b""
    for row in reversed(rows):
        colour += padded(b"".join(bytes((p[2], p[1], p[0])) if p else b"\0\0\0" for p in row))
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        mask += padded(bits.to_bytes(size // 8, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(sizes):
    images = [icon_image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Quenby.ico")
    with open(output, "wb") as f:
        f.write(icon_file(SIZES))


if __name__ == "__main__":
    main()
