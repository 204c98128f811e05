#!/usr/bin/env bash
# 완전삭제 in a real window: three of four listed files ticked with Space and Down, the delete button by its
# shortcut, the question's "완전삭제(복구 불가)" box checked from the keyboard, the question copied with Ctrl+C
# and Yes; then "확인서 보기" in the summary. Checks that the question, read from the clipboard, shows what the
# medium of the files can promise (on anything but ext2/3/4 or XFS, "덮어쓰기로 복구 불가를 보장할 수
# 없습니다" with its reason), that the files are gone, that the next Space ticks the row left (the list has the focus
# back; the scanner's download does not start), that the 확인서 was written and opened and names the three
# files, that `VekSecurity --verify-log` finds the action log whole, and that it names the line once one
# character of the log is changed.
#
#   shred_and_report.sh VEKSECURITY CLIPBOARD_TEXT   (vekbatch must lie beside VEKSECURITY; CLIPBOARD_TEXT
#                                                     prints the display's clipboard)
#
# Runs its own Xvfb; everything it writes lives in a fresh temporary folder removed on every way out. Exit
# code 77 (a skip for CTest) when Xvfb, xauth, xdotool or pdftotext is missing.
set -euo pipefail

exe=${1:?usage: shred_and_report.sh VEKSECURITY CLIPBOARD_TEXT}
clipboard_text=${2:?usage: shred_and_report.sh VEKSECURITY CLIPBOARD_TEXT}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
need_tools Xvfb xauth xdotool pdftotext xwd xwdtopnm
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
clipboard_text=$(cd "$(dirname "$clipboard_text")" && pwd)/$(basename "$clipboard_text")

readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60}
open_work


# --- three documents with personal information, listed by a result file --------------------------------
C=$work/C D=$work/D
mkdir -p "$C" "$D/고객" "$work/xdg/data" "$work/xdg/config" "$work/xdg/cache" "$work/xdg/runtime" "$work/bin"
chmod 700 "$work/xdg/runtime"
names=(명단.xlsx 연락처.txt 계좌.csv)
readonly KEPT=남김.txt
{
  printf '파일명,개인정보종류,검출수,경로,검사일시,비고\r\n'
  for i in "${!names[@]}"; do
    head -c $((4096 * (i + 1))) /dev/urandom >"$D/고객/${names[$i]}"
    printf '%s,주민등록번호,%d,D:\\고객,2026-12-01 10:00,\r\n' "${names[$i]}" $((i + 2))
  done
  printf 'kept' >"$D/고객/$KEPT"
  printf '%s,주민등록번호,9,D:\\고객,2026-12-01 10:00,\r\n' "$KEPT"
} | iconv -f UTF-8 -t CP949 >"$C/result.csv"

# The desktop's opener is replaced by one that notes what it was asked to open.
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH
export VEKSECURITY_DRIVE_C=$C VEKSECURITY_DRIVE_D=$D
unset VEKSECURITY_TERMINAL WAYLAND_DISPLAY
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config XDG_CACHE_HOME=$work/xdg/cache
export XDG_RUNTIME_DIR=$work/xdg/runtime

start_own_xvfb
export QT_QPA_PLATFORM=xcb
"$exe" "$C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!

windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
main_window=""
main_window_shown() {
  main_window=$(windows_titled "$TITLE" | head -n1)
  [ -n "$main_window" ]
}
wait_for "the main window" main_window_shown
readonly BOX_TITLE=$(basename "$exe")
box=""
other_box_shown() {
  box=$(windows_titled "$BOX_TITLE" | grep -vx "${1:-none}" | head -n1)
  [ -n "$box" ]
}
box_gone() { ! windows_titled "$BOX_TITLE" | grep -qx "$1"; }

# --- tick the first three from the keyboard, then the delete button by its shortcut ------------------------
xdotool windowfocus --sync "$main_window"
eval "$(xdotool getwindowgeometry --shell "$main_window")" # X, Y, WIDTH, HEIGHT
# The window's layout from its top: Panel1 (39), Panel4 (72), the grid's inset (3), the title row (21), rows of
# 21; the indicator column (21) and the tick column (26).
tick_x=$((3 + 21 + 13))
tick_y() { echo $((39 + 72 + 3 + 21 + $1 * 21 + 10)); }
tick_box() { region $((tick_x - 7)) $(($(tick_y "$1") - 7)) 14 14; }
box_differs_from() { snap && [ "$(tick_box "$1")" != "$2" ]; }
# The list takes the keys once it holds the focus: a click on its first data row's name.
xdotool mousemove --window "$main_window" 120 "$(tick_y 0)" click 1
sleep 0.5
xdotool key space Down space Down space
xdotool key alt+5
wait_for "the delete question" other_box_shown
question=$box
xdotool windowfocus --sync "$question"
# No is the default button and holds the focus; the check box follows the buttons.
xdotool key Tab space
sleep 0.3
# What the medium can promise, read on screen: the question copied as a user copies a message box.
xdotool key ctrl+c
sleep 0.3
"$clipboard_text" >"$work/question.txt" 2>/dev/null || fail "Ctrl+C in the question put no text on the clipboard"
grep -qF '[v] 완전삭제(복구 불가)' "$work/question.txt" || fail "the question's box is not checked:"$'\n'"$(cat "$work/question.txt")"
grep -qF '완전삭제는 파일의 내용을 덮어쓴 뒤 지웁니다.' "$work/question.txt" ||
  fail "the question does not show the medium note:"$'\n'"$(cat "$work/question.txt")"
case $(stat -f -c %T "$D/고객") in
ext2/ext3 | xfs) ;; # a local rotational disk may keep the promise; the note says which
*)
  grep -qE '덮어쓰기로 복구 불가를 보장할 수 없습니다: .+ \(3개\)' "$work/question.txt" ||
    fail "the question does not say, with its reason, that the overwrite cannot be promised:"$'\n'"$(cat "$work/question.txt")"
  ;;
esac
xdotool key alt+y
wait_for "the question to close" box_gone "$question"
wait_for "the summary" other_box_shown "$question"
summary=$box
xdotool windowfocus --sync "$summary"
# OK holds the focus; "확인서 보기" follows it.
xdotool key Tab space
wait_for "the summary to close" box_gone "$summary"
wait_for "the 확인서 to be opened" test -s "$work/opened"

# The list has the focus back: Space ticks the row left, and does not press "1.보안점검".
sleep 0.5 # the list repaints without the rows taken out
snap
before_space=$(tick_box 0)
xdotool key space
wait_for "Space to tick the row left" box_differs_from 0 "$before_space"
! grep -q '^https' "$work/opened" || fail "Space started the scanner's download instead of ticking the row"

# --- the files are gone, the 확인서 names them, the log is whole and a change in it is found --------------------
for n in "${names[@]}"; do [ ! -e "$D/고객/$n" ] || fail "still there after 완전삭제: $n"; done
[ "$(cat "$D/고객/$KEPT")" = kept ] || fail "the file not ticked was touched"
report=$(head -n1 "$work/opened")
report=${report#file://}
report=$(printf '%b' "${report//%/\\x}") # the address is percent-encoded
[ -f "$report" ] || fail "the 확인서 opened is not a file: $report"
text=$(pdftotext -raw "$report" - | tr -d '\n')
for n in "${names[@]}"; do grep -qF "$n" <<<"$text" || fail "the 확인서 does not name $n:"$'\n'"$text"; done
grep -qF "완전삭제" <<<"$text" || fail "the 확인서 does not name the method"
log=$XDG_DATA_HOME/VekSecurity/actions.csv
[ "$(grep -c '완전삭제' "$log")" = 3 ] || fail "the action log does not hold three 완전삭제 records:"$'\n'"$(cat "$log")"
"$exe" --verify-log >"$work/verify.txt" 2>&1 || fail "--verify-log finds the log broken:"$'\n'"$(cat "$work/verify.txt")"
sed -i '3s/주민등록번호/주민등록번호 /' "$log"
if "$exe" --verify-log >"$work/verify.txt" 2>&1; then fail "--verify-log did not find the changed line"; fi
grep -q '3행이 바뀌었습니다' "$work/verify.txt" || fail "--verify-log does not name the changed line:"$'\n'"$(cat "$work/verify.txt")"

echo "PASS: three files ticked from the keyboard were shredded after the question's box was checked and its" \
  "medium note was copied from the screen; the next" \
  "Space ticked the row left; the 확인서 names them; --verify-log finds the log whole and then names the changed line"
