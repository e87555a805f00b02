#!/bin/sh
# Runs every benchmark in bench/.
set -eu
DIR=$(cd "$(dirname "$0")" && pwd)
for script in "$DIR"/*.sh; do
  [ "$(basename "$script")" = run.sh ] && continue
  echo "== $(basename "$script" .sh)"
  sh "$script"
done
