# Shared by the benchmarks. Sourced first: sets ROOT, BIN (the built tools,
# default build/bin) and PYTHONPATH, and moves into a scratch folder that is
# removed at the end; RUNS defaults to the value the script gives.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build/bin}
# Their Python writes files with the helpers in samples/.
PYTHONPATH=$ROOT/samples
export PYTHONPATH
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

# Reports one figure. Prints it, and when run by bench/run.sh also adds it
# to the summary table (BENCH_ROWS). A figure with no cp floor (an empty
# CP_MS) carries its own unit.
# bench_row PROGRAM WORK TIME_MS CP_MS TARGET
bench_row() {
  if [ -n "$4" ]; then
    printf '  %s, %s: %s ms (cp %s ms; target %s)\n' "$1" "$2" "$3" "$4" "$5"
  else
    printf '  %s, %s: %s (target %s)\n' "$1" "$2" "$3" "$5"
  fi
  if [ -n "${BENCH_ROWS:-}" ]; then printf '%s\t%s\t%s\t%s\t%s\n' "$@" >> "$BENCH_ROWS"; fi
}

# Prints the peak resident memory of one run of the command in KiB; fails,
# saying so, where /usr/bin/time is missing.
peak_kib() {
  if [ ! -x /usr/bin/time ]; then
    echo "  peak resident memory: /usr/bin/time not found, skipped" >&2
    return 1
  fi
  /usr/bin/time -f %M "$@" 2>&1 > /dev/null
}
