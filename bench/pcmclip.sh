#!/bin/sh
# pcmclip against cp on a 100 MiB WAV file (the largest input the buffer
# holds), best of several runs each, then peak resident memory for a 1 MiB
# input. BIN defaults to build/bin; scratch files go to a temporary folder.
set -eu
RUNS=${RUNS:-5}
. "$(dirname "$0")/lib.sh"

# A canonical 44-byte header (44.1 kHz, 16-bit, stereo), then noise.
wav() {
  printf 'RIFF\000\000\000\000WAVEfmt \020\000\000\000\001\000\002\000\104\254\000\000\020\261\002\000\004\000\020\000data\000\000\000\000'
  head -c "$(($1 - 44))" /dev/urandom
}
wav 104857600 > big.wav
wav 1048576 > small.wav

now_ns() { date +%s%N; }
# Best wall time in milliseconds of RUNS runs of the command; the output
# file is removed before each run so that every run creates it afresh.
best_ms() {
  output=$1
  shift
  best=
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    rm -f "$output"
    sync
    start=$(now_ns)
    "$@" > /dev/null
    end=$(now_ns)
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    i=$((i + 1))
  done
  echo "$best"
}

cat big.wav > /dev/null  # both start from a warm page cache
clip_ms=$(best_ms big.wa "$BIN/pcmclip" big.wav 0 104857600)
cp_ms=$(best_ms copy.wav cp big.wav copy.wav)
cmp -s -i 44 big.wav big.wa || { echo "pcmclip sample data differ from the input's"; exit 1; }

echo "100 MiB WAV, best of $RUNS runs:"
echo "  pcmclip big.wav 0 104857600: $clip_ms ms"
echo "  cp big.wav copy.wav:         $cp_ms ms"
awk -v a="$clip_ms" -v b="$cp_ms" 'BEGIN { printf "  ratio pcmclip / cp:          %.2f (target 1.5 or less)\n", (b > 0 ? a / b : 0) }'
bench_row pcmclip "100 MiB WAV, whole data kept" "$clip_ms" "$cp_ms" "<= 1.5x cp" > /dev/null

if [ -x /usr/bin/time ]; then
  rss=$(/usr/bin/time -f %M "$BIN/pcmclip" small.wav 0 1048576 2>&1 > /dev/null)
  echo "Peak resident memory, 1 MiB input: $rss KiB (target under 8192 KiB)"
  bench_row pcmclip "peak resident memory, 1 MiB input" "$rss KiB" "" "< 8192 KiB" > /dev/null
else
  echo "Peak resident memory: /usr/bin/time not found, skipped"
fi
