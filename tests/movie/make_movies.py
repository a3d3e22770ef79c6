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
    return fourcc + struct.pack("<I", len(data)) + data + bytes(len(data) & 1)


def write_raw_avi(path, width, height, bits, masks, frames):
    """An uncompressed AVI written by hand (ffmpeg writes no bit fields):
    BI_BITFIELDS with the masks after a 40-byte header, BI_RGB without."""
    fmt = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 3 if masks else 0, 0, 0, 0, 0, 0)
    fmt += struct.pack(f"<{len(masks)}I", *masks)
    avih = struct.pack("<14I", 200000, 0, 0, 0x10, len(frames), 0, 1, len(frames[0]), width, abs(height), 0, 0, 0, 0)
    strh = b"vids" + struct.pack("<4xIHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 5, 0, len(frames), len(frames[0]), 0xFFFFFFFF,
                                 0, 0, 0, width, abs(height))
    strl = riff_chunk(b"strh", strh) + riff_chunk(b"strf", fmt)
    hdrl = riff_chunk(b"avih", avih) + riff_chunk(b"LIST", b"strl" + strl)
    index = b"".join(b"00db" + struct.pack("<III", 0x10, 4 + n * (8 + len(f)), len(f)) for n, f in enumerate(frames))
    body = (b"AVI " + riff_chunk(b"LIST", b"hdrl" + hdrl)
            + riff_chunk(b"LIST", b"movi" + b"".join(riff_chunk(b"00db", f) for f in frames)) + riff_chunk(b"idx1", index))
    with open(path, "wb") as out:
        out.write(riff_chunk(b"RIFF", body))


def write_bit_field_movies(folder):
    """Movies of frames stored with bit fields (5-6-5, 5-5-5, 8-8-8 and
    8-8-8 blue on top with an alpha byte), either row order, each beside its
    plain twin: the same rows where the masks say what BI_RGB says, else
    24-bit rows of each channel's bits repeated below it; and one whose
    masks overlap."""
    width, height = 10, 6
    for name, bits, masks, plain_bits in [("565", 16, [0xF800, 0x07E0, 0x001F], 24),
                                          ("555", 16, [0x7C00, 0x03E0, 0x001F], 16),
                                          ("888", 32, [0xFF0000, 0x00FF00, 0x0000FF], 32),
                                          ("bgr", 32, [0x0000FF, 0x00FF00, 0xFF0000], 24)]:
        runs = [((m & -m).bit_length() - 1, bin(m).count("1")) for m in masks]
        for order, sign in (("", 1), ("_topdown", -1)):
            fields, plain = [], []
            for f in range(3):
                values = [[(x * 7 + y * 5 + f * 3 + k * 11) % (1 << w) for k, (_, w) in enumerate(runs)]
                          for y in range(height) for x in range(width)]
                pixels = [sum(v << s for v, (s, _) in zip(vs, runs)) | (0xFF000000 if name == "bgr" else 0)
                          for vs in values]
                levels = [bytes(widen(v, w) for v, (_, w) in reversed(list(zip(vs, runs)))) for vs in values]
                rows = [b"".join(p.to_bytes(bits // 8, "little") for p in pixels[y * width:(y + 1) * width])
                        for y in range(height)]
                twins = [b"".join(levels[y * width:(y + 1) * width]) for y in range(height)] if plain_bits == 24 else rows
                fields.append(b"".join(r + bytes(-len(r) % 4) for r in rows))
                plain.append(b"".join(r + bytes(-len(r) % 4) for r in twins))
            write_raw_avi(os.path.join(folder, f"fields{name}{order}.avi"), width, sign * height, bits, masks, fields)
            write_raw_avi(os.path.join(folder, f"plain{name}{order}.avi"), width, sign * height, plain_bits, [], plain)
    write_raw_avi(os.path.join(folder, "badmasks.avi"), width, height, 16, [0xF800, 0x0FE0, 0x001F],
                  [bytes(20 * height)] * 3)


def widen(value, width):
    """A channel of `width` bits as 8 bits, its bits repeated below it."""
    return sum(value << s if s >= 0 else value >> -s for s in range(8 - width, -width, -width)) & 255


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
