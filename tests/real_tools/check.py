"""Pictures and sounds made by real tools with their default options, run
through every program in every role that reads them.

usage: check.py BIN [--keep DIR]

Sources: small PNGs written by Pillow from generated patterns (RGB, RGB with
sRGB and gamma chunks, RGB with an ICC profile, RGBA with transparency,
greyscale, palette), each turned into a BMP by ImageMagick (`convert in.png
out.bmp` and `convert in.png BMP3:out.bmp`), ffmpeg (`ffmpeg -i in.png
out.bmp`), Pillow (`Image.open(in).save(out)`) and, when installed, libvips
(`vips copy in.png out.bmp`). A file that is 24-bit uncompressed with a
header the programs read must be read in every role, exactly as the same
pixels (as Pillow reads them) in the plain 54-byte layout, written by
samples/bmp.py: both routes must give the same output rows, and where a run
changes nothing, the rows Pillow read. Every output must be a plain 54-byte
header BMP, cut at the end of its rows, whose file-size field is its length,
and ImageMagick must read it back at its size. Any other file (32 bits,
palette, RLE) must be refused in every role with exit 1, the layout message
and no file written. The glyph sheets re-encoded by each tool must caption
exactly as the shipped ones. WAVs from ffmpeg (to a file and to a pipe) and
from Python's wave module must trim to the samples that wave and ffmpeg
read, behind the canonical header.

Prints one line per file (and per WAV trim set); exits 1 on any mismatch.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

from PIL import Image, ImageCms, PngImagePlugin

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "samples"))
from bmp import HEADER_SIZE, bmp_bytes, row_stride, write_bmp  # noqa: E402
from wav import wav_header  # noqa: E402

CONVERT, IDENTIFY, FFMPEG = "/usr/bin/convert", "/usr/bin/identify", "/usr/bin/ffmpeg"
SHEETS = os.path.join(ROOT, "captions", "sheets")
SHEET_NAMES = {1: "GXFont1Minimini.bmp", 2: "GXFont2Mini.bmp", 3: "GXFont3Big.bmp"}
NOT_24_BIT = "24ビット非圧縮BMPではありません".encode("cp932")
READ_HEADER_SIZES = (40, 52, 56, 108, 124)
COMPRESSION = {0: "", 1: " RLE8", 2: " RLE4", 3: " bitfields", 6: " alpha bitfields"}


def busy(x, y):
    return ((x * 37 + y * 11) & 255, (x * 5 ^ y * 29) & 255, (x * y * 3 + 64) & 255)


def pattern(width, height, pixel=busy):
    im = Image.new("RGB", (width, height))
    im.putdata([pixel(x, y) for y in range(height) for x in range(width)])
    return im


# --- sources: one PNG of each kind from an RGB picture ---------------------

def png_rgb(im, path):
    im.save(path)


def png_srgb(im, path):
    info = PngImagePlugin.PngInfo()
    info.add(b"gAMA", (45455).to_bytes(4, "big"))
    info.add(b"sRGB", b"\0")
    im.save(path, pnginfo=info)


ICC = ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()


def png_icc(im, path):
    im.save(path, icc_profile=ICC)


def png_rgba(im, path):
    rgba = im.convert("RGBA")
    w, h = im.size
    rgba.putalpha(pattern(w, h, lambda x, y: ((x * 23 + y * 41) % 256,) * 3).convert("L"))
    rgba.save(path)


def png_grey(im, path):
    im.convert("L").save(path)


def png_palette(im, path):
    im.convert("P", palette=Image.ADAPTIVE, colors=16).save(path)


KINDS = [("rgb", png_rgb), ("srgb", png_srgb), ("icc", png_icc), ("rgba", png_rgba), ("grey", png_grey),
         ("palette", png_palette)]


# --- the tools, default options ---------------------------------------------

def quiet(cmd):
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def with_pillow(src, out):
    Image.open(src).save(out)


# (name, file name part, convert(source, out))
TOOLS = [("convert", "convert", lambda s, o: quiet([CONVERT, s, o])),
         ("convert BMP3:", "convert-bmp3", lambda s, o: quiet([CONVERT, s, "BMP3:" + o])),
         ("ffmpeg", "ffmpeg", lambda s, o: quiet([FFMPEG, "-v", "error", "-y", "-i", s, o])),
         ("Pillow", "pillow", with_pillow)]
if shutil.which("vips"):
    TOOLS.append(("vips", "vips", lambda s, o: quiet(["vips", "copy", s, o])))


def header_of(path):
    with open(path, "rb") as f:
        d = f.read(54)
    offset, size = struct.unpack("<II", d[10:18])
    width, height, _, bits, compression = struct.unpack("<iiHHI", d[18:34])
    return offset, size, width, height, bits, compression


def is_read(path):
    """What the programs read: 24 bits, uncompressed, pixels at 0 or 54 or
    past a header they know."""
    offset, size, _, _, bits, compression = header_of(path)
    return bits == 24 and compression == 0 and (offset in (0, 54) or (size in READ_HEADER_SIZES and
                                                                       offset >= 14 + size))


def layout_of(path):
    offset, size, width, height, bits, compression = header_of(path)
    return f"{width}x{height} hdr {size} at {offset}, {bits}-bit{COMPRESSION.get(compression, f' c{compression}')}"


def pixels(path):
    im = Image.open(path)
    im.load()
    return im.convert("RGB")


def plain_copy(path, out):
    """The same pixels as Pillow reads them, in the plain layout."""
    im = pixels(path)
    px = im.load()
    write_bmp(out, im.size[0], im.size[1], lambda x, y: px[x, y])


def plain_rows(im):
    px = im.load()
    return bmp_bytes(im.size[0], im.size[1], lambda x, y: px[x, y])[HEADER_SIZE:]


# --- running a program --------------------------------------------------------

class Runner:
    def __init__(self, bin_dir, work):
        self.bin, self.work, self.count = bin_dir, work, 0
        self.env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))

    def run(self, program, args, inputs):
        """Runs program in a new folder holding inputs ({name: source});
        gives the folder, exit status, stdout and the names of new files."""
        self.count += 1
        folder = os.path.join(self.work, f"run{self.count:05d}")
        os.mkdir(folder)
        for name, source in inputs.items():
            shutil.copyfile(source, os.path.join(folder, name))
        p = subprocess.run([os.path.join(self.bin, program)] + args, cwd=folder, env=self.env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        made = sorted(set(os.listdir(folder)) - set(inputs))
        return folder, p.returncode, p.stdout, made


NAME_LINES = ("入力ファイル名:".encode("cp932"), "出力ファイル名:".encode("cp932"))


def shown(stdout, names=()):
    """The first line of a program's output that is not a file name."""
    skip = {n.encode() for n in names}
    lines = [line for line in stdout.splitlines() if line not in skip and not line.startswith(NAME_LINES)]
    return lines[0].decode("cp932", "replace")[:90] if lines else ""


def output_problem(path, width, height):
    """What is wrong with an output's layout, or None."""
    with open(path, "rb") as f:
        d = f.read()
    if len(d) < HEADER_SIZE or d[:2] != b"BM":
        return f"output is not BMP ({len(d)} bytes)"
    size_field, _, offset, info = struct.unpack("<IIII", d[2:18])
    w, h, planes, bits, compression = struct.unpack("<iiHHI", d[18:34])
    want = HEADER_SIZE + row_stride(width) * height
    if size_field != len(d):
        return f"file-size field {size_field}, file {len(d)} bytes"
    if (offset, info, w, h, planes, bits, compression) != (54, 40, width, height, 1, 24, 0):
        return f"output header: offset {offset} header {info} {w}x{h} planes {planes} {bits}-bit c{compression}"
    if len(d) != want:
        return f"output {len(d)} bytes, rows end at {want}"
    return None


# --- the roles --------------------------------------------------------------

class Companions:
    """Plain pictures for the other places of a run, written by samples/bmp.py."""

    def __init__(self, folder):
        self.folder, self.made = folder, {}

    def get(self, name, width, height, pixel):
        key = (name, width, height)
        if key not in self.made:
            path = os.path.join(self.folder, f"{name}_{width}x{height}.bmp")
            write_bmp(path, width, height, pixel)
            self.made[key] = path
        return self.made[key]

    def background(self):
        return self.get("background", 79, 61, lambda x, y: (x * 3 & 255, y * 4 & 255, (x ^ y) * 5 & 255))

    def sprite(self, width=13, height=9):
        return self.get("sprite", width, height, lambda x, y: (200 - x * 7 & 255, x * y * 9 & 255, y * 13 & 255))

    def alpha(self, width=13, height=9):
        return self.get("alpha", width, height,
                        lambda x, y: ((x * 41 + y * 17) & 255, (x * 7) & 255, 255 - y * 19 & 255))


def write_text(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write(text)
    return path


KEY_MAP_PLAIN = "o" * 60
KEY_MAP_LETTERS = "RGBCSoBGRSCo" * 5


def picture_roles(x, c, tables, refused=False):
    """(role, program, args, inputs, output, check) for the picture x in each
    role; check is "same" when the run must leave the pixels as they are,
    "route" when it must match the plain route; output is the output's name
    and the picture whose size it has. A refused picture also goes to
    tagscan; tagscan reads the pictures that are read on captioned ones
    (check_tagscan)."""
    _, _, w, h, _, _ = header_of(x)
    bg, sp, al = c.background(), c.sprite(), c.alpha()
    sp_x, al_x = c.sprite(w, h), c.alpha(w, h)
    sheet = os.path.join(SHEETS, SHEET_NAMES[1])
    roles = []
    for program, extra in (("maskblend", []), ("fadeblend", ["50"])):
        roles += [
            (f"{program} background", program, ["bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "3", "4"] + extra,
             {"bg.bmp": x, "sp.bmp": sp, "al.bmp": al}, ("out.bmp", x), "route"),
            (f"{program} sprite", program, ["bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "5", "6"] + extra,
             {"bg.bmp": bg, "sp.bmp": x, "al.bmp": al_x}, ("out.bmp", bg), "route"),
            (f"{program} alpha", program, ["bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "5", "6"] + extra,
             {"bg.bmp": bg, "sp.bmp": sp_x, "al.bmp": x}, ("out.bmp", bg), "route")]
    roles += [
        ("stampmany background", "stampmany", ["bg.bmp", "out.bmp", "sp.bmp", "3", "4"], {"bg.bmp": x, "sp.bmp": sp},
         ("out.bmp", x), "route"),
        ("stampmany sprite", "stampmany", ["bg.bmp", "out.bmp", "sp.bmp", "5", "6"], {"bg.bmp": bg, "sp.bmp": x},
         ("out.bmp", bg), "route"),
        ("tintswap -f (empty table)", "tintswap", ["-f", "p.bmp", "t.txt"], {"p.bmp": x, "t.txt": tables["empty"]},
         ("p.bm", x), "same"),
        ("tintswap -f (one entry)", "tintswap", ["-f", "p.bmp", "t.txt"], {"p.bmp": x, "t.txt": tables["one"]},
         ("p.bm", x), "route"),
        ("tintswap -l", "tintswap", ["-l", "list.txt", "t.txt"],
         {"p.bmp": x, "list.txt": tables["list"], "t.txt": tables["one"]}, ("p.bm", x), "route"),
        ("keyshade (all o)", "keyshade", ["p.bmp", "0", "0", KEY_MAP_PLAIN], {"p.bmp": x}, ("p.bm", x), "same"),
        ("keyshade (letters)", "keyshade", ["p.bmp", "1", "1", KEY_MAP_LETTERS], {"p.bmp": x}, ("p.bm", x),
         "route"),
        ("tagburn", "tagburn", ["p.bmp", "1"], {"p.bmp": x, SHEET_NAMES[1]: sheet}, ("p.bm", x), "route"),
    ]
    if refused:
        roles.append(("tagscan", "tagscan", ["p.bmp", "1", "0", "0"], {"p.bmp": x, SHEET_NAMES[1]: sheet}, None, None))
    return roles


class Checker:
    def __init__(self, runner, work):
        self.runner, self.work = runner, work
        self.companions = Companions(work)
        self.failures = 0
        self.empty_table = write_text(work, "empty.txt", "")
        self.list_file = write_text(work, "list.txt", "p.bmp\n")

    def report(self, ok, label, detail, problems, roles=()):
        print(f"{'ok  ' if ok else 'FAIL'} {label:<44} {detail}")
        if not ok:
            self.failures += 1
        grouped = {}
        for role, problem in problems:
            grouped.setdefault(problem, []).append(role)
        all_roles = [r[0] for r in roles]
        for problem, members in grouped.items():
            every = len(members) > 1 and len(members) == len(all_roles)
            print(f"       {f'all {len(members)} roles' if every else ', '.join(members)}: {problem}")

    def tables_for(self, x, folder):
        r, g, b = pixels(x).getpixel((0, 0))
        one = write_text(folder, "one.txt", f"{r:03d} {g:03d} {b:03d} 001 002 003\n")
        return {"empty": self.empty_table, "one": one, "list": self.list_file}

    def identify(self, outputs):
        """Problems ImageMagick has reading the outputs back: [(role, text)]."""
        if not outputs:
            return []
        folder = tempfile.mkdtemp(dir=self.work)
        names = {}
        for i, (role, path, w, h) in enumerate(outputs):
            name = f"o{i}.bmp"
            shutil.copyfile(path, os.path.join(folder, name))
            names[name] = (role, w, h)
        p = subprocess.run([IDENTIFY, "-format", "%f %w %h\n"] + sorted(names), cwd=folder,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace")
        seen = {}
        for line in p.stdout.splitlines():
            f, w, h = line.split()
            seen[f] = (int(w), int(h))
        problems = []
        for name, (role, w, h) in names.items():
            if name not in seen:
                why = [e for e in p.stderr.splitlines() if name in e]
                problems.append((role, "ImageMagick refuses the output: " + (why[0].split(" `")[0] if why else "?")))
            elif seen[name] != (w, h):
                problems.append((role, f"ImageMagick reads the output as {seen[name][0]}x{seen[name][1]}"))
        return problems

    def check_picture(self, label, x):
        folder = tempfile.mkdtemp(dir=self.work)
        if is_read(x):
            self.check_read(label, x, folder)
        else:
            self.check_refused(label, x, folder)

    def check_refused(self, label, x, folder):
        problems = []
        tables = {"empty": self.empty_table, "one": self.empty_table, "list": self.list_file}
        # With no colour to look up, "one entry" would repeat the empty table's run.
        roles = [r for r in picture_roles(x, self.companions, tables, refused=True)
                 if r[0] != "tintswap -f (one entry)"]
        for role, program, args, inputs, _, _ in roles:
            _, rc, out, made = self.runner.run(program, args, inputs)
            lines = out.splitlines()
            if rc == 0:
                problems.append((role, "read, should be refused"))
            elif rc != 1 or NOT_24_BIT not in lines:
                problems.append((role, f"refused with exit {rc} and '{shown(out, inputs)}', not the layout message"))
            elif made:
                problems.append((role, f"refused but wrote {made}"))
        self.report(not problems, label, f"{layout_of(x)}: refused in {len(roles) - len(problems)}/{len(roles)} roles",
                    problems, roles)

    def check_read(self, label, x, folder):
        plain = os.path.join(folder, "plain.bmp")
        plain_copy(x, plain)
        source = pixels(x)
        tables = self.tables_for(x, folder)
        problems, outputs = [], []
        roles = picture_roles(x, self.companions, tables)
        for role, program, args, inputs, output, check in roles:
            run_folder, rc, out, made = self.runner.run(program, args, inputs)
            name, size_of = output
            if rc != 0 or made != [name]:
                problems.append((role, f"exit {rc}, wrote {made}: '{shown(out, inputs)}'" +
                                 (" - should be read" if rc == 1 else "")))
                continue
            path = os.path.join(run_folder, name)
            _, _, w, h, _, _ = header_of(size_of)
            problem = output_problem(path, w, h)
            if problem:
                problems.append((role, problem))
            outputs.append((role, path, w, h))
            with open(path, "rb") as f:
                rows = f.read()[HEADER_SIZE:]
            if check == "same":
                if rows != plain_rows(source):
                    problems.append((role, "pixels differ from what Pillow reads"))
                continue
            # The plain route: the same run on the plain copy.
            plain_inputs = {k: (plain if v == x else v) for k, v in inputs.items()}
            plain_folder, prc, pout, pmade = self.runner.run(program, args, plain_inputs)
            if prc != 0 or pmade != [name]:
                problems.append((role, f"plain route: exit {prc}, wrote {pmade}: '{shown(pout, inputs)}'"))
                continue
            with open(os.path.join(plain_folder, name), "rb") as f:
                plain_result = f.read()[HEADER_SIZE:]
            if rows != plain_result:
                problems.append((role, "pixels differ from the plain route's"))
            if out != pout:
                problems.append((role, f"prints '{shown(out)}', the plain route '{shown(pout)}'"))
            if program == "tagburn":
                problems += [(role, p) for p in self.caption_problems(run_folder, source)]
            elif role in ("tintswap -f (one entry)", "keyshade (letters)") and rows == plain_rows(source):
                problems.append((role, "changed nothing: the check means nothing"))
        problems += self.identify(outputs)
        self.report(not problems, label, f"{layout_of(x)}: read in {len(roles)} roles" +
                    (f", {len(problems)} problems" if problems else ""), problems, roles)

    def caption_problems(self, run_folder, source):
        """tagburn's p.bm: tagscan reads the name back, and outside the
        caption's cells every pixel is as Pillow read the input."""
        problems = []
        p = subprocess.run([os.path.join(self.runner.bin, "tagscan"), "p.bm", "1", "0", "0"], cwd=run_folder,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if p.returncode != 0 or p.stdout != b"p.bmp\n":
            problems.append(f"tagscan reads '{shown(p.stdout)}' (exit {p.returncode}), not p.bmp")
        result = pixels(os.path.join(run_folder, "p.bm")).load()
        before = source.load()
        w, h = source.size
        changed = [(i, j) for j in range(h) for i in range(w)
                   if not (i < 5 * 7 and j < 7) and result[i, j] != before[i, j]]
        if changed:
            problems.append(f"{len(changed)} pixels outside the caption changed, first at {changed[0]}")
        return problems

    def check_tagscan(self, label, x):
        """x carries the caption "t.bmp" (mode 1) in its top-left corner."""
        if not is_read(x):
            return
        sheet = os.path.join(SHEETS, SHEET_NAMES[1])
        _, rc, out, made = self.runner.run("tagscan", ["c.bmp", "1", "0", "0"], {"c.bmp": x, SHEET_NAMES[1]: sheet})
        ok = rc == 0 and out == b"t.bmp\n" and not made
        self.report(ok, label, f"{layout_of(x)}: tagscan reads '{shown(out, ['c.bmp'])}' (exit {rc})", [])

    def check_sheet(self, label, sheet, mode, picture, reference):
        """tagburn with the re-encoded sheet gives the shipped sheet's result,
        and tagscan with it reads the caption back."""
        inputs = {"p.bmp": picture, SHEET_NAMES[mode]: sheet}
        folder, rc, out, made = self.runner.run("tagburn", ["p.bmp", str(mode)], inputs)
        problems = []
        if rc != 0 or made != ["p.bm"]:
            problems.append(("tagburn", f"exit {rc}, wrote {made}: '{shown(out, inputs)}'"))
        else:
            with open(os.path.join(folder, "p.bm"), "rb") as f:
                if f.read() != reference:
                    problems.append(("tagburn", "result differs from the shipped sheet's"))
            p = subprocess.run([os.path.join(self.runner.bin, "tagscan"), "p.bm", str(mode), "0", "0"], cwd=folder,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if p.returncode != 0 or p.stdout != b"p.bmp\n":
                problems.append(("tagscan", f"reads '{shown(p.stdout)}' (exit {p.returncode})"))
        self.report(not problems, label, f"{layout_of(sheet)}: " + ("same caption" if not problems else "differs"),
                    problems)

    # --- sound ---------------------------------------------------------------

    def check_wav(self, label, path):
        with wave.open(path) as w:
            samples = w.readframes(w.getnframes())
            layout = (w.getframerate(), w.getsampwidth(), w.getnchannels())
        decoded = subprocess.run([FFMPEG, "-v", "error", "-i", path, "-f", "s16le", "-"], check=True,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE).stdout
        problems = []
        if layout != (44100, 2, 2):
            problems.append(("source", f"wave reads {layout}"))
        if decoded != samples:
            problems.append(("source", "wave and ffmpeg read different samples"))
        n = len(samples)
        trims = [(0, 44 + n), (4, 44 + n), (1000, 44 + 2000), (0, 44 + n + 400), (n - 8, 44 + 64)]
        for head, total in trims:
            role = f"H={head} T={total}"
            folder, rc, out, made = self.runner.run("pcmclip", ["in.wav", str(head), str(total)], {"in.wav": path})
            if rc != 0 or made != ["in.wa"]:
                problems.append((role, f"exit {rc}, wrote {made}: '{shown(out)}'"))
                continue
            with open(os.path.join(folder, "in.wa"), "rb") as f:
                got = f.read()
            body = (samples[head:] + bytes(total))[:total - 44]
            if got[:44] != wav_header(total - 44):
                problems.append((role, "not the canonical header"))
            if got[44:] != body:
                problems.append((role, f"{len(got) - 44} bytes of samples, not the {len(body)} from byte {head}"))
            with wave.open(os.path.join(folder, "in.wa")) as w:
                if w.readframes(w.getnframes()) != body:
                    problems.append((role, "wave reads other samples from the output"))
        self.report(not problems, label, f"{chunks(path)}: {len(trims)} trims" +
                    (f", {len(problems)} problems" if problems else ""), problems)


def chunks(path):
    with open(path, "rb") as f:
        d = f.read()
    at, found = 12, []
    while at + 8 <= len(d):
        kind, size = d[at:at + 4].decode("latin-1"), struct.unpack("<I", d[at + 4:at + 8])[0]
        found.append(f"{kind.strip()} {size:#x}" if size == 0xFFFFFFFF else f"{kind.strip()} {size}")
        at += 8 + size + (size & 1)
    return ", ".join(found)


def main():
    bin_dir = os.path.abspath(sys.argv[1])
    keep = sys.argv[3] if len(sys.argv) > 3 and sys.argv[2] == "--keep" else None
    work = tempfile.mkdtemp(prefix="real-tools-") if keep is None else os.path.abspath(keep)
    os.makedirs(work, exist_ok=True)
    start = time.monotonic()
    runner = Runner(bin_dir, work)
    checker = Checker(runner, work)
    try:
        src = os.path.join(work, "sources")
        os.mkdir(src)
        skipped = set()

        def convert(tool, make, png, out):
            if tool in skipped:
                return None
            try:
                make(png, out)
                return out
            except subprocess.CalledProcessError as e:
                print(f"skip {tool}: {e.stderr.decode(errors='replace').strip()[:100]}")
                skipped.add(tool)
                return None

        if "vips" not in [t for t, _, _ in TOOLS]:
            print("skip vips: not installed")

        def each_tool_file(im, label, check):
            """The picture as a PNG of every kind, turned into a BMP by
            every tool, each file given to check."""
            for kind, make_png in KINDS:
                png = os.path.join(src, f"{label}_{kind}.png")
                make_png(im, png)
                for tool, tag, make in TOOLS:
                    out = convert(tool, make, png, os.path.join(src, f"{tag}_{label}_{kind}.bmp"))
                    if out:
                        check(f"{tool} {kind} {label}", out)

        # Every kind from every tool, at an odd and an even width.
        for width, height in ((37, 23), (64, 48)):
            each_tool_file(pattern(width, height), f"{width}x{height}", checker.check_picture)

        # tagscan on each tool's file of a captioned picture.
        captioned = os.path.join(src, "t.bmp")
        write_bmp(captioned, 37, 23, busy)
        shutil.copyfile(os.path.join(SHEETS, SHEET_NAMES[1]), os.path.join(src, SHEET_NAMES[1]))
        subprocess.run([os.path.join(bin_dir, "tagburn"), "t.bmp", "1"], cwd=src, check=True,
                       stdout=subprocess.DEVNULL)
        each_tool_file(pixels(os.path.join(src, "t.bm")), "captioned", checker.check_tagscan)

        # The glyph sheets re-encoded by each tool (from the BMP itself).
        picture = checker.companions.background()
        for mode, name in SHEET_NAMES.items():
            folder, _, _, _ = runner.run("tagburn", ["p.bmp", str(mode)], {"p.bmp": picture,
                                                                           name: os.path.join(SHEETS, name)})
            with open(os.path.join(folder, "p.bm"), "rb") as f:
                reference = f.read()
            for tool, tag, make in TOOLS:
                out = convert(tool, make, os.path.join(SHEETS, name), os.path.join(src, f"{tag}_sheet{mode}.bmp"))
                if out:
                    checker.check_sheet(f"{tool} glyph sheet {mode}", out, mode, picture, reference)

        # WAV: ffmpeg's default to a file and to a pipe, and Python's wave.
        flac = os.path.join(src, "tone.flac")
        quiet([FFMPEG, "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=0.1",
               "-f", "lavfi", "-i", "anoisesrc=sample_rate=44100:duration=0.1:seed=7",
               "-filter_complex", "amerge=inputs=2", "-sample_fmt", "s16", flac])
        ffmpeg_wav = os.path.join(src, "ffmpeg.wav")
        quiet([FFMPEG, "-v", "error", "-i", flac, ffmpeg_wav])
        checker.check_wav("ffmpeg -i tone.flac out.wav", ffmpeg_wav)
        pipe_wav = os.path.join(src, "pipe.wav")
        with open(pipe_wav, "wb") as f:
            subprocess.run([FFMPEG, "-v", "error", "-i", flac, "-f", "wav", "-"], check=True,
                           stdin=subprocess.DEVNULL, stdout=f)
        checker.check_wav("ffmpeg -i tone.flac -f wav - > out.wav", pipe_wav)
        wave_wav = os.path.join(src, "wave.wav")
        with wave.open(wave_wav, "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(44100)
            w.writeframes(subprocess.run([FFMPEG, "-v", "error", "-i", flac, "-f", "s16le", "-"], check=True,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE).stdout)
        checker.check_wav("Python wave", wave_wav)
    finally:
        if keep is None:
            shutil.rmtree(work)
    took = time.monotonic() - start
    if checker.failures:
        print(f"real tools: {checker.failures} files FAIL ({runner.count} runs, {took:.1f} s)")
        return 1
    print(f"real tools: every file read or refused as it should be ({runner.count} runs, {took:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
