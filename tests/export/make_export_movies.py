#!/usr/bin/env python3
"""Makes the movies the export tests convert, into the folder given first,
with ffmpeg (second argument), using the movie tests' own recipes: an 8-bit
clip at 12.5 frames per second (stored as rate 25 over scale 2, so a writer
that drops the scale gets the wrong delays), the same clip stored bottom-up,
and a Cinepak clip that AVIFile decodes to 24 bits."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "movie"))
import make_movies as mm  # noqa: E402


def main():
    folder, ffmpeg_path = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    clip = mm.write_pictures(folder, "clip", 30, 20, 4)
    top_down = os.path.join(folder, "clip_topdown.avi")
    mm.ffmpeg(ffmpeg_path, ["-framerate", "25/2", "-i", clip, "-c:v", "rawvideo", "-pix_fmt", "pal8"], top_down)
    mm.flip_to_bottom_up(top_down, os.path.join(folder, "clip_bottomup.avi"), 20)
    coded = mm.write_pictures(folder, "coded", 32, 24, 3)
    mm.ffmpeg(ffmpeg_path, ["-framerate", "10", "-i", coded, "-c:v", "cinepak"],
              os.path.join(folder, "cinepak.avi"))


if __name__ == "__main__":
    main()
