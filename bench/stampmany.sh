#!/bin/sh
# stampmany pasting 100 sprites of 64x64 onto a 1920x1080 background,
# against cp of the background file in the same run.
set -eu
RUNS=${RUNS:-20}
. "$(dirname "$0")/lib.sh"

python3 - <<'PY'
from bmp import write_noise_bmp
write_noise_bmp("bg.bmp", 1920, 1080, 3)
for k in range(4):
    write_noise_bmp(f"sp{k}.bmp", 64, 64, 5 + 2 * k)
PY

# 100 sprites from four files, spread over the whole background in a 10 x 10
# grid, each overlapping its neighbours a little.
set --
i=0
while [ $i -lt 100 ]; do
  set -- "$@" "sp$((i % 4)).bmp" $((i % 10 * 185)) $((i / 10 * 100))
  i=$((i + 1))
done
SPRITES="$*"

# shellcheck disable=SC2086 # the sprite list is words on purpose
set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" -- cp bg.bmp copy.bmp \
  -- "$BIN/stampmany" bg.bmp out.bmp $SPRITES)
bench_row stampmany "100 sprites of 64x64 on 1920x1080" "$2" "$1" "<= 3x cp"
