#!/usr/bin/env bash
# Runs one test program on a private X server with a window manager, the way a user's desktop
# decorates and places windows. Without Xvfb or openbox the program still runs, told to skip its
# desktop cases.
set -u
exe="$1"
shift

if ! command -v Xvfb >/dev/null 2>&1 || ! command -v openbox >/dev/null 2>&1; then
  echo "Xvfb or openbox is not installed: the desktop cases skip" >&2
  BREVOTANE_NO_DESKTOP=1 QT_QPA_PLATFORM=offscreen exec "$exe" "$@"
fi

work=$(mktemp -d)
x_pid=
wm_pid=
stop() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

# Xvfb picks a free display itself and writes its number once it accepts clients, so parallel
# runs never race for a display number.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
x_pid=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$x_pid" 2>/dev/null; then
    echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1
  fi
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

HOME="$work" XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it announces itself on the root window.
for _ in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  if ! kill -0 "$wm_pid" 2>/dev/null; then
    echo "openbox did not start:" >&2; cat "$work/openbox.log" >&2; exit 1
  fi
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
  || { echo "openbox did not come up" >&2; exit 1; }

QT_QPA_PLATFORM=xcb "$exe" "$@"
rc=$?
exit $rc
