#!/usr/bin/env python3
"""Writes a Windows icon (.ico) that holds the given PNG pictures as they are (Windows Vista
and later read PNG entries), largest last.

usage: make_ico.py OUTPUT.ico PICTURE.png...
"""
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data, name):
    # The IHDR chunk comes first: width and height as big-endian 32-bit numbers.
    if not data.startswith(PNG_SIGNATURE) or data[12:16] != b"IHDR":
        sys.exit(f"{name}: not a PNG picture")
    width, height = struct.unpack(">II", data[16:24])
    if not (0 < width <= 256 and 0 < height <= 256):
        sys.exit(f"{name}: {width}x{height} does not fit an icon (at most 256x256)")
    return width, height


def main(output, pictures):
    entries = []
    for name in pictures:
        with open(name, "rb") as picture:
            data = picture.read()
        entries.append((png_size(data, name), data))
    entries.sort(key=lambda entry: entry[0])
    # The header (reserved, type 1 = icon, count), one 16-byte entry per picture, the pictures.
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(header) + 16 * len(entries)
    directory, images = b"", b""
    for (width, height), data in entries:
        # 256 is written as 0; no palette; 1 plane; 32 bits per pixel.
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                                 len(data), offset + len(images))
        images += data
    with open(output, "wb") as icon:
        icon.write(header + directory + images)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__.strip())
    main(sys.argv[1], sys.argv[2:])
