#!/usr/bin/env bash
# The document manager in a real window: ticks four rows by clicking their "C" cells (two of them mirror to
# one backup file, spelled differently), presses the move button, answers Yes, acknowledges the notice
# naming the lower of those two and the one summary that ends the run, and checks that the batch ran, that
# exactly the three files moved are now in the backup folder (C:\보안예비자료 followed by each file's folder
# without its drive) and that every other file is untouched; then changes one backup copy, puts the files
# back with "되돌리기" and checks that every other file is where it was, byte for byte, and the changed copy
# stayed in the backup folder.
#
#   move_ticked_files.sh VEKSECURITY      (vekbatch must lie beside VEKSECURITY)
#
# Runs its own Xvfb with its own authority cookie; everything it writes lives in a fresh temporary folder
# that is removed, with Xvfb and the program, on every way out. Exit code 77 (a skip for CTest) when Xvfb,
# xauth or xdotool is missing. Every wait polls for a condition with a deadline; nothing waits for a fixed
# time, but for the double-click interval between two single clicks on one cell.
set -euo pipefail

exe=${1:?usage: move_ticked_files.sh VEKSECURITY}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool xwd xwdtopnm
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
[ -x "$(dirname "$exe")/vekbatch" ] || { echo "FAIL: no vekbatch beside $exe"; exit 1; }

# --- the window's layout, in pixels from the top left of the window's client area ------------------------
# The window has no frame of its own under a bare X server, so the client area starts at the window's
# position. From the top: Panel1 (39) and Panel4 (72), then Panel3 holding the grid; at the bottom Panel2
# (39) with the move button above the status bar.
readonly PANEL1_HEIGHT=39 PANEL4_HEIGHT=72 PANEL2_HEIGHT=39
# Panel3's frame (1), its layout margin (1) and the grid's own frame (1) lie between Panel3's edge and the
# first pixel of the grid's cells.
readonly GRID_INSET=3
# Mgr_grid: the indicator column (Indicators().Width()), the title row, the data rows, column "C".
readonly INDICATOR_WIDTH=21 TITLE_HEIGHT=21 ROW_HEIGHT=21 TICK_COLUMN_WIDTH=26
# BitBtn4 (230 x 27) is the first button of Panel2, after the frame (1) and the layout margin (8), centred
# in the strip. The status bar's height follows its font (22 pixels with the Nanum fonts); the button is
# 27 pixels tall, so aiming at the middle of the strip hits it for any status bar between 9 and 35 pixels.
readonly MOVE_BUTTON_LEFT=9 MOVE_BUTTON_WIDTH=230 STATUS_BAR_HEIGHT=22

readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60} # seconds, for each wait

open_work


# --- the sandbox: two drives with documents in nested folders and a result file listing six of them ----
C=$work/C D=$work/D
mkdir -p "$C" "$D" "$work/xdg/data" "$work/xdg/config" "$work/xdg/cache" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
# Windows folder | file name; the result file lists them in this order, so row r is line r.
entries=(
  'C:\문서\2024\인사팀|급여대장 2024.xlsx'
  'C:\문서\2024\인사팀|연락처.txt'
  'D:\업무자료\영업부\고객 명단|고객명단_1.xlsx'
  'D:\업무자료\영업부\고객 명단|견적서 (최종).hwp'
  'D:\공유|회원목록.csv'
  'C:\Users\홍길동\Desktop\설문 결과|설문응답.docx'
  'C:\겹침|같은.txt'
  'D:\겹침\|같은.txt'
)
# Rows 6 and 7 mirror to one backup file, spelled differently (a trailing separator): the upper one is moved,
# the lower one is left out before the batch is written.
readonly TICKED=(1 3 6 7) MOVED=(1 3 6) LEFT_OUT=7
host_path() { # Windows path -> host path in the sandbox
  local drive=${1:0:1} rest=${1:3}
  printf '%s/%s/%s' "$work" "$drive" "${rest//\\//}"
}
{
  printf '파일명,개인정보종류,검출수,경로,검사일시,비고\r\n'
  for i in "${!entries[@]}"; do
    folder=${entries[$i]%%|*} name=${entries[$i]#*|}
    mkdir -p "$(host_path "$folder")"
    printf '문서 %d: %s\n' "$i" "$name" >"$(host_path "$folder")/$name"
    hits=$((i < 6 ? i * 7 + 3 : 1)) # the last two never have the most hits
    printf '%s,주민등록번호,%d,%s,2026-12-01 10:%02d,\r\n' "$name" "$hits" "$folder" "$i"
  done
} | iconv -f UTF-8 -t CP949 >"$C/result.csv"

export VEKSECURITY_DRIVE_C=$C VEKSECURITY_DRIVE_D=$D VEKSECURITY_TERMINAL=none
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config XDG_CACHE_HOME=$work/xdg/cache
export XDG_RUNTIME_DIR=$work/xdg/runtime
unset WAYLAND_DISPLAY

# The rows the window will list, in order: the program's own listing of the file with the window's
# default filters.
listed=$("$exe" --list "$C/result.csv" | cut -d, -f1)
expected=$(for e in "${entries[@]}"; do echo "${e#*|}"; done)
[ "$listed" = "$expected" ] || fail "the file lists other rows than expected:"$'\n'"$listed"

# Every file with its checksum, relative to the sandbox, the backup folder and the batch files left out.
snapshot() {
  (cd "$work" && find C D -type f ! -path 'C/보안예비자료/*' ! -name 'batchmove.*' -print0 |
    sort -z | xargs -0 md5sum)
}
before=$(snapshot)

# --- an X server of our own ------------------------------------------------------------------------------
start_own_xvfb
export QT_QPA_PLATFORM=xcb

# --- the program on the result file ----------------------------------------------------------------------
"$exe" "$C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!

# Visible windows with this exact title.
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
main_window=""
main_window_shown() {
  main_window=$(windows_titled "$TITLE" | head -n1)
  [ -n "$main_window" ]
}
wait_for "the main window" main_window_shown

# The program's message boxes carry its executable's name as their title.
readonly BOX_TITLE=$(basename "$exe")
box=""
box_shown() {
  box=$(windows_titled "$BOX_TITLE" | head -n1)
  [ -n "$box" ]
}
box_gone() { ! windows_titled "$BOX_TITLE" | grep -qx "$1"; }

eval "$(xdotool getwindowgeometry --shell "$main_window")" # WIDTH, HEIGHT
click_at() { xdotool mousemove --window "$main_window" "$1" "$2" click 1; }

grid_left=$GRID_INSET
grid_top=$((PANEL1_HEIGHT + PANEL4_HEIGHT + GRID_INSET))
tick_x=$((grid_left + INDICATOR_WIDTH + TICK_COLUMN_WIDTH / 2))
tick_y() { echo $((grid_top + TITLE_HEIGHT + $1 * ROW_HEIGHT + ROW_HEIGHT / 2)); }
move_x=$((MOVE_BUTTON_LEFT + MOVE_BUTTON_WIDTH / 2))
move_y=$((HEIGHT - STATUS_BAR_HEIGHT - PANEL2_HEIGHT / 2))

# The program loads its file while its window first shows; a click taken in that moment could land on
# the empty grid. A first press of the move button, answered No, is served by the event loop only after
# the load, so once its question has come and gone, the rows are there.
click_at "$move_x" "$move_y"
wait_for "the question of the move button (a first press, answered No)" box_shown
xdotool windowfocus --sync "$box"
xdotool key alt+n
wait_for "the question to close after No" box_gone "$box"
[ ! -e "$C/batchmove.bat" ] || fail "the move batch was written although the question was answered No"

# --- pixels: the tick box of the current row shows its state after every click ---------------------------
# A rectangle of the screen (snap, region: x_session.sh) as text, to compare two moments.
tick_box() { region $((tick_x - 7)) $(($(tick_y "$1") - 7)) 14 14; }
box_differs_from() { snap && [ "$(tick_box "$1")" != "$2" ]; }
box_equals() { snap && [ "$(tick_box "$1")" = "$2" ]; }

# Row 0 is current after the load. A click on its name gives the grid the focus and changes no tick; then
# three clicks on its "C" cell: each must show the new state at once (the second and third land on the
# current cell). A picture is taken once two snapshots agree. Between two clicks on one cell the test waits
# the double-click interval, so that they are two single clicks.
settled=""
box_settled() {
  local previous=$settled
  snap
  settled=$(tick_box 0)
  [ "$settled" = "$previous" ]
}
click_at $((tick_x + TICK_COLUMN_WIDTH)) "$(tick_y 0)"
wait_for "the focused grid to be painted" box_settled
unticked=$settled
click_at "$tick_x" "$(tick_y 0)"
wait_for "the first tick to be painted" box_differs_from 0 "$unticked"
settled=""
wait_for "the first tick's picture to settle" box_settled
ticked=$settled
sleep 0.5
click_at "$tick_x" "$(tick_y 0)"
wait_for "the tick of the current cell to be painted away" box_differs_from 0 "$ticked"
sleep 0.5
click_at "$tick_x" "$(tick_y 0)"
wait_for "the tick of the current cell to be painted again" box_equals 0 "$ticked"
sleep 0.5
click_at "$tick_x" "$(tick_y 0)"
wait_for "the tick of the current cell to be painted away again" box_differs_from 0 "$ticked"
# A click on the indicator column (as if to size a row) makes row 4 current and ticks nothing: the move
# below must take rows 1 and 3 only.
click_at $((grid_left + 3)) "$(tick_y 4)"
click_at $((grid_left + 3)) "$(tick_y 2)"

# --- tick two rows, move, Yes, the notice ----------------------------------------------------------------
for r in "${TICKED[@]}"; do click_at "$tick_x" "$(tick_y "$r")"; done
click_at "$move_x" "$move_y"
wait_for "the question of the move button" box_shown
xdotool windowfocus --sync "$box"
xdotool key Return # Yes is the default button
wait_for "the question to close after Yes" box_gone "$box"
# The batch runs in the window; when it has ended, its summary comes, then the closing notice.
acknowledge() { # DESCRIPTION: waits for a box other than the last one, reads nothing, presses Return
  local previous=$box
  other_box_shown() { box_shown && [ "$box" != "$previous" ]; }
  wait_for "$1" other_box_shown
  xdotool windowfocus --sync "$box"
  xdotool key Return
  wait_for "$1 to close" box_gone "$box"
}
acknowledge "the notice naming the row left out"
# One box ends a run that has finished: the summary holds the closing notice.
acknowledge "the summary of the move"

# --- the batch ran, and moved exactly the two ticked files -----------------------------------------------
wait_for "batchmove.log beside the batch file" test -s "$C/batchmove.log"
grep -q '^종료 코드 0$' "$C/batchmove.log" || fail "the batch reported failures:"$'\n'"$(cat "$C/batchmove.log")"

backup=$C/보안예비자료
expected_backup=""
moved_sources=()
for r in "${MOVED[@]}"; do
  folder=${entries[$r]%%|*} name=${entries[$r]#*|}
  tail=${folder:3}
  target=$backup/${tail//\\//}/$name
  source=$(host_path "$folder")/$name
  [ -f "$target" ] || fail "not in the backup folder: $target"
  [ ! -e "$source" ] || fail "still in its place: $source"
  grep -qxF "$(md5sum <"$target" | cut -d' ' -f1)  ${source#"$work"/}" <<<"$before" ||
    fail "moved with another content: $target"
  expected_backup+="${target#"$work"/}"$'\n'
  moved_sources+=("${source#"$work"/}")
done
actual_backup=$(cd "$work" && find "${backup#"$work"/}" -type f | sort)
[ "$actual_backup" = "$(printf '%s' "$expected_backup" | sort)" ] ||
  fail "the backup folder holds other files:"$'\n'"$actual_backup"

# Everything else is as it was.
after=$(snapshot)
untouched=$(grep -v -F -f <(printf '  %s\n' "${moved_sources[@]}") <<<"$before")
[ "$after" = "$untouched" ] || fail "other files changed:"$'\n'"$(diff <(echo "$untouched") <(echo "$after"))"

left_out=$(host_path "${entries[$LEFT_OUT]%%|*}")/${entries[$LEFT_OUT]#*|}
[ -f "$left_out" ] || fail "the row left out was moved: $left_out"

# --- "되돌리기": the files of the last move go back, byte for byte, but for one changed since -----------------
# Row 3's backup copy is changed after the move: it is not the file the move left there, so it stays.
folder=${entries[3]%%|*} name=${entries[3]#*|}
tail=${folder:3}
changed_copy=$backup/${tail//\\//}/$name
changed_source=$(host_path "$folder")/$name
printf 'changed\n' >>"$changed_copy"
# The restore button stands at the right end of Panel2 before "미리보기" (frame 1, layout margin 8, both 110
# wide, 10 apart).
readonly RESTORE_BUTTON_WIDTH=110 PREVIEW_BUTTON_WIDTH=110
click_at $((WIDTH - 9 - PREVIEW_BUTTON_WIDTH - 10 - RESTORE_BUTTON_WIDTH / 2)) "$move_y"
menu_shown() { xdotool search --onlyvisible --class "VekSecurity" 2>/dev/null | grep -vx "$main_window" | grep -q .; }
wait_for "the restore menu" menu_shown
xdotool key Down Return # its first entry: the last move
acknowledge "the question of the restore"
acknowledge "the summary of the restore"
restored=$(snapshot)
expected_restored=$(grep -v -F "  ${changed_source#"$work"/}" <<<"$before")
[ "$restored" = "$expected_restored" ] ||
  fail "the restore did not put back exactly the unchanged files:"$'\n'"$(diff <(echo "$expected_restored") <(echo "$restored"))"
left=$(cd "$work" && find C/보안예비자료 -type f | sort)
[ "$left" = "${changed_copy#"$work"/}" ] || fail "the backup folder after the restore holds other than the changed copy:"$'\n'"$left"

# --- sort by hits with a title click, tick the top row with Space, move it --------------------------------
# The hits title is the fourth column's (indicator, "C", 파일명, 내용, then 수량); two clicks sort descending,
# so the top row is the last entry (the most hits). A click on its name cell makes it current.
readonly NAME_COLUMN_WIDTH=232 KIND_COLUMN_WIDTH=295 HITS_COLUMN_WIDTH=37
hits_x=$((grid_left + INDICATOR_WIDTH + TICK_COLUMN_WIDTH + NAME_COLUMN_WIDTH + KIND_COLUMN_WIDTH + HITS_COLUMN_WIDTH / 2))
title_y=$((grid_top + TITLE_HEIGHT / 2))
click_at "$hits_x" "$title_y"
sleep 0.5 # two single clicks, not a double click
click_at "$hits_x" "$title_y"
click_at $((tick_x + TICK_COLUMN_WIDTH)) "$(tick_y 0)"
snap
before_space=$(tick_box 0)
xdotool key space
wait_for "the tick set by Space to be painted" box_differs_from 0 "$before_space"
click_at "$move_x" "$move_y"
acknowledge "the question of the second move"
acknowledge "the summary of the second move"
last=$((${#entries[@]} - 1))
folder=${entries[$last]%%|*} name=${entries[$last]#*|}
tail=${folder:3}
[ -f "$backup/${tail//\\//}/$name" ] || fail "the row with the most hits was not moved: $name"
# Besides the changed copy, the backup folder holds the row ticked with Space and the row left out before,
# still ticked, whose file no longer meets another.
moved_files=$(cd "$work" && find C/보안예비자료 -type f | wc -l)
[ "$moved_files" = 3 ] || fail "the second move moved $((moved_files - 1)) files, not the one ticked with Space and the one still ticked"
[ ! -e "$left_out" ] || fail "the row still ticked was not moved the second time: $left_out"

echo "PASS: the current row's tick painted at once; rows ${MOVED[*]} moved to the backup folder and back but for a changed copy, row $LEFT_OUT left out;" \
  "$(wc -l <<<"$after") other files untouched; sorted by hits, the top row ticked with Space and moved"
