#!/usr/bin/python3
"""Draws the bitmaps and the icon of reelwright.exe from the character
pictures in res/pictures.txt, into res/: toolbar.bmp (nine 16x15 buttons),
treeimages.bmp (four 16x16 tree item pictures) and reelwright.ico (32x32 and
16x16). The outputs are checked in, so building needs no Python; run this
again after editing the pictures.

Everything is 4 bits per pixel with the standard 16-colour palette, written
byte by byte here: PIL would choose its own palette order and size."""
import os
import struct
import sys

# The standard 16-colour palette in its usual order, with the character that
# stands for each colour in the pictures. Light grey is the tool bar's face
# and the tree images' mask colour, so it is the background of both.
PALETTE = [
    ("k", (0, 0, 0)),          # black
    ("M", (128, 0, 0)),        # maroon
    ("G", (0, 128, 0)),        # dark green
    ("o", (128, 128, 0)),      # olive
    ("n", (0, 0, 128)),        # navy
    ("p", (128, 0, 128)),      # purple
    ("t", (0, 128, 128)),      # teal
    (".", (192, 192, 192)),    # light grey
    ("g", (128, 128, 128)),    # dark grey
    ("r", (255, 0, 0)),        # red
    ("l", (0, 255, 0)),        # lime
    ("y", (255, 255, 0)),      # yellow
    ("b", (0, 0, 255)),        # blue
    ("f", (255, 0, 255)),      # fuchsia
    ("c", (0, 255, 255)),      # cyan
    ("w", (255, 255, 255)),    # white
]
INDEX = {char: i for i, (char, _) in enumerate(PALETTE)}
TRANSPARENT = "-"   # icons only: shows what lies behind the icon

# Which pictures go where: (group in pictures.txt, count, width, height).
TOOLBAR = ("toolbar", 9, 16, 15)
TREE = ("tree", 4, 16, 16)


def read_pictures(path):
    """{group: [rows of each picture, in file order]}. A line '= group: what'
    starts a picture; '#' lines and blank lines are ignored."""
    groups = {}
    current = None
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("="):
                group = line[1:].split(":")[0].strip()
                current = []
                groups.setdefault(group, []).append(current)
            elif line.strip() and not line.startswith("#"):
                if current is None:
                    sys.exit(f"{path}:{number}: picture rows before the first '=' line")
                bad = set(line) - set(INDEX) - {TRANSPARENT}
                if bad:
                    sys.exit(f"{path}:{number}: unknown colour characters {sorted(bad)}")
                current.append(line)
    return groups


def check_size(group, rows, width, height):
    if len(rows) != height or any(len(row) != width for row in rows):
        sys.exit(f"a {group} picture is not {width}x{height}: {rows!r}")


def side_by_side(pictures):
    """One strip of equally tall pictures, left to right."""
    return ["".join(picture[y] for picture in pictures) for y in range(len(pictures[0]))]


def pixel_rows(rows):
    """4-bit pixel rows, bottom row first, each padded to 4 bytes."""
    packed = []
    for row in reversed(rows):
        indices = [INDEX.get(char, 0) for char in row]
        if len(indices) % 2:
            indices.append(0)
        data = bytes(hi << 4 | lo for hi, lo in zip(indices[0::2], indices[1::2]))
        packed.append(data + b"\0" * (-len(data) % 4))
    return b"".join(packed)


def mask_rows(rows):
    """1-bit AND mask rows, bottom row first, padded to 4 bytes: 1 where the
    background shows through."""
    packed = []
    for row in reversed(rows):
        bits = [1 if char == TRANSPARENT else 0 for char in row]
        bits += [0] * (-len(bits) % 8)
        data = bytes(sum(bit << (7 - i) for i, bit in enumerate(bits[n:n + 8]))
                     for n in range(0, len(bits), 8))
        packed.append(data + b"\0" * (-len(data) % 4))
    return b"".join(packed)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 0, 0)


def colour_table():
    return b"".join(struct.pack("<4B", b, g, r, 0) for _, (r, g, b) in PALETTE)


def bitmap_file(rows):
    pixels = pixel_rows(rows)
    offset = 14 + 40 + 4 * len(PALETTE)
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
            + info_header(len(rows[0]), len(rows), len(pixels)) + colour_table() + pixels)


def icon_file(images):
    """An .ico file holding each picture (a list of rows) as a 4-bit image."""
    entries, bodies = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        width, height = len(rows[0]), len(rows)
        pixels, mask = pixel_rows(rows), mask_rows(rows)
        # An icon image's header counts the colour and mask rows together.
        body = info_header(width, 2 * height, len(pixels) + len(mask)) + colour_table() + pixels + mask
        entries.append(struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(body), offset))
        bodies.append(body)
        offset += len(body)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(bodies)


def strip(groups, layout):
    group, count, width, height = layout
    pictures = groups.get(group, [])
    if len(pictures) != count:
        sys.exit(f"pictures.txt has {len(pictures)} {group} pictures, not {count}")
    for picture in pictures:
        check_size(group, picture, width, height)
        if TRANSPARENT in "".join(picture):
            sys.exit(f"a {group} picture uses '{TRANSPARENT}': light grey is its background")
    return side_by_side(pictures)


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    groups = read_pictures(os.path.join(res, "pictures.txt"))
    icons = [groups.get("icon 32", [None])[0], groups.get("icon 16", [None])[0]]
    for rows, size in zip(icons, (32, 16)):
        if rows is None:
            sys.exit(f"pictures.txt has no 'icon {size}' picture")
        check_size(f"icon {size}", rows, size, size)

    outputs = {
        "toolbar.bmp": bitmap_file(strip(groups, TOOLBAR)),
        "treeimages.bmp": bitmap_file(strip(groups, TREE)),
        "reelwright.ico": icon_file(icons),
    }
    for name, data in outputs.items():
        with open(os.path.join(res, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
