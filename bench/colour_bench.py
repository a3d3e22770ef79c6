#!/usr/bin/python3
"""Colour benchmark: true-colour clips the script makes itself, written as
one GIF each by reelwright-cli animate (under Wine; from 24-bit bitmaps and
from a raw 24-bit AVI), by ffmpeg's two-pass recipe (palettegen and
paletteuse), by ImageMagick's convert and by gifski. For every GIF it
prints the mean and the worst frame's SSIM against the source frames, the
mean PSNR, whether it is lossless, its size, wall time and peak memory.
A script that prints figures, not a test.

The clips, WIDTH x HEIGHT:
  pan       a slow pan across a photograph (the coffee picture that Debian's
            python3-skimage package ships, taken from the package file)
  screen    flat panels, anti-aliased text and a moving cursor
  gradient  a smooth gradient with a ball moving over it
  few       a picture of at most 200 colours, changing

ffmpeg measures SSIM and PSNR (its ssim and psnr filters, on the decoded
GIF against the bitmaps). gifski comes from the npm package of that name,
fetched into the cache folder; the photograph likewise. Peak memory is
/usr/bin/time's maximum resident set (for Wine, the program's own process).

Usage: colour_bench.py <wine.sh> <reelwright-cli.exe> <work folder> [frame counts...]"""
import glob
import math
import os
import re
import shutil
import subprocess
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_bench  # noqa: E402  (its runner, timer and Wine set-up)

WIDTH, HEIGHT = 320, 240
RATE = 10


def fetch_photograph(cache):
    """The coffee photograph from Debian's python3-skimage package file."""
    path = os.path.join(cache, "coffee.png")
    if os.path.exists(path):
        return path
    os.makedirs(cache, exist_ok=True)
    subprocess.run(["apt-get", "download", "python3-skimage"], cwd=cache, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    package = glob.glob(os.path.join(cache, "python3-skimage_*.deb"))[0]
    unpacked = os.path.join(cache, "skimage")
    subprocess.run(["dpkg-deb", "-x", package, unpacked], check=True)
    shutil.copy(glob.glob(os.path.join(unpacked, "usr/lib/python3/dist-packages/skimage/data/coffee.png"))[0], path)
    return path


def fetch_gifski(cache):
    """gifski's Linux program from its npm package."""
    path = os.path.join(cache, "gifski")
    if os.path.exists(path):
        return path
    os.makedirs(cache, exist_ok=True)
    subprocess.run(["npm", "pack", "gifski@1.7.1"], cwd=cache, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["tar", "xzf", "gifski-1.7.1.tgz", "package/bin/debian/gifski"], cwd=cache, check=True)
    shutil.move(os.path.join(cache, "package/bin/debian/gifski"), path)
    os.chmod(path, 0o755)
    return path


def pan_frames(photo, count):
    picture = Image.open(photo).convert("RGB")
    reach = picture.width - WIDTH
    for n in range(count):
        x = round(reach * n / max(1, count - 1))
        yield picture.crop((x, 40, x + WIDTH, 40 + HEIGHT))


def screen_frames(count):
    big = Image.new("RGB", (2 * WIDTH, 2 * HEIGHT), (236, 236, 236))
    draw = ImageDraw.Draw(big)
    draw.rectangle((0, 0, 2 * WIDTH, 40), fill=(40, 70, 140))
    draw.rectangle((0, 40, 140, 2 * HEIGHT), fill=(250, 250, 250))
    for line in range(12):
        draw.text((170, 70 + 30 * line), f"Line {line}: the quick brown fox jumps over the lazy dog", fill=(20, 20, 20))
        draw.text((12, 70 + 30 * line), f"Item {line}", fill=(60, 60, 60))
    # Drawn at twice the size and halved: anti-aliased text.
    page = big.resize((WIDTH, HEIGHT), Image.LANCZOS)
    for n in range(count):
        frame = page.copy()
        d = ImageDraw.Draw(frame)
        x, y = 60 + 4 * n % (WIDTH - 80), 50 + 2 * n % (HEIGHT - 70)
        d.polygon([(x, y), (x, y + 16), (x + 4, y + 12), (x + 7, y + 18), (x + 9, y + 17), (x + 6, y + 11),
                   (x + 11, y + 11)], fill=(0, 0, 0), outline=(255, 255, 255))
        yield frame


def gradient_frames(count):
    background = Image.new("RGB", (WIDTH, HEIGHT))
    background.putdata([(x * 255 // WIDTH, y * 255 // HEIGHT, 255 - (x + y) * 255 // (WIDTH + HEIGHT))
                        for y in range(HEIGHT) for x in range(WIDTH)])
    for n in range(count):
        frame = background.copy()
        d = ImageDraw.Draw(frame)
        cx = 30 + (WIDTH - 60) * n // max(1, count - 1)
        cy = HEIGHT // 2 + int(60 * math.sin(n / 5))
        d.ellipse((cx - 20, cy - 20, cx + 20, cy + 20), fill=(230, 40, 40))
        yield frame


def few_frames(count):
    colours = [((i * 37) % 256, (i * 91) % 256, (i * 53) % 256) for i in range(200)]
    for n in range(count):
        frame = Image.new("RGB", (WIDTH, HEIGHT))
        frame.putdata([colours[(x // 8 + y // 8 * 7 + n) % 200] for y in range(HEIGHT) for x in range(WIDTH)])
        yield frame


def make_clip(folder, frames):
    os.makedirs(folder, exist_ok=True)
    for n, frame in enumerate(frames):
        frame.save(os.path.join(folder, f"f{n:04d}.bmp"))
        frame.save(os.path.join(folder, f"f{n:04d}.png"))
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-framerate", str(RATE), "-i",
                    os.path.join(folder, "f%04d.bmp"), "-c:v", "rawvideo", "-pix_fmt", "bgr24",
                    os.path.join(folder, "clip.avi")], check=True)


def lossless(gif, folder, count):
    """Whether every frame of the GIF shows its bitmap's colours exactly."""
    with Image.open(gif) as image:
        for n in range(count):
            try:
                image.seek(n)
            except EOFError:
                return False
            if image.convert("RGB").tobytes() != Image.open(os.path.join(folder, f"f{n:04d}.bmp")).convert("RGB").tobytes():
                return False
    return True


def quality(gif, folder, count):
    """(mean SSIM, worst frame's SSIM, mean PSNR, lossless) of the GIF's frames."""
    ssim_log, psnr_log = os.path.join(folder, "ssim.log"), os.path.join(folder, "psnr.log")
    graph = (f"[0:v]format=rgb24,split[a][b];[1:v]format=rgb24,split[c][d];"
             f"[a][c]ssim=stats_file={ssim_log};[b][d]psnr=stats_file={psnr_log}")
    code, _, _ = cli_bench.run_quietly(["ffmpeg", "-loglevel", "error", "-i", gif, "-framerate", str(RATE), "-i",
                                        os.path.join(folder, "f%04d.bmp"), "-frames:v", str(count), "-lavfi", graph,
                                        "-f", "null", "-"])
    if code != 0:
        return None
    ssim = [float(v) for v in re.findall(r"All:([\d.]+)", open(ssim_log).read())]
    mse = [float(v) for v in re.findall(r"mse_avg:([\d.]+)", open(psnr_log).read())]
    if not ssim or not mse:
        return None
    mean_mse = sum(mse) / len(mse)
    psnr = float("inf") if mean_mse == 0 else 10 * math.log10(255 * 255 / mean_mse)
    return sum(ssim) / len(ssim), min(ssim), psnr, lossless(gif, folder, count)


def main():
    wine, cli, work = (os.path.abspath(a) for a in sys.argv[1:4])
    counts = [int(c) for c in sys.argv[4:]] or [40]
    cache = os.path.join(work, "cache")
    photo, gifski = fetch_photograph(cache), fetch_gifski(cache)
    os.environ.setdefault("WINEPREFIX", os.path.join(os.path.dirname(os.path.dirname(wine)), "build", "wineprefix"))
    cli_bench.run_quietly([wine, cli, "--version"])
    loader = cli_bench.wine_loader(wine)
    cli_bench.stop_wineserver()
    subprocess.run(["wineserver", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    try:
        for count in counts:
            clips = {"pan": pan_frames(photo, count), "screen": screen_frames(count),
                     "gradient": gradient_frames(count), "few": few_frames(count)}
            print(f"\n{count} frames of {WIDTH}x{HEIGHT}, {RATE} a second")
            print(f"{'clip':9} {'tool':22} {'SSIM':>7} {'worst':>7} {'PSNR':>7} {'lossless':>8} "
                  f"{'KiB':>8} {'seconds':>8} {'MiB':>6}")
            for name, frames in clips.items():
                folder = os.path.join(work, f"{name}{count}")
                shutil.rmtree(folder, ignore_errors=True)
                make_clip(folder, frames)
                measure_clip(name, folder, count, wine, loader, cli, gifski)
    finally:
        cli_bench.stop_wineserver()


def measure_clip(name, folder, count, wine, loader, cli, gifski):
    bitmaps = sorted(glob.glob(os.path.join(folder, "f*.bmp")))
    pngs = sorted(glob.glob(os.path.join(folder, "f*.png")))
    # Projects are made once, untimed; the animation is what is timed.
    cli_bench.run_quietly([wine, cli, "create", "bitmaps.seq"] + [os.path.basename(b) for b in bitmaps] + ["--force"],
                          cwd=folder)
    cli_bench.run_quietly([wine, cli, "create", "movie.seq", "clip.avi", "--force"], cwd=folder)
    tools = [
        ("reelwright-cli bitmaps", [loader, cli, "animate", "bitmaps.seq", "--output", "ours_bmp.gif", "--force",
                                    "--rate", str(RATE), "--transparency", "none"], "ours_bmp.gif"),
        ("reelwright-cli avi", [loader, cli, "animate", "movie.seq", "--output", "ours_avi.gif", "--force",
                                "--rate", str(RATE), "--transparency", "none"], "ours_avi.gif"),
        ("ffmpeg two-pass", ["ffmpeg", "-y", "-loglevel", "error", "-framerate", str(RATE), "-i", "f%04d.bmp",
                             "-vf", "split[s0][s1];[s0]palettegen[p];[s1][p]paletteuse", "ffmpeg.gif"], "ffmpeg.gif"),
        ("ImageMagick convert", ["convert", "-delay", str(100 // RATE)] + [os.path.basename(b) for b in bitmaps]
         + ["magick.gif"], "magick.gif"),
        ("gifski", [gifski, "--fps", str(RATE), "-o", "gifski.gif"] + [os.path.basename(p) for p in pngs], "gifski.gif"),
    ]
    for title, args, output in tools:
        figures = cli_bench.timed(args, folder)
        measured = quality(os.path.join(folder, output), folder, count) if figures else None
        if not figures or not measured:
            print(f"{name:9} {title:22} {'failed':>7}")
            continue
        seconds, peak = figures
        mean, worst, psnr, lossless = measured
        size = os.path.getsize(os.path.join(folder, output)) / 1024
        print(f"{name:9} {title:22} {mean:7.4f} {worst:7.4f} {psnr:7.2f} {'yes' if lossless else 'no':>8} "
              f"{size:8.0f} {seconds:8.2f} {peak / 1024:6.0f}")


if __name__ == "__main__":
    main()
