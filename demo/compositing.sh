# maskblend and fadeblend: a round sprite over a sky, opaque and at 50 %.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/compositing/*.bmp .
show "$BIN/maskblend" background.bmp sprite.bmp alpha.bmp masked.bmp 20 8
show "$BIN/fadeblend" background.bmp sprite.bmp alpha.bmp faded.bmp 55 20 50
