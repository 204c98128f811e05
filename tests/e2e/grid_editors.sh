#!/usr/bin/env bash
# The grid's list and check editors in a real window: a click on the current pick-list cell opens its
# editor, a click on the drop button drops the list, typing "ch" searches it, Enter takes the row and a
# second Enter stores it (the stored value is the mapped value "C", not the shown "Cherry"); then a check
# cell is ticked with Space and another with a mouse click, and the program's own report of the stored
# values is read back. Where a D-Bus session, ibus and its Hangul engine are installed, the program runs
# with Qt's ibus input context and, last, "gksrmf" typed in Hangul mode into a Korean pick list searches it
# through the committed syllables (한 picks 한복, 한글 picks 한글) and Enter stores 한글.
#
#   grid_editors.sh EDITOR_GRID
#
# Runs its own Xvfb with its own authority cookie and removes everything on every way out. Exit code 77 (a
# skip for CTest) when Xvfb, xauth or xdotool is missing. Every wait polls for a condition with a deadline.
set -euo pipefail

exe=${1:?usage: grid_editors.sh EDITOR_GRID}
for tool in Xvfb xauth xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
    exit 77
  fi
done
readonly TITLE="editor grid test"
readonly TIMEOUT=${E2E_TIMEOUT:-60} # seconds, for each wait

work=$(mktemp -d)
xvfb_pid="" prog_pid="" dbus_pid=""
cleanup() {
  local code=$?
  set +e
  if [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null; then wait "$prog_pid" 2>/dev/null; fi
  [ -z "$dbus_pid" ] || ibus exit >/dev/null 2>&1
  [ -z "$dbus_pid" ] || kill "$dbus_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; then wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"

mkdir -p "$work/xdg/runtime" "$work/xdg/config" "$work/xdg/cache"
chmod 700 "$work/xdg/runtime"
export XDG_RUNTIME_DIR=$work/xdg/runtime XDG_CONFIG_HOME=$work/xdg/config XDG_CACHE_HOME=$work/xdg/cache
export HOME=$work
unset WAYLAND_DISPLAY

start_own_xvfb
export QT_QPA_PLATFORM=xcb

# The input method, where it is installed: a session bus of our own, ibus on it, the Hangul engine.
hangul=""
if command -v dbus-launch >/dev/null && command -v ibus-daemon >/dev/null && command -v ibus >/dev/null; then
  eval "$(dbus-launch --sh-syntax)"
  dbus_pid=$DBUS_SESSION_BUS_PID
  ibus-daemon --daemonize --replace --panel=disable >"$work/ibus.log" 2>&1
  ibus_up() { ibus list-engine >/dev/null 2>&1; }
  wait_for "ibus to answer" ibus_up
  if ibus list-engine 2>/dev/null | grep -qw hangul; then
    hangul=yes
    export QT_IM_MODULE=ibus XMODIFIERS=@im=ibus
    ibus engine hangul
  fi
fi

"$exe" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the program's layout report" grep -qx ready "$work/program.log"
window=""
window_shown() {
  window=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -n1 || true)
  [ -n "$window" ]
}
wait_for "the window" window_shown
xdotool windowfocus --sync "$window"

# The centre of a cell from the program's report: "cell COL ROW X Y W H".
cell_centre() {
  awk -v c="$1" -v r="$2" '$1 == "cell" && $2 == c && $3 == r { print $4 + int($6 / 2), $5 + int($7 / 2) }' \
    "$work/program.log"
}
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# The last state or values line holds the given words.
last_is() { # KIND PATTERN
  grep "^$1 " "$work/program.log" | tail -n 1 | grep -q -- "$2"
}

# --- the pick list -----------------------------------------------------------------------------------------
read -r px py < <(cell_centre 0 0)
read -r _ bx by < <(grep '^button ' "$work/program.log")
click_at "$px" "$py" # the current cell of a focused grid: the editor opens
wait_for "the pick-list editor" last_is state "editor=1 dropped=0"
click_at "$bx" "$by"
wait_for "the list to drop down from the button" last_is state "dropped=1"
xdotool type --delay 50 "ch"
wait_for "the search to choose Cherry's row" last_is state "dropped=1 row=2"
xdotool key Return
wait_for "Enter to take the row" last_is state "editor=1 dropped=0"
xdotool key Return
wait_for "the second Enter to store the value" last_is values "P0=C "
last_is state "editor=0" || fail "the editor is still open after the second Enter"

# --- check cells: Space, then the mouse --------------------------------------------------------------------
read -r kx ky < <(cell_centre 1 0)
click_at "$kx" "$ky" # only makes the cell current
sleep 0.6            # two single clicks, not a double click
last_is values "K0=null" || fail "a click on a cell that was not current ticked it"
xdotool key space
wait_for "Space to open the check editor" last_is state "editor=1"
xdotool key Down # the grid takes the arrow: the tick is stored, row 1 becomes current
wait_for "the tick set by Space to be stored" last_is values "K0=true"
read -r kx ky < <(cell_centre 1 1)
click_at "$kx" "$ky" # the current cell: the click opens the editor and ticks
wait_for "the click to open the check editor" last_is state "editor=1"
xdotool key Return
wait_for "the tick set by the mouse to be stored" last_is values "K1=true"
last_is values "P0=C P1=null P2=null K0=true K1=true K2=null" ||
  fail "other stored values than expected: $(grep '^values ' "$work/program.log" | tail -n 1)"

# --- Hangul through the input method into the Korean pick list -------------------------------------------
korean="Hangul search skipped (no ibus with its Hangul engine)"
if [ -n "$hangul" ]; then
  ibus engine hangul
  engine_is_hangul() { [ "$(ibus engine 2>/dev/null)" = hangul ]; }
  wait_for "the Hangul engine" engine_is_hangul
  read -r hx hy < <(cell_centre 2 0)
  click_at "$hx" "$hy" # only makes the cell current
  sleep 0.6
  click_at "$hx" "$hy" # opens the editor
  wait_for "the Korean pick-list editor" last_is state "editor=1 dropped=0"
  xdotool key Hangul
  xdotool type --delay 80 gks
  xdotool type --delay 80 r # the next consonant commits 한: the list drops and finds 한복
  wait_for "the committed 한 to drop the list on 한복" last_is state "dropped=1 row=1"
  xdotool type --delay 80 mf
  xdotool key Return # commits the pending 글 (the search moves to 한글) and then takes the row
  wait_for "Enter to take the row" last_is state "editor=1 dropped=0"
  xdotool key Return
  wait_for "the Korean value to be stored" last_is values "H0=한글 "
  korean="한 then 한글 searched and stored through ibus"
fi

echo "PASS: the pick list opened by its button, searched by typing and stored C for Cherry; a check cell" \
  "ticked with Space and one with the mouse; $korean; $(grep '^values ' "$work/program.log" | tail -n 1)"
