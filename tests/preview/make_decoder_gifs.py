#!/usr/bin/python3
"""Makes the GIFs the decoder test reads, with other encoders (ImageMagick,
giflib's gifbuild, gifsicle, PIL), and next to each what an outside decoder
shows: ImageMagick's composed frames.

    make_decoder_gifs.py <folder>

For each case <name>: <name>.gif, <name>.rgba (every frame composed, RGBA,
top row first, the colour of fully transparent pixels cleared to 0) and
<name>.txt ("<width> <height> <frames> <loop or -1>" then one delay per
frame in hundredths).
"""
import random
import subprocess
import sys
from pathlib import Path

from PIL import Image

from magick_frames import composed, run


def palette_frames(count, size, seed):
    rnd = random.Random(seed)
    frames = []
    for n in range(count):
        image = Image.new("P", size)
        image.putpalette([rnd.randrange(256) for _ in range(768)])
        image.putdata([(x * 7 + y * 3 + n * 11) % 256 for y in range(size[1]) for x in range(size[0])])
        frames.append(image)
    return frames


def make_pil(folder):
    # Full frames, each with colours of its own (local tables), loop for ever.
    frames = palette_frames(3, (40, 30), 1)
    frames[0].save(folder / "pil_local_tables.gif", save_all=True, append_images=frames[1:],
                   duration=[100, 200, 50], loop=0, optimize=False)
    # A transparent index, frames that leave the screen clear (disposal 2).
    frames = []
    for n in range(4):
        image = Image.new("P", (32, 24), 0)
        image.putpalette([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255] + [0] * 756)
        for y in range(4 + n, 12 + n):
            for x in range(3 * n, 3 * n + 10):
                image.putpixel((x, y), 1 + n % 3)
        frames.append(image)
    frames[0].save(folder / "pil_transparent.gif", save_all=True, append_images=frames[1:],
                   duration=70, loop=2, transparency=0, disposal=2, optimize=False)
    # Noise of 256 colours: the code table fills and is cleared many times;
    # no loop extension.
    rnd = random.Random(7)
    image = Image.new("P", (200, 150))
    image.putpalette([rnd.randrange(256) for _ in range(768)])
    image.putdata([rnd.randrange(256) for _ in range(200 * 150)])
    image.save(folder / "pil_noise.gif")
    # Two colours: the smallest code size.
    image = Image.new("P", (33, 17))
    image.putpalette([255, 255, 255, 10, 20, 30] + [0] * 762)
    image.putdata([(x // 3 + y) % 2 for y in range(17) for x in range(33)])
    image.save(folder / "pil_two_colours.gif")


def make_magick(folder):
    base = ["-size", "60x40", "gradient:red-blue"]
    parts = ["(", "-size", "12x10", "xc:yellow", "-repage", "+5+4", ")",
             "(", "-size", "20x8", "xc:green", "-repage", "+30+20", ")",
             "(", "-size", "60x40", "xc:none", "-fill", "white", "-draw", "circle 30,20 30,28", ")"]
    # The first image stays (browsers and ImageMagick differ over a first
    # image that asks for the screen before it back); the others go as named.
    for dispose, name in (("None", "im_dispose_none"), ("Background", "im_dispose_background"),
                          ("Previous", "im_dispose_previous")):
        run("convert", "-delay", "13", "-dispose", "None", *base, "-dispose", dispose, *parts, "-loop", "3",
            str(folder / f"{name}.gif"))
    run("convert", "-size", "64x64", "gradient:white-black", "(", "-size", "64x64", "plasma:fractal", ")",
        "-delay", "4", "-interlace", "GIF", "-loop", "0", str(folder / "im_interlaced.gif"))
    # Frames of a clip optimised into small transparent differences.
    run("convert", "-delay", "8", "-size", "48x48", "xc:skyblue",
        "(", "+clone", "-fill", "red", "-draw", "rectangle 5,5 20,20", ")",
        "(", "+clone", "-fill", "blue", "-draw", "rectangle 15,10 40,30", ")",
        "-layers", "Optimize", "-loop", "0", str(folder / "im_optimized.gif"))


def make_giflib(folder):
    # giflib's own encoder: gifbuild's dump of a GIF built back.
    for source in ("im_dispose_previous", "pil_noise"):
        dump = run("gifbuild", "-d", str(folder / f"{source}.gif"))
        (folder / f"giflib_{source}.txt.in").write_bytes(dump)
        built = subprocess.run(["gifbuild"], input=dump, check=True, capture_output=True).stdout
        (folder / f"giflib_{source}.gif").write_bytes(built)
        (folder / f"giflib_{source}.txt.in").unlink()


def make_gifsicle(folder):
    run("gifsicle", "-O3", "--colors", "64", str(folder / "im_interlaced.gif"),
        "-o", str(folder / "gifsicle_o3.gif"))


def expect(gif):
    frames, delays, width, height = composed(gif)
    loop = Image.open(gif).info.get("loop")
    gif.with_suffix(".rgba").write_bytes(b"".join(frames))
    text = f"{width} {height} {len(frames)} {-1 if loop is None else loop}\n"
    text += "\n".join(str(d) for d in delays) + "\n"
    gif.with_suffix(".txt").write_text(text)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    make_pil(folder)
    make_magick(folder)
    make_giflib(folder)
    make_gifsicle(folder)
    names = sorted(p.stem for p in folder.glob("*.gif"))
    for name in names:
        expect(folder / f"{name}.gif")
    (folder / "cases.txt").write_text("\n".join(names) + "\n")
    print("made", len(names), "cases in", folder)


if __name__ == "__main__":
    main()
