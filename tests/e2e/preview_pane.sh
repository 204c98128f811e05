#!/usr/bin/env bash
# The preview pane in a real window: the demo's documents are listed, the window starts without the pane
# (nothing of it on screen), a click selects a demo row and F9 opens the pane on it, which marks the file's
# matches on screen (the mark colour appears, in the pane's part of the window); F9 again takes it away.
# The masked text and the counts themselves are checked through the window's own widgets in preview_test.
#
#   preview_pane.sh VEKSECURITY MAKE_DEMO_DOCS
#
# Runs its own Xvfb; everything lives in a fresh temporary folder removed on every way out. Exit code 77
# (a skip for CTest) when Xvfb, xauth, xdotool, xwd or netpbm is missing. Every wait polls with a deadline.
set -euo pipefail

exe=${1:?usage: preview_pane.sh VEKSECURITY MAKE_DEMO_DOCS}
make_docs=${2:?usage: preview_pane.sh VEKSECURITY MAKE_DEMO_DOCS}
for tool in Xvfb xauth xdotool xwd xwdtopnm ppmcolormask pamsumm pamcut iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
    exit 77
  fi
done

# The first data row from the top of the client area: Panel1 (39), Panel4 (72), the grid's insets (3) and
# its title row (21); rows of 21 pixels.
readonly GRID_TOP=$((39 + 72 + 3 + 21)) ROW_HEIGHT=21
readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60}
# The background of a marked match in the pane.
readonly MARK=rgb:ff/f1/76

work=$(mktemp -d)
xvfb_pid="" prog_pid=""
cleanup() {
  local code=$?
  set +e
  if [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null; then wait "$prog_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; then wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"

# The demo's documents, each listed in the result file by the line the demo writes for it.
mkdir -p "$work/C" "$work/D" "$work/xdg/data" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
printf '파일명,개인정보종류,검출수,경로\r\n' | iconv -f UTF-8 -t CP949 >"$work/C/result.csv"
"$make_docs" "$work" >/dev/null 2>&1 || fail "the demo documents were not written"
export VEKSECURITY_DRIVE_C=$work/C VEKSECURITY_DRIVE_D=$work/D VEKSECURITY_TERMINAL=none
export XDG_DATA_HOME=$work/xdg/data XDG_RUNTIME_DIR=$work/xdg/runtime
unset WAYLAND_DISPLAY

start_own_xvfb
export QT_QPA_PLATFORM=xcb

main_window=""
main_window_shown() {
  main_window=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -n1 || true)
  [ -n "$main_window" ]
}
# Pixels of the mark colour in the lower half of the window (where the pane opens under the list).
marked_pixels() {
  xwd -silent -id "$main_window" | xwdtopnm 2>/dev/null >"$work/shot.ppm" || return 1
  local w h
  read -r w h < <(head -n 2 "$work/shot.ppm" | tail -n 1)
  local half=$((h / 2))
  local rest
  rest=$(pamcut -top "$half" "$work/shot.ppm" | ppmcolormask "$MARK" | pamsumm -sum -brief)
  echo $((w * (h - half) - rest))
}
pane_marks_shown() { [ "$(marked_pixels)" -gt 50 ]; }
pane_gone() { [ "$(marked_pixels)" -eq 0 ]; }

"$exe" "$work/C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the main window" main_window_shown
xdotool windowfocus --sync "$main_window"
sleep 0.5
[ "$(marked_pixels)" -eq 0 ] || fail "the window shows marks before the pane was asked for"

# A click on the second demo row selects it; F9 opens the pane on its file.
xdotool mousemove --window "$main_window" 150 $((GRID_TOP + ROW_HEIGHT + ROW_HEIGHT / 2)) click 1
xdotool key F9
wait_for "the pane with the file's matches marked" pane_marks_shown
# Down in the list: the next demo file, marked as well.
xdotool key Down
sleep 0.5
wait_for "the pane following the next row" pane_marks_shown
xdotool key F9
wait_for "the pane to close" pane_gone
echo "PASS: F9 opens the preview on the selected demo row with its matches marked, and closes it"
