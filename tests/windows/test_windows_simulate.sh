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
simulated_panel_connects_and_quits "$BASE/configured" "$EXE"

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
