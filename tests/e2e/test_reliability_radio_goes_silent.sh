#!/usr/bin/env bash
# A radio that stops answering after the panel connected (switched off at its
# own switch: the line stays, the answers stop): the panel keeps polling at
# its usual rate without waiting on anything, its keys keep working (saying
# that the radio is not connected), and once the radio answers again the
# panel asks who it is, sends the start-up settings and band again, says
# "connected" once more and follows the radio.
source "$(dirname "$0")/lib.sh"

start_connected_panel
id="$WINDOW_ID"
check "the panel polls before the radio goes quiet" wait_for_line "$WORK/debug.dat" 5 '^RX=FA007100000;'

sim_control "power off"
check "the stand-in is off" wait_for_line "$WORK/sim.out" 5 '^radio off$'
# The panel counts the radio as gone after 30 reply phases without an answer,
# one after each poll it sends; 33 polls after the stand-in went off leave room
# for an answer that was already on its way.
off_at=$(lines_of "$WORK/debug.dat" | wc -l)
quiet_polls() { [ "$(lines_of "$WORK/debug.dat" | tail -n +"$((off_at + 1))" | grep -cE '^TX=(FA|SM0);$')" -ge 33 ]; }
check "the panel has polled the silent radio long enough to count it gone" wait_until 15 quiet_polls
debug_at=$(lines_of "$WORK/debug.dat" | wc -l)
log_at=$(sim_log_length)
started=$(now_ms)
cpu=$(cpu_permille "$PANEL_PID" 3) || { fail "the panel ended when the radio went quiet"; finish; }
echo "processor time with a silent radio: $(permille_text "$cpu") % of a core over 3 s"
check "little processor time with a silent radio ($(permille_text "$cpu") %)" [ "$cpu" -lt 100 ]
# Per ten seconds of the time that really passed. Five a second by the
# panel's timer; a panel that waited for the missing answers would poll far
# less often.
rate=$(( $(sim_count_after "$log_at" "FA;") * 10000 / ($(now_ms) - started) ))
check "the frequency poll goes on about five times a second (saw $(permille_text "$rate") a second)" [ "$rate" -ge 15 -a "$rate" -le 60 ]
check "nothing was read meanwhile" [ "$(lines_of "$WORK/debug.dat" | tail -n +"$((debug_at + 1))" | grep -c '^RX=')" -eq 0 ]
check "its window is still there" panel_window_exists
speech_at=$(line_count "$WORK/speech.log")
press "$id" j
check "a key is handled while the radio is silent" wait_for_line "$WORK/debug.dat" 5 '^\*J'
check "the key says the radio is not connected" wait_for_line_after "$WORK/speech.log" "$speech_at" 5 '^nc$'
check "the panel is still running" panel_running

log_at=$(sim_log_length)
speech_at=$(line_count "$WORK/speech.log")
sim_control "power on"
check "the panel says connected again" wait_for_line_after "$WORK/speech.log" "$speech_at" 10 '^connected$'
check "once" [ "$(tail -n +"$((speech_at + 1))" "$WORK/speech.log" | grep -c '^connected$')" -eq 1 ]
check "the band was not spoken while setting up" \
  [ "$(tail -n +"$((speech_at + 1))" "$WORK/speech.log" | grep -c '^metres$')" -eq 0 ]
for command in "ID;" "EX0307040;" "BS003;" "FA007100000;" "GT0;" "BI;"; do
  check "the radio got $command again" [ "$(sim_count_after "$log_at" "$command")" -ge 1 ]
done
sim_control "dial +1000"
check "the panel follows the radio once it answers again" wait_answer_taken '^RX=FA007101000;' 10
check "the panel ends cleanly" close_panel "$id"
check "the band record holds the frequency read afterwards" \
  grep -q '^01A007101000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
finish
