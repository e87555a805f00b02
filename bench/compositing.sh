#!/bin/sh
# maskblend and fadeblend on a full-frame 1920x1080 background, sprite and
# alpha, against cp of the background file in the same run.
set -eu
RUNS=${RUNS:-20}
. "$(dirname "$0")/lib.sh"

python3 - <<'PY'
from bmp import write_noise_bmp
for name, seed in (("bg.bmp", 3), ("sp.bmp", 7), ("al.bmp", 11)):
    write_noise_bmp(name, 1920, 1080, seed)
PY

set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" -- cp bg.bmp copy.bmp \
  -- "$BIN/maskblend" bg.bmp sp.bmp al.bmp out.bmp 0 0 \
  -- "$BIN/fadeblend" bg.bmp sp.bmp al.bmp out.bmp 0 0 70)
bench_row maskblend "1920x1080 full-frame sprite and alpha" "$2" "$1" "<= 3x cp"
bench_row fadeblend "the same at ratio 70" "$3" "$1" "<= 3x cp"
