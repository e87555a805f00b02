#!/bin/sh
# Runs every benchmark in bench/ and prints one table: program, work, time,
# the cp floor measured in the same run, the ratio, the target and whether
# the figure met it (MISSED where not).
set -eu
DIR=$(cd "$(dirname "$0")" && pwd)
BENCH_ROWS=$(mktemp)
export BENCH_ROWS
trap 'rm -f "$BENCH_ROWS"' EXIT
for script in "$DIR"/*.sh; do
  case $(basename "$script") in run.sh | lib.sh) continue ;; esac
  echo "== $(basename "$script" .sh)"
  sh "$script"
done
echo
awk -F '\t' '
  # 1 when the figure misses a target of the form "<= 3x cp", "< 1000 ms" or
  # "< 8192 KiB", 0 when it meets it, -1 when there is nothing to check.
  function missed(figure, floor, target,   words) {
    split(target, words, " ")
    if (target ~ /^<= [0-9.]+x cp$/ && floor + 0 > 0) return figure / floor > substr(words[2], 1, length(words[2]) - 1) + 0
    if (target ~ /^< [0-9.]+ (ms|KiB)$/) return figure + 0 >= words[2] + 0
    return -1
  }
  BEGIN {
    printf "| %-9s | %-44s | %10s | %9s | %6s | %-16s | %-6s |\n", "program", "work", "time", "cp floor", "ratio", "target", "result"
    printf "|%s|%s|%s|%s|%s|%s|%s|\n", "-----------", "----------------------------------------------", "------------", "-----------", "--------", "------------------", "--------"
  }
  {
    ratio = ($4 + 0 > 0) ? sprintf("%.2f", $3 / $4) : "-"
    time = ($4 == "") ? $3 : $3 " ms"
    floor = ($4 == "") ? "-" : $4 " ms"
    m = missed($3, $4, $5)
    result = (m == 1) ? "MISSED" : (m == 0) ? "met" : "-"
    printf "| %-9s | %-44s | %10s | %9s | %6s | %-16s | %-6s |\n", $1, $2, time, floor, ratio, $5, result
  }' "$BENCH_ROWS"
