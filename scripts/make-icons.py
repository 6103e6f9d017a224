#!/usr/bin/env python3
"""Draws the player's icon (a film reel) and its hand cursor and writes them as
resources/reelbox.ico and resources/hand.cur. The outputs are committed; run this again
only to change the pictures."""
import math
import struct
from pathlib import Path

SIZE = 32


def reel_pixel(x, y):
    """BGRA of the reel icon at (x, y), y counted from the top."""
    cx = cy = (SIZE - 1) / 2
    r = math.hypot(x - cx, y - cy)
    if r > 15.5:
        return (0, 0, 0, 0)
    if r > 14.0:
        return (40, 30, 20, 255)          # rim
    for k in range(5):                    # five spool holes
        a = k * 2 * math.pi / 5 - math.pi / 2
        hx, hy = cx + 8.5 * math.cos(a), cy + 8.5 * math.sin(a)
        if math.hypot(x - hx, y - hy) < 3.6:
            return (0, 0, 0, 0)
    if r < 2.5:
        return (30, 30, 30, 255)          # hub
    return (200, 120, 40, 255)            # blue-ish steel, stored as B, G, R


def icon_image():
    """A 32-bit DIB with alpha, rows bottom-up, plus an all-zero AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in reversed(range(SIZE)):
        rows += b''.join(bytes(reel_pixel(x, y)) for x in range(SIZE))
    mask = bytes(4 * SIZE)
    return header + rows + mask


HAND = [
    ".....##.........",
    "....#..#........",
    "....#..#........",
    "....#..#........",
    "....#..###......",
    "....#..#..###...",
    "....#..#..#..##.",
    ".##.#..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    ".#.............#",
    "..#............#",
    "..#...........#.",
    "...#..........#.",
    "....#........#..",
    ".....########...",
]


def hand_image():
    """A monochrome cursor: 1-bit XOR picture (black outline, white inside) and AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])

    def inside(x, y):
        if y >= len(HAND) or x >= len(HAND[0]):
            return False
        row = HAND[y]
        if row[x] == '#':
            return True
        return '#' in row[:x] and '#' in row[x:]

    xor_rows, and_rows = b'', b''
    for y in reversed(range(SIZE)):
        xor_bits = and_bits = 0
        for x in range(SIZE):
            outline = y < len(HAND) and x < len(HAND[0]) and HAND[y][x] == '#'
            filled = inside(x, y)
            white = filled and not outline
            xor_bits = (xor_bits << 1) | (1 if white else 0)
            and_bits = (and_bits << 1) | (0 if filled else 1)
        xor_rows += struct.pack('>I', xor_bits)
        and_rows += struct.pack('>I', and_bits)
    return header + palette + xor_rows + and_rows


def container(kind, image, hotspot=(0, 0)):
    """ICO (kind 1) or CUR (kind 2) file with one 32 x 32 image."""
    planes_or_x, bits_or_y = (1, 32) if kind == 1 else hotspot
    directory = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, planes_or_x, bits_or_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(__file__).resolve().parent.parent / 'resources'
    (out / 'reelbox.ico').write_bytes(container(1, icon_image()))
    (out / 'hand.cur').write_bytes(container(2, hand_image(), hotspot=(6, 0)))


if __name__ == '__main__':
    main()
