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
# to the summary table (BENCH_ROWS).
# bench_row PROGRAM WORK TIME_MS CP_MS TARGET
bench_row() {
  printf '  %s, %s: %s ms (cp %s ms; target %s)\n' "$1" "$2" "$3" "$4" "$5"
  if [ -n "${BENCH_ROWS:-}" ]; then printf '%s\t%s\t%s\t%s\t%s\n' "$@" >> "$BENCH_ROWS"; fi
}
