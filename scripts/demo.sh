#!/usr/bin/env bash
# Sets everything up, builds, and runs the panel against the simulated radio in
# the folder demo/ (a sample kelvaro.cfg, the phrase folder, and the radio's
# link com5 made by the stand-in). Extra arguments go to kelvaro, for example
# --speech-log speech.txt. Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${KELVARO_SKIP_SETUP:-0}" != "1" ]; then bash scripts/setup.sh; fi
bash scripts/build.sh build
mkdir -p demo
[ -f demo/kelvaro.cfg ] || cp examples/kelvaro.cfg demo/kelvaro.cfg
rm -rf demo/wave
cp -r build/wave demo/wave
cd demo
if [ -n "${DISPLAY:-}" ]; then
  exec ../build/kelvaro --simulate "$@"
else
  echo "No display: running under Xvfb (you will hear the panel but not see it)."
  exec xvfb-run -a ../build/kelvaro --simulate "$@"
fi
