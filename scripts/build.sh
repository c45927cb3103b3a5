#!/usr/bin/env bash
# Configures and builds into the given folder (default: build).
# KELVARO_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
sanitize="OFF"
if [ "${KELVARO_SANITIZE:-0}" = "1" ]; then sanitize="ON"; fi
cmake -S . -B "$dir" -G Ninja -DKELVARO_SANITIZE="$sanitize" >/dev/null
cmake --build "$dir" -j "$(nproc)"
