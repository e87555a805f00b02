# Shared by the demo scripts.

# A word as it must be typed at a shell prompt: quoted when it holds
# anything but plain characters.
quoted() {
  case $1 in
    '' | *[!A-Za-z0-9_./=:+-]*) printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")" ;;
    *) printf '%s' "$1" ;;
  esac
}

# Shows a command as typed (the program by its name), runs it and shows its
# messages decoded from Shift-JIS. A program that fails stops the demo.
show() {
  line="\$ $(basename "$1")"
  program=$1
  shift
  for word in "$@"; do line="$line $(quoted "$word")"; done
  echo "$line"
  status=0
  "$program" "$@" > .messages || status=$?
  iconv -f CP932 -t UTF-8 < .messages
  rm -f .messages
  if [ "$status" -ne 0 ]; then
    echo "(exit status $status)"
    exit 1
  fi
}
