#!/usr/bin/env bash
# The radio's cable pulled while the panel runs, then plugged back in: the
# panel keeps its window and its keys, uses next to no processor time while
# the device is gone, and once the radio is back it polls it again, sets it
# up as at start, says "connected" once more and follows its dial without a
# restart.
source "$(dirname "$0")/lib.sh"

start_connected_panel
id="$WINDOW_ID"
check "the panel polls before the unplug" wait_for_line "$WORK/debug.dat" 5 '^RX=FA007100000;'

sim_control "unplug"
check "the stand-in unplugged" wait_for_line "$WORK/sim.out" 5 '^unplugged$'
check "the panel polls into nothing" wait_polls_after "$(line_count "$WORK/debug.dat")" 20 3
cpu=$(cpu_permille "$PANEL_PID" 3) || cpu=""
if [ -n "$cpu" ]; then
  echo "processor time while unplugged: $(permille_text "$cpu") % of a core over 3 s"
  check "little processor time while unplugged ($(permille_text "$cpu") %)" [ "$cpu" -lt 100 ]
else
  fail "the panel ended while the radio was unplugged"; finish
fi
check "the panel is still running" panel_running
check "its window is still there" panel_window_exists
keys_before=$(lines_of "$WORK/debug.dat" | grep -c '^\*J$')
press "$id" j
check "a key is handled while unplugged" wait_for_line "$WORK/debug.dat" 5 '^\*J'
check "the key was handled once" [ "$(lines_of "$WORK/debug.dat" | grep -c '^\*J$')" -eq $((keys_before + 1)) ]
check "the polls go on (into nothing)" [ "$(lines_of "$WORK/debug.dat" | tail -20 | grep -c '^TX=FA;$')" -ge 3 ]

# Plugged back in: a new pseudo-terminal behind the same com5 link.
log_before=$(sim_log_length)
speech_before=$(line_count "$WORK/speech.log")
plugged_at=$(time_of_day_ms)
sim_control "plug"
if wait_sim_command_after "$log_before" 10 "FA;"; then
  pass "the panel polls the radio again after the plug"
  back_at=$(sim_time_after "$log_before")
  echo "first command after the plug: $(( back_at - plugged_at )) ms after it"
  # One attempt a second; the margin is for a busy machine.
  check "back within 5 s of the plug ($(( back_at - plugged_at )) ms)" [ $(( back_at - plugged_at )) -le 5000 ]
else
  fail "no poll reached the radio after the plug"
fi
check "the radio is asked who it is" wait_sim_command_after "$log_before" 5 "ID;"
check "and set up as at start" wait_sim_command_after "$log_before" 5 "BI;"
check "the panel says connected again" wait_for_line_after "$WORK/speech.log" "$speech_before" 10 '^connected$'
rate=$(sim_rate_per_10s 2)
check "polling at its usual rate again ($(permille_text "$rate") a second)" [ "$rate" -ge 30 -a "$rate" -le 115 ]

sim_control "dial +1000"
check "the panel reads the turned dial" wait_answer_taken '^RX=FA007101000;' 10
cpu=$(cpu_permille "$PANEL_PID" 2) || cpu=0
echo "processor time while connected: $(permille_text "$cpu") % of a core over 2 s"
check "connected was said once after the plug" \
  [ "$(tail -n +"$((speech_before + 1))" "$WORK/speech.log" | grep -c '^connected$')" -eq 1 ]
check "the panel ends cleanly" close_panel "$id"
check "the band record holds the frequency set after the plug" \
  grep -q '^01A007101000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
finish
