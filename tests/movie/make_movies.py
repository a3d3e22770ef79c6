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
