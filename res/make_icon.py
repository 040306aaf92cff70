#!/usr/bin/env python3
"""Draws the program icon and writes it as Quenby.ico.

The picture is a broom sweeping on a blue disc, with a sparkle for the clean
it leaves behind. It is drawn from geometry (no source bitmaps), supersampled
for smooth edges. It is stored at 48x48, 32x32 and 16x16 pixels in 24-bit
colour with a 1-bit transparency mask, the classic icon format every Windows
version reads, and at the sizes a high-DPI screen asks for (20, 24, 40 and
64 pixels, and 256 for Explorer's large views) in 32-bit colour with an alpha
channel, so edges blend into any background. The 256-pixel image is a PNG, as
Windows stores its own: an uncompressed one would be larger than the program.
The output is byte-for-byte the same on every run.

Usage: python3 make_icon.py [OUTPUT]   (default: Quenby.ico beside this file)
"""

import math
import os
import struct
import sys
import zlib

# The classic images first, then the alpha ones.
CLASSIC_SIZES = (48, 32, 16)
ALPHA_SIZES = (20, 24, 40, 64, 256)
PNG_SIZE = 256
SUPERSAMPLE = 8
# Fewer samples for the largest image keep the script quick; at 256 pixels
# each pixel is small against the picture's detail anyway.
LARGE_SUPERSAMPLE = 4

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


def render_coverage(size, supersample):
    """Rows of pixels, top row first; each pixel is ((r, g, b), coverage):
    the mean colour of the samples on the disc and the share of samples that
    lie on it (0 to 1), or (None, 0) when none does."""
    rows = []
    step = 1.0 / (size * supersample)
    for py in range(size):
        row = []
        for px in range(size):
            inside = []
            for sy in range(supersample):
                for sx in range(supersample):
                    u = (px * supersample + sx + 0.5) * step
                    v = (py * supersample + sy + 0.5) * step
                    colour = sample(u, v, size)
                    if colour is not None:
                        inside.append(colour)
            if not inside:
                row.append((None, 0.0))
                continue
            mean = tuple(round(sum(c[i] for c in inside) / len(inside)) for i in range(3))
            row.append((mean, len(inside) / (supersample * supersample)))
        rows.append(row)
    return rows


def render(size):
    """Rows of pixels, top row first; each pixel is (r, g, b) or None when
    less than half of it lies on the disc (transparent)."""
    return [[colour if coverage >= 0.5 else None for colour, coverage in row]
            for row in render_coverage(size, SUPERSAMPLE)]


def render_alpha(size):
    """Rows of (r, g, b, a) pixels, top row first; a fully transparent pixel
    is (0, 0, 0, 0)."""
    supersample = LARGE_SUPERSAMPLE if size >= PNG_SIZE else SUPERSAMPLE
    return [[(0, 0, 0, 0) if colour is None else colour + (round(coverage * 255),)
             for colour, coverage in row]
            for row in render_coverage(size, supersample)]


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


def mask_rows(rows, transparent):
    """The AND mask, bottom-up, rows padded to four bytes: a set bit where
    the pixel is transparent."""
    mask = b""
    for row in reversed(rows):
        width = (len(row) + 7) // 8
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if transparent(p) else 0)
        # The first pixel is the highest bit of the row's first byte.
        mask += padded((bits << (width * 8 - len(row))).to_bytes(width, "big"))
    return mask


def alpha_icon_image(size):
    """One 32-bit image: BITMAPINFOHEADER, BGRA rows bottom-up (straight,
    not premultiplied alpha), then the AND mask that systems without alpha
    blending use."""
    rows = render_alpha(size)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    mask = mask_rows(rows, lambda p: p[3] < 128)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png_icon_image(size):
    """One image as a PNG: 8-bit RGBA, each row filtered with "Up" (the
    disc's colours change slowly from row to row)."""
    rows = render_alpha(size)
    raw = b""
    previous = bytes(size * 4)
    for row in rows:
        line = b"".join(bytes(p) for p in row)
        raw += b"\x02" + bytes((a - b) & 0xFF for a, b in zip(line, previous))
        previous = line
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def icon_file():
    entries = [(size, 24, icon_image(size)) for size in CLASSIC_SIZES]
    for size in ALPHA_SIZES:
        image = png_icon_image(size) if size >= PNG_SIZE else alpha_icon_image(size)
        entries.append((size, 32, image))
    directory = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(directory) + 16 * len(entries)
    for size, bits, image in entries:
        # A size of 256 is written as 0 in the directory's byte.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(image),
                                 offset)
        offset += len(image)
    return directory + b"".join(image for _, _, image in entries)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Quenby.ico")
    with open(output, "wb") as f:
        f.write(icon_file())


if __name__ == "__main__":
    main()
