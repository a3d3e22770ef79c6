#!/usr/bin/python3
"""Size benchmark: what frame differencing saves. For each clip it prints
the size of reelwright-cli's plain GIF (--plain: every image whole), of its
differenced GIF (the default), of ffmpeg's GIF, and of gifsicle -O3 applied
to our plain GIF, with the ratios, and beside them whether the differenced
GIF shows exactly the plain one's frames (every frame composited as a viewer
shows it, with its delay, by the colour tests' ImageMagick compositor). A
second table does the same for our two GIFs with the program's default
transparency, the first image's top-left colour. A script that prints
figures, not a test.

The clips: ffmpeg's testsrc2 pattern at 640x480 as 8-bit bitmaps (full
motion), the animation benchmark's 8-bit 640x480 bands (cli_bench), and
from the colour benchmark a screen recording (a cursor moving over still
text), a ball moving over a still gradient and a pan across a photograph.
The goal for the lossless clips (all but the pan, where ffmpeg's fixed
palette is not lossless): ours no larger than the smaller of ffmpeg's GIF
and gifsicle -O3's ("ours/best" at most 1.00).

Usage: size_bench.py <wine.sh> <reelwright-cli.exe> <work folder> [frames]"""
import os
import shutil
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
sys.path.insert(0, os.path.join(os.path.dirname(here), "tests", "gifhandler"))
import cli_bench  # noqa: E402
import colour_bench  # noqa: E402
from check_colours import composited  # noqa: E402


def bands_clip(folder, count):
    cli_bench.make_frames(folder, count)
    for n in range(count):
        os.replace(os.path.join(folder, f"frame{n:04d}.bmp"), os.path.join(folder, f"f{n:04d}.bmp"))


def testsrc_clip(folder, count):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=10",
                    "-frames:v", str(count), "-pix_fmt", "pal8", "-start_number", "0", "f%04d.bmp"],
                   cwd=folder, check=True)


def picture_clip(folder, frames):
    os.makedirs(folder, exist_ok=True)
    for n, frame in enumerate(frames):
        frame.save(os.path.join(folder, f"f{n:04d}.bmp"))


def main():
    wine, cli, work = (os.path.abspath(a) for a in sys.argv[1:4])
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 60
    os.environ.setdefault("WINEPREFIX", os.path.join(os.path.dirname(os.path.dirname(wine)), "build", "wineprefix"))
    photo = colour_bench.fetch_photograph(os.path.join(work, "cache"))
    clips = {
        "testsrc2 640x480 8-bit": lambda f: testsrc_clip(f, count),
        "bands 640x480 8-bit": lambda f: bands_clip(f, count),
        "screen recording": lambda f: picture_clip(f, colour_bench.screen_frames(count)),
        "still background": lambda f: picture_clip(f, colour_bench.gradient_frames(count)),
        "photograph pan": lambda f: picture_clip(f, colour_bench.pan_frames(photo, count)),
    }
    print(f"{count} frames a clip; sizes in KiB; ratios to the differenced GIF")
    print(f"{'clip':22} {'plain':>8} {'ours':>8} {'ffmpeg':>8} {'gifsicle':>9} {'ffmpeg/ours':>12} "
          f"{'ours/gifsicle':>14} {'ours/best':>10} {'same frames':>12}")
    transparent = []
    for title, make in clips.items():
        folder = os.path.join(work, title.split()[0] + str(count))
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        make(folder)
        bitmaps = sorted(n for n in os.listdir(folder) if n.endswith(".bmp"))
        cli_bench.run_quietly([wine, cli, "create", "clip.seq"] + bitmaps + ["--force"], cwd=folder)
        common = ["--rate", "10", "--transparency", "none", "--force"]
        cli_bench.run_quietly([wine, cli, "animate", "clip.seq", "--output", "plain.gif", "--plain"] + common, cwd=folder)
        cli_bench.run_quietly([wine, cli, "animate", "clip.seq", "--output", "ours.gif"] + common, cwd=folder)
        cli_bench.run_quietly(["ffmpeg", "-y", "-loglevel", "error", "-framerate", "10", "-i", "f%04d.bmp",
                               "ffmpeg.gif"], cwd=folder)
        cli_bench.run_quietly(["gifsicle", "-O3", "plain.gif", "-o", "gifsicle.gif"], cwd=folder)
        sizes = {}
        for name in ("plain", "ours", "ffmpeg", "gifsicle"):
            path = os.path.join(folder, f"{name}.gif")
            sizes[name] = os.path.getsize(path) / 1024 if os.path.exists(path) else float("nan")
        same = composited(os.path.join(folder, "ours.gif")) == composited(os.path.join(folder, "plain.gif"))
        first = ["--rate", "10", "--transparency", "first", "--force"]
        cli_bench.run_quietly([wine, cli, "animate", "clip.seq", "--output", "plain_first.gif", "--plain"] + first,
                              cwd=folder)
        cli_bench.run_quietly([wine, cli, "animate", "clip.seq", "--output", "ours_first.gif"] + first, cwd=folder)
        plain_first = os.path.join(folder, "plain_first.gif")
        ours_first = os.path.join(folder, "ours_first.gif")
        transparent.append((title, os.path.getsize(plain_first) / 1024, os.path.getsize(ours_first) / 1024,
                            composited(ours_first) == composited(plain_first)))
        best = min(sizes["ffmpeg"], sizes["gifsicle"])
        print(f"{title:22} {sizes['plain']:8.1f} {sizes['ours']:8.1f} {sizes['ffmpeg']:8.1f} {sizes['gifsicle']:9.1f} "
              f"{sizes['ffmpeg'] / sizes['ours']:12.2f} {sizes['ours'] / sizes['gifsicle']:14.3f} "
              f"{sizes['ours'] / best:10.3f} {'yes' if same else 'NO':>12}")
    print()
    print("With the first image's top-left colour transparent (the program's default); sizes in KiB")
    print(f"{'clip':22} {'plain':>8} {'ours':>8} {'plain/ours':>11} {'same frames':>12}")
    for title, plain, ours, same in transparent:
        print(f"{title:22} {plain:8.0f} {ours:8.0f} {plain / ours:11.2f} {'yes' if same else 'NO':>12}")


if __name__ == "__main__":
    main()
