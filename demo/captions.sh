# tagburn and tagscan: draw a picture's name into it in each size and read it
# back. Both programs find their glyph sheet in the working directory, so the
# sheets are copied next to the pictures.
. "$(dirname "$0")/lib.sh"
SHEETS=$(cd "$(dirname "$0")/../captions/sheets" && pwd)
cd "$OUT"
cp "$SHEETS"/GXFont*.bmp .
cp "$SAMPLES"/captions/evening.bmp .
cp evening.bmp Evening_2.bmp
cp evening.bmp "my evening.bmp"
show "$BIN/tagburn" evening.bmp 1
show "$BIN/tagscan" evening.bm 1 0 0
show "$BIN/tagburn" Evening_2.bmp 2
show "$BIN/tagscan" Evening_2.bm 2 0 0
show "$BIN/tagburn" "my evening.bmp" 3
show "$BIN/tagscan" "my evening.bm" 3 0 0
