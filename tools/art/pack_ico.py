#!/usr/bin/env python3
"""Packs square RGBA pictures into a Windows .ico file.

usage: pack_ico.py OUT.ico SPEC...   where SPEC is SIZE:BITS:FILE.rgba
  BITS 4   a 16-colour palette entry (at most 15 opaque colours besides black)
  BITS 32  a 32-bit entry with alpha
  BITS png FILE is a PNG file, stored as it is (for 256 x 256)
FILE.rgba holds SIZE*SIZE*4 bytes of raw RGBA, top row first.
"""
import struct
import sys


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def and_mask(pixels, size):
    stride = row_bytes(1, size)
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[(y * size + x) * 4 + 3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bmp_entry(pixels, size, bits):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    if bits == 32:
        body = bytearray()
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[(y * size + x) * 4:(y * size + x) * 4 + 4]
                body += bytes((b, g, r, a))
        return header + bytes(body) + and_mask(pixels, size)
    # Index 0 is black: transparent pixels must be black where the mask is set, or the
    # screen shows through XORed with their colour.
    palette = [(0, 0, 0)]
    index = {(0, 0, 0): 0}
    for i in range(size * size):
        r, g, b, a = pixels[i * 4:i * 4 + 4]
        if a >= 128 and (r, g, b) not in index:
            index[(r, g, b)] = len(palette)
            palette.append((r, g, b))
    if len(palette) > 16:
        sys.exit(f'{size}x{size}: {len(palette)} colours, at most 16 fit')
    palette += [(0, 0, 0)] * (16 - len(palette))
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = row_bytes(4, size)
    body = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixels[(y * size + x) * 4:(y * size + x) * 4 + 4]
            v = index[(r, g, b)] if a >= 128 else 0
            row[x // 2] |= v << (4 if x % 2 == 0 else 0)
        body += row
    return header + pal + bytes(body) + and_mask(pixels, size)


def main():
    out, specs = sys.argv[1], sys.argv[2:]
    entries = []
    for spec in specs:
        size, bits, path = spec.split(':', 2)
        size = int(size)
        data = open(path, 'rb').read()
        if bits == 'png':
            entries.append((size, 0, 32, data))
            continue
        bits = int(bits)
        if len(data) != size * size * 4:
            sys.exit(f'{path}: expected {size * size * 4} bytes')
        entries.append((size, 16 if bits == 4 else 0, bits, bmp_entry(data, size, bits)))
    offset = 6 + 16 * len(entries)
    head = struct.pack('<HHH', 0, 1, len(entries))
    body = b''
    for size, colours, bits, blob in entries:
        head += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
        body += blob
    with open(out, 'wb') as f:
        f.write(head + body)


if __name__ == '__main__':
    main()
