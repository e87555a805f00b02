#!/bin/sh
# Builds the README's gallery: runs the demo, then turns each picture
# program's input and output into small PNGs in gallery/.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO=$ROOT/demo-out
png() { python3 "$ROOT/gallery/to_png.py" "$DEMO/$1" "$ROOT/gallery/$2.png" "${3:-2}"; }

png compositing/background.bmp compositing-background
png compositing/masked.bmp maskblend-result
png compositing/faded.bmp fadeblend-result
png stampmany/village.bmp stampmany-result
png tintswap/slime.bmp tintswap-before 3
png tintswap/slime.bm tintswap-after 3
png keyshade/keyboard.bmp keyshade-before 1
png keyshade/keyboard.bm keyshade-after 1
png captions/evening.bmp tagburn-before
png "captions/my evening.bm" tagburn-after
(cd "$DEMO/captions" && "${BIN:-$ROOT/build/bin}/tagscan" "my evening.bm" 3 0 0) > "$ROOT/gallery/tagscan-result.txt"
ls -l "$ROOT"/gallery/*.png | awk '{ total += $5 } END { print "gallery: " NR " pictures, " total " bytes" }'
