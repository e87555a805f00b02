#!/bin/sh
# The manual pages: each renders without a warning (mandoc's lint at style
# level, groff's warnings for a UTF-8 terminal as man renders it; a linter
# that is not installed is skipped), and the lines of each page's EXAMPLES
# run as written, in a folder holding the samples and the glyph sheets, with
# the built programs first on PATH.
# usage: man_pages_test.sh BIN_DIR SOURCE_DIR
set -eu
BIN=$1
SOURCE=$2
failed=0
for linter in mandoc groff; do
  command -v $linter > /dev/null || echo "$linter not installed: its lint skipped"
done
for page in "$SOURCE"/man/*.[1-9]; do
  if command -v mandoc > /dev/null; then
    said=$(mandoc -T lint -W style "$page" 2>&1) || true
    [ -z "$said" ] || { echo "$said"; failed=1; }
  fi
  if command -v groff > /dev/null; then
    said=$(groff -k -ww -z -Tutf8 -man "$page" 2>&1) || true
    [ -z "$said" ] || { echo "$page: $said"; failed=1; }
  fi

  # The example blocks of the EXAMPLES section, with the few escapes they use.
  script=$(awk '/^\.SH / { examples = ($0 == ".SH EXAMPLES") } examples && /^\.EE/ { block = 0 }
                block { print } examples && /^\.EX/ { block = 1 }' "$page")
  [ -n "$script" ] || continue
  if printf '%s\n' "$script" | sed 's/\\-//g; s/\\e//g; s/\\(aq//g' | grep -q '\\'; then
    echo "$page: an example uses an escape this test does not read"; failed=1; continue
  fi
  work=$(mktemp -d)
  cp "$SOURCE"/samples/*/*.bmp "$SOURCE"/samples/*/*.wav "$SOURCE"/samples/*/*.txt "$SOURCE"/captions/sheets/*.bmp "$work"
  printf '%s\n' "$script" | sed "s/\\\\-/-/g; s/\\\\(aq/'/g; s/\\\\e/\\\\/g" > "$work/.examples"
  if ! (cd "$work" && PATH="$BIN:$PATH" bash -e -o pipefail .examples > .said 2>&1); then
    echo "$page: an example failed:"; cat "$work/.examples" "$work/.said"; failed=1
  fi
  rm -rf "$work"
done
exit $failed
