#!/bin/sh
# Runs the Windows build's tests under wine: its unit test programs, then the
# native build's end-to-end tables against its programs (see the Windows mode
# in tests/e2e/harness.h). Every test runs even after a failure.
# usage: run_under_wine.sh NATIVE_BUILD WINDOWS_BUILD [JOBS]
set -eu
native=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
jobs=${3:-2}

# Japanese names reach wine's programs only through a Japanese locale, and
# the tables need its UTF-8 encoding (see the harness).
export LANG=ja_JP.UTF-8 WINEDEBUG=-all
if ! locale -a | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "run_under_wine.sh: the ja_JP.UTF-8 locale is missing (Debian: enable it in /etc/locale.gen, run locale-gen)" >&2
  exit 2
fi
# A new wine prefix is set up alone, and waited for: on its first start wine
# holds the caller's pipes open until its own background processes end.
if [ ! -d "${WINEPREFIX:-$HOME/.wine}" ]; then
  wineboot -i < /dev/null > /dev/null 2>&1
  wineserver -w
fi
# One wine server for the whole run: otherwise each program's server
# lingers a few seconds and a program that starts while it ends gets
# "connection reset". Wine's own background processes are started at once,
# detached from every pipe: started by the first test program, they would
# hold its output open and ctest would wait for it forever.
if wineserver -p < /dev/null > /dev/null 2>&1; then
  trap 'wineserver -k' EXIT
else
  echo "run_under_wine.sh: using the wine server that is already running" >&2
fi
wineboot < /dev/null > /dev/null 2>&1

status=0
# One at a time: the AlertPane test starts cmd.exe again and again, and
# wine sometimes fails to start a program while another one starts.
ctest --test-dir "$windows" --output-on-failure || status=1
E2E_TOOLS_DIR="$windows/bin" E2E_TOOL_SUFFIX=.exe E2E_RUNNER=wine \
  ctest --test-dir "$native" -L e2e --output-on-failure -j "$jobs" || status=1
exit $status
