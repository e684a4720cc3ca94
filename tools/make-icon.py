#!/usr/bin/env python3
"""Writes src/app/win32/res/vimbrel.ico: 32x32 and 16x16 images in 16 colours.

The pictures are drawn with ImageMagick, mapped onto the standard 16-colour
palette, and stored as 4-bit bitmaps with a transparency mask.
Run it after changing the drawing: python3 tools/make-icon.py
"""
import pathlib
import struct
import subprocess

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def draw(size: int) -> list:
    s = size / 32.0
    def p(v):
        return str(round(v * s))
    commands = [
        "convert", "-size", f"{size}x{size}", "xc:none",
        # A teal disc (the tour going round) with a white V over it.
        "-fill", "#008080", "-stroke", "#000080", "-strokewidth", p(1.5),
        "-draw", f"circle {p(15.5)},{p(15.5)} {p(15.5)},{p(1)}",
        "-fill", "white", "-stroke", "none",
        "-draw", f"polygon {p(7)},{p(8)} {p(12)},{p(8)} {p(16)},{p(19)} {p(20)},{p(8)} "
                 f"{p(25)},{p(8)} {p(18)},{p(26)} {p(14)},{p(26)}",
        "-fill", "#ffff00",
        "-draw", f"polygon {p(22)},{p(22)} {p(29)},{p(22)} {p(25.5)},{p(28)}",
        "-depth", "8", "rgba:-",
    ]
    raw = subprocess.run(commands, check=True, capture_output=True).stdout
    pixels = []
    for i in range(size * size):
        r, g, b, a = raw[4 * i:4 * i + 4]
        if a < 128:
            pixels.append(None)
            continue
        best = min(range(16), key=lambda k: sum((c - d) ** 2 for c, d in zip((r, g, b), PALETTE[k])))
        pixels.append(best)
    return pixels


def bitmap(size: int, pixels: list) -> bytes:
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_row = ((size * 4 + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    xor, mask = b"", b""
    for y in reversed(range(size)):  # bottom-up
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(size):
            index = pixels[y * size + x]
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def main() -> None:
    images = [(size, bitmap(size, draw(size))) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    root = pathlib.Path(__file__).resolve().parent.parent
    (root / "src/app/win32/res/vimbrel.ico").write_bytes(out)


if __name__ == "__main__":
    main()
