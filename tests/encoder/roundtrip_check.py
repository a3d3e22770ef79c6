#!/usr/bin/python3
"""Decodes every GIF the round-trip writer made, with giflib (gifdump) and
with PIL, and compares each with the .expect file written beside it."""
import pathlib
import subprocess
import sys

from PIL import Image


def first_difference(expected, actual):
    for number, (e, a) in enumerate(zip(expected, actual), 1):
        if e != a:
            return f"line {number}: expected {e[:60]}... got {a[:60]}..."
    return f"expected {len(expected)} lines, got {len(actual)}"


def check_with_pil(gif, expected_lines):
    """A second decoder: size, frame count and the first frame's indices."""
    screen = expected_lines[0].split()
    frames = [l.split()[1] for l in expected_lines if l.startswith("pixels ")]
    with Image.open(gif) as im:
        if im.size != (int(screen[1]), int(screen[2])):
            return f"PIL size {im.size}"
        if getattr(im, "n_frames", 1) != len(frames):
            return f"PIL frame count {im.n_frames} != {len(frames)}"
        im.seek(0)
        if im.mode != "P" or im.tobytes().hex() != frames[0]:
            return "PIL first frame differs"
    return None


def main(folder):
    expects = sorted(pathlib.Path(folder).glob("*.expect"))
    if not expects:
        print(f"no .expect files in {folder}")
        return 1
    failed = 0
    for expect in expects:
        gif = expect.with_suffix(".gif")
        result = subprocess.run([sys.argv[2], str(gif)], capture_output=True, text=True)
        expected = expect.read_text().splitlines()
        problem = None
        if result.returncode != 0:
            problem = f"giflib refused it: {result.stderr.strip()}"
        elif result.stdout.splitlines() != expected:
            problem = "giflib: " + first_difference(expected, result.stdout.splitlines())
        else:
            problem = check_with_pil(gif, expected)
        print(f"{'FAIL' if problem else 'ok  '} {gif.name}" + (f": {problem}" if problem else ""))
        failed += problem is not None
    print(f"{len(expects) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
