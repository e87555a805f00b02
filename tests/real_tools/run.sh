#!/bin/sh
# The programs on files made by ImageMagick, GraphicsMagick, ffmpeg, Pillow,
# libvips, netpbm (and GIMP when installed) with their default options; see
# check.py.
# usage: run.sh BIN [--keep DIR]   (DIR keeps every file of the run)
# Debian's tools, by full path: the Python with Pillow is Debian's, and a
# convert earlier on PATH need not be ImageMagick's.
set -eu
missing=
for tool in /usr/bin/convert /usr/bin/identify /usr/bin/gm /usr/bin/ffmpeg /usr/bin/vips /usr/bin/pngtopnm \
  /usr/bin/ppmtobmp /usr/bin/python3; do
  [ -x "$tool" ] || missing="$missing $tool"
done
[ -z "$missing" ] && ! /usr/bin/python3 -c 'import PIL' 2>/dev/null && missing=" Pillow for /usr/bin/python3"
if [ -n "$missing" ]; then
  echo "missing:$missing (apt-get install imagemagick graphicsmagick ffmpeg libvips-tools netpbm python3-pil)" >&2
  exit 1
fi
exec /usr/bin/python3 "$(dirname "$0")/check.py" "$@"
