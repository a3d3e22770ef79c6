#!/usr/bin/python3
"""Decodes the GIF files the AVIFile test wrote, with giflib (gifdump), and
compares what giflib reads with the .expect file written beside each.
Usage: check_gifs.py <folder> <gifdump> <name>...  (every name must be there)"""
import pathlib
import subprocess
import sys


def first_difference(expected, actual):
    for number, (e, a) in enumerate(zip(expected, actual), 1):
        if e != a:
            return f"line {number}: expected {e[:70]}... got {a[:70]}..."
    return f"expected {len(expected)} lines, got {len(actual)}"


def check(folder, gifdump, name):
    gif = folder / f"{name}.gif"
    expect = folder / f"{name}.expect"
    if not gif.exists() or not expect.exists():
        return "not written"
    result = subprocess.run([gifdump, str(gif)], capture_output=True, text=True)
    if result.returncode != 0:
        return f"giflib refused it: {result.stderr.strip()}"
    expected = expect.read_text().splitlines()
    actual = result.stdout.splitlines()
    if actual != expected:
        return first_difference(expected, actual)
    return None


def main():
    folder, gifdump, names = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3:]
    if not names:
        print("no files named")
        return 1
    failed = 0
    for name in names:
        problem = check(folder, gifdump, name)
        print(f"{'FAIL' if problem else 'ok  '} {name}.gif" + (f": {problem}" if problem else ""))
        failed += problem is not None
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
