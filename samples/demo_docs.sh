#!/usr/bin/env bash
# Writes a document of each format the preview reads (made-up personal information) into the demo sandbox
# DIR and adds their lines to DIR/C/result.csv, building make_demo_docs first when needed. Called by
# make_demo.sh; a sandbox without these documents is still a working demo, so a failure here is only told.
#   samples/demo_docs.sh DIR
set -uo pipefail
source "$(dirname "$0")/../tools/setup.sh"
dir=${1:?usage: demo_docs.sh DIR}
if [ -f "$VEK_BUILD/CMakeCache.txt" ]; then
  cmake --build "$VEK_BUILD" --target make_demo_docs >/dev/null 2>&1 || true
fi
if [ -x "$VEK_BUILD/samples/make_demo_docs" ]; then
  "$VEK_BUILD/samples/make_demo_docs" "$dir" 2>/dev/null || echo "demo_docs.sh: the demo documents could not all be written" >&2
else
  echo "demo_docs.sh: make_demo_docs is not built in $VEK_BUILD; the sandbox has no preview documents" >&2
fi
