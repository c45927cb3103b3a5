#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the unit and scenario tests,
# the tests of the real serial, audio and window layers (under Xvfb), and the
# end-to-end tests of the real program against the simulated radio.
# With --sanitize the same runs on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer (folder build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  export KELVARO_SANITIZE=1
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
if [ "${KELVARO_SKIP_SETUP:-0}" != "1" ]; then bash scripts/setup.sh; fi
bash scripts/build.sh "$dir"
# Keep Mesa and D-Bus out of the way of the sanitizers and the window tests.
export SDL_AUDIODRIVER=dummy
export SDL_FRAMEBUFFER_ACCELERATION=0
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
# -noreset: an X server resets itself when its last client leaves, and a
# client that connects during that reset is turned away (the panel then says
# "x11 not available"). The tests' short xdotool calls leave it often.
# The end-to-end tests start X servers of their own; the unit and window tests
# share this one. Most tests wait on the radio, the panel or a client rather
# than work, so more run at once than there are cores (KELVARO_TEST_JOBS).
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "${KELVARO_TEST_JOBS:-8}" --timeout 300
