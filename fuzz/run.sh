#!/bin/sh
# Runs every fuzz target for FUZZ_SECONDS (default 60) each, or until
# FUZZ_RUNS executions when that is set (a long campaign), starting from
# the seeds that make_seeds.py builds out of the samples and test-like
# inputs. Inputs in fuzz/regressions/<target>/, each of which once found a
# fault, are replayed first. The corpora grow in fuzz-corpus/<target>/
# (git-ignored); findings land in fuzz-corpus/findings/.
# Leak checks are off: a tool that fails ends the process with its files
# still open, which is not a leak in a real run.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-60}
RUNS=${FUZZ_RUNS:--1}
CORPUS=$ROOT/fuzz-corpus
mkdir -p "$CORPUS/findings"
# stampmany builds an AlertPane command only when it finds the program by an
# absolute path: give it one, so that every command it builds is checked
# (the driver wraps system, which then starts nothing).
ALERT_DIR=$(mktemp -d)
trap 'rm -rf "$ALERT_DIR"' EXIT
printf '#!/bin/sh\n' > "$ALERT_DIR/AlertPane" && chmod +x "$ALERT_DIR/AlertPane"
PATH="$ALERT_DIR:$PATH"
export PATH
python3 "$ROOT/fuzz/make_seeds.py" "$CORPUS/seeds"

status=0
for target in "$BUILD"/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  mkdir -p "$CORPUS/$name"
  # First the inputs that once found a fault: each must now run clean.
  if [ -d "$ROOT/fuzz/regressions/$name" ]; then
    "$target" "$ROOT/fuzz/regressions/$name"/* > "$CORPUS/$name-regressions.log" 2>&1 \
      || { echo "== $name: a regression input fails again"; cat "$CORPUS/$name-regressions.log"; status=1; }
  fi
  echo "== $name: $SECONDS_EACH s at most"
  "$target" "$CORPUS/$name" "$CORPUS/seeds/$name" -max_total_time="$SECONDS_EACH" -runs="$RUNS" -max_len=65536 \
    -rss_limit_mb=4096 -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$CORPUS/findings/$name-" \
    2> "$CORPUS/$name.log" || status=1
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)|ERROR' "$CORPUS/$name.log" || true
  grep -E '^#[0-9]+.*cov:' "$CORPUS/$name.log" | tail -n 1 || true
done
exit $status
