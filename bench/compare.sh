#!/usr/bin/env bash
# Before and after: builds the benchmarks at BASE_REV (a commit of this repository) and in
# this tree, runs both back to back RUNS times (default 5) under Xvfb, and prints the median
# of every figure for each side. The base checkout gets this tree's benchmark sources
# (bench/) and the thread CPU clock they read (platform/base/clock.h and its two
# implementations), so both sides measure the same way; nothing else of the base changes.
#
#   bash scripts/build.sh            # this tree first (and Dear ImGui fetched)
#   bash bench/compare.sh BASE_REV [RUNS]
#
# Work files (the base checkout, its build and the JSON of every run) go to
# $TARVION_COMPARE_DIR, /tmp/tarvion-compare by default; a second call reuses the build.
# $TARVION_BENCHES names the benchmark programs (default: bench_pacing bench_ui_frame
# bench_startup), e.g. TARVION_BENCHES="bench_png_encoder bench_store_scan".
# The base checkout is a git worktree: `git worktree remove --force DIR/base` drops it.
# The load average is printed before every run: the machine should be quiet.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -ge 1 ] || { echo "usage: bash bench/compare.sh BASE_REV [RUNS]" >&2; exit 2; }
base_rev="$1"
runs="${2:-5}"
work="${TARVION_COMPARE_DIR:-/tmp/tarvion-compare}"
base="$work/base"
jobs="${TARVION_JOBS:-4}"
read -r -a benches <<<"${TARVION_BENCHES:-bench_pacing bench_ui_frame bench_startup}"

mkdir -p "$work"
if [ -e "$base/.git" ]; then
  git -C "$base" checkout -q -f --detach "$base_rev"
  git -C "$base" clean -q -fd -- bench
else
  git -C "$here" worktree add -q --detach "$base" "$base_rev"
fi
cp -r "$here/bench/." "$base/bench/"
cp "$here/platform/base/clock.h" "$base/platform/base/clock.h"
cp "$here/platform/base/linux/clock.cpp" "$base/platform/base/linux/clock.cpp"
cp "$here/platform/base/win32/clock.cpp" "$base/platform/base/win32/clock.cpp"
if [ ! -f "$base/build/third_party/imgui/.complete" ]; then
  mkdir -p "$base/build/third_party"
  cp -r "$here/build/third_party/imgui" "$base/build/third_party/"
fi

echo "== building the benchmarks at $(git -C "$base" rev-parse --short HEAD) (base) and in $here (new)"
cmake -S "$base" -B "$base/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVION_TESTS=OFF >/dev/null
cmake --build "$base/build" -j "$jobs" --target "${benches[@]}" >/dev/null
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j "$jobs" --target "${benches[@]}" >/dev/null

rm -f "$work"/*.json
for ((i = 1; i <= runs; i++)); do
  for side in base new; do
    dir="$base/build"
    [ "$side" = new ] && dir="$here/build"
    echo "== run $i/$runs $side, load average $(cut -d' ' -f1-3 /proc/loadavg)"
    for b in "${benches[@]}"; do
      xvfb-run -a -s "-screen 0 1920x1080x24" env SDL_AUDIODRIVER=dummy "$dir/bench/$b" \
        --benchmark_out="$work/$side-$b-$i.json" --benchmark_out_format=json >/dev/null 2>&1
    done
  done
done

python3 - "$work" <<'PY'
import glob, json, os, statistics, sys
work = sys.argv[1]
skip = {"name", "run_name", "run_type", "aggregate_name", "aggregate_unit", "family_index",
        "per_family_instance_index", "repetitions", "repetition_index", "threads", "iterations",
        "time_unit", "cpu_time", "error_occurred", "error_message"}
figures = {}  # (benchmark, figure) -> side -> values, one per run
order = []
for path in sorted(glob.glob(os.path.join(work, "*.json"))):
    side = os.path.basename(path).split("-")[0]
    for b in json.load(open(path))["benchmarks"]:
        # Benchmarks with repetitions report their median; the others their single run.
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].replace("/iterations:1", "").replace("/repeats:7", "").replace("/manual_time", "")
        for key, value in b.items():
            if key in skip or not isinstance(value, (int, float)):
                continue
            label = "time_" + b.get("time_unit", "") if key == "real_time" else key
            k = (name, label)
            if k not in figures:
                figures[k] = {}
                order.append(k)
            figures[k].setdefault(side, []).append(value)
print("\n%-44s %-20s %12s %12s" % ("benchmark", "figure (median)", "base", "new"))
for k in order:
    sides = figures[k]
    cell = lambda s: "%12.4g" % statistics.median(sides[s]) if s in sides else "%12s" % "-"
    print("%-44s %-20s %s %s" % (k[0], k[1], cell("base"), cell("new")))
PY
