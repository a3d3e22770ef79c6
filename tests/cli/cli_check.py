#!/usr/bin/python3
"""Runs reelwright-cli under Wine on real projects and checks exit status,
messages and the files written (read back with giflib's gifdump).
Usage: cli_check.py <wine.sh> <reelwright-cli.exe> <movie folder> <work folder> <gifdump>"""
import os
import pty
import re
import select
import shutil
import signal
import subprocess
import sys
import time

from PIL import Image

WINE, CLI, MOVIES, WORK, GIFDUMP = sys.argv[1:6]
failures = []


def run(*args):
    # The display stays: the first Wine program of a prefix starts the desktop
    # that every later one shares, and one started without a display would
    # leave the window tests running beside this one with no screen at all.
    env = dict(os.environ)
    r = subprocess.run([WINE, CLI] + list(args), cwd=WORK, capture_output=True, text=True, env=env)
    return r.returncode, r.stdout.replace("\r\n", "\n"), r.stderr.replace("\r\n", "\n")


def check(title, condition, detail=""):
    print(f"{'ok  ' if condition else 'FAIL'} {title}" + ("" if condition else f": {detail}"))
    if not condition:
        failures.append(title)


def expect_run(title, args, status, stderr_has=(), stdout_has=()):
    code, out, err = run(*args)
    check(f"{title}: exit {status}", code == status, f"exit {code}, stderr {err!r}")
    for text in stderr_has:
        check(f"{title}: stderr says {text!r}", text in err, repr(err))
    for text in stdout_has:
        check(f"{title}: stdout says {text!r}", text in out, repr(out))
    return out, err


def run_on_terminal(*args):
    """Exit status and everything the program wrote, run with a terminal as
    its standard streams: Wine then gives it a console."""
    master, slave = pty.openpty()
    p = subprocess.Popen([WINE, CLI] + list(args), cwd=WORK, stdin=slave, stdout=slave, stderr=slave)
    os.close(slave)
    output = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:             # the terminal closed with the program's end
            break
        if not chunk:
            break
        output += chunk
    os.close(master)
    return p.wait(), output.decode("latin-1")


def interrupt_on_terminal(*args):
    """Runs the program on a terminal and, once its bar shows progress, sends
    the interrupt a terminal sends for Ctrl+C to its process group; the exit
    status and the screen."""
    master, slave = pty.openpty()
    p = subprocess.Popen([WINE, CLI] + list(args), cwd=WORK, stdin=slave, stdout=slave, stderr=slave,
                         start_new_session=True)
    os.close(slave)
    output, sent = b"", False
    while True:
        ready, _, _ = select.select([master], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            output += chunk
        if not sent and b"#" in output:
            os.killpg(p.pid, signal.SIGINT)
            sent = True
        if p.poll() is not None and not ready:
            break
    os.close(master)
    return p.wait(), output.decode("latin-1")


def composited(path):
    """Every frame of a GIF as a viewer shows it, with its delay."""
    from PIL import ImageSequence
    with Image.open(path) as image:
        return [(frame.convert("RGBA").tobytes(), frame.info.get("duration")) for frame in ImageSequence.Iterator(image)]


def gifdump(path):
    r = subprocess.run([GIFDUMP, path], capture_output=True, text=True)
    return r.returncode, r.stdout.splitlines()


def check_bit_fields():
    """A 5-6-5 bitmap exports as its 24-bit twin does; one whose masks
    overlap is left out with that reason."""
    import struct
    width, height = 12, 5
    values = [(x * 2731 + y * 977) & 0xFFFF for y in range(height) for x in range(width)]
    for name, masks in (("fields565.bmp", (0xF800, 0x07E0, 0x001F)), ("overlap.bmp", (0xF800, 0x0FE0, 0x001F))):
        rows = b"".join(struct.pack(f"<{width}H", *values[y * width:(y + 1) * width]) + bytes(-2 * width % 4)
                        for y in reversed(range(height)))
        header = struct.pack("<IiiHHIIiiII3I", 40, width, height, 1, 16, 3, len(rows), 0, 0, 0, 0, *masks)
        with open(os.path.join(WORK, name), "wb") as f:
            f.write(b"BM" + struct.pack("<IHHI", 66 + len(rows), 0, 0, 66) + header + rows)
    widen = lambda v, w: (v << (8 - w) | v >> (2 * w - 8)) & 255
    twin = Image.new("RGB", (width, height))
    twin.putdata([(widen(v >> 11, 5), widen((v >> 5) & 63, 6), widen(v & 31, 5)) for v in values])
    twin.save(os.path.join(WORK, "twin565.bmp"))
    expect_run("create with bit fields", ["create", "fields.seq", "fields565.bmp", "overlap.bmp"], 0)
    expect_run("create the twin", ["create", "twin.seq", "twin565.bmp"], 0)
    expect_run("animate with bit fields", ["animate", "fields.seq", "--transparency", "none"], 1,
               stderr_has=["overlap.bmp: skipped: has bit-field masks that overlap"])
    expect_run("animate the twin", ["animate", "twin.seq", "--transparency", "none"], 0)
    check("bit fields: the frames of the 24-bit twin",
          composited(os.path.join(WORK, "fields.gif")) == composited(os.path.join(WORK, "twin.gif")))


def read(name):
    with open(os.path.join(WORK, name), "rb") as f:
        return f.read()


def check_project_guard():
    """The project file is never an export's output, whatever name reaches it."""
    expect_run("create with a project name not ending in .seq", ["create", "notes.gif", "clip000.bmp"], 2,
               stderr_has=["the project's name must end in .seq"])
    check("create notes.gif: nothing made", not os.path.exists(os.path.join(WORK, "notes.gif")))
    # A project named as a GIF (an earlier version made them), with a picture
    # whose batch GIF would be that name.
    shutil.copy(os.path.join(WORK, "clip000.bmp"), os.path.join(WORK, "holiday notes.bmp"))
    expect_run("create the holiday project", ["create", "notes_project.seq", "holiday notes.bmp"], 0)
    shutil.copy(os.path.join(WORK, "notes_project.seq"), os.path.join(WORK, "holiday notes.gif"))
    os.makedirs(os.path.join(WORK, "sub"), exist_ok=True)
    project = read("holiday notes.gif")
    r = subprocess.run([WINE, "winepath", "-s", os.path.join(WORK, "holiday notes.gif")], capture_output=True, text=True)
    short = r.stdout.strip().replace("\\", "/").split("/")[-1]
    check("the project has a short name", short != "holiday notes.gif" and "~" in short, short)
    windows = "Z:" + os.path.join(WORK, "holiday notes.gif")
    for title, output in [("its default output", None), ("in capitals", "HOLIDAY NOTES.GIF"),
                          ("through sub\\..", "sub\\..\\holiday notes.gif"), ("its short name", short),
                          ("with forward slashes", windows), ("with backslashes", windows.replace("/", "\\"))]:
        args = ["animate", "holiday notes.gif"] + (["--output", output, "--force"] if output else [])
        expect_run(f"project as output, {title}", args, 1, stderr_has=["The output file is one of the project's own files."])
        check(f"project as output, {title}: the project is kept", read("holiday notes.gif") == project)
    expect_run("batch beside the project", ["batch", "holiday notes.gif", "--force"], 1,
               stderr_has=["holiday notes.bmp: skipped: would replace", "holiday notes.gif, one of the project's own files"])
    check("batch beside the project: the project is kept", read("holiday notes.gif") == project)


def check_batch_keeps_files():
    """A batch never replaces what it wrote in the same run, and replaces
    GIFs that were there only with --force."""
    shutil.copy(os.path.join(WORK, "clip000.bmp"), os.path.join(WORK, "clip_topdown.bmp"))
    shutil.copy(os.path.join(WORK, "p.gif"), os.path.join(WORK, "anim.gif"))
    expect_run("create the colliding project", ["create", "both.seq", "clip_topdown.avi", "clip_topdown.bmp", "anim.gif"], 0)
    if os.path.exists(os.path.join(WORK, "clip_topdown.gif")):
        os.remove(os.path.join(WORK, "clip_topdown.gif"))
    anim = read("anim.gif")
    expect_run("batch: two sources, one GIF name", ["batch", "both.seq"], 1,
               stderr_has=["clip_topdown.bmp: skipped: would replace", "clip_topdown.gif, written for another file in this run",
                           "anim.gif: skipped: is a GIF already"])
    code, dump = gifdump(os.path.join(WORK, "clip_topdown.gif"))
    check("batch: the GIF is the movie's", code == 0 and len([d for d in dump if d.startswith("image ")]) == 4, dump[:3])
    check("batch: the GIF movie is kept", read("anim.gif") == anim)
    movie_gif = read("clip_topdown.gif")
    _, err = expect_run("batch again: the GIF exists", ["batch", "both.seq"], 1,
                        stderr_has=["1 GIF file(s) exist already and are kept; --force replaces them",
                                    "clip_topdown.avi: skipped: would replace", "clip_topdown.gif, which exists already"])
    check("batch again: kept", read("clip_topdown.gif") == movie_gif)
    with open(os.path.join(WORK, "clip_topdown.gif"), "wb") as f:
        f.write(b"earlier")
    _, err = expect_run("batch --force: replaced", ["batch", "both.seq", "--force"], 1,
                        stderr_has=["clip_topdown.gif: written, 4 frames, "])
    check("batch --force: the movie's GIF again", read("clip_topdown.gif") == movie_gif)
    check("batch --force: the later source still left out", "written for another file in this run" in err, err)


def temporaries():
    return sorted(n for n in os.listdir(WORK) if re.fullmatch(r"~rw[0-9A-F]{4}\.gif", n, re.I))


def wait_for(condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return condition()


def check_orphans():
    """A killed export's temporary file goes at the next export into its
    folder; a live export's stays."""
    for name in temporaries():
        os.remove(os.path.join(WORK, name))
    p = subprocess.Popen([WINE, CLI, "animate", "long.seq", "--output", "killed.gif"], cwd=WORK,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    left = wait_for(temporaries, 120)
    p.kill()            # the program's own process only: SIGKILL, no clean-up of any kind
    p.wait()
    check("killed export: its temporary file is left behind", len(left) == 1 and temporaries() == left, left)
    live = subprocess.Popen([WINE, CLI, "animate", "long.seq", "--output", "live.gif"], cwd=WORK,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    writing = wait_for(lambda: [n for n in temporaries() if n not in left], 120)
    expect_run("an export beside them", ["animate", "p.seq", "--output", "beside.gif"], 0)
    still_writing = live.poll() is None
    after = temporaries()
    _, live_err = live.communicate()
    check("the killed export's file is gone", not set(left) & set(after), after)
    if still_writing:       # else it finished first, and there was nothing to keep
        check("the live export's file was kept", writing and set(writing) <= set(after), f"{writing} {after}")
    check("the live export finished", live.returncode == 0 and gifdump(os.path.join(WORK, "live.gif"))[0] == 0,
          live_err[-300:])
    check("nothing left behind", temporaries() == [], temporaries())


def check_messages():
    """Messages name the file and give the system's reason."""
    expect_run("a name Windows refuses", ["animate", "p.seq", "--output", "a<b.gif"], 1,
               stderr_has=["a<b.gif: Unable to Open File ("])
    _, err = expect_run("a missing folder", ["animate", "p.seq", "--output", "no such folder/out.gif"], 1,
                        stderr_has=["out.gif: Unable to Open File ("])
    for name in [".gif", "   .gif", "sub/.gif"]:
        expect_run(f"output {name!r}", ["animate", "p.seq", "--output", name], 2,
                   stderr_has=["The output file needs a name before its .gif."])
    if os.geteuid() != 0:       # root writes into any folder
        os.makedirs(os.path.join(WORK, "locked"), exist_ok=True)
        os.chmod(os.path.join(WORK, "locked"), 0o555)
        expect_run("a read-only folder", ["animate", "p.seq", "--output", "locked/out.gif"], 1,
                   stderr_has=["out.gif: Unable to Open File ("])
        os.chmod(os.path.join(WORK, "locked"), 0o755)
    _, err = expect_run("what was written", ["animate", "p.seq", "--output", "told.gif"], 0)
    size = os.path.getsize(os.path.join(WORK, "told.gif"))
    told = f"{size} bytes" if size < 1024 else f"{size / 1024:.1f} KB"
    check("what was written: file, frames, size", f"told.gif: written, 7 frames, {told}" in err, err)


def check_help_and_readme():
    """README's command-line block shows every option --help shows, and
    --help keeps each command's explanation beside it."""
    out, _ = expect_run("--help", ["--help"], 0)
    usage, _, rest = out.partition("\n\n")
    readme = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")).read()
    block = readme.split("## Command line", 1)[1].split("\n\n")[2]
    options = lambda text: set(re.findall(r"--[a-z]+", text))
    check("README shows every option of --help", options(usage) == options(block),
          f"--help {sorted(options(usage))}, README {sorted(options(block))}")
    lines = rest.splitlines()
    starts = [i for i, line in enumerate(lines) if re.match(r"(create|animate|batch|show) ", line)]
    check("--help: each command explained", len(starts) == 4, lines)
    between = lines[starts[0]:starts[-1] + 1] if starts else []
    check("--help: the explanations are together", all(re.match(r"(create|animate|batch|show) |\s+\S", line)
                                                       for line in between), between)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    for name in ["clip000.bmp", "clip001.bmp", "clip002.bmp", "clip_topdown.avi", "cinepak.avi"]:
        shutil.copy(os.path.join(MOVIES, name), WORK)
    with open(os.path.join(WORK, "notes.txt"), "w") as f:
        f.write("not a picture\n")

    # Usage errors: exit 2 and the usage text.
    for title, args in [("no command", []), ("unknown command", ["paint", "p.seq"]),
                        ("no project", ["show"]), ("rate 0", ["animate", "p.seq", "--rate", "0"]),
                        ("rate 101", ["animate", "p.seq", "--rate", "101"]),
                        ("loop 32001", ["animate", "p.seq", "--loop", "32001"]),
                        ("loop not a number", ["animate", "p.seq", "--loop", "3x"]),
                        ("transparency choice", ["batch", "p.seq", "--transparency", "some"]),
                        ("dither choice", ["animate", "p.seq", "--dither", "maybe"]),
                        # Another extension would have AVIFile write a movie over that file.
                        ("output not a .gif", ["animate", "p.seq", "--output", "important.doc"]),
                        ("output without an extension", ["animate", "p.seq", "--output", "out"]),
                        ("option of another command", ["batch", "p.seq", "--rate", "5"]),
                        ("width 0", ["animate", "p.seq", "--width", "0"]),
                        ("height 65536", ["batch", "p.seq", "--height", "65536"]),
                        ("colors 1", ["animate", "p.seq", "--colors", "1"]),
                        ("colors 257", ["batch", "p.seq", "--colors", "257"]),
                        ("lossy 201", ["animate", "p.seq", "--lossy", "201"]),
                        ("max-size 0", ["animate", "p.seq", "--max-size", "0"]),
                        ("max-size 2MB", ["animate", "p.seq", "--max-size", "2MB"]),
                        ("max-size for batch", ["batch", "p.seq", "--max-size", "2M"])]:
        expect_run(f"usage: {title}", args, 2, stderr_has=["usage:"])
    expect_run("--help", ["--help"], 0, stdout_has=["reelwright-cli animate", "--max-size SIZE", "--lossy 0-200"])
    expect_run("--version", ["--version"], 0, stdout_has=["reelwright-cli "])

    # create: the drop rules, skipped files named, no silent overwrite.
    expect_run("create", ["create", "p.seq", "clip000.bmp", "clip001.bmp", "clip002.bmp", "clip_topdown.avi",
                          "notes.txt"], 0, stderr_has=["notes.txt: skipped"])
    before = open(os.path.join(WORK, "p.seq"), "rb").read()
    expect_run("create over a project", ["create", "p.seq", "clip000.bmp"], 1, stderr_has=["--force"])
    check("create over a project: project kept", open(os.path.join(WORK, "p.seq"), "rb").read() == before)
    expect_run("create --force", ["create", "q.seq", "cinepak.avi"], 0)
    expect_run("create --force", ["create", "q.seq", "cinepak.avi", "--force"], 0)
    # A project file named in capitals is still one: named, and not added.
    shutil.copy(os.path.join(WORK, "p.seq"), os.path.join(WORK, "HOLIDAY.SEQ"))
    expect_run("create with HOLIDAY.SEQ", ["create", "s.seq", "clip000.bmp", "HOLIDAY.SEQ"], 0,
               stderr_has=["HOLIDAY.SEQ: skipped: a project file is not added to another project"])
    expect_run("create with a path too long", ["create", "r.seq", "clip000.bmp", "x" * 260 + ".bmp"], 1,
               stderr_has=["refused: its path is longer than 259 characters"])

    out, _ = expect_run("show", ["show", "p.seq"], 0)
    wanted = ["Sequence : ", "  Sequence : clip", "    Image : Z:", "  Movie : Z:", "frame rate: 5", "loop count: 0",
              "transparency: first", "expand: no", "size: as the frames are", "colors: 256", "lossy: 0",
              "max size: none", "frames: 7"]
    lines = out.splitlines()
    check("show: tree and settings", len(lines) >= len(wanted)
          and all(any(line.startswith(w) for line in lines) for w in wanted), out)

    # animate: the options for this run only, default output beside the project.
    expect_run("animate", ["animate", "p.seq", "--rate", "10", "--loop", "-1", "--transparency", "none", "--plain"], 0,
               stderr_has=["p.gif: written"])
    code, dump = gifdump(os.path.join(WORK, "p.gif"))
    check("animate: giflib reads the file", code == 0)
    images = [line for line in dump if line.startswith("image ")]
    controls = [line for line in dump if line.startswith("control ")]
    check("animate: screen and loop", dump[:1] == ["screen 30 20 8 0"] and "loop 65535" in dump, dump[:1])
    check("animate: seven images, 10 per second, no transparency",
          len(images) == 7 and all(c == "control 80 10 0" for c in controls), controls)
    picture = Image.open(os.path.join(WORK, "clip001.bmp"))
    pixels = [line for line in dump if line.startswith("pixels ")]
    check("animate: second image is clip001.bmp", len(pixels) > 1
          and pixels[1] == "pixels " + bytes(picture.getdata()).hex(), "pixels differ")
    # Without --plain each image is cropped to what changes; a viewer sees the same frames.
    expect_run("animate differenced", ["animate", "p.seq", "--output", "p_diff.gif", "--rate", "10", "--loop", "-1",
                                       "--transparency", "none"], 0)
    check("animate differenced: the same frames, no larger",
          composited(os.path.join(WORK, "p_diff.gif")) == composited(os.path.join(WORK, "p.gif"))
          and os.path.getsize(os.path.join(WORK, "p_diff.gif")) <= os.path.getsize(os.path.join(WORK, "p.gif")))
    out, _ = expect_run("show after animate", ["show", "p.seq"], 0)
    check("animate: the project keeps its settings", "frame rate: 5" in out and "loop count: 0" in out, out)

    # On a console the bar redraws in place, written a line at a time: Wine's
    # console marks every write by hiding the cursor, and a message written a
    # character at a time (as the runtime does on an unbuffered stream) took
    # thousands of them, 40 ms per redraw.
    code, screen = run_on_terminal("animate", "p.seq", "--output", "tty.gif")
    check("animate on a console: exit 0", code == 0, screen[-300:])
    check("animate on a console: the full bar", "[" + "#" * 30 + "]     7/7" in screen, screen[-300:])
    check("animate on a console: whole lines", screen.count("\x1b[?25l") < 40, f"{screen.count(chr(27) + '[?25l')} writes")

    # A project that keeps an output name is written there when none is given.
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
    import seqfile
    kept = os.path.join(WORK, "kept.gif")
    with open(os.path.join(WORK, "named.seq"), "wb") as f:
        f.write(seqfile.project_bytes([seqfile.image("clip000.bmp")],
                                      seqfile.Settings(output=r"Z:" + kept.replace("/", "\\"))))
    expect_run("animate to the kept name", ["animate", "named.seq"], 0, stderr_has=["kept.gif: written"])
    check("animate: the kept name is written", os.path.exists(kept) and not os.path.exists(
        os.path.join(WORK, "named.gif")))

    # batch: one file per picture and per movie frame.
    expect_run("batch --expand", ["batch", "p.seq", "--expand", "--transparency", "each"], 0)
    names = ["clip000.gif", "clip001.gif", "clip002.gif"] + [f"clip_topdown{n:03d}.gif" for n in range(4)]
    check("batch: every file written", all(os.path.exists(os.path.join(WORK, n)) for n in names),
          sorted(os.listdir(WORK)))
    code, dump = gifdump(os.path.join(WORK, "clip_topdown002.gif"))
    check("batch: a frame file with its top-left colour", code == 0 and "control 89 100 6" in dump, dump[:5])

    # Ctrl+C stops the export after the frame being written; the earlier file stays.
    frames = []
    for n in range(120):
        picture = Image.frombytes("P", (640, 480), os.urandom(640 * 480))
        picture.putpalette(list(os.urandom(768)))
        frames.append(f"noise{n:03d}.bmp")
        picture.save(os.path.join(WORK, frames[-1]))
    expect_run("create a long project", ["create", "long.seq"] + frames, 0)
    with open(os.path.join(WORK, "long.gif"), "wb") as f:
        f.write(b"earlier")
    code, screen = interrupt_on_terminal("animate", "long.seq")
    check("Ctrl+C: exit 1", code == 1, screen[-300:])
    check("Ctrl+C: says it stopped", "stopped" in screen, screen[-300:])
    check("Ctrl+C: the earlier file stays", open(os.path.join(WORK, "long.gif"), "rb").read() == b"earlier")
    check("Ctrl+C: nothing half-written left", not [n for n in os.listdir(WORK) if n.startswith("~rw")])

    # batch without options takes the project's stored expand and transparency.
    with open(os.path.join(WORK, "stored.seq"), "wb") as f:
        f.write(seqfile.project_bytes([seqfile.movie("clip_topdown.avi")],
                                      seqfile.Settings(transparency=2, expand=1)))
    for n in range(4):
        path = os.path.join(WORK, f"clip_topdown{n:03d}.gif")
        if os.path.exists(path):
            os.remove(path)
    expect_run("batch with stored settings", ["batch", "stored.seq"], 0)
    code, dump = gifdump(os.path.join(WORK, "clip_topdown003.gif"))
    check("batch with stored settings: expanded, each frame transparent",
          code == 0 and any(line.startswith("control 89 ") for line in dump), dump[:5])

    # Failures: exit 1 and a message naming the file.
    expect_run("missing project", ["show", "absent.seq"], 1, stderr_has=["absent.seq"])
    shutil.copy(os.path.join(WORK, "notes.txt"), os.path.join(WORK, "notes.seq"))
    expect_run("not a project", ["animate", "notes.seq"], 1, stderr_has=["notes.seq: Unsupported file format."])
    with open(os.path.join(WORK, "damaged.seq"), "wb") as f:
        f.write(before[:len(before) // 2])
    expect_run("damaged project", ["show", "damaged.seq"], 1, stderr_has=["damaged.seq is not in the expected format."])
    expect_run("unwritable output folder", ["animate", "p.seq", "--output", "no such folder/out.gif"], 1,
               stderr_has=["out.gif: Unable to Open File"])
    # A true-colour movie is reduced to 256 colours; a project with nothing to read has no valid image.
    expect_run("a true-colour movie", ["animate", "q.seq", "--dither", "off"], 0, stderr_has=["q.gif: written"])
    check("a true-colour movie: giflib reads it", gifdump(os.path.join(WORK, "q.gif"))[0] == 0)
    shutil.copy(os.path.join(WORK, "clip000.bmp"), os.path.join(WORK, "alone.bmp"))
    expect_run("create a project of one file", ["create", "alone.seq", "alone.bmp"], 0)
    os.remove(os.path.join(WORK, "alone.bmp"))
    expect_run("no valid images", ["animate", "alone.seq"], 1, stderr_has=["alone.gif: No valid images"])
    # An output that is one of the project's own files is not even a .gif.
    for title, given, on_disk in [("a picture of the project", "CLIP001.bmp", "clip001.bmp"),
                                  ("the project itself", "p.seq", "p.seq")]:
        kept = open(os.path.join(WORK, on_disk), "rb").read()
        expect_run(f"output is {title}", ["animate", "p.seq", "--output", given], 2,
                   stderr_has=["the output must be a .gif file"])
        check(f"output is {title}: the file is kept", open(os.path.join(WORK, on_disk), "rb").read() == kept)
    # A named output that exists is replaced only with --force.
    with open(os.path.join(WORK, "taken.gif"), "wb") as f:
        f.write(b"earlier")
    expect_run("output exists", ["animate", "p.seq", "--output", "taken.gif"], 1, stderr_has=["taken.gif: exists; --force"])
    check("output exists: the file is kept", open(os.path.join(WORK, "taken.gif"), "rb").read() == b"earlier")
    expect_run("output exists, --force", ["animate", "p.seq", "--output", "taken.gif", "--force"], 0)
    check("output exists, --force: replaced", gifdump(os.path.join(WORK, "taken.gif"))[0] == 0)
    # Files left out are named, and the run says it did not write everything.
    shutil.copy(os.path.join(WORK, "clip000.bmp"), os.path.join(WORK, "vanishing.bmp"))
    expect_run("create with a file that will go", ["create", "v.seq", "clip000.bmp", "vanishing.bmp"], 0)
    os.remove(os.path.join(WORK, "vanishing.bmp"))
    expect_run("animate with a file gone", ["animate", "v.seq"], 1,
               stderr_has=["vanishing.bmp: skipped: could not be read"])
    check("animate with a file gone: the rest is written", gifdump(os.path.join(WORK, "v.gif"))[0] == 0)
    os.remove(os.path.join(WORK, "clip001.gif"))
    os.makedirs(os.path.join(WORK, "clip001.gif"))
    expect_run("batch with a blocked output", ["batch", "p.seq", "--force"], 1,
               stderr_has=["clip001.gif: Unable to Open File (a folder has that name)"])
    check("batch goes on after a failure", os.path.exists(os.path.join(WORK, "clip_topdown.gif")))

    check_bit_fields()
    check_project_guard()
    check_batch_keeps_files()
    check_orphans()
    check_messages()
    check_help_and_readme()

    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
