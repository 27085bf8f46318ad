#!/bin/bash
# zor under Xvfb with openbox, driven from outside as a user drives it: start/close
# cycles with the restore switches on keep the stored place and size, start-up
# message boxes stand in the middle of the screen, and the command line reads
# options and paths as documented.   Usage: window_cycles.sh path/to/zor
set -u
ZOR=$(realpath "$1")
W=1280 H=900
tmp=$(mktemp -d)
failures=0
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A display of our own (Xvfb picks a free number) with a window manager on it.
Xvfb -displayfd 3 -screen 0 ${W}x${H}x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null & pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -n 1 "$tmp/display")
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# The Japanese titles the windows are found by, on any desktop: the C locale, UTF-8 for the
# patterns that find them.
unset LANGUAGE
export LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME/QEL" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.05; done

ini="$XDG_CONFIG_HOME/QEL/QEL.ini"
printf '[QEL%%20Tormelia%%20Viewer]\nVer=89\nWindowState=0\nRePos=True\nReSize=True\n' > "$ini"
get() { sed -n "s/^$1=//p" "$ini"; }
put() { for kv in "$@"; do k=${kv%%=*}; sed -i "/^$k=/d" "$ini"; echo "$kv" >> "$ini"; done; }
expect() {   # expect WHAT KEY=VALUE...
  local what=$1; shift
  for kv in "$@"; do [ "$(get "${kv%%=*}")" = "${kv#*=}" ] || fail "$what: ${kv%%=*}=$(get "${kv%%=*}"), expected ${kv#*=}"; done
}
window() {   # window TITLE-REGEX: id of the visible window, waiting up to 10 s
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }; sleep 0.05
  done; return 1
}
finish() {   # finish PID: the program ends within 10 s
  for _ in $(seq 200); do kill -0 "$1" 2>/dev/null || { wait "$1"; return 0; }; sleep 0.05; done
  kill "$1"; fail "zor did not end"
}
# One start and close. With a file that holds no icons the start-up box comes first:
# it must stand in the middle of the screen; Enter answers it.
cycle() {
  "$ZOR" "$@" >/dev/null 2>&1 & local pid=$! id
  if [ $# -gt 0 ]; then
    id=$(window '^QEL TORMELIA VIEWER$') || { fail "no start-up box"; kill $pid; return; }
    eval "$(xdotool getwindowgeometry --shell "$id")"
    local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
    [ $cx -ge $((W / 2 - 40)) ] && [ $cx -le $((W / 2 + 40)) ] && [ $cy -ge $((H / 2 - 80)) ] && [ $cy -le $((H / 2 + 40)) ] \
      || fail "start-up box centred at $cx,$cy, not near $((W / 2)),$((H / 2))"
    xdotool windowactivate --sync "$id" key Return
  fi
  id=$(window '^QEL TORMELIA VIEWER - ') || { fail "no main window"; kill $pid; return; }
  sleep 0.2
  TITLE_BAR=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p')
  wmctrl -i -c "$id"
  finish $pid
}

printf 'no icons here\n' > "$tmp/plain.txt"
place=(Left=3000 Top=2250 Width=9000 Height=6000)
put "${place[@]}"
for i in 1 2 3 4 5; do cycle; expect "start $i" "${place[@]}"; done
for i in 1 2; do cycle "$tmp/plain.txt"; expect "start $i with a start-up box" "${place[@]}"; done

# Stored places off every screen: the title bar comes back whole onto the screen.
for place in "Left=450000 Top=2250" "Left=-450000 Top=-450000" "Left=3000 Top=450000" "Left=-3000 Top=-3000"; do
  put $place; cycle
  l=$(get Left) t=$(get Top) w=$(get Width)
  [ $l -ge 0 ] && [ $((l + w)) -le $((W * 15)) ] && [ $t -ge 0 ] && [ $t -le $(((H - ${TITLE_BAR:-0}) * 15)) ] \
    || fail "stored $place: title bar of Left=$l Top=$t Width=$w not on the ${W}x$H screen"
done

# --help and --version need no display.
out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$ZOR" --version 2>&1); rc=$?
[ $rc = 0 ] && [ "$out" = "zor 2.32.89" ] || fail "--version without a display: rc $rc, '$out'"
out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$ZOR" --help 2>&1); rc=$?
[ $rc = 0 ] && grep -q -- '--version' <<<"$out" && ! grep -q screenshot <<<"$out" || fail "--help without a display: rc $rc"

# Qt's own options are not paths; after -- a leading '-' is part of a path, for this
# instance and for the further one it starts (a folder of two icon files).
ico() {   # a 16 x 16 icon file, 32 bits a pixel
  { printf '\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\x68\x04\0\0\x16\0\0\0'
    printf '\x28\0\0\0\x10\0\0\0\x20\0\0\0\1\0\x20\0'; head -c 24 /dev/zero
    head -c 1024 /dev/zero | tr '\0' '\377'; head -c 64 /dev/zero; } > "$1"
}
mkdir -p "$tmp/cwd/-two" && ico "$tmp/cwd/-one.ico" && ico "$tmp/cwd/-two/a.ico" && ico "$tmp/cwd/-two/b.ico"
(cd "$tmp/cwd" && exec "$ZOR" -style Fusion -- -one.ico -two >/dev/null 2>&1) & pid=$!
one=$(window 'アイコン数：1\]') || fail "-one.ico was not opened"
two=$(window 'アイコン数：2\]') || fail "the further instance did not open -two"
for id in $one $two; do wmctrl -i -c "$id"; done
finish $pid

[ $failures = 0 ] && echo "window cycles: all passed" || { echo "window cycles: $failures failed"; exit 1; }
