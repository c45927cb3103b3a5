#!/usr/bin/env bash
# kelvaro.exe under Wine against the radio stand-in, and the same keys through
# the Linux build: the radio must receive the same commands, the speech logs
# must be the same, and savmem.dat, memory.txt and debug.dat byte for byte
# (debug.dat's date and time line aside).
#
#   test_windows_panel.sh KELVARO_EXE SOURCE_DIR WORK_DIR WAVE_DIR [LINUX_KELVARO]
#
# Both talk to the Linux stand-in (tests/windows/build_stand_in.sh). Without
# LINUX_KELVARO (or when it is not built) the comparison is skipped (77) after
# the Windows run's own checks.
EXE="$1"; LINUX_KELVARO="${5:-}"
SIM_PATH="$(bash "$(dirname "$0")/build_stand_in.sh" "$2" "$3")" || exit $?
set -- "$LINUX_KELVARO" "$SIM_PATH" "" "$4"
source "$(dirname "$0")/../e2e/lib.sh"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }

BASE="$WORK"
# A prefix of its own: a Wine server that runs already keeps the display it
# started with, and this test's windows are on the test's own X server.
export WINEPREFIX="$BASE/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; cleanup' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w

# The Wine window carries the caption; on its own X server it is the only one.
any_panel_window() {
  for _ in $(seq 600); do
    local id
    id=$(xdotool search --name 'Kelvaro' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# One run in folder $1 with the program given after it: start-up, then F, M,
# B 4, P, Up, E 14.25 Enter, C 3, G 3, Q.
run_panel() {
  WORK="$BASE/$1"; shift
  mkdir -p "$WORK"
  write_config 0 1
  use_phrases
  start_sim
  (cd "$WORK" && exec "$@" --speech-log speech.log) > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
  local id
  id=$(any_panel_window) || { fail "$(basename "$WORK"): no panel window"; return 1; }
  wait_for_line "$WORK/speech.log" 60 '^connected$' || { fail "$(basename "$WORK"): not connected"; return 1; }
  # The window system queues the keys and the panel takes them one after
  # another, each with its speech, so Q ends the panel after all of them.
  for key in f m b 4 p Up e 1 4 period 2 5 Return c 3 g 3 q; do press "$id" "$key"; done
  wait_panel_exit 120 || { fail "$(basename "$WORK"): Q did not end the panel"; return 1; }
  sim_control quit; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-
  return 0
}

# The stand-in's link is the COM port of the Wine prefix.
rm -f "$WINEPREFIX/dosdevices/com5"
SIM_LINK="$WINEPREFIX/dosdevices/com5" run_panel windows wine "$EXE" || finish
check "kelvaro.exe says connected and ends with status 0 on Q" panel_ended_with 0
check "kelvaro.exe wrote the bank file and the memory report" [ -s "$BASE/windows/savmem.dat" -a -s "$BASE/windows/memory.txt" ]
check "the stand-in refused nothing kelvaro.exe sent" [ "$(grep -c refused "$BASE/windows/sim.out")" = 0 ]
rm -f "$WINEPREFIX/dosdevices/com5"

if [ -z "$LINUX_KELVARO" ] || [ ! -x "$LINUX_KELVARO" ]; then
  skip "no Linux build to compare with"; finish
fi
SIM_LINK="" run_panel linux "$LINUX_KELVARO" || finish
same() { cmp -s <(eval "$2" < "$BASE/windows/$1") <(eval "$2" < "$BASE/linux/$1"); }
# The commands the radio received, without time stamps and the polls.
polls_aside() { sed -E 's/^[^ ]+ //' | grep -vxE 'FA;|SM0;'; }
# Its lines end in CR LF on both; the comparison reads them without.
debug_aside() { tr -d '\r' | grep -vE '^(TX=FA;|TX=SM0;|RX=FA[0-9]{9};|RX=SM0[0-9]{3};)$' | tail -n +2; }
check "the radio received the same commands (polls aside)" same sim.log polls_aside
check "the same phrases were spoken" same speech.log cat
check "savmem.dat is the same byte for byte" same savmem.dat cat
check "memory.txt is the same byte for byte" same memory.txt cat
check "debug.dat is the same (date line and polls aside)" same debug.dat debug_aside
finish
