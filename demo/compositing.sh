# maskblend and fadeblend: a round sprite over a sky, opaque and at 50 %:
# first a 32-bit sprite with transparency as its own alpha picture, then the
# same sprite and its alpha as two 24-bit pictures.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/compositing/*.bmp .
show "$BIN/maskblend" background.bmp ball.bmp ball.bmp masked.bmp 20 8
show "$BIN/fadeblend" background.bmp sprite.bmp alpha.bmp faded.bmp 55 20 50
