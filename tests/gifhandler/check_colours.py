#!/usr/bin/python3
"""Decodes the GIF files colour_test wrote, with PIL, and holds each frame
as a viewer shows it to the colours written beside it (.rgb) by the rules
of its .check file:
    size <width> <height> <frames>  (the top-left part of each frame compared)
    exact [<frame>...]      every pixel its exact colour (in those frames)
    psnr <dB> [<frame>...]  each frame (of those) at least this close
    flat <x> <y> <w> <h>    the area one colour in every frame
    still <x> <y> <w> <h>   the area the same in every frame
or, alone:
    same <name>             every frame as a viewer shows it, and its delay, over
                            two rounds of the loop, the same as in <name>.gif (frame differencing against
                            the plain layout), composed by ImageMagick: PIL 9
                            carries a frame's disposal over to a next frame
                            whose disposal is unspecified, where viewers leave
                            that frame in place
Usage: check_colours.py <folder> <name>...  (every name must be there)"""
import math
import pathlib
import subprocess
import sys

from PIL import Image, ImageSequence


def frames_of(gif, width, height):
    with Image.open(gif) as image:
        return [frame.convert("RGB").crop((0, 0, width, height)).tobytes() for frame in ImageSequence.Iterator(image)]


def area(data, width, x, y, w, h):
    return [data[3 * ((y + j) * width + x + i):3 * ((y + j) * width + x + i) + 3] for j in range(h) for i in range(w)]


def psnr(a, b):
    mse = sum((p - q) ** 2 for p, q in zip(a, b)) / len(a)
    return float("inf") if mse == 0 else 10 * math.log10(255 * 255 / mse)


def composited(gif):
    """Each frame as ImageMagick composes it, twice over as a viewer loops
    the animation (the second round starts from what the last image left),
    RGBA with the colour of fully transparent pixels cleared, and its delay
    in hundredths."""
    run = lambda *args: subprocess.run(args, check=True, capture_output=True).stdout
    delays = run("identify", "-format", "%T %W %H\n", str(gif)).decode().split("\n")[:-1] * 2
    width, height = (int(v) for v in delays[0].split()[1:])
    data = bytearray(run("convert", str(gif), str(gif), "-coalesce", "-depth", "8", "rgba:-"))
    for i in range(3, len(data), 4):
        if data[i] == 0:
            data[i - 3:i] = b"\0\0\0"
    size = 4 * width * height
    return [(bytes(data[n * size:(n + 1) * size]), line.split()[0]) for n, line in enumerate(delays)]


def check(folder, name):
    rules = (folder / f"{name}.check").read_text().split("\n")
    if rules[0].startswith("same "):
        other = rules[0].split()[1]
        mine, theirs = composited(folder / f"{name}.gif"), composited(folder / f"{other}.gif")
        size, other_size = (folder / f"{name}.gif").stat().st_size, (folder / f"{other}.gif").stat().st_size
        print(f"     {name}: {size} bytes against {other_size} plain")
        if len(mine) != len(theirs):
            return f"{len(mine)} frames, not {len(theirs)}"
        for n, (a, b) in enumerate(zip(mine, theirs)):
            if a != b:
                return f"frame {n} differs from {other}.gif" + (" (delay)" if a[0] == b[0] else "")
        return None
    _, width, height, count = rules[0].split()
    width, height, count = int(width), int(height), int(count)
    expected = (folder / f"{name}.rgb").read_bytes()
    size = 3 * width * height
    wanted = [expected[n * size:(n + 1) * size] for n in range(count)]
    shown = frames_of(folder / f"{name}.gif", width, height)
    if len(shown) != count:
        return f"{len(shown)} frames, not {count}"
    for rule in rules[1:]:
        words = rule.split()
        if not words:
            continue
        if words[0] == "exact":
            for n in [int(w) for w in words[1:]] or range(count):
                if shown[n] != wanted[n]:
                    return f"frame {n} is not exact"
        elif words[0] == "psnr":
            for n in [int(w) for w in words[2:]] or range(count):
                value = psnr(shown[n], wanted[n])
                print(f"     {name} frame {n}: PSNR {value:.1f} dB")
                if value < float(words[1]):
                    return f"frame {n}: PSNR {value:.1f} dB, below {words[1]}"
        elif words[0] in ("flat", "still"):
            x, y, w, h = map(int, words[1:])
            pieces = [area(frame, width, x, y, w, h) for frame in shown]
            if words[0] == "flat" and any(len(set(p)) != 1 for p in pieces):
                return f"area {x} {y} {w} {h} is not one colour"
            if words[0] == "still" and any(p != pieces[0] for p in pieces):
                return f"area {x} {y} {w} {h} changes between frames"
    return None


def main():
    folder, names = pathlib.Path(sys.argv[1]), sys.argv[2:]
    if not names:
        print("no files named")
        return 1
    failed = 0
    for name in names:
        problem = "not written" if not (folder / f"{name}.gif").exists() else check(folder, name)
        print(f"{'FAIL' if problem else 'ok  '} {name}.gif" + (f": {problem}" if problem else ""))
        failed += 1 if problem else 0
    print(f"{len(names) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
