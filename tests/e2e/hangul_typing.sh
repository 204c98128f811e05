#!/usr/bin/env bash
# Korean typed into a grid cell through a real input method: a D-Bus session, ibus with its Hangul engine,
# and a grid window started with Qt's ibus input context. In Hangul mode the keys g k s r m f are typed
# into a cell that is not being edited (the composition starts while the grid browses), then Enter; the
# cell must read "한글": the first jamo neither lost, nor turned into a Latin letter, nor committed alone.
#
#   hangul_typing.sh GRID_PROGRAM [--accessibility]
#
# With --accessibility the window runs with Qt's AT-SPI bridge on (as under a screen reader) and the test
# first checks that the program is on the accessibility bus (accessibility_client.py, pyatspi).
#
# Exit code 77 (a skip for CTest) when Xvfb, xauth, xdotool, dbus-launch, ibus-daemon or the Hangul
# engine is missing.
set -euo pipefail

exe=${1:?usage: hangul_typing.sh GRID_PROGRAM [--accessibility]}
accessibility=${2:-}
if [ -n "$accessibility" ] && { [ ! -x /usr/libexec/at-spi-bus-launcher ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; }; then
  echo "SKIP: the AT-SPI bus or pyatspi is not installed (the README's apt-get line installs them)"
  exit 77
fi
for tool in Xvfb xauth xdotool dbus-launch ibus-daemon ibus; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
    exit 77
  fi
done

readonly TIMEOUT=${E2E_TIMEOUT:-60}
work=$(mktemp -d)
xvfb_pid="" prog_pid="" dbus_pid=""
cleanup() {
  local code=$?
  set +e
  stop_pid "$prog_pid"
  [ -z "$dbus_pid" ] || ibus exit >/dev/null 2>&1
  stop_pid "$dbus_pid"
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"

mkdir -p "$work/xdg/config" "$work/xdg/cache" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
export XDG_CONFIG_HOME=$work/xdg/config XDG_CACHE_HOME=$work/xdg/cache XDG_RUNTIME_DIR=$work/xdg/runtime
export HOME=$work
unset WAYLAND_DISPLAY
start_own_xvfb
export QT_QPA_PLATFORM=xcb

# --- the input method: a session bus of our own, ibus on it, the Hangul engine -------------------------
eval "$(dbus-launch --sh-syntax)"
dbus_pid=$DBUS_SESSION_BUS_PID
export QT_IM_MODULE=ibus XMODIFIERS=@im=ibus
ibus-daemon --daemonize --replace --panel=disable >"$work/ibus.log" 2>&1
ibus_up() { ibus list-engine >/dev/null 2>&1; }
wait_for "ibus to answer" ibus_up
if ! ibus list-engine 2>/dev/null | grep -qw hangul; then
  echo "SKIP: the ibus Hangul engine is not installed (the README's apt-get line installs it)"
  exit 77
fi
ibus engine hangul

# --- the grid window -----------------------------------------------------------------------------------
[ -z "$accessibility" ] || export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$exe" >"$work/program.log" 2>&1 &
prog_pid=$!
ready() { grep -q READY "$work/program.log"; }
wait_for "the grid window" ready
win=""
window_shown() {
  win=$(xdotool search --onlyvisible --name '^hangul grid$' 2>/dev/null | head -n1 || true)
  [ -n "$win" ]
}
wait_for "the grid window to show" window_shown
if [ -n "$accessibility" ]; then
  /usr/bin/python3 "$(dirname "$0")/accessibility_client.py" listed "$prog_pid" ||
    fail "the window is not on the accessibility bus"
fi
xdotool windowfocus --sync "$win"
# The engine was chosen for the session; make sure it is the one in use for the window's context.
ibus engine hangul
engine_is_hangul() { [ "$(ibus engine 2>/dev/null)" = hangul ]; }
wait_for "the Hangul engine" engine_is_hangul

# Hangul mode, then the keys of 한글 on the two-set layout, into the browsing cell, then Enter.
xdotool key Hangul
xdotool type --delay 60 gksrmf
xdotool key Return
xdotool key ctrl+q
finished() { ! kill -0 "$prog_pid" 2>/dev/null; }
wait_for "the window to close" finished
wait "$prog_pid" || fail "the grid program failed"
prog_pid=""

cell=$(sed -n 's/^CELL 0=//p' "$work/program.log")
[ "$cell" = "한글" ] || fail "the cell reads '$cell', not '한글'"
grep -q '^CELL 1=abc$' "$work/program.log" || fail "another row changed"
echo "PASS: the composition begun in a browsing cell arrived whole: $cell"
