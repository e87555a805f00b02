#!/bin/sh
# Makes gallery/alertpane-windows.png, a picture of AlertPane.exe's message
# box: stampmany.exe runs under wine, in a wine desktop window on a virtual
# X display (wine draws the box's caption there), with a sprite name that
# names no file; it reports the name and starts AlertPane.exe, whose box is
# photographed before it closes by itself (ALERTPANE_CLOSE_AFTER_MS).
# Needs make windows, xvfb, wine, fonts-ipafont-gothic, imagemagick and a
# ja_JP.UTF-8 locale.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build-windows/bin}
WINDOWS_BIN="Z:$(echo "$BIN" | tr / '\\')"  # wine shows / as drive Z:
# The build keeps AlertPane.exe apart; stampmany.exe finds it on PATH.
ALERTPANE_DIR="Z:$(echo "${ALERTPANE:-$ROOT/build-windows/alertpane}" | tr / '\\')"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$ROOT/samples/compositing/background.bmp" "$WORK/"
cd "$WORK"
LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPATH="$ALERTPANE_DIR" ALERTPANE_CLOSE_AFTER_MS=8000 \
  xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wine explorer /desktop=AlertPane,400x180 "$1\\stampmany.exe" background.bmp out.bmp 見つからない.bmp 0 0 > messages &
    sleep 5
    import -window root screen.png
    wait
  ' sh "$WINDOWS_BIN"
iconv -f CP932 -t UTF-8 messages
convert screen.png -trim +repage "$ROOT/gallery/alertpane-windows.png"
echo "gallery/alertpane-windows.png: $(identify -format '%wx%h' "$ROOT/gallery/alertpane-windows.png")"
