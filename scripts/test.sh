#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test.
# Window tests run under Xvfb with Mesa; the portable libraries are also cross-compiled for Windows.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVION_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"

echo "== include rules"
python3 "$here/scripts/check_includes.py"

bash "$here/scripts/build.sh"

echo "== cross-compiling core and engine for Windows (MinGW-w64)"
cmake -S "$here" -B "$build/mingw" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
  -DTARVION_PORTABLE_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/mingw" -j "$(nproc)" --target tarvion_core tarvion_engine tarvion_after_windows_h

echo "== tests"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd "$build"
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --output-on-failure -j "$(nproc)" --timeout 900
