#!/usr/bin/env bash
# scripts/launch.sh's choice between the display and the self-test under Xvfb, with a
# stand-in tarvion that records how it was started and writes what a self-test leaves, and a
# stand-in xvfb-run that gives it a display name. Usage: launch_test.sh SOURCE_DIR
set -uo pipefail
src="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cat > "$work/tarvion" <<'STANDIN'
#!/bin/sh
printf '%s\n' "$@" > "$RECORD.args"
printf '%s\n' "${DISPLAY:-}" > "$RECORD.display"
pwd > "$RECORD.cwd"
shots=""
while [ $# -gt 0 ]; do [ "$1" = "--shots" ] && shots="$2"; shift; done
if [ -n "$shots" ]; then
  mkdir -p "$shots/data"
  : > "$shots/home.bmp"; : > "$shots/results.bmp"
  echo "valid=1" > "$shots/selftest.txt"
  echo "scope radius 1.00 deg" > "$shots/scope_range.txt"
fi
exit "${STANDIN_EXIT:-0}"
STANDIN
cat > "$work/bin/xvfb-run" <<'STANDIN'
#!/bin/sh
# Takes xvfb-run's -a and -s ARG, then runs the command on a made-up display.
[ "$1" = "-a" ] || exit 90
[ "$2" = "-s" ] || exit 91
shift 3
DISPLAY=:standin exec "$@"
STANDIN
chmod +x "$work/tarvion" "$work/bin/xvfb-run"
export RECORD="$work/record"
export PATH="$work/bin:$PATH"

run() {  # run NAME ENV... -- ARGS...: launch.sh's output in $work/NAME.out, its code in $code
  local name="$1"; shift
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  rm -f "$RECORD".*
  env -u DISPLAY -u WAYLAND_DISPLAY "${envs[@]}" bash "$src/scripts/launch.sh" "$work/tarvion" "$@" \
    > "$work/$name.out" 2>&1
  code=$?
}
has() { grep -qF -- "$2" "$work/$1.out" || fail "$1: output lacks '$2':"$'\n'"$(cat "$work/$1.out")"; }

# No display: the self-test under Xvfb, its folder and reports named, exit code 0.
out="$work/out dir"
run nodisplay "TARVION_SELFTEST_DIR=$out" -- --speed 4
[ "$code" -eq 0 ] || fail "nodisplay: exit code $code"
has nodisplay "no display found"
has nodisplay "2 captures in $out"
has nodisplay "report $out/selftest.txt"
has nodisplay "report $out/scope_range.txt"
[ "$(cat "$RECORD.args" 2>/dev/null | tr '\n' ' ')" = "--selftest --shots $out --speed 4 " ] \
  || fail "nodisplay: started with: $(cat "$RECORD.args" 2>/dev/null | tr '\n' ' ')"
[ "$(cat "$RECORD.display" 2>/dev/null)" = ":standin" ] || fail "nodisplay: not started under Xvfb"
[ "$(cat "$RECORD.cwd" 2>/dev/null)" = "$out" ] || fail "nodisplay: not started in the output folder"

# Without TARVION_SELFTEST_DIR: a fresh folder under the build tree (the program's folder).
run fresh -- 
[ "$code" -eq 0 ] || fail "fresh: exit code $code"
ls -d "$work"/selftest/*/ >/dev/null 2>&1 || fail "fresh: no folder under $work/selftest"
has fresh "report $work/selftest/"

# A failing self-test fails the command, with its code, after naming what it left.
run failing "TARVION_SELFTEST_DIR=$out" STANDIN_EXIT=3 --
[ "$code" -eq 3 ] || fail "failing: exit code $code"
has failing "the self-test failed (exit code 3)"
has failing "report $out/selftest.txt"

# With a display (X11 or Wayland) the program starts as it is, arguments passed on.
for display in DISPLAY=:7 WAYLAND_DISPLAY=wayland-0; do
  run display "$display" STANDIN_EXIT=5 -- --size 800x600
  [ "$code" -eq 5 ] || fail "$display: exit code $code"
  [ "$(cat "$RECORD.args" 2>/dev/null | tr '\n' ' ')" = "--size 800x600 " ] \
    || fail "$display: started with: $(cat "$RECORD.args" 2>/dev/null | tr '\n' ' ')"
  grep -q "no display" "$work/display.out" && fail "$display: took the no-display path"
done

[ "$failures" -eq 0 ] && echo "launch.sh: all cases pass"
exit "$failures"
