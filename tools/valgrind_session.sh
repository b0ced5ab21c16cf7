#!/bin/bash
# One short session of the real program under valgrind memcheck, in a private
# Xvfb server driven by xdotool: start, load a screen with Control+O, move,
# click both buttons, Invert from the Operations menu, save, quit.
# Usage: tools/valgrind_session.sh <path of scrlab>
# Errors inside Qt and the X libraries are theirs (tools/valgrind.supp); any
# other error, or a definite leak, fails the run.
set -u
program=$(realpath "$1")
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/scrlab-valgrind-XXXXXX)
log="$work/memcheck.log"
display=""
server=""
valgrind_pid=""

finish() {
  [ -n "$valgrind_pid" ] && kill "$valgrind_pid" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  wait 2>/dev/null
}
trap finish EXIT

for number in $(seq 90 130); do
  [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
  Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  server=$!
  for _ in $(seq 1 50); do
    xdpyinfo -display ":$number" >/dev/null 2>&1 && { display=":$number"; break; }
    kill -0 "$server" 2>/dev/null || break
    sleep 0.2
  done
  [ -n "$display" ] && break
  kill "$server" 2>/dev/null
  server=""
done
[ -n "$display" ] || { echo "valgrind: no X server could be started"; exit 1; }
export DISPLAY=$display QT_QPA_PLATFORM=xcb HOME="$work"
# Qt's regular expressions run machine code they compile themselves, which
# memcheck cannot follow (errors without a stack); Qt's own switch turns that off.
export QT_ENABLE_REGEXP_JIT=0

cp "$top/testdata/screens/screen02.scr" "$work/title.scr"
valgrind --tool=memcheck --track-origins=yes --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=30 --suppressions="$top/tools/valgrind.supp" \
  --gen-suppressions=all --log-file="$log" "$program" &
valgrind_pid=$!

# Under memcheck the program is many times slower, and more so on a busy
# machine: each step waits for what it needs to see, up to a generous limit,
# rather than for a fixed time.
# visible_window NAME SECONDS: the id of a shown window of that name.
visible_window() {
  local id=""
  for _ in $(seq 1 $(($2 * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$valgrind_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
window=$(visible_window 'New window' 120) || { echo "valgrind: the window never appeared"; exit 1; }
step() { sleep "${2:-1.5}"; echo "valgrind session: $1"; }

xdotool windowfocus --sync "$window"; step "started" 3
xdotool key ctrl+o
requester=$(visible_window 'Please choose file to load' 120) || { echo "valgrind: the open requester never appeared"; exit 1; }
xdotool windowfocus --sync "$requester"; step "open requester" 2
xdotool type --delay 20 "$work/title.scr"; xdotool key Return
for _ in $(seq 1 600); do
  xdotool search --onlyvisible --name 'Please choose file to load' >/dev/null 2>&1 || break
  sleep 0.2
done
step "loaded" 4
xdotool mousemove --window "$window" 100 100; step "moved"
xdotool mousemove --window "$window" 700 200; step "moved"
xdotool click 1; step "left click"
xdotool click 3; step "right click"
xdotool mousemove --window "$window" 15 8 click 1; step "File menu" 2
xdotool key Right Down Down Return; step "Invert" 3
xdotool mousemove --window "$window" 300 200; xdotool key ctrl+s; step "saved" 2
xdotool key ctrl+q; step "quit" 1

for _ in $(seq 1 600); do
  kill -0 "$valgrind_pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$valgrind_pid" 2>/dev/null; then
  echo "valgrind: the program did not end two minutes after Control+Q; log in $log"
  exit 1
fi
wait "$valgrind_pid"
status=$?
valgrind_pid=""

saved=$(cmp -s "$work/title.scr" "$top/testdata/screens/screen02.scr" && echo unchanged || echo changed)
echo "valgrind session: the saved file is $saved; log in $log"
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable" "$log"
# Every process memcheck watched (a library may fork one) must be clean.
if ! grep -q "ERROR SUMMARY" "$log" || grep "ERROR SUMMARY" "$log" | grep -vq "ERROR SUMMARY: 0 errors"; then
  echo "valgrind: errors found (suppressions for new findings are in the log)"
  exit 1
fi
[ "$status" -eq 0 ] || { echo "valgrind: the program ended with status $status"; exit 1; }
[ "$saved" = changed ] || { echo "valgrind: the session did not save the inverted picture"; exit 1; }
