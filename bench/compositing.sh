#!/bin/sh
# maskblend and fadeblend on a full-frame 1920x1080 background, sprite and
# alpha, against cp of the background file in the same run.
set -eu
RUNS=${RUNS:-20}
. "$(dirname "$0")/lib.sh"

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
bench_row maskblend "1920x1080 full-frame sprite and alpha" "$2" "$1" "<= 3x cp"
bench_row fadeblend "the same at ratio 70" "$3" "$1" "<= 3x cp"
