"""ImageMagick's frames of a GIF, as the preview tests compare them."""
import subprocess


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def composed(gif):
    """(frames, delays, width, height): every frame as ImageMagick composes
    it, RGBA, top row first, with the colour of fully transparent pixels
    cleared to 0; each delay in hundredths."""
    lines = run("identify", "-format", "%T %W %H\n", str(gif)).decode().split("\n")[:-1]
    width, height = (int(v) for v in lines[0].split()[1:])
    data = bytearray(run("convert", str(gif), "-coalesce", "-depth", "8", "rgba:-"))
    for i in range(3, len(data), 4):
        if data[i] == 0:
            data[i - 3:i] = b"\0\0\0"
    size = 4 * width * height
    frames = [bytes(data[n * size:(n + 1) * size]) for n in range(len(lines))]
    return frames, [int(line.split()[0]) for line in lines], width, height
