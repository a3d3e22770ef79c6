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

Then two more tables. Lossy, on the true-colour clips (pan, screen
recording, ball over a gradient): size and mean SSIM (ffmpeg's ssim filter
against the bitmaps) of ours at --lossy levels, of gifsicle -O3 --lossy at
levels 20 to 200 applied to our lossless GIF, and of gifski --quality
(fetched from npm by the colour benchmark's helper); below each peer's
file, the smallest of ours with an SSIM at least as high (goal: no larger).
Fit under a size: for every clip, --max-size of a quarter and of a tenth
of our lossless file: the size written against the limit (goal: under it,
within 10 %), the choices it took and the export's time.

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
from PIL import Image  # noqa: E402
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
        "screen recording": lambda f: picture_clip(f, colour_bench.screen_frames(WIDTH, HEIGHT, count, photo)),
        "still background": lambda f: picture_clip(f, colour_bench.gradient_frames(WIDTH, HEIGHT, count, photo)),
        "photograph pan": lambda f: picture_clip(f, colour_bench.pan_frames(WIDTH, HEIGHT, count, photo)),
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
    folders = {title: os.path.join(work, title.split()[0] + str(count)) for title in clips}
    lossy_table(wine, cli, work, count, [(t, folders[t]) for t in ("photograph pan", "screen recording",
                                                                      "still background")])
    fit_table(wine, cli, list(folders.items()))
    print()
    print("With the first image's top-left colour transparent (the program's default); sizes in KiB")
    print(f"{'clip':22} {'plain':>8} {'ours':>8} {'plain/ours':>11} {'same frames':>12}")
    for title, plain, ours, same in transparent:
        print(f"{title:22} {plain:8.0f} {ours:8.0f} {plain / ours:11.2f} {'yes' if same else 'NO':>12}")


# The true-colour clips' frames.
WIDTH, HEIGHT = 320, 240
LOSSY_LEVELS = (20, 60, 120, 200)
# Ours at more levels than the peers', so that "at least the peer's SSIM"
# finds the level a user would pick; the low ones matter on sharp pictures.
OUR_LOSSY_LEVELS = (5, 10, 15, 20, 30, 40, 60, 90, 120, 160, 200)
GIFSKI_QUALITIES = (90, 70, 50)


def ssim_of(gif, folder, count):
    measured = colour_bench.quality(gif, folder, count, WIDTH, HEIGHT)
    return measured[0] if measured else float("nan")


def lossy_table(wine, cli, work, count, folders):
    gifski = colour_bench.fetch_gifski(os.path.join(work, "cache"))
    print()
    print("Lossy: size in KiB and mean SSIM; 'ours at >=' is our smallest file whose SSIM is at least the peer's")
    print(f"{'clip':18} {'file':24} {'KiB':>8} {'SSIM':>7} {'ours at >=':>11} {'ours/peer':>10}")
    for title, folder in folders:
        common = ["--rate", "10", "--transparency", "none", "--force"]
        ours = []
        for level in (0,) + OUR_LOSSY_LEVELS:
            name = f"lossy{level}.gif"
            cli_bench.run_quietly([wine, cli, "animate", "clip.seq", "--output", name, "--lossy", str(level)] + common,
                                  cwd=folder)
            path = os.path.join(folder, name)
            ours.append((f"ours --lossy {level}", os.path.getsize(path) / 1024, ssim_of(path, folder, count)))
        peers = []
        for level in LOSSY_LEVELS:
            name = f"gifsicle{level}.gif"
            cli_bench.run_quietly(["gifsicle", "-O3", f"--lossy={level}", "lossy0.gif", "-o", name], cwd=folder)
            path = os.path.join(folder, name)
            peers.append((f"gifsicle --lossy={level}", os.path.getsize(path) / 1024, ssim_of(path, folder, count)))
        for n in range(count):
            Image.open(os.path.join(folder, f"f{n:04d}.bmp")).save(os.path.join(folder, f"f{n:04d}.png"))
        for quality in GIFSKI_QUALITIES:
            name = f"gifski{quality}.gif"
            cli_bench.run_quietly([gifski, "--fps", "10", "--quality", str(quality), "-o", name]
                                  + [f"f{n:04d}.png" for n in range(count)], cwd=folder)
            path = os.path.join(folder, name)
            if os.path.exists(path):
                peers.append((f"gifski --quality {quality}", os.path.getsize(path) / 1024, ssim_of(path, folder, count)))
        for label, size, ssim in ours:
            print(f"{title:18} {label:24} {size:8.1f} {ssim:7.4f}")
        for label, size, ssim in peers:
            match = [o for o in ours if o[2] >= ssim]
            best = min(match, key=lambda o: o[1]) if match else None
            at = f"{best[1]:11.1f}" if best else f"{'none':>11}"
            ratio = f"{best[1] / size:10.2f}" if best else f"{'':>10}"
            print(f"{title:18} {label:24} {size:8.1f} {ssim:7.4f} {at} {ratio}")


def fit_table(wine, cli, folders):
    print()
    print("Fit under a size: limits of a quarter and a tenth of our lossless file")
    print(f"{'clip':22} {'limit KiB':>10} {'written KiB':>12} {'of limit':>9} {'seconds':>8}  choices")
    loader = cli_bench.wine_loader(wine)
    for title, folder in folders:
        lossless = os.path.getsize(os.path.join(folder, "ours.gif"))
        for part in (4, 10):
            limit = lossless // part
            args = [loader, cli, "animate", "clip.seq", "--output", f"fit{part}.gif", "--max-size", str(limit),
                    "--rate", "10", "--transparency", "none", "--force"]
            measured = cli_bench.timed(args, folder)
            _, _, err = cli_bench.run_quietly(args, cwd=folder)
            note = [line for line in err.splitlines() if "bytes, under" in line]
            choices = note[-1].split(", with ", 1)[1] if note else "nothing fits"
            path = os.path.join(folder, f"fit{part}.gif")
            written = os.path.getsize(path) if note and os.path.exists(path) else 0
            seconds = measured[0] if measured else float("nan")
            print(f"{title:22} {limit / 1024:10.1f} {written / 1024:12.1f} {written / limit:9.2f} {seconds:8.2f}  "
                  f"{choices}")


if __name__ == "__main__":
    main()
