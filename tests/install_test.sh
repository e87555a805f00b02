#!/bin/sh
# Installs the build into a temporary prefix and uses the programs from
# there as the README says: the sheets copied from share/ next to a picture.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
set -eu
PREFIX=$(mktemp -d)
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$1" --prefix "$PREFIX" > /dev/null
for program in maskblend fadeblend stampmany tintswap keyshade tagburn tagscan pcmclip AlertPane; do
  [ -x "$PREFIX/bin/$program" ] || { echo "missing $PREFIX/bin/$program"; exit 1; }
done
mkdir "$PREFIX/work" && cd "$PREFIX/work"
cp "$PREFIX"/share/assettools/GXFont*.bmp .
cp "$2/samples/captions/evening.bmp" .
"$PREFIX/bin/tagburn" evening.bmp 3 > /dev/null
read_back=$("$PREFIX/bin/tagscan" evening.bm 3 0 0)
[ "$read_back" = evening.bmp ] || { echo "read back '$read_back'"; exit 1; }
echo "installed programs work from $PREFIX"
