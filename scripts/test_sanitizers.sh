#!/usr/bin/env bash
# The test suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer in a
# build folder of its own (build/asan). Any report fails the run; the only leaks let through
# are those of system libraries named in scripts/lsan.supp. The fuzz targets (already under
# ASan and UBSan in the plain build) and the ThreadSanitizer targets are not built here.
# Run by scripts/test.sh after the plain tests; needs scripts/setup.sh to have run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVION_BUILD_DIR:-$here/build}"
asan="$build/asan"

# -UNDEBUG keeps the assertions (Dear ImGui's checks of how it is used) in this build.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -UNDEBUG"
echo "== building the tests with AddressSanitizer and UndefinedBehaviorSanitizer ($asan)"
cmake -S "$here" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DTARVION_IMGUI_DIR="$build/third_party/imgui" \
  -DTARVION_BENCH=OFF -DTARVION_FUZZ=OFF >/dev/null
cmake --build "$asan" -j "$(nproc)"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
asan_options="detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
# Mesa unloads its driver when a window's display closes; LeakSanitizer then finds the
# blocks the driver's globals held, in a module it can no longer name, so no suppression
# can match them. Preloaded, the driver stays, and its blocks stay reachable. (Preloading
# puts it before the sanitizer runtime in the library order, which is harmless here.)
dri="$(find /usr/lib /usr/lib64 -name swrast_dri.so -path '*/dri/*' 2>/dev/null | head -n 1 || true)"
if [ -n "$dri" ]; then
  export LD_PRELOAD="$dri${LD_PRELOAD:+:$LD_PRELOAD}"
  asan_options="$asan_options:verify_asan_link_order=0"
fi
export ASAN_OPTIONS="$asan_options"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$asan"
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --output-on-failure -j "$(nproc)" --timeout 900
