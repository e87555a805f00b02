#!/bin/sh
# pcmclip against cp on a 100 MiB WAV file (the largest input the buffer
# holds), to a new output and over an existing one, then peak resident
# memory for a 1 MiB input. BIN defaults to
# build/bin; scratch files go to a temporary folder.
set -eu
RUNS=${RUNS:-15}
. "$(dirname "$0")/lib.sh"

# A canonical 44-byte header (44.1 kHz, 16-bit, stereo), then noise.
python3 - <<'PY'
import os
from wav import write_wav
write_wav("big.wav", os.urandom(104857600 - 44))
write_wav("small.wav", os.urandom(1048576 - 44))
PY

cat big.wav > /dev/null  # both start from a warm page cache
# Each run creates its output afresh.
set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" --fresh big.wa --fresh copy.wav -- cp big.wav copy.wav \
  -- "$BIN/pcmclip" big.wav 0 104857600)
cmp -s -i 44 big.wav big.wa || { echo "pcmclip sample data differ from the input's"; exit 1; }
bench_row pcmclip "100 MiB WAV, whole data kept" "$2" "$1" "<= 1.2x cp"
# Each run replaces the output of the run before.
set -- $(python3 "$ROOT/bench/timing.py" "$RUNS" -- cp big.wav copy.wav -- "$BIN/pcmclip" big.wav 0 104857600)
bench_row pcmclip "the same over an existing output" "$2" "$1" "<= 1.2x cp"

if rss=$(peak_kib "$BIN/pcmclip" small.wav 0 1048576); then
  bench_row pcmclip "peak resident memory, 1 MiB input" "$rss KiB" "" "< 8192 KiB"
fi
