#!/bin/sh
# tintswap on a 1920 x 1080 picture with colour tables of 10, 10,000 and
# 1,036,970 entries, against cp of the same picture; then full tables whose
# from colours are laid out to be hard for a lookup, each on a picture where
# every pixel misses and one where every pixel hits, and the peak resident
# memory of those runs. Each command runs RUNS times; the best and the
# median wall-clock times are printed.
set -eu
RUNS=${RUNS:-7}
. "$(dirname "$0")/lib.sh"

# A picture of 1920 x 1080 with a different colour nearly everywhere, and
# tables whose from colours are scattered over the colour space, about a
# tenth of them taken from the picture so that many pixels do change.
python3 - <<'PY'
import random, struct
w, h = 1920, 1080
stride = (w * 3 + 3) // 4 * 4
rows = bytearray()
for y in range(h - 1, -1, -1):
    row = bytearray()
    for x in range(w):
        row += bytes(((x + 3 * y) & 255, (y * 255) // (h - 1), (x * 255) // (w - 1)))
    rows += row + bytes(stride - len(row))
header = b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + len(rows), 0, 0, 54, 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
open("picture.bmp", "wb").write(header + rows)

def picture_colour(rng):
    x, y = rng.randrange(w), rng.randrange(h)
    return ((x * 255) // (w - 1), (y * 255) // (h - 1), (x + 3 * y) & 255)

rng = random.Random(7)
for name, entries in (("t10.txt", 10), ("t10000.txt", 10000), ("t1036970.txt", 1036970)):
    lines = []
    for i in range(entries):
        if i % 10 == 0:
            r, g, b = picture_colour(rng)
        else:
            c = rng.getrandbits(24)
            r, g, b = c >> 16, (c >> 8) & 255, c & 255
        lines.append("%03d %03d %03d %03d %03d %03d\n" % (r, g, b, 255 - r, 255 - g, 255 - b))
    open(name, "w").write("".join(lines))

# Full tables of 1,036,970 entries whose from colours would be hard for
# some lookup: sharing their low four bits, consecutive, random (a few
# repeat), and hash-crowded: the colours c with the smallest c x 0x9E3779B1
# mod 2^32, which all land at the start of an index hashed by that
# multiplier. The miss picture holds random colours in none of the tables;
# each hit picture holds its table's colours, neighbours far apart in it.
full = 1036970
digits = ["%03d" % i for i in range(256)]
def write_table(name, colours):
    with open(name, "w") as f:
        f.writelines("%s %s %s %s %s %s\n" % (digits[c >> 16], digits[c >> 8 & 255], digits[c & 255],
                     digits[255 - (c >> 16)], digits[255 - (c >> 8 & 255)], digits[255 - (c & 255)]) for c in colours)
def write_picture(name, colours):
    rows = b"".join(c.to_bytes(3, "little") for c in colours)
    header = b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + len(rows), 0, 0, 54, 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open(name, "wb").write(header + rows)
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

now_ns() { date +%s%N; }
# Runs the command RUNS times and prints the best and the median time in
# milliseconds; the median also goes to the file median.
time_runs() {
  i=0
  : > times
  while [ "$i" -lt "$RUNS" ]; do
    start=$(now_ns)
    "$@" > /dev/null
    end=$(now_ns)
    echo $(( (end - start) / 1000 )) >> times
    i=$((i + 1))
  done
  sort -n times | awk '{ t[NR] = $1 } END {
    m = t[int((NR + 1) / 2)] / 1000
    printf "%.1f\n", m > "median"
    printf "%8.1f ms  %8.1f ms", t[1] / 1000, m
  }'
}

echo "tintswap, 1920 x 1080 picture ($(wc -c < picture.bmp) bytes), $RUNS runs each"
printf '%-34s %11s  %11s  %s\n' "command" "best" "median" "median / cp"
printf '%-34s %s\n' "cp picture.bmp copy.bmp" "$(time_runs cp picture.bmp copy.bmp)"
cp_median=$(cat median)
for entries in 10 10000 1036970; do
  figures=$(time_runs "$BIN/tintswap" -F picture.bmp "t$entries.txt")
  printf '%-34s %s  %10sx\n' "tintswap, $entries entries" "$figures" "$(awk -v a="$(cat median)" -v b="$cp_median" 'BEGIN { printf "%.1f", a / b }')"
  case $entries in
    10) target="<= 3x cp" ;;
    1036970) target="< 1000 ms" ;;
    *) target="-" ;;
  esac
  bench_row tintswap "1920x1080 picture, $entries table entries" "$(cat median)" "$cp_median" "$target" > /dev/null
done
for shape in same-low-bits consecutive random hash-crowded; do
  for picture in miss hit; do
    case $picture in miss) file=miss.bmp ;; hit) file=hit-$shape.bmp ;; esac
    figures=$(time_runs "$BIN/tintswap" -F "$file" "$shape.txt")
    printf '%-34s %s  %10sx\n' "tintswap, $shape, all $picture" "$figures" "$(awk -v a="$(cat median)" -v b="$cp_median" 'BEGIN { printf "%.1f", a / b }')"
    bench_row tintswap "1036970 $shape colours, all $picture" "$(cat median)" "$cp_median" "< 1000 ms" > /dev/null
  done
done
if [ -x /usr/bin/time ]; then
  rss=0
  for shape in same-low-bits consecutive random hash-crowded; do
    for file in miss.bmp "hit-$shape.bmp"; do
      kib=$(/usr/bin/time -f %M "$BIN/tintswap" -F "$file" "$shape.txt" 2>&1 > /dev/null)
      if [ "$kib" -gt "$rss" ]; then rss=$kib; fi
    done
  done
  echo "Peak resident memory, largest over the full tables: $rss KiB (target under 65536 KiB)"
  bench_row tintswap "peak resident memory, full tables" "$rss KiB" "" "< 65536 KiB" > /dev/null
else
  echo "Peak resident memory: /usr/bin/time not found, skipped"
fi
echo "(the table of 1036970 entries is a text file of $(wc -c < t1036970.txt) bytes)"
