# pcmclip: cut the quarter second of silence before the tone and keep half a
# second (44,100 bytes cut, 44 + 88,200 bytes in all); then pad that clip
# back out to a second with silence at its end.
. "$(dirname "$0")/lib.sh"
cd "$OUT"
cp "$SAMPLES"/pcmclip/tone.wav .
show "$BIN/pcmclip" tone.wav 44100 88244
mv tone.wa clip.wav
show "$BIN/pcmclip" clip.wav 0 176444
