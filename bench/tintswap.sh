#!/bin/sh
# tintswap on a 1920 x 1080 picture with colour tables of 10, 10,000 and
# 1,036,970 entries, against cp of the same picture. Each command runs RUNS
# times; the best and the median wall-clock times are printed.
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
printf '%-30s %11s  %11s  %s\n' "command" "best" "median" "median / cp"
printf '%-30s %s\n' "cp picture.bmp copy.bmp" "$(time_runs cp picture.bmp copy.bmp)"
cp_median=$(cat median)
for entries in 10 10000 1036970; do
  figures=$(time_runs "$BIN/tintswap" -F picture.bmp "t$entries.txt")
  printf '%-30s %s  %10sx\n' "tintswap, $entries entries" "$figures" "$(awk -v a="$(cat median)" -v b="$cp_median" 'BEGIN { printf "%.1f", a / b }')"
  case $entries in
    10) target="<= 3x cp" ;;
    1036970) target="< 1000 ms" ;;
    *) target="-" ;;
  esac
  bench_row tintswap "1920x1080 picture, $entries table entries" "$(cat median)" "$cp_median" "$target" > /dev/null
done
echo "(the table of 1036970 entries is a text file of $(wc -c < t1036970.txt) bytes)"
