#!/usr/bin/env bash
# A radio that talks by itself: the program on the pass-through port switches
# auto-information on, so the radio sends its frequency whenever the dial
# moves. The panel takes those answers as updates, keeps its keys and reports
# exact (a query's answer among the unasked ones), and stays idle between.
source "$(dirname "$0")/lib.sh"
trap 'stop_peer_pair; cleanup' EXIT

start_peer_pair
PASS_THROUGH_PORT=6 start_connected_panel
id="$WINDOW_ID"

log_at=$(sim_log_length)
printf 'AI1;' > "$WORK/rig"
check "auto-information is switched on at the radio" wait_sim_command_after "$log_at" 5 "AI1;"
sim_control "dial +2000"
check "the panel takes the frequency the radio sends" wait_for_line "$WORK/debug.dat" 5 '^RX=FA007102000;'

# The dial turns ten times a second while the operator asks for the power.
turn_dial() { for _ in $(seq "$1"); do sim_control "dial +100"; sleep 0.1; done; }
turn_dial 40 &
turner=$!
speech_at=$(line_count "$WORK/speech.log")
press "$id" p
check "the power is read and spoken among the radio's own answers" \
  wait_until 10 bash -c "tail -n +$((speech_at + 1)) '$WORK/speech.log' | tr '\n' ' ' | grep -q 'Power 5 0 watts'"
cpu=$(cpu_permille "$PANEL_PID" 2) || cpu=1000
echo "processor time with the radio talking ten times a second: $(permille_text "$cpu") % of a core over 2 s"
check "no busy loop while the radio talks ($(permille_text "$cpu") %)" [ "$cpu" -lt 100 ]
wait "$turner"
check "the panel follows the dial to its end" wait_for_line "$WORK/debug.dat" 5 '^RX=FA007106000;'

log_at=$(sim_log_length)
for k in e 1 4 period 2 5 Return; do press "$id" "$k"; done
check "a typed frequency goes out as ever" wait_sent_in_order 10 "$log_at" "BS005;" "MD02;" "FA014250000;"
check "and is confirmed" wait_for_line_after "$WORK/speech.log" "$speech_at" 10 '^ok$'

check "the panel ends cleanly" close_panel "$id"
check "the 40 m record holds where the dial stopped" \
  grep -q '^01A007106000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
finish
