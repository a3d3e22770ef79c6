#!/usr/bin/python3
"""Decodes the GIF files colour_test wrote, with PIL, and holds each frame
as a viewer shows it to the colours written beside it (.rgb) by the rules
of its .check file:
    size <width> <height> <frames> [composed]
                            (the top-left part of each frame compared; composed:
                            the frames as ImageMagick composes them, for files
                            whose images cover part of the screen)
    exact [<frame>...]      every pixel its exact colour (in those frames)
    psnr <dB> [<frame>...]  each frame (of those) at least this close
    flat <x> <y> <w> <h>    the area one colour in every frame
    still <x> <y> <w> <h> [<levels> [<plain>]]
                            the area the same in every frame (or within this
                            many levels a channel of the first; <plain> levels
                            in a file not composed)
    trail <levels> [<plain>]
                            a pixel whose colour has been the same for three
                            frames is shown at most this far from it in each
                            channel (<plain> levels in a file not composed)
    alone <name> <first> <dB>
                            the frames from <first> on (those of <name>.rgb) at
                            most this far below <name>.gif's own PSNR, of the
                            mean squared error over all of them; <name> decoded
                            as this file is
or, alone:
    same <name>             every frame as a viewer shows it, and its delay, over
                            two rounds of the loop, the same as in <name>.gif (frame differencing against
                            the plain layout), composed by ImageMagick: PIL 9
                            carries a frame's disposal over to a next frame
                            whose disposal is unspecified, where viewers leave
                            that frame in place
    seen <w> <h> <frames> exact|psnr <dB>
                            two rounds of the loop as giflib's images composed by
                            the format's rules and as ImageMagick composes them,
                            each frame the one written beside the file (.rgba,
                            alpha 0 where clear): clear exactly there, the other
                            pixels exact or at least this close
Usage: check_colours.py <folder> [--gifdump <path>] <name>...  (every name must be there)"""
import math
import pathlib
import subprocess
import sys

from PIL import Image, ImageSequence

GIFDUMP = "gifdump"


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


def giflib_composited(gif):
    """Each frame of two rounds of the loop, RGBA, as giflib's images give it
    composed by the format's rules: a transparent index leaves what is under
    it, disposal 2 clears the image's box, 3 puts back what was there."""
    lines = subprocess.run([GIFDUMP, str(gif)], check=True, capture_output=True, text=True).stdout.split("\n")
    canvas, frames, table, control, width = bytearray(), [], b"", (0, 0), 0
    for i, words in enumerate(line.split() for line in lines):
        if words and words[0] == "screen":
            width, canvas = int(words[1]), bytearray(4 * int(words[1]) * int(words[2]))
        elif words and words[0] == "colours":
            table = bytes.fromhex(words[1])
        elif words and words[0] == "control":
            control = (int(words[1], 16), int(words[3]))
        elif words and words[0] == "image":
            left, top, w, h, _, local = map(int, words[1:7])
            own = bytes.fromhex(lines[i + 1].split()[1]) if local else table
            frames.append((left, top, w, h, own, bytes.fromhex(lines[i + 1 + local].split()[1]), control))
            control = (0, 0)
    shown = []
    for left, top, w, h, own, pixels, (packed, transparent) in frames * 2:
        saved = bytes(canvas)
        for k, index in enumerate(pixels):
            if not (packed & 1 and index == transparent):
                at = 4 * ((top + k // w) * width + left + k % w)
                canvas[at:at + 4] = own[3 * index:3 * index + 3] + b"\xff"
        shown.append(bytes(canvas))
        for y in range(top, top + h) if packed >> 2 & 7 == 2 else ():
            canvas[4 * (y * width + left):4 * (y * width + left + w)] = bytes(4 * w)
        if packed >> 2 & 7 == 3:
            canvas[:] = saved
    return shown


def seen(folder, name, words):
    """Why two rounds of the loop do not show the frames written beside the
    file, with either decoder; None when they do."""
    width, height, count = map(int, words[1:4])
    expected, size = (folder / f"{name}.rgba").read_bytes(), 4 * width * height
    wanted = [expected[n * size:(n + 1) * size] for n in range(count)] * 2
    gif = folder / f"{name}.gif"
    for viewer, shown in (("giflib", giflib_composited(gif)), ("magick", [f for f, _ in composited(gif)])):
        for n, (a, b) in enumerate(zip(shown, wanted)):
            clear = sum(1 for i in range(3, size, 4) if (a[i] == 0) != (b[i] == 0))
            opaque = [i for i in range(size) if i % 4 != 3 and b[i | 3]]
            mse = sum((a[i] - b[i]) ** 2 for i in opaque) / max(1, len(opaque))
            close = mse == 0 or (words[4] == "psnr" and 10 * math.log10(255 * 255 / mse) >= float(words[5]))
            if clear or not close:
                return (f"{viewer}, round {n // count + 1}, frame {n % count}: {clear} pixels clear that must not be"
                        f" or not clear that must, colours off by {mse:.1f} (mean squared)")
        if len(shown) != len(wanted):
            return f"{viewer}: {len(shown)} frames in two rounds, not {len(wanted)}"
    return None


def shown_frames(gif, width, height, composed):
    """The frames as RGB, decoded by PIL or as ImageMagick composes them (the
    screen being as large as the frames)."""
    if not composed:
        return frames_of(gif, width, height)
    frames = [f for f, _ in composited(gif)]
    return [bytes(b for i, b in enumerate(f[:4 * width * height]) if i % 4 != 3) for f in frames[:len(frames) // 2]]


def mean_psnr(shown, wanted):
    mse = sum(sum((p - q) ** 2 for p, q in zip(a, b)) / len(a) for a, b in zip(shown, wanted)) / len(shown)
    return float("inf") if mse == 0 else 10 * math.log10(255 * 255 / mse)


def trail(shown, wanted, levels):
    """Why a pixel that has stood still for three frames is shown too far
    from its colour; None when none is."""
    for n in range(2, len(shown)):
        for i in range(0, len(wanted[n]), 3):
            if wanted[n][i:i + 3] == wanted[n - 1][i:i + 3] == wanted[n - 2][i:i + 3]:
                off = max(abs(a - b) for a, b in zip(shown[n][i:i + 3], wanted[n][i:i + 3]))
                if off > levels:
                    return f"frame {n}: pixel {i // 3} stands still and is {off} levels off"
    return None


def check(folder, name):
    rules = (folder / f"{name}.check").read_text().split("\n")
    if rules[0].startswith("seen "):
        return seen(folder, name, rules[0].split())
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
    words = rules[0].split()
    width, height, count = int(words[1]), int(words[2]), int(words[3])
    expected = (folder / f"{name}.rgb").read_bytes()
    size = 3 * width * height
    wanted = [expected[n * size:(n + 1) * size] for n in range(count)]
    composed = words[4:] == ["composed"]
    shown = shown_frames(folder / f"{name}.gif", width, height, composed)[:count]
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
        elif words[0] == "trail":
            problem = trail(shown, wanted, int(words[1 if composed or len(words) < 3 else 2]))
            if problem:
                return problem
        elif words[0] == "alone":
            other, first, most = words[1], int(words[2]), float(words[3])
            others = (folder / f"{other}.rgb").read_bytes()
            theirs = shown_frames(folder / f"{other}.gif", width, height, composed)
            mine = mean_psnr(shown[first:], wanted[first:])
            alone = mean_psnr(theirs, [others[n * size:(n + 1) * size] for n in range(len(theirs))])
            print(f"     {name}: frames from {first} at {mine:.2f} dB, {alone:.2f} dB alone")
            if mine < alone - most:
                return f"frames from {first}: {mine:.2f} dB, more than {most} dB below {alone:.2f} dB alone"
        elif words[0] in ("flat", "still"):
            x, y, w, h = map(int, words[1:5])
            levels = int(words[6 if len(words) > 6 and not composed else 5]) if len(words) > 5 else 0
            pieces = [area(frame, width, x, y, w, h) for frame in shown]
            if words[0] == "flat" and any(len(set(p)) != 1 for p in pieces):
                return f"area {x} {y} {w} {h} is not one colour"
            moved = lambda p: max(max(abs(u - v) for u, v in zip(a, b)) for a, b in zip(p, pieces[0]))
            if words[0] == "still" and any(moved(p) > levels for p in pieces):
                return f"area {x} {y} {w} {h} changes between frames"
    return None


def main():
    global GIFDUMP
    folder, names = pathlib.Path(sys.argv[1]), sys.argv[2:]
    if names[:1] == ["--gifdump"]:
        GIFDUMP, names = names[1], names[2:]
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
