#!/usr/bin/env python3
"""Draws the programs' icons (a watchman's shield; an alarm bell for the launcher) and writes
them as .ico files with 16x16 and 32x32 images, 32-bit with alpha. Run it to regenerate the
committed icons in resources/."""
import math
import os
import struct
import sys

def shield(size, body, rim):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0
    for y in range(size):
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            # Shield: flat top, sides curving into a point at the bottom.
            if fy < 3 or fy > 30:
                continue
            half = 13.0 if fy < 16 else 13.0 * math.sqrt(max(0.0, 1 - ((fy - 16) / 14.5) ** 2))
            d = abs(fx - 16)
            if d > half:
                continue
            edge = half - d < 2.2 or fy < 5.2
            colour = rim if edge else body
            # An eye in the middle: the guard is watching.
            ex, ey = (fx - 16) / 7.0, (fy - 14) / 3.6
            if ex * ex + ey * ey <= 1.0:
                colour = (255, 255, 255)
                if (fx - 16) ** 2 + (fy - 14) ** 2 <= 5.0:
                    colour = (20, 20, 20)
            px[y][x] = colour + (255,)
    return px

def bell(size, body, rim):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0
    for y in range(size):
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            d = abs(fx - 16)
            colour = None
            if 4 <= fy <= 24:
                half = 4 + (fy - 4) * 0.55
                if d <= half:
                    colour = rim if half - d < 2 else body
            elif 24 < fy <= 26.5 and d <= 15:
                colour = rim
            if (fx - 16) ** 2 + (fy - 28.5) ** 2 <= 6:
                colour = rim
            if (fx - 16) ** 2 + (fy - 3.5) ** 2 <= 4:
                colour = rim
            if colour:
                px[y][x] = colour + (255,)
    return px

def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    blobs = []
    for px in images:
        size = len(px)
        xor = b''.join(struct.pack('<BBBB', b, g, r, a) for row in reversed(px) for (r, g, b, a) in row)
        mask_row = ((size + 31) // 32) * 4
        andm = b''.join(
            bytes(
                sum((0x80 >> (i % 8)) if row[x][3] == 0 else 0
                    for i, x in enumerate(range(byte * 8, min(size, byte * 8 + 8))))
                for byte in range(mask_row))
            for row in reversed(px))
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        blobs.append(header + xor + andm)
    offset = 6 + 16 * len(images)
    for px, blob in zip(images, blobs):
        size = len(px)
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)

def main():
    dest = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'resources')
    icons = {
        'tray_inactive.ico': lambda n: shield(n, (150, 150, 150), (90, 90, 90)),
        'tray_active.ico': lambda n: shield(n, (40, 160, 60), (20, 90, 30)),
        'Weckruf.ico': lambda n: bell(n, (240, 190, 40), (150, 100, 10)),
    }
    for name, draw in icons.items():
        with open(os.path.join(dest, name), 'wb') as f:
            f.write(ico([draw(16), draw(32)]))

if __name__ == '__main__':
    main()
