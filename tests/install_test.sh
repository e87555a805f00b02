#!/bin/sh
# Installs the build into a temporary prefix and uses the programs from
# there as the README says: the sheets copied from share/ next to a picture,
# the manual pages found by man. Then uninstalls, which must leave the
# prefix as it was (a folder that was there before stays). The build's
# record of a real install is kept.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
set -eu
BUILD=$1
PREFIX=$(mktemp -d)
KEPT=$(mktemp -d)
for record in install_manifest.txt install_files.txt install_created_folders.txt; do
  [ ! -e "$BUILD/$record" ] || cp "$BUILD/$record" "$KEPT/"
done
restore() {
  rm -f "$BUILD/install_manifest.txt" "$BUILD/install_files.txt" "$BUILD/install_created_folders.txt"
  cp "$KEPT"/* "$BUILD/" 2> /dev/null || true
  rm -rf "$PREFIX" "$KEPT"
}
trap restore EXIT
mkdir -p "$PREFIX/share/man" && : > "$PREFIX/share/mine"
before=$(cd "$PREFIX" && find . | sort)

cmake --install "$BUILD" --prefix "$PREFIX" > /dev/null
for program in maskblend fadeblend stampmany tintswap keyshade tagburn tagscan pcmclip; do
  [ -x "$PREFIX/bin/$program" ] || { echo "missing $PREFIX/bin/$program"; exit 1; }
done
[ -x "$PREFIX/libexec/assettools/AlertPane" ] || { echo "missing $PREFIX/libexec/assettools/AlertPane"; exit 1; }
[ ! -e "$PREFIX/bin/AlertPane" ] || { echo "AlertPane is on PATH in $PREFIX/bin"; exit 1; }
if command -v man > /dev/null; then
  page=$(man -M "$PREFIX/share/man" -w maskblend) || { echo "man finds no maskblend page in $PREFIX"; exit 1; }
  [ "$page" = "$PREFIX/share/man/man1/maskblend.1.gz" ] || { echo "man found $page"; exit 1; }
fi
mkdir "$PREFIX/work" && cd "$PREFIX/work"
cp "$PREFIX"/share/assettools/GXFont*.bmp .
cp "$2/samples/captions/evening.bmp" .
"$PREFIX/bin/tagburn" evening.bmp 3 > /dev/null
read_back=$("$PREFIX/bin/tagscan" evening.bm 3 0 0)
[ "$read_back" = evening.bmp ] || { echo "read back '$read_back'"; exit 1; }
cd / && rm -rf "$PREFIX/work"

cmake --build "$BUILD" --target uninstall > /dev/null
after=$(cd "$PREFIX" && find . | sort)
[ "$before" = "$after" ] || { echo "uninstall left the prefix changed:"; echo "$after"; exit 1; }
echo "installed programs work from $PREFIX, and uninstall removes them"
