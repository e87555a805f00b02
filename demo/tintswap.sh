# tintswap: a green slime turned blue at dusk (file mode), then the slime
# and a tree through a list (list mode), with the same colour table.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/tintswap/*.bmp "$SAMPLES"/tintswap/*.txt .
show "$BIN/tintswap" -F slime.bmp colours.txt
show "$BIN/tintswap" -L list.txt colours.txt
