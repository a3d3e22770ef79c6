#!/usr/bin/python3
"""Makes the demonstration material of a project into the folder given as
the first argument: three 8-bit bitmaps of different sizes (logo.bmp,
sunset.bmp, balloon.bmp), a numbered sequence walk001.bmp .. walk012.bmp of a
figure walking across, and clip.avi, 20 frames of a bouncing ball as an
uncompressed 8-bit movie (made with ffmpeg: the second argument, or the one on
the PATH). The same run always gives the same bytes.

Everything shares one 256-colour palette, because an animation shows every
frame with the colours of its first one."""
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

# The palette: a few plain colours, then ramps that the pictures shade with.
PLAIN = {
    "black": (0, 0, 0), "white": (255, 255, 255),
    # The logo's background, used nowhere else: the project makes the first
    # image's upper left colour transparent.
    "logo": (24, 32, 56),
    "red": (200, 30, 30), "yellow": (250, 210, 40), "shadow": (40, 60, 40),
    "skin": (230, 180, 140), "shirt": (40, 90, 200), "trousers": (60, 50, 40),
    "basket": (120, 80, 30), "rope": (90, 70, 50), "cloud": (240, 244, 250),
}
RAMPS = [   # name, colours from start to end, length
    ("sky", [(40, 70, 160), (190, 220, 255)], 48),
    ("sunset", [(70, 20, 90), (220, 60, 50), (255, 170, 60), (255, 235, 150)], 56),
    ("sea", [(10, 30, 70), (60, 120, 170)], 32),
    ("grass", [(20, 70, 20), (140, 210, 90)], 40),
    ("balloon", [(120, 10, 20), (255, 120, 90)], 32),
    ("grey", [(60, 60, 60), (230, 230, 230)], 36),
]


def ramp_colours(stops, length):
    colours = []
    for i in range(length):
        t = i / (length - 1) * (len(stops) - 1)
        segment = min(int(t), len(stops) - 2)
        a, b, f = stops[segment], stops[segment + 1], t - segment
        colours.append(tuple(round(a[c] + (b[c] - a[c]) * f) for c in range(3)))
    return colours


def build_palette():
    colours, index = [], {}
    for name, rgb in PLAIN.items():
        index[name] = len(colours)
        colours.append(rgb)
    for name, stops, length in RAMPS:
        index[name] = len(colours)
        colours += ramp_colours(stops, length)
    assert len(colours) == 256, len(colours)
    return [c for rgb in colours for c in rgb], index


PALETTE, INDEX = build_palette()
RAMP_LENGTH = {name: length for name, _, length in RAMPS}


def shade(ramp, t):
    """The colour index at t (0 to 1) along a ramp."""
    t = min(max(t, 0.0), 1.0)
    return INDEX[ramp] + round(t * (RAMP_LENGTH[ramp] - 1))


def canvas(width, height, colour):
    image = Image.new("P", (width, height), colour)
    image.putpalette(PALETTE)
    return image, ImageDraw.Draw(image)


def vertical_ramp(draw, box, ramp, start, end):
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        draw.line([(x0, y), (x1 - 1, y)], fill=shade(ramp, start + (end - start) * (y - y0) / max(1, y1 - y0 - 1)))


def logo():
    image, draw = canvas(200, 64, INDEX["logo"])
    # A film reel: a grey disc with five holes round a hub.
    draw.ellipse([8, 6, 60, 58], fill=shade("grey", 0.7), outline=INDEX["white"])
    for k in range(5):
        a = math.radians(90 + 72 * k)
        cx, cy = 34 + 15 * math.cos(a), 32 - 15 * math.sin(a)
        draw.ellipse([cx - 7, cy - 7, cx + 7, cy + 7], fill=INDEX["logo"])
    draw.ellipse([29, 27, 39, 37], fill=shade("grey", 0.2))
    # The name in the built-in bitmap font, doubled for a blocky look.
    text, _ = canvas(66, 14, INDEX["logo"])
    ImageDraw.Draw(text).text((1, 1), "Reelwright", fill=INDEX["yellow"], font=ImageFont.load_default())
    image.paste(text.resize((132, 28), Image.NEAREST), (66, 12))
    draw.line([(68, 44), (192, 44)], fill=shade("sunset", 0.55), width=3)
    return image


def sunset():
    image, draw = canvas(240, 160, 0)
    vertical_ramp(draw, (0, 0, 240, 100), "sunset", 0.1, 1.0)
    draw.ellipse([95, 62, 145, 112], fill=INDEX["yellow"])
    vertical_ramp(draw, (0, 100, 240, 160), "sea", 1.0, 0.0)
    # The sun's reflection: broken streaks that shrink towards the shore.
    for row, y in enumerate(range(104, 160, 5)):
        half = 24 - row * 2
        draw.line([(120 - half, y), (120 + half, y)], fill=shade("sunset", 0.9), width=2)
    draw.polygon([(0, 100), (0, 70), (30, 60), (70, 78), (90, 100)], fill=INDEX["shadow"])
    return image


def balloon():
    image, draw = canvas(120, 160, 0)
    vertical_ramp(draw, (0, 0, 120, 160), "sky", 0.0, 1.0)
    for box in ([4, 110, 44, 124], [20, 104, 56, 118], [76, 30, 116, 42]):
        draw.ellipse(box, fill=INDEX["cloud"])
    # Envelope in vertical stripes, lit from the left.
    for x in range(22, 98):
        dx = (x - 60) / 38
        half = 48 * math.sqrt(max(0.0, 1 - dx * dx))
        colour = INDEX["yellow"] if int((x - 22) / 12.7) % 2 else shade("balloon", 0.9 - 0.6 * (dx + 1) / 2)
        draw.line([(x, 60 - half), (x, 60 + half * 0.9)], fill=colour)
    for x0, x1 in ((40, 54), (80, 66)):
        draw.line([(x0, 98), (x1, 124)], fill=INDEX["rope"])
    draw.rectangle([54, 124, 66, 136], fill=INDEX["basket"])
    return image


def walk_frame(n):
    """Frame n (0 to 11) of a figure crossing the picture: two strides a
    cycle, so the twelve frames loop as two cycles of six."""
    image, draw = canvas(96, 72, 0)
    vertical_ramp(draw, (0, 0, 96, 56), "sky", 0.5, 1.0)
    vertical_ramp(draw, (0, 56, 96, 72), "grass", 0.8, 0.3)
    phase = 2 * math.pi * n / 6
    x, hip = 14 + 6 * n, 44 - abs(math.sin(phase)) * 1.5
    swing = 0.5 * math.sin(phase)
    for angle, colour in ((swing, "trousers"), (-swing, "trousers")):
        foot = (x + 13 * math.sin(angle), hip + 13 * math.cos(angle))
        draw.line([(x, hip), foot], fill=INDEX[colour], width=3)
    draw.rectangle([x - 3, hip - 16, x + 3, hip], fill=INDEX["shirt"])
    for angle in (-swing, swing):
        draw.line([(x, hip - 14), (x + 10 * math.sin(angle), hip - 14 + 10 * math.cos(angle))],
                  fill=INDEX["skin"], width=2)
    draw.ellipse([x - 4, hip - 25, x + 4, hip - 17], fill=INDEX["skin"])
    return image


def clip_frame(n):
    """Frame n (0 to 19) of a ball bouncing from left to right, with its shadow."""
    image, draw = canvas(128, 96, 0)
    vertical_ramp(draw, (0, 0, 128, 70), "sky", 0.2, 0.9)
    vertical_ramp(draw, (0, 70, 128, 96), "grass", 0.7, 0.2)
    x = 12 + 104 * n / 19
    height = 48 * abs(math.cos(math.pi * n / 6.5))
    draw.ellipse([x - 8 * (1 - height / 96), 80, x + 8 * (1 - height / 96), 84], fill=INDEX["shadow"])
    y = 82 - height
    draw.ellipse([x - 8, y - 16, x + 8, y], fill=INDEX["red"])
    draw.ellipse([x - 5, y - 13, x - 1, y - 9], fill=INDEX["white"])
    return image


def make_clip(folder, ffmpeg):
    with tempfile.TemporaryDirectory() as frames:
        for n in range(20):
            clip_frame(n).save(os.path.join(frames, "clip%03d.bmp" % n))
        subprocess.run([ffmpeg, "-v", "error", "-y", "-framerate", "10",
                        "-i", os.path.join(frames, "clip%03d.bmp"),
                        "-c:v", "rawvideo", "-pix_fmt", "pal8",
                        # No version strings, so that the file is the same on every run.
                        "-fflags", "+bitexact", "-flags:v", "+bitexact",
                        os.path.join(folder, "clip.avi")], check=True)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: make-demo.py <folder> [ffmpeg]")
    folder = sys.argv[1]
    ffmpeg = sys.argv[2] if len(sys.argv) == 3 else "ffmpeg"
    os.makedirs(folder, exist_ok=True)
    logo().save(os.path.join(folder, "logo.bmp"))
    sunset().save(os.path.join(folder, "sunset.bmp"))
    balloon().save(os.path.join(folder, "balloon.bmp"))
    for n in range(12):
        walk_frame(n).save(os.path.join(folder, "walk%03d.bmp" % (n + 1)))
    make_clip(folder, ffmpeg)


if __name__ == "__main__":
    main()
