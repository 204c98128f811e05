#!/usr/bin/env bash
# Characters typed while a grid's editor is open but the grid itself holds the focus arrive at the editor's
# caret, every one: xdotool types three characters into always_editor_grid, Return commits, and the stored
# value must be all three.
#
#   always_editor.sh ALWAYS_EDITOR_GRID
#
# Runs its own Xvfb; exit code 77 (a skip for CTest) when Xvfb, xauth or xdotool is missing.
set -euo pipefail

exe=${1:?usage: always_editor.sh ALWAYS_EDITOR_GRID}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool
readonly TIMEOUT=${E2E_TIMEOUT:-60}
open_work

mkdir -p "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
export XDG_RUNTIME_DIR=$work/xdg/runtime HOME=$work
unset WAYLAND_DISPLAY
start_own_xvfb
export QT_QPA_PLATFORM=xcb

"$exe" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the grid to be ready" grep -q '^ready$' "$work/program.log"
window=$(xdotool search --onlyvisible --name '^always editor grid test$' | head -n1)
[ -n "$window" ] || fail "no window"
xdotool windowfocus --sync "$window"
xdotool type --delay 30 'xyz'
xdotool key Return
wait_for "the three characters stored" grep -q '^values T0=xyz T1=null$' "$work/program.log"
echo "PASS: three characters typed while the grid held the focus were all stored"
