#!/bin/sh
# Runs every benchmark in bench/ with BIN (the built tools) set.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build/bin}
export BIN
for script in "$ROOT"/bench/*.sh; do
  name=$(basename "$script" .sh)
  [ "$name" = run ] && continue
  echo "== $name"
  sh "$script"
done
