#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Tarvion and starts it. Extra arguments go to tarvion.
# Without a display the self-test plays under Xvfb instead (scripts/launch.sh).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" --target tarvion
exec bash "$here/scripts/launch.sh" "${TARVION_BUILD_DIR:-$here/build}/tarvion" "$@"
