# stampmany: a house, a flag and three coins pasted onto the sky through
# their own transparency, the later ones over the earlier; then a sprite that
# sticks out, reported also through the stand-in AlertPane (first on PATH),
# which shows it on standard error.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/compositing/background.bmp "$SAMPLES"/stampmany/*.bmp .
show "$BIN/stampmany" background.bmp village.bmp house.bmp 30 28 flag.bmp 42 20 \
  coin.bmp 8 10 coin.bmp 20 6 coin.bmp 74 12
echo "\$ stampmany background.bmp oops.bmp house.bmp 90 0   # AlertPane: the stand-in from $BIN"
status=0
PATH="$BIN:$PATH" "$BIN/stampmany" background.bmp oops.bmp house.bmp 90 0 > .messages 2> .alert || status=$?
iconv -f CP932 -t UTF-8 < .messages
iconv -f CP932 -t UTF-8 < .alert
echo "(exit status $status)"
rm -f .messages .alert
