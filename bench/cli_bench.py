#!/usr/bin/python3
"""Animation benchmark: reelwright-cli animate (under Wine) against
ImageMagick's convert and ffmpeg, each writing one GIF from the same
deterministic 8-bit 640x480 frames, given as numbered bitmaps and as an
uncompressed 8-bit AVI. Prints wall time, peak resident memory, output
size and the ratios to reelwright-cli ("reelwright-cli" is the program's
default settings: the project's transparency, frames differenced; "rw
--plain none" the plain layout without transparency). A script that
prints figures, not a test.

Each tool runs BENCH_ROUNDS times (default 3), taking turns with the others.
reelwright-cli is started by the Wine loader itself, as a user would start
it, not through wine.sh, whose own checks would add their time to it.
Below the comparison, export_phases.exe (built beside it, in the build's
bench folder) takes each project's export apart inside the process: load,
canvas scan, frame reading, and the writing (AVIFile, encoding, file); and
plays it as the preview pane does: the time to the first frame shown, to
the last of one showing, and the memory playing takes.
Peak memory is /usr/bin/time's maximum resident set of the process tree it
waits for: for Wine that is the program's own process (wineserver is a
separate daemon, started beforehand and not counted).

Usage: cli_bench.py <wine.sh> <reelwright-cli.exe> <work folder> [frame counts...]"""
import os
import re
import statistics
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

WIDTH, HEIGHT = 640, 480
ROUNDS = int(os.environ.get("BENCH_ROUNDS", "3"))


def palette():
    rgb = []
    for i in range(256):
        rgb += [(i * 7) & 255, (i * 3 + 40) & 255, 255 - i]
    return rgb


def frame_bytes(n):
    # Bands that move from frame to frame, with detail that grows towards
    # the bottom right corner; fifty different pictures, repeated.
    row = bytearray(WIDTH)
    out = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            row[x] = ((x + 2 * n) // 8 + (y // 16) * 5 + ((x * y) >> 11) + n) & 255
        out += row
    return bytes(out)


def make_frames(folder, count):
    os.makedirs(folder, exist_ok=True)
    pal = palette()
    pictures = {}
    for n in range(count):
        path = os.path.join(folder, f"frame{n:04d}.bmp")
        if os.path.exists(path):
            continue
        if n % 50 not in pictures:
            pictures[n % 50] = frame_bytes(n % 50)
        im = Image.frombytes("P", (WIDTH, HEIGHT), pictures[n % 50])
        im.putpalette(pal)
        im.save(path)


def run_quietly(args, cwd=None):
    """Runs a program with its output in files, not pipes: a Wine program may
    start wineserver and its services, which keep whatever they inherited
    open for as long as they run, and a pipe would never reach its end.
    Returns (exit status, standard output, standard error)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out, stderr=err).returncode
        out.seek(0)
        err.seek(0)
        return code, out.read().decode(errors="replace"), err.read().decode(errors="replace")


def timed(args, cwd):
    """(seconds, peak KiB) of one run; None, with the reason printed, when it fails."""
    with tempfile.NamedTemporaryFile(mode="r") as figures:
        code, _, err = run_quietly(["/usr/bin/time", "-v", "-o", figures.name] + args, cwd)
        report = figures.read()
    if code != 0:
        reason = err.strip().splitlines()
        print(f"{args[0]} failed: {reason[-1] if reason else 'exit status ' + str(code)}")
        return None
    wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", report)
    seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
    return seconds, peak


def wine_loader(wine_sh):
    """The command that starts a Windows program in the prefix wine.sh uses,
    with the environment wine.sh gives it."""
    tools = os.path.dirname(wine_sh)
    arch = run_quietly([os.path.join(tools, "wine-arch.sh")])[1].strip()
    os.environ.setdefault("WINEDEBUG", "-all")
    os.environ.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    os.environ["WINEARCH"] = arch
    if arch == "win64":
        os.environ["WINELOADER"] = "/usr/lib/wine/wine64"
        return "/usr/lib/wine/wine64"
    return "wine"


def stop_wineserver():
    run_quietly(["wineserver", "-k"])
    run_quietly(["wineserver", "-w"])


def main():
    wine, cli, work = (os.path.abspath(a) for a in sys.argv[1:4])
    counts = [int(c) for c in sys.argv[4:]] or [100, 1000]
    os.makedirs(work, exist_ok=True)
    # The wineserver commands below must reach the prefix the programs run
    # in, which is wine.sh's own default unless one is given.
    os.environ.setdefault("WINEPREFIX", os.path.join(os.path.dirname(os.path.dirname(wine)), "build", "wineprefix"))
    run_quietly([wine, cli, "--version"])      # makes the prefix if need be
    loader = wine_loader(wine)
    # Process start under Wine, on its own: with wineserver stopped (the first
    # Wine program of a while starts it), then with it running.
    stop_wineserver()
    cold = timed([loader, cli, "--version"], work)
    # From here on wineserver stays up between the runs: it would otherwise
    # stop 3 s after each Wine program, and the next would pay its start
    # again. A server still running cannot be told so, hence a fresh one,
    # stopped again when the measuring ends.
    stop_wineserver()
    subprocess.run(["wineserver", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    try:
        measure(wine, loader, cli, work, counts, cold)
    finally:
        stop_wineserver()


def measure(wine, loader, cli, work, counts, cold):
    # The first program after the server's start also waits for Wine's own
    # services to come up; that belongs to the cold start above.
    run_quietly([loader, cli, "--version"])
    warm = [timed([loader, cli, "--version"], work) for _ in range(ROUNDS)]
    phases_exe = os.path.join(os.path.dirname(os.path.dirname(cli)), "bench", "export_phases.exe")
    rows, phase_rows = [], []
    for count in counts:
        folder = os.path.join(work, f"frames{count}")
        make_frames(folder, count)
        bmps = [f"frame{n:04d}.bmp" for n in range(count)]
        avi = os.path.join(folder, "movie.avi")
        if not os.path.exists(avi):
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-framerate", "10", "-i", "frame%04d.bmp",
                            "-frames:v", str(count), "-c:v", "rawvideo", "-pix_fmt", "pal8", "movie.avi"],
                           cwd=folder, check=True)
        for source in ("bitmaps", "avi"):
            project = f"{source}.seq"
            files = bmps if source == "bitmaps" else ["movie.avi"]
            code, _, err = run_quietly([wine, cli, "create", project, "--force"] + files, folder)
            if code != 0:
                sys.exit(f"reelwright-cli create {project} failed: {err.strip()}")
            # The image sequence reader takes a rate; the movie has its own.
            inputs = ["-framerate", "10", "-i", "frame%04d.bmp"] if source == "bitmaps" else ["-i", "movie.avi"]
            # The program's default settings (the project's transparency, frames
            # differenced) beside the plain layout without transparency.
            runs = [("reelwright-cli", [loader, cli, "animate", project, "--output", "rw.gif", "--rate", "10",
                                        "--force"], "rw.gif"),
                    ("rw --plain none", [loader, cli, "animate", project, "--output", "rwplain.gif", "--rate", "10",
                                         "--transparency", "none", "--plain", "--force"], "rwplain.gif"),
                    ("ffmpeg", ["ffmpeg", "-v", "error", "-y"] + inputs + ["-frames:v", str(count), "ff.gif"],
                     "ff.gif")]
            if source == "bitmaps":
                runs.append(("convert", ["convert", "-delay", "10", "-loop", "0"] + bmps + ["im.gif"], "im.gif"))
            # Rounds, the tools taking turns within each, so that a slow
            # moment of the machine falls on all of them; the median counts.
            samples = {}
            for _ in range(ROUNDS):
                for tool, args, output in runs:
                    measured = timed(args, folder)
                    if measured is not None:
                        samples.setdefault(tool, []).append(
                            measured + (os.path.getsize(os.path.join(folder, output)),))
            results = {tool: (statistics.median(s[0] for s in runs_of), max(s[1] for s in runs_of), runs_of[-1][2])
                       for tool, runs_of in samples.items()}
            if os.path.exists(phases_exe):
                code, out, err = run_quietly([loader, phases_exe, project, "phases.gif", str(ROUNDS)], folder)
                phases = dict(line.split() for line in out.splitlines() if len(line.split()) == 2)
                if code == 0:
                    phase_rows.append((count, source, phases))
                else:
                    print(f"export_phases failed on {project}: {err.strip()}")
            base = results.get("reelwright-cli")
            if base is None:
                continue
            for tool, (seconds, peak, size) in results.items():
                rows.append((count, source, tool, seconds, peak, size, seconds / base[0], peak / base[1],
                             size / base[2]))
            for name in os.listdir(folder):
                if name.endswith(".gif"):
                    os.remove(os.path.join(folder, name))
    print(f"{'frames':>6} {'input':<8} {'tool':<15} {'wall s':>8} {'peak MiB':>9} {'output KiB':>10}"
          f" {'time x':>7} {'mem x':>7} {'size x':>7}")
    for count, source, tool, seconds, peak, size, rt, rm, rs in rows:
        print(f"{count:>6} {source:<8} {tool:<15} {seconds:>8.2f} {peak / 1024:>9.1f} {size / 1024:>10.0f}"
              f" {rt:>7.2f} {rm:>7.2f} {rs:>7.3f}")
    if phase_rows:
        print()
        print("Inside reelwright's export (export_phases.exe, seconds, median of the rounds):")
        print(f"{'frames':>6} {'input':<8} {'load':>7} {'scan':>7} {'read':>7} {'write':>7} {'export':>7}")
        for count, source, phases in phase_rows:
            print(f"{count:>6} {source:<8}" + "".join(f" {float(phases.get(k, 'nan')):>7.3f}"
                                                   for k in ("load", "scan", "read", "write", "export")))
        print("export = scan + read + write; write is AVIFile, the GIF handler's encoding and the file")
        print()
        print("Play in the preview pane (export_phases.exe): seconds to the first frame shown and to every")
        print("frame of one showing on a clock that skips the delays, median of the rounds; the most memory")
        print("committed while playing beyond what the process held before, the highest of the rounds:")
        print(f"{'frames':>6} {'input':<8} {'first s':>8} {'all s':>8} {'MiB':>6}")
        for count, source, phases in phase_rows:
            print(f"{count:>6} {source:<8} {float(phases.get('first', 'nan')):>8.3f}"
                  f" {float(phases.get('play', 'nan')):>8.3f} {float(phases.get('playmib', 'nan')):>6.1f}")
        print()
    if cold is not None and all(warm):
        print(f"reelwright-cli --version alone: {cold[0]:.2f} s with wineserver stopped,"
              f" {statistics.median(w[0] for w in warm):.2f} s with it running")
    print(f"wall time: median of {ROUNDS} rounds; peak: the highest of them; ratios are to reelwright-cli"
          " on the same input; wineserver's memory is not counted")


if __name__ == "__main__":
    main()
