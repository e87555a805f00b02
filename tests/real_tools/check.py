"""Pictures and sounds made by real tools with their default options, run
through every program in every role that reads them.

usage: check.py BIN [--keep DIR]

Sources: small PNGs written by Pillow from generated patterns: RGB (plain,
with sRGB and gamma chunks, with an ICC profile), RGBA with transparency,
greyscale, a 16-colour palette and three flat colours, at an odd and an
even size, and an RGB and an RGBA picture of 1x1. Each is turned into a BMP
by ImageMagick (`convert in.png out.bmp` and `convert in.png
BMP3:out.bmp`), GraphicsMagick (`gm convert in.png out.bmp`), ffmpeg
(`ffmpeg -i in.png out.bmp`), Pillow (`Image.open(in).save(out)`), libvips
(`vips copy in.png out.bmp`), netpbm (`pngtopnm in.png | ppmtobmp >
out.bmp`) and, when installed, GIMP (`gimp -i -b` with script-fu, saving by
the file name's extension; one run for every file of a kind).

Every file must be read in every role. Its pixels are what Pillow reads.
It has an alpha channel when it is 32 bits with an alpha mask, or without
masks with fourth bytes that are not all 0; its alpha is then what Pillow
reads, or the source PNG's where Pillow reads such a file without alpha. A
run must give what the same run gives on the plain route, the file's pixels
in the plain 24-bit layout written by samples/bmp.py; for a file with
alpha, as the alpha picture its alpha as a grey picture (the two files
`-alpha off` and `-alpha extract` give), and pasted by stampmany what
maskblend makes of that pair. Where a run changes nothing, the output has
the pixels (and alpha) read. An output that starts from a file with alpha
keeps it in a 32-bit file with a 124-byte header: the file's alpha, 255
where the run painted, and where a sprite covers it a + b(255 - a)/255
rounded. Every other output is a plain 54-byte-header BMP cut at the end of
its rows, whose file-size field is its length. ImageMagick and Pillow must
read every output back at its size, with the pixels and alpha written. The
glyph sheets re-encoded by each tool must caption exactly as the shipped
ones. WAVs from ffmpeg (to a file and to a pipe) and from Python's wave
module must trim to the samples that wave and ffmpeg read, behind the
canonical header.

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
from bmp import HEADER_SIZE, read_bmp, row_stride, write_bmp  # noqa: E402
from wav import wav_header  # noqa: E402

CONVERT, IDENTIFY, FFMPEG = "/usr/bin/convert", "/usr/bin/identify", "/usr/bin/ffmpeg"
GM, VIPS, PNGTOPNM, PPMTOBMP, GIMP = "/usr/bin/gm", "/usr/bin/vips", "/usr/bin/pngtopnm", "/usr/bin/ppmtobmp", "/usr/bin/gimp"
SHEETS = os.path.join(ROOT, "captions", "sheets")
SHEET_NAMES = {1: "GXFont1Minimini.bmp", 2: "GXFont2Mini.bmp", 3: "GXFont3Big.bmp"}
UNREADABLE = "読み込めない形式のBMPです".encode("cp932")
COMPRESSION = {0: "", 1: " RLE8", 2: " RLE4", 3: " bitfields", 6: " alpha bitfields"}
ALPHA_HEADER_SIZE = 14 + 124


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
    rgba.putalpha(pattern(w, h, lambda x, y: ((x * 23 + y * 41 + 7) % 256,) * 3).convert("L"))
    rgba.save(path)


def png_grey(im, path):
    im.convert("L").save(path)


def png_palette(im, path):
    im.convert("P", palette=Image.ADAPTIVE, colors=16).save(path)


def png_few(im, path):
    w, h = im.size
    flat = [(200, 30, 30), (20, 20, 20), (250, 250, 250)]
    pattern(w, h, lambda x, y: flat[(x // 5 + y // 4) % 3]).save(path)


KINDS = [("rgb", png_rgb), ("srgb", png_srgb), ("icc", png_icc), ("rgba", png_rgba), ("grey", png_grey),
         ("indexed", png_palette), ("few", png_few)]
ONE_PIXEL_KINDS = [("rgb", png_rgb), ("rgba", png_rgba)]


# --- the tools, default options ---------------------------------------------

def quiet(cmd, **kwargs):
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                   **kwargs)


def each(convert_one):
    """A tool that converts one file a command, for a list of files."""
    def convert(pairs, work):
        for source, out in pairs:
            convert_one(source, out)
    return convert


def with_pillow(source, out):
    Image.open(source).save(out)


def with_netpbm(source, out):
    with open(out, "wb") as f:
        pnm = subprocess.run([PNGTOPNM, source], check=True, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE).stdout
        subprocess.run([PPMTOBMP], input=pnm, check=True, stdout=f, stderr=subprocess.PIPE)


def script_fu_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def with_gimp(pairs, work):
    """One batch run: each file loaded and saved by its extension, as the
    export dialog's defaults would save it, in a home folder of its own."""
    saves = " ".join(f"(save-as {script_fu_text(s)} {script_fu_text(o)})" for s, o in pairs)
    script = ("(define (save-as in out) (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE in in)))"
              " (layer (car (gimp-image-get-active-layer image))))"
              " (gimp-file-save RUN-NONINTERACTIVE image layer out out) (gimp-image-delete image)))"
              f" {saves} (gimp-quit 0)")
    home = os.path.join(work, "gimp-home")
    os.makedirs(home, exist_ok=True)
    quiet([GIMP, "-i", "-d", "-f", "-b", script], env=dict(os.environ, HOME=home))
    missing = [o for _, o in pairs if not os.path.exists(o)]
    if missing:
        raise subprocess.CalledProcessError(1, GIMP, stderr=f"wrote no {missing[0]}".encode())


# (name, file name part, convert(list of (source, out), work folder))
TOOLS = [("convert", "convert", each(lambda s, o: quiet([CONVERT, s, o]))),
         ("convert BMP3:", "convert-bmp3", each(lambda s, o: quiet([CONVERT, s, "BMP3:" + o]))),
         ("gm convert", "gm", each(lambda s, o: quiet([GM, "convert", s, o]))),
         ("ffmpeg", "ffmpeg", each(lambda s, o: quiet([FFMPEG, "-v", "error", "-y", "-i", s, o]))),
         ("Pillow", "pillow", each(with_pillow)),
         ("vips", "vips", each(lambda s, o: quiet([VIPS, "copy", s, o]))),
         ("netpbm", "netpbm", each(with_netpbm))]
if os.access(GIMP, os.X_OK):
    TOOLS.append(("GIMP", "gimp", with_gimp))


# --- the files ----------------------------------------------------------------

def header_of(path):
    """Width, height, bits, compression, information header size and
    offset, whichever header the file has."""
    with open(path, "rb") as f:
        d = f.read(70).ljust(70, b"\0")
    offset, size = struct.unpack("<II", d[10:18])
    if size == 12:
        width, height, _, bits = struct.unpack("<HHHH", d[18:26])
        return width, height, bits, 0, size, offset
    width, height, _, bits, compression = struct.unpack("<iiHHI", d[18:34])
    return width, abs(height), bits, compression, size, offset


def layout_of(path):
    width, height, bits, compression, size, offset = header_of(path)
    return f"{width}x{height} hdr {size} at {offset}, {bits}-bit{COMPRESSION.get(compression, f' c{compression}')}"


def has_alpha(path):
    """32 bits with an alpha mask, or without masks and fourth bytes not all 0."""
    _, height, bits, compression, size, offset = header_of(path)
    if bits != 32:
        return False
    with open(path, "rb") as f:
        d = f.read()
    if compression in (3, 6):
        return (size >= 56 or compression == 6) and struct.unpack("<I", d[66:70])[0] != 0
    return compression == 0 and any(d[offset + 3::4])


def colours(path):
    im = Image.open(path)
    im.load()
    return list(im.convert("RGB").getdata())


def alphas(path, png):
    """The file's alpha as Pillow reads it, or the source's where Pillow
    reads the file without its alpha."""
    im = Image.open(path)
    im.load()
    source = im if im.mode == "RGBA" else Image.open(png)
    return [p[3] for p in source.convert("RGBA").getdata()]


class Picture:
    """A tool's file: its size, what Pillow reads, and its plain twins."""

    def __init__(self, path, png, folder):
        self.path, self.png = path, png
        self.width, self.height = Image.open(path).size
        self.colours = colours(path)
        self.alpha = alphas(path, png) if has_alpha(path) else None
        self.plain = self.twin(folder, "plain.bmp", self.colours)
        self.alpha_picture = self.twin(folder, "alpha.bmp", [(a, a, a) for a in self.alpha]) if self.alpha else None

    def twin(self, folder, name, values):
        path = os.path.join(folder, name)
        write_bmp(path, self.width, self.height, lambda x, y: values[y * self.width + x])
        return path


def pixels_of(path):
    """An output's pixels, read with samples/bmp.py: (r, g, b) or (r, g, b, a)."""
    width, height, pixel = read_bmp(path)
    return [tuple(pixel(x, y)) for y in range(height) for x in range(width)]


def output_problem(path, width, height, with_alpha):
    """What is wrong with an output's layout, or None."""
    with open(path, "rb") as f:
        d = f.read()
    if len(d) < HEADER_SIZE or d[:2] != b"BM":
        return f"output is not BMP ({len(d)} bytes)"
    size_field, _, offset, info = struct.unpack("<IIII", d[2:18])
    w, h, planes, bits, compression = struct.unpack("<iiHHI", d[18:34])
    if with_alpha:
        want_header = (ALPHA_HEADER_SIZE, 124, width, height, 1, 32, 3)
        want = ALPHA_HEADER_SIZE + 4 * width * height
    else:
        want_header = (54, 40, width, height, 1, 24, 0)
        want = HEADER_SIZE + row_stride(width) * height
    if size_field != len(d):
        return f"file-size field {size_field}, file {len(d)} bytes"
    if (offset, info, w, h, planes, bits, compression) != want_header:
        return f"output header: offset {offset} header {info} {w}x{h} planes {planes} {bits}-bit c{compression}"
    if with_alpha and struct.unpack("<4I", d[54:70]) != (0xFF0000, 0xFF00, 0xFF, 0xFF000000):
        return "output masks are not B, G, R, A bytes"
    if len(d) != want:
        return f"output {len(d)} bytes, rows end at {want}"
    return None


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

    def black(self, width, height):
        return self.get("black", width, height, lambda x, y: (0, 0, 0))


def write_text(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write(text)
    return path


KEY_MAP_PLAIN = "o" * 60
KEY_MAP_LETTERS = "RGBCSoBGRSCo" * 5


def over(a, b):
    return a + round(b * (255 - a) / 255)


def covered(opacity_path, at_x, at_y, ratio=100):
    """The alpha a sprite with these opacity pictures's bytes gives the
    background's pixel (x, y) of alpha b: over with the largest of its
    three bytes, scaled by the ratio."""
    width, height, pixel = read_bmp(opacity_path)

    def alpha(x, y, b):
        if not (at_x <= x < at_x + width and at_y <= y < at_y + height):
            return b
        return over(max(pixel(x - at_x, y - at_y)) * ratio // 100, b)
    return alpha


def opaque_where(painted):
    return lambda x, y, b: 255 if painted(x, y) else b


class Role:
    """A program run with the file x in one place. check: "same" when the
    run must leave the pixels as read, "route" when it must give what the
    plain route gives (route: program, arguments and the inputs that stand
    for x there; default the same run with x's plain twin). alpha(x, y, a):
    the output's alpha where x has alpha, from x's own."""

    def __init__(self, name, program, args, inputs, output, check, alpha=None, route=None, changes=False):
        self.name, self.program, self.args, self.inputs = name, program, args, inputs
        self.output, self.check, self.alpha, self.route, self.changes = output, check, alpha, route, changes


def roles(x, c, tables):
    """Every role of the picture x; the places where x is the output's
    picture only when it is large enough to take the sprite."""
    w, h = x.width, x.height
    bg, sp, al = c.background(), c.sprite(), c.alpha()
    sp_x, al_x = c.sprite(w, h), c.alpha(w, h)
    sheet = os.path.join(SHEETS, SHEET_NAMES[1])
    keep = lambda x_, y_, a: a  # noqa: E731
    large = w >= 16 and h >= 13
    out = []
    for program, extra, ratio in (("maskblend", [], 100), ("fadeblend", ["50"], 50)):
        args = ["bg.bmp", "sp.bmp", "al.bmp", "out.bmp"]
        if large:
            out.append(Role(f"{program} background", program, args + ["3", "4"] + extra,
                            {"bg.bmp": x.path, "sp.bmp": sp, "al.bmp": al}, "out.bmp", "route",
                            covered(al, 3, 4, ratio)))
        out.append(Role(f"{program} sprite", program, args + ["5", "6"] + extra,
                        {"bg.bmp": bg, "sp.bmp": x.path, "al.bmp": al_x}, "out.bmp", "route"))
        alpha_route = (program, args + ["5", "6"] + extra,
                       {"bg.bmp": bg, "sp.bmp": sp_x, "al.bmp": x.alpha_picture or x.plain})
        out.append(Role(f"{program} alpha", program, args + ["5", "6"] + extra,
                        {"bg.bmp": bg, "sp.bmp": sp_x, "al.bmp": x.path}, "out.bmp", "route", route=alpha_route))
    if large:
        out.append(Role("stampmany background", "stampmany", ["bg.bmp", "out.bmp", "sp.bmp", "3", "4"],
                        {"bg.bmp": x.path, "sp.bmp": sp}, "out.bmp", "route",
                        opaque_where(lambda x_, y_: 3 <= x_ < 16 and 4 <= y_ < 13)))
    sprite_route = None
    if x.alpha:
        sprite_route = ("maskblend", ["bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "5", "6"],
                        {"bg.bmp": bg, "sp.bmp": x.plain, "al.bmp": x.alpha_picture})
    out += [
        Role("stampmany sprite", "stampmany", ["bg.bmp", "out.bmp", "sp.bmp", "5", "6"], {"bg.bmp": bg, "sp.bmp": x.path},
             "out.bmp", "route", route=sprite_route),
        Role("tintswap -f (empty table)", "tintswap", ["-f", "p.bmp", "t.txt"], {"p.bmp": x.path, "t.txt": tables["empty"]},
             "p.bm", "same", keep),
        Role("tintswap -f (one entry)", "tintswap", ["-f", "p.bmp", "t.txt"], {"p.bmp": x.path, "t.txt": tables["one"]},
             "p.bm", "route", keep, changes=True),
        Role("tintswap -l", "tintswap", ["-l", "list.txt", "t.txt"],
             {"p.bmp": x.path, "list.txt": tables["list"], "t.txt": tables["one"]}, "p.bm", "route", keep),
        Role("keyshade (all o)", "keyshade", ["p.bmp", "0", "0", KEY_MAP_PLAIN], {"p.bmp": x.path}, "p.bm", "same",
             keep),
        Role("tagburn", "tagburn", ["p.bmp", "1"], {"p.bmp": x.path, SHEET_NAMES[1]: sheet}, "p.bm", "route",
             opaque_where(lambda x_, y_: x_ < 35 and y_ < 7)),
    ]
    if w >= 12:
        out.append(Role("keyshade (letters)", "keyshade", ["p.bmp", "1", "1", KEY_MAP_LETTERS], {"p.bmp": x.path},
                        "p.bm", "route", "painted", changes=True))
    for role in out:
        if role.route is None:
            role.route = (role.program, role.args, {k: (x.plain if v == x.path else v) for k, v in role.inputs.items()})
        if not x.alpha or role.alpha is None or (role.name.startswith(("maskblend", "fadeblend", "stampmany")) and
                                                 role.inputs.get("bg.bmp") != x.path):
            role.alpha = None
    return out


class Checker:
    def __init__(self, runner, work):
        self.runner, self.work = runner, work
        self.companions = Companions(work)
        self.failures = 0
        self.empty_table = write_text(work, "empty.txt", "")
        self.list_file = write_text(work, "list.txt", "p.bmp\n")
        self.painted = {}

    def report(self, ok, label, detail, problems, all_roles=()):
        print(f"{'ok  ' if ok else 'FAIL'} {label:<44} {detail}")
        if not ok:
            self.failures += 1
        grouped = {}
        for role, problem in problems:
            grouped.setdefault(problem, []).append(role)
        for problem, members in grouped.items():
            every = len(members) > 1 and len(members) == len(all_roles)
            print(f"       {f'all {len(members)} roles' if every else ', '.join(members)}: {problem}")

    def tables_for(self, x, folder):
        r, g, b = x.colours[0]
        one = write_text(folder, "one.txt", f"{r:03d} {g:03d} {b:03d} 001 002 003\n")
        return {"empty": self.empty_table, "one": one, "list": self.list_file}

    def painted_by_keys(self, width, height):
        """Which pixels keyshade (letters) paints: those it turns from black."""
        if (width, height) not in self.painted:
            folder, _, _, _ = self.runner.run("keyshade", ["p.bmp", "1", "1", KEY_MAP_LETTERS],
                                              {"p.bmp": self.companions.black(width, height)})
            self.painted[width, height] = [p != (0, 0, 0) for p in pixels_of(os.path.join(folder, "p.bm"))]
        return self.painted[width, height]

    def read_back(self, outputs):
        """Problems ImageMagick and Pillow have reading the outputs back with
        the pixels and alpha written: [(role, text)]."""
        if not outputs:
            return []
        folder = tempfile.mkdtemp(dir=self.work)
        names = []
        for i, (role, path) in enumerate(outputs):
            shutil.copyfile(path, os.path.join(folder, f"o{i}.bmp"))
            names.append(f"o{i}.bmp")
        p = subprocess.run([CONVERT] + names + ["-depth", "8", "+adjoin", "rgba:o%d.rgba"], cwd=folder,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace")
        problems = []
        for i, (role, path) in enumerate(outputs):
            written = b"".join(bytes(px[:3]) + bytes((px[3] if len(px) == 4 else 255,)) for px in pixels_of(path))
            raw = os.path.join(folder, f"o{i}.rgba")
            if not os.path.exists(raw):
                problems.append((role, "ImageMagick refuses the output: " + (p.stderr.splitlines() or ["?"])[0][:80]))
            elif open(raw, "rb").read() != written:
                problems.append((role, "ImageMagick reads other pixels or alpha from the output"))
            try:
                im = Image.open(path)
                im.load()
                pillow = im.convert("RGBA").tobytes()
            except Exception as e:  # noqa: BLE001 - any failure to read is the finding
                problems.append((role, f"Pillow refuses the output: {e}"))
                continue
            if pillow != written:
                problems.append((role, f"Pillow reads other pixels or alpha from the output ({im.mode})"))
        return problems

    def check_picture(self, label, path, png):
        folder = tempfile.mkdtemp(dir=self.work)
        x = Picture(path, png, folder)
        problems, outputs = [], []
        all_roles = roles(x, self.companions, self.tables_for(x, folder))
        for role in all_roles:
            run_folder, rc, out, made = self.runner.run(role.program, role.args, role.inputs)
            if rc != 0 or made != [role.output]:
                refused = UNREADABLE in out.splitlines()
                problems.append((role.name, f"exit {rc}, wrote {made}: '{shown(out, role.inputs)}'" +
                                 (" - should be read" if refused else "")))
                continue
            output = os.path.join(run_folder, role.output)
            size = (x.width, x.height) if role.inputs.get("bg.bmp", role.inputs.get("p.bmp")) == x.path else (79, 61)
            problem = output_problem(output, *size, role.alpha is not None)
            if problem:
                problems.append((role.name, problem))
                continue
            outputs.append((role.name, output))
            got = pixels_of(output)
            if role.check == "same":
                expected = x.colours
            else:
                program, args, inputs = role.route
                route_folder, prc, pout, pmade = self.runner.run(program, args, inputs)
                if prc != 0 or pmade != [role.output]:
                    problems.append((role.name, f"plain route: exit {prc}, wrote {pmade}: '{shown(pout, inputs)}'"))
                    continue
                expected = pixels_of(os.path.join(route_folder, role.output))
                if out != pout and program == role.program:
                    problems.append((role.name, f"prints '{shown(out)}', the plain route '{shown(pout)}'"))
            if [p[:3] for p in got] != [p[:3] for p in expected]:
                problems.append((role.name, "pixels differ from " +
                                 ("what Pillow reads" if role.check == "same" else "the plain route's")))
            if role.alpha is not None:
                w = size[0]
                painted = self.painted_by_keys(*size) if role.alpha == "painted" else None
                rule = opaque_where(lambda x_, y_: painted[y_ * w + x_]) if painted else role.alpha
                want = [rule(i % w, i // w, a) for i, a in enumerate(x.alpha)]
                if [p[3] for p in got] != want:
                    problems.append((role.name, "alpha differs from the file's, as the run should leave it"))
            if role.program == "tagburn":
                problems += [(role.name, p) for p in self.caption_problems(run_folder, x)]
            elif role.changes and [p[:3] for p in got] == x.colours:
                problems.append((role.name, "changed nothing: the check means nothing"))
        problems += self.read_back(outputs)
        alpha = ", alpha" if x.alpha else ""
        self.report(not problems, label, f"{layout_of(path)}{alpha}: read in {len(all_roles)} roles" +
                    (f", {len(problems)} problems" if problems else ""), problems, all_roles)

    def caption_problems(self, run_folder, x):
        """tagburn's p.bm: tagscan reads the name back (where the picture
        holds it whole), and outside the caption's cells every pixel is as
        Pillow read the input."""
        problems = []
        if x.width >= 35 and x.height >= 7:
            p = subprocess.run([os.path.join(self.runner.bin, "tagscan"), "p.bm", "1", "0", "0"], cwd=run_folder,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if p.returncode != 0 or p.stdout != b"p.bmp\n":
                problems.append(f"tagscan reads '{shown(p.stdout)}' (exit {p.returncode}), not p.bmp")
        result = pixels_of(os.path.join(run_folder, "p.bm"))
        w = x.width
        changed = [(i % w, i // w) for i, (after, before) in enumerate(zip(result, x.colours))
                   if not (i % w < 5 * 7 and i // w < 7) and after[:3] != before]
        if changed:
            problems.append(f"{len(changed)} pixels outside the caption changed, first at {changed[0]}")
        return problems

    def check_tagscan(self, label, path, png):
        """The file carries the caption "t.bmp" (mode 1) in its top-left corner."""
        sheet = os.path.join(SHEETS, SHEET_NAMES[1])
        _, rc, out, made = self.runner.run("tagscan", ["c.bmp", "1", "0", "0"], {"c.bmp": path, SHEET_NAMES[1]: sheet})
        ok = rc == 0 and out == b"t.bmp\n" and not made
        self.report(ok, label, f"{layout_of(path)}: tagscan reads '{shown(out, ['c.bmp'])}' (exit {rc})", [])

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
        if not os.access(GIMP, os.X_OK):
            print("skip GIMP: not installed")

        def convert(tool, make, pairs):
            """The tool's files of the pairs (source, out) it could write."""
            if tool in skipped:
                return []
            try:
                make(pairs, work)
                return [out for _, out in pairs]
            except subprocess.CalledProcessError as e:
                stderr = e.stderr.decode(errors="replace") if isinstance(e.stderr, bytes) else str(e.stderr)
                print(f"skip {tool}: {stderr.strip()[:100]}")
                skipped.add(tool)
                return []

        def each_tool_file(im, label, check, kinds=KINDS):
            """The picture as a PNG of every kind, turned into a BMP by every
            tool, each file given to check with its source."""
            pngs = []
            for kind, make_png in kinds:
                png = os.path.join(src, f"{label}_{kind}.png")
                make_png(im, png)
                pngs.append((kind, png))
            for tool, tag, make in TOOLS:
                pairs = [(png, os.path.join(src, f"{tag}_{label}_{kind}.bmp")) for kind, png in pngs]
                made = convert(tool, make, pairs)
                for (kind, png), out in zip(pngs, made):
                    check(f"{tool} {kind} {label}", out, png)

        # Every kind from every tool, at an odd and an even width, and 1x1.
        for width, height in ((37, 23), (64, 48)):
            each_tool_file(pattern(width, height), f"{width}x{height}", checker.check_picture)
        each_tool_file(pattern(1, 1, lambda x, y: (200, 120, 40)), "1x1", checker.check_picture, ONE_PIXEL_KINDS)

        # tagscan on each tool's file of a captioned picture.
        captioned = os.path.join(src, "t.bmp")
        write_bmp(captioned, 37, 23, busy)
        shutil.copyfile(os.path.join(SHEETS, SHEET_NAMES[1]), os.path.join(src, SHEET_NAMES[1]))
        subprocess.run([os.path.join(bin_dir, "tagburn"), "t.bmp", "1"], cwd=src, check=True,
                       stdout=subprocess.DEVNULL)
        each_tool_file(Image.open(os.path.join(src, "t.bm")).convert("RGB"), "captioned", checker.check_tagscan,
                       [k for k in KINDS if k[0] != "few"])  # three flat colours keep no caption

        # The glyph sheets re-encoded by each tool (from a PNG of the sheet).
        picture = checker.companions.background()
        for mode, name in SHEET_NAMES.items():
            folder, _, _, _ = runner.run("tagburn", ["p.bmp", str(mode)], {"p.bmp": picture,
                                                                           name: os.path.join(SHEETS, name)})
            with open(os.path.join(folder, "p.bm"), "rb") as f:
                reference = f.read()
            png = os.path.join(src, f"sheet{mode}.png")
            Image.open(os.path.join(SHEETS, name)).save(png)
            for tool, tag, make in TOOLS:
                for out in convert(tool, make, [(png, os.path.join(src, f"{tag}_sheet{mode}.bmp"))]):
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
    print(f"real tools: every file read as it should be ({runner.count} runs, {took:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
