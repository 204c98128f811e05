# Shared pieces of the end-to-end tests that drive a window on an X server of their own. Source it first;
# the waits read TIMEOUT (seconds per wait), set by the script.
#
#   need_tools TOOL... exits 77 (a skip for CTest) naming the first tool that is not installed
#   open_work          a fresh temporary folder in `work`, removed with the program (prog_pid) and Xvfb
#                      (xvfb_pid) on every way out; scripts that keep their own cleanup set `work` themselves
#   start_own_xvfb     an Xvfb on a display number of its own with its own authority cookie (DISPLAY,
#                      XAUTHORITY and xvfb_pid set); fails after ten tries
#   wait_for WHAT CMD  polls CMD until it succeeds, or fails the test after TIMEOUT
#   fail MESSAGE       prints the message with the program's and Xvfb's output, exits 1
#   stop_pid PID       kills and reaps a child, quietly
#   snap               the screen as a binary PPM in $work/snap.ppm (xwd, xwdtopnm, pamdepth)
#   region X Y W H     a rectangle of the last snap, in window coordinates (the window at $X,$Y), as text

fail() {
  echo "FAIL: $*"
  if [ -f "$work/program.log" ]; then
    echo "--- program output"
    cat "$work/program.log"
  fi
  if [ -s "$work/xvfb.log" ]; then
    echo "--- Xvfb output"
    cat "$work/xvfb.log"
  fi
  exit 1
}

wait_for() {
  local what=$1 deadline=$((SECONDS + TIMEOUT))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
    # The program may end between the test above and this one: the test is asked once more before failing.
    [ -z "${prog_pid:-}" ] || kill -0 "$prog_pid" 2>/dev/null || "$@" || fail "the program ended while waiting for $what"
    sleep 0.1
  done
}

stop_pid() {
  [ -n "$1" ] || return 0
  if kill "$1" 2>/dev/null; then wait "$1" 2>/dev/null; fi
  return 0
}

# A server given its number takes the display's lock before it creates its socket, so it fails cleanly on
# a display in use, while one that searches for a free number (-displayfd) can take over the socket of a
# server starting at the same moment. Numbers are drawn from a high range that other servers seldom use.
_start_xvfb_once() {
  export DISPLAY=:$((200 + RANDOM % 700))
  xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$_x_cookie" 2>/dev/null
  # -noreset: by default the server resets when its last client leaves, and a client connecting during
  # the reset (the program, right after the readiness probe below disconnects) is refused.
  Xvfb "$DISPLAY" -auth "$XAUTHORITY" -screen 0 1600x1000x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local deadline=$((SECONDS + TIMEOUT))
  # The server that answers must be ours: the display's lock file names the process that holds it (a
  # server already there, without an authority of its own, would answer our client too).
  local lock=/tmp/.X${DISPLAY#:}-lock
  until xdotool getdisplaygeometry >/dev/null 2>&1 && [ "$(tr -d ' \n' <"$lock" 2>/dev/null)" = "$xvfb_pid" ]; do
    kill -0 "$xvfb_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
  kill -0 "$xvfb_pid" 2>/dev/null
}

start_own_xvfb() {
  export XAUTHORITY=$work/Xauthority
  _x_cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  local attempt
  for attempt in $(seq 10); do
    _start_xvfb_once && return 0
    stop_pid "$xvfb_pid"
    xvfb_pid=""
  done
  fail "Xvfb did not start: $(cat "$work/xvfb.log")"
}

snap() { xwd -root -silent | xwdtopnm 2>/dev/null | pamdepth 255 >"$work/snap.ppm"; }

region() {
  local screen_w header_len row
  screen_w=$(head -n 2 "$work/snap.ppm" | tail -n 1 | cut -d' ' -f1)
  header_len=$(head -n 3 "$work/snap.ppm" | wc -c)
  for ((row = 0; row < $4; row++)); do
    od -An -tu1 -v -j $((header_len + ((Y + $2 + row) * screen_w + X + $1) * 3)) -N $(($3 * 3)) "$work/snap.ppm"
  done
}

need_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (the README's apt-get line installs it)"
      exit 77
    fi
  done
}

open_work() {
  work=$(mktemp -d)
  xvfb_pid="" prog_pid=""
  trap _close_work EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

_close_work() {
  local code=$?
  set +e
  stop_pid "$prog_pid"
  stop_pid "$xvfb_pid"
  rm -rf "$work"
  exit "$code"
}
