# keyshade: colours six octaves of the sample keyboard, one map letter a key:
# a scale in green, a chord in red, the black keys in light blue (C), a chord
# in blue, a whole octave in S; `o` leaves a key alone. Prints nothing.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/keyshade/keyboard.bmp .
map=oooooooooooo
map=${map}GoGoGGoGoGoG
map=${map}RoooRooRoooo
map=${map}oCoCooCoCoCo
map=${map}BoooBooooBoo
map=${map}SSSSSSSSSSSS
show "$BIN/keyshade" keyboard.bmp 10 12 "$map"
echo "(wrote keyboard.bm)"
