#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Tarvion and starts it. Extra arguments go to tarvion.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" --target tarvion
exec "${TARVION_BUILD_DIR:-$here/build}/tarvion" "$@"
