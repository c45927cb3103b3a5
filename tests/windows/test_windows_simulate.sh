#!/usr/bin/env bash
# kelvaro.exe --simulate under Wine: the simulated radio inside the program
# answers on the configured COM port, with no device behind it. In a folder
# with a kelvaro.cfg the panel says connected and Q ends it with the bank
# file written; in a folder without one it says cfgnf and ends with status 3,
# as the Linux build's --simulate does (compared with it when LINUX_KELVARO is
# given and built).
#
#   test_windows_simulate.sh KELVARO_EXE SOURCE_DIR WAVE_DIR [LINUX_KELVARO]
EXE="$1"; SOURCE_DIR="$2"; LINUX_KELVARO="${4:-}"
set -- "$LINUX_KELVARO" "" "" "$3"
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/wine_lib.sh"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }

BASE="$WORK"
trap 'wineserver -k >/dev/null 2>&1; cleanup' EXIT
start_wine_prefix "$BASE/wine"
# Nothing may stand behind COM5: the radio is the one inside the program.
rm -f "$WINEPREFIX/dosdevices/com5"


# Starts the program given in folder $1 with --simulate and the speech log.
start_simulated() {
  WORK="$BASE/$1"; shift
  mkdir -p "$WORK"
  (cd "$WORK" && exec "$@" --simulate --speech-log speech.log) > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
}

mkdir -p "$BASE/configured"
cp "$SOURCE_DIR/examples/kelvaro.cfg" "$BASE/configured/kelvaro.cfg"
start_simulated configured wine "$EXE"
id=$(any_panel_window) || { fail "no panel window"; finish; }
if wait_for_line "$WORK/speech.log" 60 '^connected$'; then
  pass "kelvaro.exe --simulate says connected"
  press "$id" q
  wait_panel_exit 60 || fail "Q did not end the panel"
  check "Q ends it with status 0" panel_ended_with 0
  check "it wrote the bank file" [ -s "$WORK/savmem.dat" ]
else
  fail "kelvaro.exe --simulate did not say connected: $(tail -3 "$WORK/panel.out")"
fi
[ -n "$PANEL_PID" ] && { kill -9 "$PANEL_PID" 2>/dev/null; wait "$PANEL_PID" 2>/dev/null; PANEL_PID=""; }

# Without kelvaro.cfg.
start_simulated unconfigured wine "$EXE"
wait_panel_exit 120 || fail "kelvaro.exe --simulate without kelvaro.cfg did not end"
check "without kelvaro.cfg it ends with status 3" panel_ended_with 3
check "without kelvaro.cfg it says cfgnf" grep -qx cfgnf "$WORK/speech.log"

if [ -z "$LINUX_KELVARO" ] || [ ! -x "$LINUX_KELVARO" ]; then
  skip "no Linux build to compare with"; finish
fi
start_simulated linux "$LINUX_KELVARO"
wait_panel_exit 120 || fail "the Linux build's --simulate without kelvaro.cfg did not end"
check "the Linux build ends with the same status" panel_ended_with 3
check "and says the same" cmp -s "$BASE/unconfigured/speech.log" "$BASE/linux/speech.log"
finish
