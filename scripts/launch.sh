#!/usr/bin/env bash
# Starts the built program (scripts/run.sh calls this after the build): on the display when
# there is one; with none, the self-test plays under Xvfb instead and leaves its captures and
# reports in a fresh folder of the build tree. Usage: launch.sh TARVION [ARGUMENTS...]
set -euo pipefail
tarvion="$1"
shift
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$tarvion" "$@"
fi

echo "run: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); playing the self-test under Xvfb instead"
command -v xvfb-run >/dev/null || { echo "run: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
build="$(cd "$(dirname "$tarvion")" && pwd)"
out="${TARVION_SELFTEST_DIR:-$build/selftest/$(date +%Y%m%d_%H%M%S)}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
# Nobody listens on a machine without a display.
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
status=0
(cd "$out" && xvfb-run -a -s "-screen 0 1920x1080x24" "$tarvion" --selftest --shots "$out" "$@") || status=$?

captures=$(find "$out" -maxdepth 1 -name '*.bmp' | wc -l)
echo "run: $captures captures in $out"
for report in selftest.txt scope_range.txt; do
  if [ -f "$out/$report" ]; then echo "run: report $out/$report"; else echo "run: no $report was written"; fi
done
echo "run: the run's profile (settings, scores, history, result report) is in $out/data"
if [ "$status" -ne 0 ]; then
  echo "run: the self-test failed (exit code $status)" >&2
  exit "$status"
fi
