#!/usr/bin/env bash
# The grid's gallery in a real window, driven as a person drives it: each page is opened by a click on the
# page list, and what its text says to try is done with the mouse and the keys; the values the gallery
# reports (--report) are read back.
#   백만 행     two clicks on the 번호 title turn the million rows round, a click on 이름 puts them in Korean
#              order, one on 금액 by amount; Ctrl+PageDown reaches the last row
#   주문서      text typed into the frozen band's cell; a quantity typed in and the row left: the footer's sum
#              follows; a radio cell moved to 카드 by its arrows: the conditional sum over 카드 follows
#   양식 파일   "다시 저장" writes the description read, byte for byte the file shipped
#   사용자 종류  the slider of the custom kind moved by keys (Home, Right) and stored with Enter; opened by a
#              click on the cell, the handle lands where the mouse pressed
#   한글        where ibus and its Hangul engine are installed, "gksrmf" typed in Hangul mode into an empty
#              name stores 한글; two title clicks sort the names in 가나다 order with the Latin name after
#              them, and back
#
#   gallery.sh GALLERY_PROGRAM
#
# Runs its own Xvfb with its own authority cookie and removes everything on every way out. Exit code 77 (a
# skip for CTest) when Xvfb, xauth or xdotool is missing. Every wait polls for a condition with a deadline.
set -euo pipefail

exe=${1:?usage: gallery.sh GALLERY_PROGRAM}
for tool in Xvfb xauth xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
    exit 77
  fi
done
readonly TIMEOUT=${E2E_TIMEOUT:-60} # seconds, for each wait

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

"$exe" --report --save "$work/saved.form" >"$work/program.log" 2>&1 &
prog_pid=$!
wait_for "the gallery's report" grep -qsx ready "$work/program.log"
window=""
window_shown() {
  window=$(xdotool search --onlyvisible --name '^TMemGrid' 2>/dev/null | head -n1 || true)
  [ -n "$window" ]
}
wait_for "the window" window_shown
xdotool windowfocus --sync "$window"

click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# The last values line of a page, without its head.
values() { grep "^values $1 " "$work/program.log" | tail -n 1 | cut -d' ' -f3-; }
has() { values "$1" | grep -q -- "$2"; }
# One value of a page's last values line: value KEY NAME.
value() { values "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
# The point NAME of the shown page KEY: "X Y".
spot() { grep "^spot $1 $2 " "$work/program.log" | tail -n 1 | awk '{ print $(NF - 1), $NF }'; }
# Opens page N (its key KEY) by a click on its entry in the list and waits until it is shown.
open_page() {
  local n=$1 key=$2 shown x y
  shown=$(grep -c "^shown $key\$" "$work/program.log" || true)
  read -r x y < <(grep "^page $n " "$work/program.log" | awk '{ print $3, $4 }')
  click_at "$x" "$y"
  page_shown() { [ "$(grep -c "^shown $key\$" "$work/program.log")" -gt "$shown" ]; }
  wait_for "the page $key" page_shown
  wait_for "the values of $key" grep -q "^values $key " "$work/program.log"
}
click_spot() { # KEY NAME
  local x y
  read -r x y < <(spot "$1" "$2")
  [ -n "$x" ] || fail "no point '$2' on the page $1"
  click_at "$x" "$y"
}

# --- 백만 행 ---------------------------------------------------------------------------------------------
open_page 1 million
has million "rows=1000000 first=1/" || fail "the million rows do not start at 1: $(values million)"
click_spot million "title 0" # ascending: the order they have
sleep 0.6                    # two clicks, not a double click
click_spot million "title 0"
wait_for "a second click on 번호 to turn the rows round" has million "first=1000000/.* last=1/"
sleep 0.6
click_spot million "title 1"
wait_for "a click on 이름 to sort by name" has million "first=[0-9]*/강.* last=[0-9]*/최"
before=$(values million)
sleep 0.6
click_spot million "title 3"
amounts_sorted() {
  [ "$(values million)" != "$before" ] || return 1
  local a b
  a=$(value million first | cut -d/ -f3)
  b=$(value million second | cut -d/ -f3)
  [ "$a" -le "$b" ]
}
wait_for "a click on 금액 to sort by amount" amounts_sorted
xdotool key ctrl+Next
wait_for "Ctrl+PageDown to reach the last row" has million "current=999999"

# --- 주문서 ----------------------------------------------------------------------------------------------
open_page 0 order
xdotool type --delay 50 "Toner" # the frozen band's current cell: typing opens its editor
xdotool key Return
wait_for "the item typed to be stored" has order "품목0=Toner "
click_spot order "cell 2 0" # 수량 of the first row
xdotool type --delay 50 "20"
xdotool key Return
click_spot order "cell 2 1" # another row: the first one is posted and the footers are computed again
wait_for "the quantity typed to be stored" has order "수량0=20 "
quantity_sum() {
  local sum=0 r
  for r in 0 1 2 3; do sum=$((sum + $(value order "수량$r"))); done
  [ "$(value order 수량합계)" = "$sum" ]
}
wait_for "the quantity's footer to sum the quantities" quantity_sum
click_spot order "cell 10 1" # 결제 of the second row
xdotool key F2 Left Left Return
click_spot order "cell 0 0"
wait_for "the radio's arrows to choose 카드" has order "결제1=카드 "
card_sum() {
  local sum=0 r
  for r in 0 1 2 3; do
    [ "$(value order "결제$r")" != 카드 ] || sum=$((sum + $(value order "금액$r")))
  done
  [ "$(value order 카드 | tr -d ,)" = "$sum" ]
}
wait_for "the conditional footer to sum the amounts paid by card" card_sum

# --- 양식 파일 -------------------------------------------------------------------------------------------
open_page 2 form
click_spot form save
wait_for "다시 저장 to write the description" has form "saves=1 "
has form "identical=yes" || fail "the description written back differs from the one read: $(values form)"
cmp "$work/saved.form" "$(dirname "$exe")/check_list.form" || fail "the saved file is not the shipped one"

# --- 사용자 종류 ------------------------------------------------------------------------------------------
open_page 3 custom
xdotool key F2
wait_for "F2 to open the slider" has custom "editor=1 slider=100 "
xdotool key Home Right Right Right
wait_for "Home and Right to move the slider" has custom "slider=3 "
xdotool key Return
wait_for "Enter to store the slider's value" has custom "editor=0 진행률0=3 "
read -r cx cy cw < <(grep "^spot custom cell 2 " "$work/program.log" | tail -n 1 | awk '{ print $5, $6, $7 }')
click_at "$cx" "$cy" # makes the cell current
sleep 0.6
click_at $((cx + cw * 4 / 10)) "$cy" # 90% of the cell's width: the editor opens with the handle there
wait_for "the click to open the slider" has custom "editor=1 "
landed=$(value custom slider)
[ "$landed" -ge 85 ] && [ "$landed" -le 95 ] || fail "the handle landed at $landed, not near 90"
xdotool key Return
wait_for "Enter to store where the handle landed" has custom "editor=0 .*진행률2=$landed"

# --- 한글 ------------------------------------------------------------------------------------------------
open_page 4 hangul
expected="가은 까미 나래 다온 하윤"
korean="Hangul typing skipped (no ibus with its Hangul engine)"
if [ -n "$hangul" ]; then
  ibus engine hangul
  engine_is_hangul() { [ "$(ibus engine 2>/dev/null)" = hangul ]; }
  wait_for "the Hangul engine" engine_is_hangul
  xdotool key Hangul
  xdotool type --delay 80 gksrmf # into the current empty name, while the grid browses
  xdotool key Return
  xdotool key Hangul
  wait_for "the name typed in Hangul to be stored" has hangul "names=.*,한글$"
  expected="$expected 한글"
  korean="한글 typed through ibus"
fi
# The Hangul names in the order of the rows.
hangul_names() { value hangul names | tr ',' '\n' | grep -v -e '^null$' -e '^[A-Za-z]' | tr '\n' ' ' | sed 's/ $//'; }
reversed=$(echo "$expected" | tr ' ' '\n' | tac | tr '\n' ' ' | sed 's/ $//')
click_spot hangul "title 0"
sorted() { [ "$(hangul_names)" = "$1" ]; }
wait_for "a click on 이름 to sort in 가나다 order" sorted "$expected"
# Korean collation puts Hangul before Latin letters (their code points would put Alice first).
value hangul names | grep -q ',Alice$' || fail "Alice is not after the Hangul names: $(value hangul names)"
sleep 0.6
click_spot hangul "title 0"
wait_for "a second click to sort the names the other way" sorted "$reversed"
value hangul names | grep -q '^Alice,' || fail "Alice does not come first the other way: $(value hangul names)"

xdotool key ctrl+q
finished() { ! kill -0 "$prog_pid" 2>/dev/null; }
wait_for "Ctrl+Q to end the gallery" finished
wait "$prog_pid" || fail "the gallery ended with an error"
prog_pid=""
echo "PASS: five pages opened from the list; the million rows sorted by three titles; the order form's" \
  "footers followed the typed quantity and the radio; the form description written back unchanged; the" \
  "custom slider stored 3 by keys and $landed by the mouse; $korean; names sorted: $expected"
