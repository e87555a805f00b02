#!/bin/sh
# Runs every benchmark in bench/ and prints one table: program, work, time,
# the cp floor measured in the same run, the ratio and the target.
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
awk -F '\t' 'BEGIN {
    printf "| %-9s | %-44s | %10s | %9s | %6s | %-16s |\n", "program", "work", "time", "cp floor", "ratio", "target"
    printf "|%s|%s|%s|%s|%s|%s|\n", "-----------", "----------------------------------------------", "------------", "-----------", "--------", "------------------"
  }
  {
    ratio = ($4 + 0 > 0) ? sprintf("%.2f", $3 / $4) : "-"
    time = ($4 == "") ? $3 : $3 " ms"
    floor = ($4 == "") ? "-" : $4 " ms"
    printf "| %-9s | %-44s | %10s | %9s | %6s | %-16s |\n", $1, $2, time, floor, ratio, $5
  }' "$BENCH_ROWS"
