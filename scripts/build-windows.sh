#!/usr/bin/env bash
# Cross-compiles Kelvaro for 64-bit Windows with mingw-w64 into build-windows/
# (or the folder given): the panel's logic and its unit and scenario tests
# (kelvaro_tests.exe, run under Wine by scripts/test-windows.sh), and the
# phrase folder wave/. Installs what it needs first unless KELVARO_SKIP_SETUP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-windows}"
if [ "${KELVARO_SKIP_SETUP:-0}" != "1" ]; then bash scripts/setup.sh --windows; fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)"
