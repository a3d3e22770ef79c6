#!/usr/bin/python3
"""Animation benchmark: reelwright-cli animate (under Wine) against
ImageMagick's convert and ffmpeg, each writing one GIF from the same
deterministic 8-bit 640x480 frames, given as numbered bitmaps and as an
uncompressed 8-bit AVI. Prints wall time, peak resident memory, output
size and the ratios to reelwright-cli. A script that prints figures, not a
test.

Each tool runs BENCH_ROUNDS times (default 3), taking turns with the others.
Peak memory is /usr/bin/time's maximum resident set of the process tree it
waits for: for Wine that is the program's own process (wineserver is a
separate daemon, started beforehand and not counted).

Usage: cli_bench.py <wine.sh> <reelwright-cli.exe> <work folder> [frame counts...]"""
import os
import re
import statistics
import shutil
import subprocess
import sys

from PIL import Image

WIDTH, HEIGHT = 640, 480
ROUNDS = int(os.environ.get("BENCH_ROUNDS", "3"))


def palette():
    rgb = []
    for i in range(256):
        rgb += [(i * 7) & 255, (i * 3 + 40) & 255, 255 - i]
    return rgb


def frame_bytes(n):
    # Bands that move from frame to frame, with detail that grows towards
    # the bottom right corner; fifty different pictures, repeated.
    row = bytearray(WIDTH)
    out = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            row[x] = ((x + 2 * n) // 8 + (y // 16) * 5 + ((x * y) >> 11) + n) & 255
        out += row
    return bytes(out)


def make_frames(folder, count):
    os.makedirs(folder, exist_ok=True)
    pal = palette()
    pictures = {}
    for n in range(count):
        path = os.path.join(folder, f"frame{n:04d}.bmp")
        if os.path.exists(path):
            continue
        if n % 50 not in pictures:
            pictures[n % 50] = frame_bytes(n % 50)
        im = Image.frombytes("P", (WIDTH, HEIGHT), pictures[n % 50])
        im.putpalette(pal)
        im.save(path)


def timed(args, cwd):
    """(seconds, peak KiB) of one run; None, with the reason printed, when it fails."""
    r = subprocess.run(["/usr/bin/time", "-v"] + args, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        reason = r.stderr.split("\tCommand being timed")[0].strip().splitlines()
        print(f"{args[0]} failed: {reason[0] if reason else 'exit status ' + str(r.returncode)}")
        return None
    wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", r.stderr)
    seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", r.stderr).group(1))
    return seconds, peak


def main():
    wine, cli, work = (os.path.abspath(a) for a in sys.argv[1:4])
    counts = [int(c) for c in sys.argv[4:]] or [100, 1000]
    os.makedirs(work, exist_ok=True)
    # Process start under Wine, on its own: with wineserver stopped (the first
    # Wine program of a while starts it), then with it running.
    subprocess.run(["wineserver", "-k"], capture_output=True)
    subprocess.run(["wineserver", "-w"], capture_output=True)
    cold = timed([wine, cli, "--version"], work)
    warm = [timed([wine, cli, "--version"], work) for _ in range(ROUNDS)]
    # From here on wineserver stays up between the runs (it would stop 3 s
    # after each Wine program and the next would pay its start again).
    subprocess.run(["wineserver", "-p60"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    rows = []
    for count in counts:
        folder = os.path.join(work, f"frames{count}")
        make_frames(folder, count)
        bmps = [f"frame{n:04d}.bmp" for n in range(count)]
        avi = os.path.join(folder, "movie.avi")
        if not os.path.exists(avi):
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-framerate", "10", "-i", "frame%04d.bmp",
                            "-frames:v", str(count), "-c:v", "rawvideo", "-pix_fmt", "pal8", "movie.avi"],
                           cwd=folder, check=True)
        for source in ("bitmaps", "avi"):
            project = f"{source}.seq"
            files = bmps if source == "bitmaps" else ["movie.avi"]
            subprocess.run([wine, cli, "create", project, "--force"] + files, cwd=folder, capture_output=True,
                           check=True)
            # The image sequence reader takes a rate; the movie has its own.
            inputs = ["-framerate", "10", "-i", "frame%04d.bmp"] if source == "bitmaps" else ["-i", "movie.avi"]
            runs = [("reelwright-cli", [wine, cli, "animate", project, "--output", "rw.gif", "--rate", "10",
                                        "--transparency", "none"], "rw.gif"),
                    ("ffmpeg", ["ffmpeg", "-v", "error", "-y"] + inputs + ["-frames:v", str(count), "ff.gif"],
                     "ff.gif")]
            if source == "bitmaps":
                runs.append(("convert", ["convert", "-delay", "10", "-loop", "0"] + bmps + ["im.gif"], "im.gif"))
            # Rounds, the tools taking turns within each, so that a slow
            # moment of the machine falls on all of them; the median counts.
            samples = {}
            for _ in range(ROUNDS):
                for tool, args, output in runs:
                    measured = timed(args, folder)
                    if measured is not None:
                        samples.setdefault(tool, []).append(
                            measured + (os.path.getsize(os.path.join(folder, output)),))
            results = {tool: (statistics.median(s[0] for s in runs_of), max(s[1] for s in runs_of), runs_of[-1][2])
                       for tool, runs_of in samples.items()}
            base = results.get("reelwright-cli")
            if base is None:
                continue
            for tool, (seconds, peak, size) in results.items():
                rows.append((count, source, tool, seconds, peak, size, seconds / base[0], peak / base[1],
                             size / base[2]))
            for name in os.listdir(folder):
                if name.endswith(".gif"):
                    os.remove(os.path.join(folder, name))
    print(f"{'frames':>6} {'input':<8} {'tool':<15} {'wall s':>8} {'peak MiB':>9} {'output KiB':>10}"
          f" {'time x':>7} {'mem x':>7} {'size x':>7}")
    for count, source, tool, seconds, peak, size, rt, rm, rs in rows:
        print(f"{count:>6} {source:<8} {tool:<15} {seconds:>8.2f} {peak / 1024:>9.1f} {size / 1024:>10.0f}"
              f" {rt:>7.2f} {rm:>7.2f} {rs:>7.3f}")
    if cold is not None and all(warm):
        print(f"reelwright-cli --version alone: {cold[0]:.2f} s with wineserver stopped,"
              f" {statistics.median(w[0] for w in warm):.2f} s with it running")
    print(f"wall time: median of {ROUNDS} rounds; peak: the highest of them; ratios are to reelwright-cli"
          " on the same input; wineserver's memory is not counted")


if __name__ == "__main__":
    main()
