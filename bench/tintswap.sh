#!/bin/sh
# tintswap on a 1920 x 1080 picture with colour tables of 10, 10,000 and
# 1,036,970 entries, against cp of the same picture; then full tables whose
# from colours are laid out to be hard for a lookup, each on a picture where
# every pixel misses and one where every pixel hits, and the peak resident
# memory of those runs.
set -eu
RUNS=${RUNS:-7}
. "$(dirname "$0")/lib.sh"

# A picture of 1920 x 1080 with a different colour nearly everywhere, and
# tables whose from colours are scattered over the colour space, about a
# tenth of them taken from the picture so that many pixels do change. Every
# entry turns its colour into the opposite one.
#
# Then full tables of 1,036,970 entries whose from colours would be hard for
# some lookup: sharing their low four bits, consecutive, random (a few
# repeat), and hash-crowded: the colours c with the smallest c x 0x9E3779B1
# mod 2^32, which all land at the start of an index hashed by that
# multiplier. The miss picture holds random colours in none of the tables;
# each hit picture holds its table's colours, neighbours far apart in it.
python3 - <<'PY'
import random
from bmp import write_bmp, write_bmp_rows
from colour_table import entry_line

w, h = 1920, 1080
full = 1036970


def picture(x, y):
    return (x * 255) // (w - 1), (y * 255) // (h - 1), (x + 3 * y) & 255


def rgb(colour):
    return colour >> 16, colour >> 8 & 255, colour & 255


def write_table(name, colours):
    with open(name, "w") as f:
        f.writelines(entry_line(rgb(c), rgb(c ^ 0xFFFFFF)) for c in colours)


def write_picture(name, colours):
    write_bmp_rows(name, w, h, b"".join(c.to_bytes(3, "little") for c in colours))  # rows need no padding


write_bmp("picture.bmp", w, h, picture)
rng = random.Random(7)
for entries in (10, 10000, full):
    colours = []
    for i in range(entries):
        if i % 10 == 0:
            r, g, b = picture(rng.randrange(w), rng.randrange(h))
            colours.append(r << 16 | g << 8 | b)
        else:
            colours.append(rng.getrandbits(24))
    write_table(f"t{entries}.txt", colours)

shapes = {
    "same-low-bits": [k << 4 | 5 for k in range(full)],
    "consecutive": [0x400000 + k for k in range(full)],
    "random": [rng.getrandbits(24) for _ in range(full)],
    "hash-crowded": [c for c in range(1 << 24) if c * 0x9E3779B1 & 0xFFFFFFFF < full * 256],
}
in_a_table = bytearray(1 << 24)
for shape, colours in shapes.items():
    write_table(shape + ".txt", colours)
    write_picture("hit-" + shape + ".bmp", (colours[i * 7919 % full] for i in range(w * h)))
    for c in colours:
        in_a_table[c] = 1
misses = []
while len(misses) < w * h:
    c = rng.getrandbits(24)
    if not in_a_table[c]:
        misses.append(c)
write_picture("miss.bmp", misses)
PY

SHAPES="same-low-bits consecutive random hash-crowded"
set -- -- cp picture.bmp copy.bmp
for entries in 10 10000 1036970; do set -- "$@" -- "$BIN/tintswap" -F picture.bmp "t$entries.txt"; done
for shape in $SHAPES; do
  set -- "$@" -- "$BIN/tintswap" -F miss.bmp "$shape.txt" -- "$BIN/tintswap" -F "hit-$shape.bmp" "$shape.txt"
done
set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" "$@")
cp_ms=$1
shift
for entries in 10 10000 1036970; do
  case $entries in
    10) target="<= 3x cp" ;;
    1036970) target="< 1000 ms" ;;
    *) target="-" ;;
  esac
  bench_row tintswap "1920x1080 picture, $entries table entries" "$1" "$cp_ms" "$target"
  shift
done
for shape in $SHAPES; do
  bench_row tintswap "1036970 $shape colours, all miss" "$1" "$cp_ms" "< 1000 ms"
  bench_row tintswap "1036970 $shape colours, all hit" "$2" "$cp_ms" "< 1000 ms"
  shift 2
done

rss=0
for shape in $SHAPES; do
  for picture in miss.bmp "hit-$shape.bmp"; do
    kib=$(peak_kib "$BIN/tintswap" -F "$picture" "$shape.txt") || break 2
    if [ "$kib" -gt "$rss" ]; then rss=$kib; fi
  done
done
if [ "$rss" -gt 0 ]; then bench_row tintswap "peak resident memory, largest full table" "$rss KiB" "" "< 65536 KiB"; fi
echo "  (a table of 1036970 entries is a text file of $(wc -c < t1036970.txt) bytes)"
