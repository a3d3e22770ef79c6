#!/usr/bin/python3
"""Compares the frames the player showed with ImageMagick's frames of the
GIF the export wrote of the same project.

    check_play.py <folder> <name>...

For each name: <name>.gif (the export), <name>.play.rgba and <name>.play.txt
(the player's frames, RGBA with transparent pixels all zero, and their
delays in hundredths).
"""
import sys
from pathlib import Path

from magick_frames import composed


def check(folder, name):
    theirs, delays, width, _ = composed(folder / f"{name}.gif")
    data = (folder / f"{name}.play.rgba").read_bytes()
    mine_delays = [int(v) for v in (folder / f"{name}.play.txt").read_text().split()]
    size = len(theirs[0])
    mine = [data[n * size:(n + 1) * size] for n in range(len(data) // size)]
    problems = []
    if len(mine) != len(theirs) or len(data) % size != 0:
        problems.append(f"{len(mine)} frames played, {len(theirs)} in the file")
    if mine_delays != delays:
        problems.append(f"delays {mine_delays} played, {delays} in the file")
    for n, (a, b) in enumerate(zip(mine, theirs)):
        if a != b:
            i = next(i for i in range(0, size, 4) if a[i:i + 4] != b[i:i + 4])
            problems.append(f"frame {n} differs first at ({i // 4 % width}, {i // 4 // width}): "
                            f"played {a[i:i + 4].hex()}, file {b[i:i + 4].hex()}")
    for p in problems:
        print(f"{name}: {p}")
    if not problems:
        print(f"{name}: {len(mine)} frames as ImageMagick shows the file")
    return not problems


def main():
    folder = Path(sys.argv[1])
    results = [check(folder, name) for name in sys.argv[2:]]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
