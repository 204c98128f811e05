#!/usr/bin/env bash
# Renders the document manager on the demo sandbox (under Xvfb when xvfb-run is there, else off screen),
# the cell sheet and the grid sheet with two builds, and compares their pixels. Exit 0 when every pair is
# identical.
#   tests/grid/tools/compare_screens.sh OLD_BUILD_DIR NEW_BUILD_DIR [KEEP_DIR]
# Each build folder must hold VekSecurity, cell_sheet and grid_sheet. KEEP_DIR keeps the PNG files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
old=${1:?usage: compare_screens.sh OLD_BUILD_DIR NEW_BUILD_DIR [KEEP_DIR]}
new=${2:?usage: compare_screens.sh OLD_BUILD_DIR NEW_BUILD_DIR [KEEP_DIR]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=${3:-$work}
mkdir -p "$out"
"$root/samples/make_demo.sh" "$work/demo" >/dev/null
export VEKSECURITY_DRIVE_C="$work/demo/C" VEKSECURITY_DRIVE_D="$work/demo/D"

render() {
  if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  else
    QT_QPA_PLATFORM=offscreen "$@"
  fi
}

for side in old new; do
  dir=${!side}
  # Each run starts without saved column widths or records.
  XDG_DATA_HOME="$work/data-$side" render "$dir/VekSecurity" --screenshot "$out/$side-window.png" \
    "$work/demo/C/result.csv" >/dev/null
  render "$dir/cell_sheet" "$out/$side-cells.png" >/dev/null
  render "$dir/grid_sheet" "$out/$side-grids.png" >/dev/null
done

status=0
for shot in window cells grids; do
  pngtopnm "$out/old-$shot.png" >"$work/old-$shot.pnm"
  pngtopnm "$out/new-$shot.png" >"$work/new-$shot.pnm"
  size=$(head -c 64 "$work/new-$shot.pnm" | sed -n 2p)
  if cmp -s "$work/old-$shot.pnm" "$work/new-$shot.pnm"; then
    echo "$shot ($size): identical"
  else
    echo "$shot ($size): DIFFERENT"
    status=1
  fi
done
exit $status
