#!/usr/bin/env bash
# Runs the grid's paint, layout and scroll benchmarks of two builds in alternation and prints, for each
# figure, the median of each build's runs and their ratio (new / old).
#   tests/grid/tools/compare_benches.sh OLD_BUILD_DIR NEW_BUILD_DIR [RUNS]
# Both build folders should be Release builds made with the same compiler. RUNS defaults to 9; the order of
# the two builds alternates from run to run.
set -euo pipefail
old=${1:?usage: compare_benches.sh OLD_BUILD_DIR NEW_BUILD_DIR [RUNS]}
new=${2:?usage: compare_benches.sh OLD_BUILD_DIR NEW_BUILD_DIR [RUNS]}
runs=${3:-9}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for ((i = 0; i < runs; i++)); do
  for bench in bench_paint bench_layout bench_scroll; do
    order=(old new)
    ((i % 2)) && order=(new old)
    for side in "${order[@]}"; do
      dir=${!side}
      # The last line: "subject: name=value name=value ..."
      "$dir/bench/$bench" 2>/dev/null | tail -1 | tr ' ' '\n' | grep = >>"$work/$side-$bench"
    done
  done
done
python3 - "$work" <<'PY'
import collections, statistics, sys, glob, os
work = sys.argv[1]
for path in sorted(glob.glob(os.path.join(work, "old-*"))):
    bench = os.path.basename(path)[4:]
    values = {"old": collections.defaultdict(list), "new": collections.defaultdict(list)}
    for side in values:
        for line in open(os.path.join(work, f"{side}-{bench}")):
            name, value = line.strip().split("=", 1)
            values[side][name].append(float(value))
    for name, olds in values["old"].items():
        news = values["new"].get(name, [])
        if not news:
            continue
        o, n = statistics.median(olds), statistics.median(news)
        ratio = n / o if o else float("nan")
        runs_old = " ".join(f"{v:g}" for v in olds)
        runs_new = " ".join(f"{v:g}" for v in news)
        print(f"{bench} {name}: old {o:g} new {n:g} new/old {ratio:.3f}\n  old runs: {runs_old}\n  new runs: {runs_new}")
PY
