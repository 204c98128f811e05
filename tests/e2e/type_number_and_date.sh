#!/usr/bin/env bash
# A number with grouping and a date typed into a test grid in a real window: xdotool types 1234567.89 into
# the empty number cell (the editor must show 1,234,567.89 when Enter is pressed), moves right and types
# 2024-03-15 into the date cell, then asks the program (F9) for what it stored.
#
#   type_number_and_date.sh NUMBER_DATE_GRID
#
# Runs its own Xvfb with its own authority cookie; everything lives in a temporary folder removed on every
# way out. Exit code 77 (a skip for CTest) when Xvfb, xauth or xdotool is missing. Every wait polls with a
# deadline.
set -euo pipefail

exe=${1:?usage: type_number_and_date.sh NUMBER_DATE_GRID}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool
[ -x "$exe" ] || { echo "FAIL: no test program at $exe"; exit 1; }

readonly TITLE="number-date-grid"
readonly TIMEOUT=${E2E_TIMEOUT:-60} # seconds, for each wait

open_work


mkdir -p "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
export XDG_RUNTIME_DIR=$work/xdg/runtime XDG_CONFIG_HOME=$work/xdg/config
unset WAYLAND_DISPLAY

start_own_xvfb
export QT_QPA_PLATFORM=xcb

"$exe" >"$work/program.out" 2>"$work/program.log" &
prog_pid=$!

window=""
window_shown() {
  kill -0 "$prog_pid" 2>/dev/null || fail "the program ended before its window showed"
  window=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -n1 || true)
  [ -n "$window" ]
}
wait_for "the grid window" window_shown
xdotool windowfocus --sync "$window"

# The current cell is the empty number cell: the first digit opens the number editor.
xdotool type --delay 60 "1234567.89"
xdotool key Return
xdotool key Right
xdotool type --delay 60 "2024-03-15"
xdotool key Return F9

ended() { ! kill -0 "$prog_pid" 2>/dev/null; }
wait_for "the program to report and end" ended
wait "$prog_pid" || fail "the program ended with an error"
prog_pid=""

expected=$'editing=1,234,567.89\nnumber=1234567.89\ndate=2024-03-15\nnull='
actual=$(cat "$work/program.out")
[ "$actual" = "$expected" ] || fail "the grid holds other values:"$'\n'"$actual"$'\n'"--- expected"$'\n'"$expected"
echo "PASS: the number editor showed 1,234,567.89 while typing; the grid stored 1234567.89 and 2024-03-15"
