#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test.
# Window tests run under Xvfb with Mesa; Tarvion.exe is built with MinGW-w64 and run under Wine;
# then the tests run once more built with AddressSanitizer and UBSan (scripts/test_sanitizers.sh).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVION_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"

# The include rules come from the build's own description of its layers (layers.json), so
# the tree is configured first and checked before anything is compiled.
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "== include rules"
python3 "$here/scripts/check_includes.py" --layers "$build/layers.json" "$here"

bash "$here/scripts/build.sh"

bash "$here/scripts/test_windows.sh"

echo "== tests"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd "$build"
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --output-on-failure -j "$(nproc)" --timeout 900

bash "$here/scripts/test_sanitizers.sh"
