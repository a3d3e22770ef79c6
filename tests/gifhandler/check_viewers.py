#!/usr/bin/python3
"""Decodes the GIF files transparency_test wrote as two kinds of viewer show
them, each playing the file twice without clearing the screen between plays:
  giflib     the images as giflib reads them (gifdump), composed by the
             format's rules: a transparent index leaves what is under it,
             disposal 2 clears the image's box, 3 puts back what was there;
  magick     ImageMagick's coalesce of the file given twice.
Every frame of both plays must be the frame written beside the file (.rgba:
red, green, blue, alpha per pixel, top row first; alpha 0 is clear), held to
the rule of its .check file:
    size <width> <height> <frames>
    exact                   every pixel as written
    psnr <dB>               clear exactly where written, the colours of the
                            other pixels at least this close
Usage: check_viewers.py <folder> <gifdump> <name>...  (every name must be there)"""
import math
import pathlib
import subprocess
import sys


def giflib_frames(gif, gifdump):
    """Each frame of two plays, RGBA, as giflib's images composed give it."""
    lines = subprocess.run([gifdump, str(gif)], check=True, capture_output=True, text=True).stdout.split("\n")
    width = height = 0
    global_table, images, control = [], [], None
    for i, line in enumerate(lines):
        words = line.split()
        if not words:
            continue
        if words[0] == "screen":
            width, height = int(words[1]), int(words[2])
        elif words[0] == "colours":
            global_table = bytes.fromhex(words[1])
        elif words[0] == "control":
            control = (int(words[1], 16), int(words[3]))
        elif words[0] == "image":
            left, top, w, h, _, has_local = map(int, words[1:7])
            table, n = global_table, i + 1
            if has_local:
                table, n = bytes.fromhex(lines[n].split()[1]), n + 1
            pixels = bytes.fromhex(lines[n].split()[1])
            packed, transparent = control if control else (0, 0)
            images.append((left, top, w, h, table, pixels, (packed >> 2) & 7,
                           transparent if packed & 1 else None))
            control = None
    canvas = bytearray(4 * width * height)
    frames = []
    for left, top, w, h, table, pixels, disposal, transparent in images * 2:
        saved = bytes(canvas)
        for y in range(h):
            for x in range(w):
                index = pixels[y * w + x]
                if index == transparent or left + x >= width or top + y >= height:
                    continue
                at = 4 * ((top + y) * width + left + x)
                canvas[at:at + 4] = table[3 * index:3 * index + 3] + b"\xff"
        frames.append(bytes(canvas))
        if disposal == 2:
            for y in range(top, min(top + h, height)):
                canvas[4 * (y * width + left):4 * (y * width + min(left + w, width))] = bytes(4 * (min(left + w, width) - left))
        elif disposal == 3:
            canvas[:] = saved
    return width, height, frames


def magick_frames(gif):
    """Each frame of two plays as ImageMagick composes them, RGBA, the colour
    of clear pixels cleared."""
    run = lambda *args: subprocess.run(args, check=True, capture_output=True).stdout
    size = run("identify", "-format", "%W %H\n", str(gif)).decode().split("\n")[0]
    width, height = (int(v) for v in size.split())
    data = bytearray(run("convert", str(gif), str(gif), "-coalesce", "-depth", "8", "rgba:-"))
    for i in range(3, len(data), 4):
        if data[i] == 0:
            data[i - 3:i] = b"\0\0\0"
    step = 4 * width * height
    return width, height, [bytes(data[n:n + step]) for n in range(0, len(data), step)]


def compare(shown, wanted, rule):
    """Why a frame shown is not the frame wanted, or None."""
    clear = sum(1 for i in range(3, len(wanted), 4) if (shown[i] == 0) != (wanted[i] == 0))
    if clear:
        return f"{clear} pixels clear where they must not be, or not clear where they must"
    if rule[0] == "exact":
        wrong = sum(1 for i in range(0, len(wanted), 4) if shown[i:i + 4] != wanted[i:i + 4])
        return f"{wrong} pixels of other colours" if wrong else None
    pairs = [(shown[i + c], wanted[i + c]) for i in range(0, len(wanted), 4) if wanted[i + 3] for c in range(3)]
    mse = sum((a - b) ** 2 for a, b in pairs) / max(1, len(pairs))
    value = float("inf") if mse == 0 else 10 * math.log10(255 * 255 / mse)
    return f"PSNR {value:.1f} dB, below {rule[1]}" if value < float(rule[1]) else None


def check(folder, gifdump, name):
    rules = [line.split() for line in (folder / f"{name}.check").read_text().split("\n") if line.strip()]
    width, height, count = map(int, rules[0][1:4])
    expected = (folder / f"{name}.rgba").read_bytes()
    size = 4 * width * height
    wanted = [expected[n * size:(n + 1) * size] for n in range(count)] * 2
    gif = folder / f"{name}.gif"
    for viewer, (w, h, frames) in (("giflib", giflib_frames(gif, gifdump)), ("magick", magick_frames(gif))):
        if (w, h) != (width, height):
            return f"{viewer}: screen {w}x{h}, not {width}x{height}"
        if len(frames) != len(wanted):
            return f"{viewer}: {len(frames)} frames in two plays, not {len(wanted)}"
        for n, (shown, want) in enumerate(zip(frames, wanted)):
            problem = compare(shown, want, rules[1])
            if problem:
                return f"{viewer}: play {n // count + 1}, frame {n % count}: {problem}"
    return None


def main():
    folder, gifdump, names = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3:]
    if not names:
        print("no files named")
        return 1
    failed = 0
    for name in names:
        problem = "not written" if not (folder / f"{name}.gif").exists() else check(folder, gifdump, name)
        print(f"{'ok  ' if problem is None else 'FAIL'} {name}.gif" + (f": {problem}" if problem else ""))
        failed += problem is not None
    print(f"{len(names) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
