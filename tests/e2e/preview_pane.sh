#!/usr/bin/env bash
# The preview pane in a real window, read as a person reads it: the demo's documents are listed and the
# window starts without the pane. A click selects the demo's CP949 text file and F9 opens the pane on it,
# its matches marked on screen. The pane's text, copied with Ctrl+A and Ctrl+C, shows every number the file
# holds in its masked form and none of them whole; Shift+Tab reaches the summary and then the count line,
# copied the same way and compared with what the demo put into the file and into the result file. Up and
# Down in the pane go between the matches (the current one marked in its own colour) while the list keeps
# its row. Down in the list moves the pane to the next file (the demo's UTF-8 CSV), checked the same way;
# F9 again takes the pane away.
#
#   preview_pane.sh VEKSECURITY MAKE_DEMO_DOCS CLIPBOARD_TEXT
#
# Runs its own Xvfb; everything lives in a fresh temporary folder removed on every way out. Exit code 77
# (a skip for CTest) when Xvfb, xauth, xdotool, xwd or netpbm is missing. Every wait polls with a deadline.
set -euo pipefail

usage="usage: preview_pane.sh VEKSECURITY MAKE_DEMO_DOCS CLIPBOARD_TEXT"
exe=${1:?$usage}
make_docs=${2:?$usage}
clipboard_text=${3:?$usage}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool xwd xwdtopnm ppmcolormask pamsumm pamcut iconv

# The first data row from the top of the client area: Panel1 (39), Panel4 (72), the grid's insets (3) and
# its title row (21); rows of 21 pixels.
readonly GRID_TOP=$((39 + 72 + 3 + 21)) ROW_HEIGHT=21
# A point in the pane's text, from the bottom of the window: above the button strip (about 45 pixels) and
# the status line (about 20), under the text's last line.
readonly PANE_TEXT_FROM_BOTTOM=130
readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60}
# The background of a marked match in the pane, and of the match Up and Down went to.
readonly MARK=rgb:ff/f1/76 CURRENT=rgb:ff/a7/26
readonly TEXT_FILE=회원목록_미리보기.txt CSV_FILE=명부_미리보기.csv

open_work


# The demo's documents, each listed in the result file by the line the demo writes for it; the manifest
# names, per document, the summary its contents call for.
mkdir -p "$work/C" "$work/D" "$work/xdg/data" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
printf '파일명,개인정보종류,검출수,경로\r\n' | iconv -f UTF-8 -t CP949 >"$work/C/result.csv"
"$make_docs" "$work" --manifest >"$work/manifest.txt" 2>/dev/null || fail "the demo documents were not written"
export VEKSECURITY_DRIVE_C=$work/C VEKSECURITY_DRIVE_D=$work/D VEKSECURITY_TERMINAL=none
export XDG_DATA_HOME=$work/xdg/data XDG_RUNTIME_DIR=$work/xdg/runtime
unset WAYLAND_DISPLAY

# A demo file's row in the list (the result file's order), its host path, text (UTF-8), expected summary
# and the hit count its line in the result file gives.
row_of() { iconv -f CP949 -t UTF-8 "$work/C/result.csv" | tail -n +2 | grep -n "^$1," | cut -d: -f1 | awk '{print $1 - 1}'; }
path_of() { awk -F'\t' -v name="$1" '{ n = split($1, p, "/"); if (p[n] == name) print $1 }' "$work/manifest.txt"; }
summary_of() { awk -F'\t' -v name="$1" '{ n = split($1, p, "/"); if (p[n] == name) print $2 }' "$work/manifest.txt"; }
hits_of() { iconv -f CP949 -t UTF-8 "$work/C/result.csv" | grep "^$1," | cut -d, -f3; }

# A number with the digits whose index (counting digits only) is in [FROM, TO) replaced by "*".
mask_digits() {
  awk -v s="$1" -v from="$2" -v to="$3" 'BEGIN {
    out = ""; d = 0
    for (i = 1; i <= length(s); i++) {
      c = substr(s, i, 1)
      if (c ~ /[0-9]/) { out = out ((d >= from && d < to) ? "*" : c); d++ } else out = out c
    }
    print out }'
}
# "NUMBER<TAB>MASKED" for every number of the kinds the demo writes, as its owner wants it shown: the
# identifying digits hidden, the rest kept so the reader can tell which record it is.
expected_masks() {
  local text=$1 n
  local LC_ALL=C
  for n in $(grep -oP '\b\d{6}-[1-8]\d{6}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 7 13)"; done
  for n in $(grep -oP '\bM\d{8}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 4 8)"; done
  for n in $(grep -oP '\b\d{2}-\d{2}-\d{6}-\d{2}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 4 10)"; done
  for n in $(grep -oP '\b\d{4}-\d{4}-\d{4}-\d{4}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 6 12)"; done
  for n in $(grep -oP '\b01\d-\d{4}-\d{4}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 3 7)"; done
  for n in $(grep -oP '\b02-\d{3}-\d{4}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 2 5)"; done
  for n in $(grep -oP '\b\d{3}-\d{3}-\d{6}\b' <<<"$text"); do printf '%s\t%s\n' "$n" "$(mask_digits "$n" 3 10)"; done
}

start_own_xvfb
export QT_QPA_PLATFORM=xcb

main_window=""
main_window_shown() {
  main_window=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -n1 || true)
  [ -n "$main_window" ]
}
shot() { xwd -silent -id "$main_window" | xwdtopnm 2>/dev/null >"$work/shot.ppm"; }
# Pixels of a colour in the lower half of the window (where the pane opens under the list).
pixels_of() {
  shot || return 1
  local w h
  read -r w h < <(head -n 2 "$work/shot.ppm" | tail -n 1)
  local half=$((h / 2))
  local rest
  rest=$(pamcut -top "$half" "$work/shot.ppm" | ppmcolormask "$1" | pamsumm -sum -brief)
  echo $((w * (h - half) - rest))
}
pane_marks_shown() { [ "$(pixels_of "$MARK")" -gt 50 ]; }
current_mark_shown() { [ "$(pixels_of "$CURRENT")" -gt 20 ]; }
pane_gone() { [ "$(pixels_of "$MARK")" -eq 0 ]; }
# The list's rows as painted (a checksum of the grid's part of the window above the pane).
list_rows() { shot && pamcut -top "$GRID_TOP" -height $((8 * ROW_HEIGHT)) "$work/shot.ppm" | cksum; }

# What the focused widget holds, selected whole and copied as a person copies it.
copy_focused() {
  rm -f "$work/clip.txt"
  xdotool key ctrl+a ctrl+c
  sleep 0.2
  "$clipboard_text" >"$work/clip.txt" 2>/dev/null || true
}
# The pane's text: a click into it, then Ctrl+A and Ctrl+C.
copy_pane_text() {
  xdotool mousemove --window "$main_window" 300 $((HEIGHT - PANE_TEXT_FROM_BOTTOM)) click 1
  sleep 0.2
  copy_focused
}
text_holds_masks() {
  copy_pane_text
  local number masked
  while IFS=$'\t' read -r number masked; do
    grep -qF -- "$masked" "$work/clip.txt" || return 1
  done <"$work/expected.txt"
}

# The pane on one demo file: every number masked and none whole in its text; the summary and the count
# line as the file and its line in the result file call for.
check_pane_on() {
  local name=$1 text
  case $name in
  *.txt) text=$(iconv -f CP949 -t UTF-8 "$(path_of "$name")") ;;
  *) text=$(cat "$(path_of "$name")") ;;
  esac
  expected_masks "$text" >"$work/expected.txt"
  [ "$(wc -l <"$work/expected.txt")" -ge 3 ] || fail "the demo's $name holds fewer numbers than it should"
  wait_for "the masked numbers of $name in the pane" text_holds_masks
  cp "$work/clip.txt" "$work/pane_text.txt"
  local number masked
  while IFS=$'\t' read -r number masked; do
    ! grep -qF -- "$number" "$work/pane_text.txt" || fail "the pane shows $number whole:"$'\n'"$(cat "$work/pane_text.txt")"
  done <"$work/expected.txt"
  # Shift+Tab: the summary line, then the count line.
  xdotool key shift+Tab
  copy_focused
  [ "$(cat "$work/clip.txt")" = "$(summary_of "$name")" ] ||
    fail "the summary of $name reads \"$(cat "$work/clip.txt")\", not \"$(summary_of "$name")\""
  xdotool key shift+Tab
  copy_focused
  local hits
  hits=$(hits_of "$name")
  [ "$(cat "$work/clip.txt")" = "검사 결과 ${hits}건 · 지금 ${hits}건" ] ||
    fail "the count line of $name reads \"$(cat "$work/clip.txt")\", not \"검사 결과 ${hits}건 · 지금 ${hits}건\""
}

"$exe" "$work/C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the main window" main_window_shown
xdotool windowfocus --sync "$main_window"
eval "$(xdotool getwindowgeometry --shell "$main_window")" # X, Y, WIDTH, HEIGHT
sleep 0.5
[ "$(pixels_of "$MARK")" -eq 0 ] || fail "the window shows marks before the pane was asked for"

# A click on the text file's row selects it; F9 opens the pane on it.
row=$(row_of "$TEXT_FILE")
[ -n "$row" ] || fail "the result file does not list $TEXT_FILE"
xdotool mousemove --window "$main_window" 150 $((GRID_TOP + row * ROW_HEIGHT + ROW_HEIGHT / 2)) click 1
xdotool key F9
wait_for "the pane with the file's matches marked" pane_marks_shown
check_pane_on "$TEXT_FILE"

# Up and Down in the pane's text: from match to match, the list's row stays where it was.
xdotool mousemove --window "$main_window" 300 $((HEIGHT - PANE_TEXT_FROM_BOTTOM)) click 1
sleep 0.3
rows_before=$(list_rows)
xdotool key Down Down Down Up
wait_for "the current match marked" current_mark_shown
sleep 0.5
[ "$(list_rows)" = "$rows_before" ] || fail "Up and Down in the pane moved the list"
copy_pane_text
cmp -s "$work/clip.txt" "$work/pane_text.txt" || fail "the pane left $TEXT_FILE after Up and Down in it"

# Down in the list: the next row, the demo's CSV, and the pane follows it.
[ "$(row_of "$CSV_FILE")" = $((row + 1)) ] || fail "$CSV_FILE does not follow $TEXT_FILE in the result file"
xdotool mousemove --window "$main_window" 150 $((GRID_TOP + row * ROW_HEIGHT + ROW_HEIGHT / 2)) click 1
sleep 0.3
xdotool key Down
check_pane_on "$CSV_FILE"

xdotool key F9
wait_for "the pane to close" pane_gone
echo "PASS: F9 opens the preview on the selected demo row; its text shows every number masked and none whole, its summary and count line match the file, Up and Down in it keep the list's row, the pane follows Down in the list and F9 closes it"
