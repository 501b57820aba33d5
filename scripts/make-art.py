#!/usr/bin/env python3
"""Draws the program's icon (res/Sonbrel.ico) and background texture (res/background.bmp).

Both are committed; run this again only to change them.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


def texture_pixel(x, y):
    """A warm beige weave whose rows repeat every 10 lines."""
    row = y % 10
    ripple = math.sin((x + row * 1.7) * 0.9) * 0.5 + 0.5
    grain = ((x * 7 + row * 13) % 5) / 4.0
    t = 0.55 * ripple + 0.45 * grain
    low, high = (202, 192, 178), (218, 211, 199)
    return tuple(round(lo + (hi - lo) * t) for lo, hi in zip(low, high))


def write_bmp24(path, width, height, pixel):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def icon_pixel(size, x, y):
    """A rounded blue tile with a white waveform turning into a flat PCM staircase."""
    s = size / 32.0
    cx, cy = x + 0.5, y + 0.5
    margin, radius = 1.5 * s, 6 * s
    dx = max(margin + radius - cx, 0, cx - (size - margin - radius))
    dy = max(margin + radius - cy, 0, cy - (size - margin - radius))
    if math.hypot(dx, dy) > radius:
        return (0, 0, 0, 0)
    shade = 1.0 - 0.35 * (cy / size)
    bg = (int(40 * shade), int(110 * shade), int(200 * shade), 255)
    mid = size / 2
    u = cx / size
    if u < 0.55:
        wave = mid - math.sin((u - 0.1) * 4 * math.pi) * (0.22 * size)
    else:
        step = int((u - 0.55) * 8)
        wave = mid - (0.12 * size) * (1 if step % 2 else -1)
    if abs(cy - wave) < 1.3 * s + 0.4 and margin + 2 * s < cx < size - margin - 2 * s:
        return (255, 255, 255, 255)
    return bg


def icon_image(size):
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = icon_pixel(size, x, y)
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if icon_pixel(size, x, y)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    write_bmp24(os.path.join(RES, "background.bmp"), 14, 58, texture_pixel)
    write_ico(os.path.join(RES, "Sonbrel.ico"), [16, 32, 48])
