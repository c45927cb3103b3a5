#!/usr/bin/env bash
# Builds the Windows build (scripts/build-windows.sh) into build-windows/ (or
# the folder given) and makes its installer there with CPack and NSIS:
# kelvaro-<version>-win64.exe. Installs what it needs first unless
# KELVARO_SKIP_SETUP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-windows}"
bash scripts/build-windows.sh "$dir"
command -v makensis >/dev/null || { echo "build-installer: makensis is missing (Debian's nsis package)" >&2; exit 1; }
cpack --config "$dir/CPackConfig.cmake" -B "$dir"
