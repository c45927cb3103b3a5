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
source "$(dirname "$0")/wine_lib.sh"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }

BASE="$WORK"
trap 'stop_peer_pair; wineserver -k >/dev/null 2>&1; cleanup' EXIT
start_wine_prefix "$BASE/wine"


channel_3_recalled() {
  grep -A12 -x gch "$WORK/speech.log" | tr '\n' ' ' | grep -q '^gch 3 20 metres 1 4 point 2 mhz usb.wav preamp 1 on '
}

# What rigctl read back through the pass-through port, by run.
declare -A RIGCTL_READ

# One run in folder $1 with the program given after it: start-up, then F, M,
# B 4, P, Up, E 14.25 Enter, C 3, G 3; rigctl on the pass-through port sets
# 14.074 MHz and reads it back; the panel hears of it from its poll; Q.
run_panel() {
  WORK="$BASE/$1"; shift
  mkdir -p "$WORK"
  write_config 0 1 6
  use_phrases
  start_sim
  start_peer_pair
  (cd "$WORK" && exec "$@" --speech-log speech.log) > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
  local id
  id=$(any_panel_window) || { fail "$(basename "$WORK"): no panel window"; return 1; }
  wait_for_line "$WORK/speech.log" 60 '^connected$' || { fail "$(basename "$WORK"): not connected"; return 1; }
  # The window system queues the keys and the panel takes them one after
  # another, each with its speech; G 3 recalls channel 3 (14.2 MHz USB) last, and
  # once the panel polls again it has sent all that goes with it.
  for key in f m b 4 p Up e 1 4 period 2 5 Return c 3 g 3; do press "$id" "$key"; done
  wait_until 120 channel_3_recalled || { fail "$(basename "$WORK"): G 3 was not spoken"; return 1; }
  local debug_mark
  debug_mark=$(line_count "$WORK/debug.dat")
  wait_for_line_after "$WORK/debug.dat" "$debug_mark" 30 '^TX=FA;' ||
    { fail "$(basename "$WORK"): the panel did not poll after G 3"; return 1; }
  debug_mark=$(line_count "$WORK/debug.dat")
  RIGCTL_READ[$(basename "$WORK")]=$(timeout 30 rigctl -m 1035 -r "$WORK/rig" -s 38400 F 14074000 f 2>&1 | tail -1)
  wait_for_line_after "$WORK/debug.dat" "$debug_mark" 30 '^RX=FA014074000;' ||
    { fail "$(basename "$WORK"): the panel's poll did not see 14.074 MHz"; return 1; }
  press "$id" q
  wait_panel_exit 120 || { fail "$(basename "$WORK"): Q did not end the panel"; return 1; }
  stop_peer_pair
  sim_control quit; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-
  return 0
}

# The stand-in's link is the COM port of the Wine prefix, and so is the
# pass-through port's end of the peer pair.
rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/dosdevices/com6"
ln -s "$BASE/windows/com6" "$WINEPREFIX/dosdevices/com6"
SIM_LINK="$WINEPREFIX/dosdevices/com5" run_panel windows wine "$EXE" || finish
check "kelvaro.exe says connected and ends with status 0 on Q" panel_ended_with 0
check "kelvaro.exe wrote the bank file and the memory report" [ -s "$BASE/windows/savmem.dat" -a -s "$BASE/windows/memory.txt" ]
check "the stand-in refused nothing kelvaro.exe sent" [ "$(grep -c refused "$BASE/windows/sim.out")" = 0 ]
check "rigctl read 14074000 through kelvaro.exe's pass-through port" [ "${RIGCTL_READ[windows]}" = 14074000 ]
rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/dosdevices/com6"

if [ -z "$LINUX_KELVARO" ] || [ ! -x "$LINUX_KELVARO" ]; then
  skip "no Linux build to compare with"; finish
fi
SIM_LINK="" run_panel linux "$LINUX_KELVARO" || finish
check "rigctl read 14074000 through the Linux build's pass-through port" [ "${RIGCTL_READ[linux]}" = 14074000 ]
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
