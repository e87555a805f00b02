# Shared by the demo scripts: show a command and its messages decoded from
# Shift-JIS. A tool that fails stops the demo.
show() {
  echo "\$ $(basename "$1") $(shift; echo "$@")"
  "$@" > .messages || { iconv -f CP932 -t UTF-8 < .messages; echo "(exit status $?)"; exit 1; }
  iconv -f CP932 -t UTF-8 < .messages
  rm -f .messages
}
