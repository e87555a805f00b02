#!/bin/sh
# The manual pages: each renders without a warning (mandoc's lint at style
# level, groff's warnings for a UTF-8 terminal as man renders it, also as
# the Windows reference; a linter that is not installed is skipped); man
# renders it without a warning with LANG unset and in C.UTF-8, and with LANG
# unset shows every argument name of its SYNOPSIS, which is ASCII; and the
# lines of each page's EXAMPLES (but those for cmd.exe) run as written, in
# a folder holding the samples and the glyph sheets, with the built programs
# first on PATH.
# usage: man_pages_test.sh BIN_DIR SOURCE_DIR
set -eu
BIN=$1
SOURCE=$2
failed=0
for linter in mandoc groff man; do
  command -v $linter > /dev/null || echo "$linter not installed: its checks skipped"
done
for page in "$SOURCE"/man/*.[1-9]; do
  if command -v mandoc > /dev/null; then
    said=$(mandoc -T lint -W style "$page" 2>&1) || true
    [ -z "$said" ] || { echo "$said"; failed=1; }
  fi
  if command -v groff > /dev/null; then
    for windows in 0 1; do
      said=$(groff -k -ww -z -rWindows=$windows -Tutf8 -man "$page" 2>&1) || true
      [ -z "$said" ] || { echo "$page: $said"; failed=1; }
    done
  fi

  # SYNOPSIS: ASCII names, shown whatever the locale.
  synopsis=$(awk '/^\.SH / { synopsis = ($0 == ".SH SYNOPSIS") } synopsis && /^\.(I|B|IR|RI|BR|RB) / { sub(/^\.[A-Z]+ /, ""); print }' "$page")
  if printf '%s\n' "$synopsis" | LC_ALL=C grep -q '[^ -~]'; then
    echo "$page: SYNOPSIS holds other characters than ASCII"; failed=1
  fi
  if command -v man > /dev/null; then
    for locale in "" C.UTF-8; do
      said=$(env -u LC_ALL -u LC_CTYPE LANG=$locale MANWIDTH=80 man -l "$page" 2>&1 > /dev/null) || true
      [ -z "$said" ] || { echo "$page, LANG=$locale: $said"; failed=1; }
    done
    shown=$(env -u LC_ALL -u LC_CTYPE LANG= MANWIDTH=80 man -l "$page" 2> /dev/null | sed -n '/^SYNOPSIS/,/^[A-Z]/p')
    for name in $(printf '%s\n' "$synopsis" | tr -c 'A-Za-z0-9_\n' ' '); do
      case $shown in
        *"$name"*) ;;
        *) echo "$page: with LANG unset SYNOPSIS does not show $name"; failed=1 ;;
      esac
    done
  fi

  # The example blocks of the EXAMPLES section, with the few escapes they
  # use; not those for cmd.exe (in the Windows rendering's conditions).
  script=$(awk '/^\.SH / { examples = ($0 == ".SH EXAMPLES") } /^\.(if|ie) \\n\[Windows\]/ { windows = 1 }
                windows && /^\.\\}/ { windows = 0 } examples && /^\.EE/ { block = 0 }
                block && !windows { print } examples && /^\.EX/ { block = 1 }' "$page")
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
