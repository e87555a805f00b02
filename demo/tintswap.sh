# tintswap: a green slime, a sprite with transparency, turned blue (file
# mode; its output keeps the transparency), then the slime and a tree under
# the sky through a list (list mode), with the same colour table.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/tintswap/*.bmp "$SAMPLES"/tintswap/*.txt .
show "$BIN/tintswap" -F slime.bmp colours.txt
show "$BIN/tintswap" -L list.txt colours.txt
