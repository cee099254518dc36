#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine for CTest (the emulator of cmake/win32.cmake).
# The prefix comes from WINEPREFIX (scripts/test_windows.sh makes it once per run). Wine's
# console turns "\n" into "\r\n"; the carriage returns are dropped so that CTest reads the
# test lists and the output as it does on Linux.
set -o pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine "$@" | tr -d '\r'
