#!/usr/bin/env sh
# Runs a Windows test program under Wine, on an Xvfb display of its own when
# there is no display (its windows need one). Exit code 77 (skipped) when
# Wine, or a display to run on, is missing.
if ! command -v wine >/dev/null 2>&1; then
  echo "wine is not installed: skipped" >&2
  exit 77
fi
if [ -n "${DISPLAY:-}" ]; then exec wine "$@"; fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "no DISPLAY and no xvfb-run: skipped" >&2
  exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
