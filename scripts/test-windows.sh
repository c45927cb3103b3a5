#!/usr/bin/env bash
# Builds the Windows build (scripts/build-windows.sh, and its installer with
# scripts/build-installer.sh) and runs its tests under Wine, in a Wine prefix
# of its own made afresh for the run.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-windows}"
# With NSIS there, the installer as well (its test is skipped without it).
if command -v makensis >/dev/null; then
  bash scripts/build-installer.sh "$dir"
else
  bash scripts/build-windows.sh "$dir"
fi
prefix="$(mktemp -d)"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A new prefix without its first-start dialogues (Mono and Gecko are not needed).
wineboot -i >/dev/null 2>&1
# The Wine server of the boot (and its desktop, made without a display) must
# be gone before the window tests start one on their own display.
wineserver -w
ctest --test-dir "$dir" --output-on-failure --no-tests=error --timeout 600
