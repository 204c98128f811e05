#!/usr/bin/env bash
# The document manager in a real window, as a new user meets it: started with drive D unmapped on a result
# file naming D, it says so in a box (not a silent empty list); started again with D mapped, the row menu
# opens by the right button and by the Menu key, and its "CSV로 저장 (전체)..." writes a CSV in which a file
# name that a spreadsheet would run as a formula stays text.
#
#   row_menu_and_drives.sh VEKSECURITY
#
# Runs its own Xvfb; everything lives in a fresh temporary folder removed on every way out. Exit code 77
# (a skip for CTest) when Xvfb, xauth or xdotool is missing. Every wait polls a condition with a deadline.
set -euo pipefail

exe=${1:?usage: row_menu_and_drives.sh VEKSECURITY}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool iconv
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

# The grid's first data row, from the top left of the window's client area: Panel1 (39), Panel4 (72), the
# grid's insets (3) and its title row (21); the middle of a row of 21 pixels.
readonly GRID_TOP=$((39 + 72 + 3 + 21)) ROW_HEIGHT=21
readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60}

open_work


C=$work/C D=$work/D
mkdir -p "$C" "$D/자료" "$work/xdg/data" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
for name in 'a.txt' '=1+2.txt'; do echo x >"$D/자료/$name"; done
printf 'h\r\na.txt,주민등록번호,3,D:\\자료\r\n=1+2.txt,계좌번호,4,D:\\자료\r\n' | iconv -f UTF-8 -t CP949 >"$C/result.csv"
export VEKSECURITY_DRIVE_C=$C VEKSECURITY_TERMINAL=none
export XDG_DATA_HOME=$work/xdg/data XDG_RUNTIME_DIR=$work/xdg/runtime
unset VEKSECURITY_DRIVE_D WAYLAND_DISPLAY

start_own_xvfb
export QT_QPA_PLATFORM=xcb

windows_titled() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
main_window=""
main_window_shown() {
  main_window=$(windows_titled "^$TITLE\$" | head -n1)
  [ -n "$main_window" ]
}
box=""
box_shown() {
  box=$(windows_titled "^$(basename "$exe")\$" | head -n1)
  [ -n "$box" ]
}

# --- drive D unmapped: a box says which drive has no folder ------------------------------------------------
"$exe" "$C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the notice naming the drive without a folder" box_shown
xdotool windowfocus --sync "$box"
xdotool key Return
wait_for "the main window" main_window_shown
stop_pid "$prog_pid" || true
prog_pid=""

# --- drive D mapped: the row menu by the right button and by the Menu key -------------------------------
export VEKSECURITY_DRIVE_D=$D
"$exe" "$C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the main window" main_window_shown
xdotool windowfocus --sync "$main_window"

save_dialog=""
save_dialog_shown() {
  save_dialog=$(windows_titled "^목록을 CSV로 저장" | head -n1)
  [ -n "$save_dialog" ]
}
# The last two entries of the menu save as CSV: Up from no entry is the last, a second Up the one above it.
save_through_menu() { # OUT
  xdotool key Up Up Return
  wait_for "the save dialog" save_dialog_shown
  xdotool windowfocus --sync "$save_dialog"
  xdotool key ctrl+a
  xdotool type --delay 5 "$1"
  xdotool key Return
  wait_for "$1 to be written" test -s "$1"
}

menu_shown() { # the menu is a new top-level window beside the main one and the program's helpers
  [ "$(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null | wc -l)" -gt "$1" ]
}
windows_before=$(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null | wc -l)
xdotool mousemove --window "$main_window" 150 $((GRID_TOP + ROW_HEIGHT + ROW_HEIGHT / 2)) click 3
wait_for "the row menu after a right click" menu_shown "$windows_before"
save_through_menu "$work/by_click.csv"

xdotool windowfocus --sync "$main_window"
wait_for "the save dialog to close" bash -c "! xdotool search --onlyvisible --name '^목록을 CSV로 저장' >/dev/null 2>&1"
xdotool key Menu
wait_for "the row menu after the Menu key" menu_shown "$windows_before"
save_through_menu "$work/by_key.csv"

expected=$(printf '\xEF\xBB\xBF파일명,내용,수량,경로\r\na.txt,주민등록번호,3,D:\\자료\r\n'"'"'=1+2.txt,계좌번호,4,D:\\자료\r\n')
for out in by_click by_key; do
  [ "$(cat "$work/$out.csv")" = "$expected" ] || fail "$out.csv holds:"$'\n'"$(cat "$work/$out.csv")"
done
echo "PASS: the drive notice, the row menu by the right button and the Menu key, and the CSV it saves"
