#!/bin/sh
# Loading and saving 1920x1080 pictures in the layouts other tools write,
# each against cp of the same file in the same run: keyshade with a map of
# untouched keys does nothing else. A 32-bit picture with alpha (written
# back as one), an 8-bit palette one and RLE8 ones (saved as 24 bits: the
# output is three times the file), and the 24-bit picture they all become,
# for comparison.
set -eu
RUNS=${RUNS:-20}
. "$(dirname "$0")/lib.sh"

python3 - <<'PY'
from bmp import MASKS_8888, RLE8, bmp_file, indexed_bmp_bytes, info_header, write_file, write_noise_bmp

w, h = 1920, 1080
# 32 bits with alpha, as ImageMagick, GIMP and libvips write it: busy bytes.
pattern = bytes((i * 7 + (i >> 9)) & 255 for i in range(4 * w))
rows = b"".join(pattern[4 * (y % 97):] + pattern[:4 * (y % 97)] for y in range(h))
write_file("rgba.bmp", bmp_file(info_header(w, h, len(rows), 124, 32, 3, masks=MASKS_8888), rows))
palette = [(v, 255 - v, v * 7 & 255) for v in range(256)]
# A palette index for every pixel, changing often; and flat areas with
# edges, as pixel art or a grey alpha picture has them, run-length encoded.
write_file("palette.bmp", indexed_bmp_bytes(w, h, lambda x, y: (x * 3 + y * 5 + x * y) & 255, palette))
write_file("rle8.bmp", indexed_bmp_bytes(w, h, lambda x, y: (x // 48 + y // 36 * 3) & 255 if (x + y) % 97 else 0,
                                         palette, compression=RLE8))
# A grey picture of gradients and noise, runs of one to three pixels.
grey = [(v, v, v) for v in range(256)]
write_file("rle8-busy.bmp", indexed_bmp_bytes(w, h, lambda x, y: ((x + y) // 3 + ((x * 7 + y * 13) % 5 == 0)) & 255,
                                              grey, compression=RLE8))
write_noise_bmp("plain.bmp", w, h, 3)
PY

MAP=oooooooooooooooooooooooooooooooooooooooooooooooooooooooooooo
set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" \
  -- cp rgba.bmp copy.bmp -- "$BIN/keyshade" rgba.bmp 0 0 $MAP \
  -- cp palette.bmp copy.bmp -- "$BIN/keyshade" palette.bmp 0 0 $MAP \
  -- cp rle8.bmp copy.bmp -- "$BIN/keyshade" rle8.bmp 0 0 $MAP \
  -- cp rle8-busy.bmp copy.bmp -- "$BIN/keyshade" rle8-busy.bmp 0 0 $MAP \
  -- cp plain.bmp copy.bmp -- "$BIN/keyshade" plain.bmp 0 0 $MAP)
bench_row keyshade "1920x1080 32 bits with alpha, load and save" "$2" "$1" "<= 2x cp"
bench_row keyshade "1920x1080 8-bit palette, load and save" "$4" "$3" "<= 2x cp"
bench_row keyshade "1920x1080 RLE8, flat areas, load and save" "$6" "$5" "<= 2x cp"
bench_row keyshade "1920x1080 RLE8, short runs, load and save" "$8" "$7" "-"
bench_row keyshade "1920x1080 24 bits, load and save" "${10}" "$9" "-"
echo "  (files: $(wc -c < rgba.bmp) bytes of 32 bits, $(wc -c < palette.bmp) of palette," \
  "$(wc -c < rle8.bmp) and $(wc -c < rle8-busy.bmp) of RLE8, $(wc -c < plain.bmp) of 24 bits)"
