#!/usr/bin/env bash
# The document manager read by a real accessibility client: under its own Xvfb with a private session bus
# (the AT-SPI bus and registry start on request), the program shows the demo with Qt's AT-SPI bridge on,
# and accessibility_client.py (pyatspi, the system's python3) reads the list as a table: the rows the count
# line names, the column titles as headers, the first row's Korean texts as the result file gives them, the
# seven named text fields; Space ticks the current row (its tick cell reads checked) and Down moves the
# focused cell one row down. Then the grid's gallery on its page of a million rows, opened by a click on
# the page list: the client reads cell (999999, 1), the last row's name as the gallery reports it.
#
#   accessibility.sh VEKSECURITY GRID_GALLERY
#
# Exit code 77 (a skip for CTest) when Xvfb, xauth, xdotool, dbus-launch, the AT-SPI bus or pyatspi is missing.
set -euo pipefail

exe=${1:?usage: accessibility.sh VEKSECURITY GRID_GALLERY}
gallery=${2:?usage: accessibility.sh VEKSECURITY GRID_GALLERY}
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xauth xdotool dbus-launch iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
    exit 77
  fi
done
if [ ! -x /usr/libexec/at-spi-bus-launcher ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "SKIP: the AT-SPI bus or pyatspi is not installed (the README's apt-get line installs them)"
  exit 77
fi
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
gallery=$(cd "$(dirname "$gallery")" && pwd)/$(basename "$gallery")

# The grid's first data row, from the top left of the window's client area: Panel1 (39), Panel4 (72), the
# grid's insets (3) and its title row (21); the middle of a row of 21 pixels. x = 150 lies in 파일명.
readonly GRID_TOP=$((39 + 72 + 3 + 21)) ROW_HEIGHT=21
readonly TITLE="정보보안문서 관리기 1.0"
readonly TIMEOUT=${E2E_TIMEOUT:-60}

work=$(mktemp -d)
xvfb_pid="" prog_pid="" dbus_pid="" listen_pid=""
cleanup() {
  local code=$?
  set +e
  stop_pid "$prog_pid"
  stop_pid "$listen_pid"
  stop_pid "$dbus_pid"
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# shellcheck source=x_session.sh
. "$here/x_session.sh"

bash "$here/../../samples/make_demo.sh" "$work/demo" >/dev/null
mkdir -p "$work/xdg/data" "$work/xdg/config" "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
export VEKSECURITY_DRIVE_C=$work/demo/C VEKSECURITY_DRIVE_D=$work/demo/D VEKSECURITY_TERMINAL=none
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config XDG_RUNTIME_DIR=$work/xdg/runtime HOME=$work
unset WAYLAND_DISPLAY
# The first line of the result file: the list's row 0 (file name and kind).
IFS=, read -r first_name first_kind _ < <(sed -n 2p "$work/demo/C/result.csv" | iconv -f CP949 -t UTF-8)

start_own_xvfb
eval "$(dbus-launch --sh-syntax)"
dbus_pid=$DBUS_SESSION_BUS_PID
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The focus events' listener is on the bus before the program starts, so that the program knows of it.
/usr/bin/python3 "$here/accessibility_client.py" listen "$work/focus.log" &
listen_pid=$!
wait_for "the focus listener" test -e "$work/focus.log.ready"

"$exe" "$work/demo/C/result.csv" >"$work/program.log" 2>&1 &
prog_pid=$!
main_window=""
main_window_shown() {
  main_window=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -n1 || true)
  [ -n "$main_window" ]
}
wait_for "the main window" main_window_shown
xdotool windowfocus --sync "$main_window"
# Row 0's file name: the list takes the focus with its current cell there.
xdotool mousemove --window "$main_window" 150 $((GRID_TOP + ROW_HEIGHT / 2)) click 1

/usr/bin/python3 "$here/accessibility_client.py" list "$prog_pid" "$first_name" "$first_kind" "$work/focus.log" ||
  fail "the accessibility client's checks"

# --- the gallery's million rows ---------------------------------------------------------------------------
stop_pid "$prog_pid" || true # (its wait reports the program's end by the signal)
"$gallery" --report >"$work/gallery.log" 2>&1 &
prog_pid=$!
wait_for "the gallery's report" grep -qsx ready "$work/gallery.log"
gallery_window=""
gallery_shown() {
  gallery_window=$(xdotool search --onlyvisible --name '^TMemGrid' 2>/dev/null | head -n1 || true)
  [ -n "$gallery_window" ]
}
wait_for "the gallery's window" gallery_shown
xdotool windowfocus --sync "$gallery_window"
read -r x y < <(grep "^page 1 " "$work/gallery.log" | awk '{ print $3, $4 }')
xdotool mousemove --window "$gallery_window" "$x" "$y" click 1
wait_for "the page of a million rows" grep -q "^values million " "$work/gallery.log"
# "last=1000000/NAME/AMOUNT": the last row's number, name and amount.
last_name=$(grep "^values million " "$work/gallery.log" | head -n1 | tr ' ' '\n' | sed -n 's/^last=//p' | cut -d/ -f2)
[ -n "$last_name" ] || fail "the gallery reported no last row"
/usr/bin/python3 "$here/accessibility_client.py" cell "$prog_pid" 1000000 999999 1 "$last_name" ||
  fail "the accessibility client's check of the gallery"
