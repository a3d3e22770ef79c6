#!/usr/bin/env python3
"""Makes the movies that the movie-source tests read, with ffmpeg, into the
folder given as the first argument, together with the source pictures of the
8-bit movies (<name>.frames: width, height and count as 32-bit little-endian,
256 RGB palette entries, then each frame's colour indices top row first)."""
import os
import struct
import subprocess
import sys

from PIL import Image


def palette():
    rgb = []
    for i in range(256):
        rgb += [(i * 7) & 255, (i * 3 + 40) & 255, 255 - i]
    return rgb


def frame_pixels(width, height, frame):
    # Every row differs from its neighbours, so a flipped picture cannot match.
    return [(x * 5 + y * 11 + frame * 3 + (x * y) // 7) & 255
            for y in range(height) for x in range(width)]


def write_pictures(folder, stem, width, height, count):
    pattern = os.path.join(folder, stem + "%03d.bmp")
    for f in range(count):
        im = Image.new("P", (width, height))
        im.putpalette(palette())
        im.putdata(frame_pixels(width, height, f))
        im.save(pattern % f)
    with open(os.path.join(folder, stem + ".frames"), "wb") as out:
        out.write(struct.pack("<3I", width, height, count))
        out.write(bytes(palette()))
        for f in range(count):
            out.write(bytes(frame_pixels(width, height, f)))
    return pattern


def ffmpeg(ffmpeg_path, args, output):
    subprocess.run([ffmpeg_path, "-v", "error", "-y"] + args + [output], check=True)


def chunks(data, start, end):
    """(fourcc, offset of the data, size) of each RIFF chunk in data[start:end]."""
    pos = start
    while pos + 8 <= end:
        fourcc, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        yield fourcc, pos + 8, size
        pos += 8 + size + (size & 1)


def flip_to_bottom_up(source, target, height):
    """Rewrites a top-down 8-bit AVI (negative biHeight) as the same movie
    stored bottom-up: positive biHeight and every frame's rows reversed."""
    data = bytearray(open(source, "rb").read())
    strf = data.find(b"strf")
    bi_height = strf + 8 + 8
    assert struct.unpack_from("<i", data, bi_height)[0] == -height
    struct.pack_into("<i", data, bi_height, height)
    movi = data.find(b"movi")
    list_size = struct.unpack_from("<I", data, movi - 4)[0]
    frames = 0
    for fourcc, offset, size in chunks(data, movi + 4, movi - 4 + list_size):
        if fourcc[2:] in (b"db", b"dc") and size:
            stride = size // height
            rows = [data[offset + r * stride:offset + (r + 1) * stride] for r in range(height)]
            data[offset:offset + size] = b"".join(reversed(rows))
            frames += 1
    assert frames > 0
    open(target, "wb").write(bytes(data))


def shorten_format(source, target, size):
    """The same movie with a stored frame format of only `size` bytes, less
    than a bitmap header: the rest of the old format becomes a JUNK chunk."""
    data = bytearray(open(source, "rb").read())
    strf = data.find(b"strf")
    old_size = struct.unpack_from("<I", data, strf + 4)[0]
    assert old_size >= size + 8
    struct.pack_into("<I", data, strf + 4, size)
    junk = strf + 8 + size
    data[junk:junk + 8] = b"JUNK" + struct.pack("<I", old_size - size - 8)
    open(target, "wb").write(bytes(data))


def riff_chunk(fourcc, data):
    return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) & 1 else b"")


def write_raw_avi(path, width, height, bits, compression, masks, frames, fps=5):
    """An uncompressed AVI written by hand (ffmpeg writes no bit fields):
    the stored format is a 40-byte header, then the masks given; frames are
    each frame's rows as stored."""
    fmt = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0, 0, 0)
    fmt += b"".join(struct.pack("<I", m) for m in masks)
    size = max(len(f) for f in frames)
    avih = struct.pack("<14I", 1000000 // fps, 0, 0, 0x10, len(frames), 0, 1, size, width, abs(height), 0, 0, 0, 0)
    strh = b"vids" + b"\0" * 4 + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, fps, 0, len(frames), size,
                                               0xFFFFFFFF, 0, 0, 0, width, abs(height))
    strl = riff_chunk(b"LIST", b"strl" + riff_chunk(b"strh", strh) + riff_chunk(b"strf", fmt))
    hdrl = riff_chunk(b"LIST", b"hdrl" + riff_chunk(b"avih", avih) + strl)
    movi, index, offset = b"", b"", 4
    for f in frames:
        index += b"00db" + struct.pack("<III", 0x10, offset, len(f))
        movi += riff_chunk(b"00db", f)
        offset += 8 + len(f) + (len(f) & 1)
    body = b"AVI " + hdrl + riff_chunk(b"LIST", b"movi" + movi) + riff_chunk(b"idx1", index)
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def widen(value, width):
    """A channel of `width` bits as 8 bits, its bits repeated below it."""
    level, shift = 0, 8 - width
    while shift > -width:
        level |= value << shift if shift >= 0 else value >> -shift
        shift -= width
    return level & 255


def write_bit_field_movies(folder):
    """Movies whose frames are stored with bit fields, each beside its plain
    twin (the same colours as BI_RGB rows: the same rows where the masks say
    what BI_RGB says, else 24-bit rows of the widened channels), and one
    whose masks overlap."""
    width, height, count = 10, 6, 3
    kinds = {
        "565": (16, [0xF800, 0x07E0, 0x001F], 24),
        "555": (16, [0x7C00, 0x03E0, 0x001F], 16),
        "888": (32, [0xFF0000, 0x00FF00, 0x0000FF], 32),
        "bgr": (32, [0x0000FF, 0x00FF00, 0xFF0000], 24),
    }
    for name, (bits, masks, plain_bits) in kinds.items():
        shifts = [(m & -m).bit_length() - 1 for m in masks]
        widths = [bin(m).count("1") for m in masks]
        for top_down in (False, True):
            fields, plain = [], []
            for f in range(count):
                rows, twin = b"", b""
                for stored in range(height):
                    y = stored if top_down else height - 1 - stored
                    row, twin_row = b"", b""
                    for x in range(width):
                        values = [(x * 7 + y * 5 + f * 3 + k * 11) % (1 << w) for k, w in enumerate(widths)]
                        pixel = sum(v << s for v, s in zip(values, shifts))
                        row += pixel.to_bytes(bits // 8, "little")
                        levels = [widen(v, w) for v, w in zip(values, widths)]
                        twin_row += bytes(reversed(levels)) if plain_bits == 24 else pixel.to_bytes(bits // 8, "little")
                    rows += row + b"\0" * (-len(row) % 4)
                    twin += twin_row + b"\0" * (-len(twin_row) % 4)
                fields.append(rows)
                plain.append(twin)
            order = "_topdown" if top_down else ""
            stored_height = -height if top_down else height
            write_raw_avi(os.path.join(folder, f"fields{name}{order}.avi"), width, stored_height, bits, 3, masks, fields)
            write_raw_avi(os.path.join(folder, f"plain{name}{order}.avi"), width, stored_height, plain_bits, 0, [],
                          plain)
    write_raw_avi(os.path.join(folder, "badmasks.avi"), width, height, 16, 3, [0xF800, 0x0FE0, 0x001F],
                  [bytes(((2 * width + 3) & ~3) * height)] * count)


def main():
    folder, ffmpeg_path = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)

    # 8-bit uncompressed; a width that is not a multiple of 4 pads every row.
    raw = write_pictures(folder, "raw", 30, 20, 5)
    top_down = os.path.join(folder, "raw_topdown.avi")
    ffmpeg(ffmpeg_path, ["-framerate", "5", "-i", raw, "-c:v", "rawvideo", "-pix_fmt", "pal8"], top_down)
    flip_to_bottom_up(top_down, os.path.join(folder, "raw_bottomup.avi"), 20)
    # AVIFile opens it and even offers a decoder, with a 20-byte format.
    shorten_format(top_down, os.path.join(folder, "shortformat.avi"), 20)

    # The compressors want sizes in multiples of 4.
    coded = write_pictures(folder, "coded", 32, 24, 6)
    ffmpeg(ffmpeg_path, ["-framerate", "10", "-i", coded, "-c:v", "cinepak"],
           os.path.join(folder, "cinepak.avi"))
    ffmpeg(ffmpeg_path, ["-framerate", "10", "-i", coded, "-c:v", "msvideo1"],
           os.path.join(folder, "msvideo1.avi"))

    # Sound only: AVIFile opens it, but it has no video stream.
    ffmpeg(ffmpeg_path, ["-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "0.2",
                         "-c:a", "pcm_u8"], os.path.join(folder, "soundonly.avi"))

    write_bit_field_movies(folder)

    with open(os.path.join(folder, "notmovie.avi"), "wb") as out:
        out.write(b"This is a text file that only has the name of a movie.\r\n")

    # A long name and folder, so that the reader has 8.3 names to look up.
    long_folder = os.path.join(folder, "a folder with a long name")
    os.makedirs(long_folder, exist_ok=True)
    with open(top_down, "rb") as src, \
            open(os.path.join(long_folder, "a movie with a long name.avi"), "wb") as out:
        out.write(src.read())


if __name__ == "__main__":
    main()
