#!/bin/sh
# Runs every tool's demo on the shipped samples into demo-out/, showing the
# tools' Shift-JIS messages decoded to UTF-8. Each demo/<tool>.sh gets BIN
# (the built tools), SAMPLES (samples/) and OUT (its own folder in demo-out/).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build/bin}
SAMPLES=$ROOT/samples
export BIN SAMPLES

for script in "$ROOT"/demo/*.sh; do
  name=$(basename "$script" .sh)
  case $name in run | lib) continue ;; esac
  OUT=$ROOT/demo-out/$name
  rm -rf "$OUT" && mkdir -p "$OUT"
  export OUT
  echo "== $name"
  sh "$script"
done
echo "== results in demo-out/"
