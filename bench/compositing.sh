#!/bin/sh
# maskblend and fadeblend on a full-frame 1920x1080 background, sprite and
# alpha, against cp of the background file in the same run.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build/bin}
RUNS=${RUNS:-20}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

python3 - <<'PY'
import os, struct
def picture(name, seed):
    rows = 5760 * 1080
    header = b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + rows, 0, 0, 54, 40, 1920, 1080, 1, 24, 0, rows, 0, 0, 0, 0)
    body = bytes((i * seed + (i >> 7)) & 255 for i in range(65536)) * (rows // 65536 + 1)
    open(name, "wb").write(header + body[:rows])
picture("bg.bmp", 3); picture("sp.bmp", 7); picture("al.bmp", 11)
PY

set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" -- cp bg.bmp copy.bmp \
  -- "$BIN/maskblend" bg.bmp sp.bmp al.bmp out.bmp 0 0 \
  -- "$BIN/fadeblend" bg.bmp sp.bmp al.bmp out.bmp 0 0 70)
cp_ms=$1 mask_ms=$2 fade_ms=$3
printf '%-10s %-32s %8s %8s %6s %s\n' program work ms cp_ms ratio target
for row in "maskblend $mask_ms" "fadeblend $fade_ms"; do
  set -- $row
  printf '%-10s %-32s %8s %8s %6s %s\n' "$1" "1920x1080 full-frame sprite" "$2" "$cp_ms" \
    "$(echo "scale=2; $2 / $cp_ms" | bc)" "<= 3"
done
