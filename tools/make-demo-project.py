#!/usr/bin/python3
"""Writes demo.seq, a project of the material that make-demo.py put into a
folder: make-demo-project.py <folder> [<the folder as Windows sees it>].

The root holds, in this order: logo.bmp, one sequence per run of numbered
bitmaps (walk001.bmp ... as "walk"), the movies (.avi), then the other
bitmaps; names sort within each group. The export settings write
<folder>\\demo.gif at 10 frames a second, looping for ever, with the first
image's upper left colour transparent. Paths are written with the Windows
folder, by default Wine's name for the folder (Z: and the full path)."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import seqfile  # noqa: E402

NUMBERED = re.compile(r"^([^0-9]+)[0-9]+\.bmp$", re.IGNORECASE)


def demo_tree(names, windows_folder):
    """The root's children for the file names of the folder."""
    def path(name):
        return windows_folder + "\\" + name

    logo, sequences, movies, images = [], {}, [], []
    for name in sorted(names):
        numbered = NUMBERED.match(name)
        lower = name.lower()
        if lower == "logo.bmp":
            logo.append(seqfile.image(path(name)))
        elif numbered:
            sequences.setdefault(numbered.group(1), []).append(seqfile.image(path(name)))
        elif lower.endswith(".avi"):
            movies.append(seqfile.movie(path(name)))
        elif lower.endswith(".bmp"):
            images.append(seqfile.image(path(name)))
    groups = [seqfile.sequence(prefix, members) for prefix, members in sequences.items()]
    return logo + groups + movies + images


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: make-demo-project.py <folder> [<Windows folder>]")
    folder = os.path.abspath(sys.argv[1])
    windows_folder = sys.argv[2] if len(sys.argv) == 3 else "Z:" + folder.replace("/", "\\")
    windows_folder = windows_folder.rstrip("\\")

    top_level = demo_tree(os.listdir(folder), windows_folder)
    settings = seqfile.Settings(output=windows_folder + "\\demo.gif", transparency=1, expand=0,
                                frame_rate=10, loop_count=0)
    with open(os.path.join(folder, "demo.seq"), "wb") as out:
        out.write(seqfile.project_bytes(top_level, settings))


if __name__ == "__main__":
    main()
