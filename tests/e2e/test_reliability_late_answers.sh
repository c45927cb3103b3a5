#!/usr/bin/env bash
# A radio that answers late. Answers 100 ms late still come within the pause
# of the identification, but after the reply phase of the tick that asked:
# each is read by a later poll, and the panel follows the radio all the same.
# Answers 300 ms late miss the pause of the identity query, whose single
# exchange has no second try: such a radio is refused like a silent one, and
# the panel ends by itself instead of hanging.
source "$(dirname "$0")/lib.sh"

start_connected_panel --latency-ms 100
id="$WINDOW_ID"
check "the radio is accepted and set up" wait_for_line "$WORK/debug.dat" 5 '^RX=BI0;'
sleep 2
sim_control "dial +1000"
check "the panel follows the dial" wait_for_line "$WORK/debug.dat" 10 '^RX=FA007101000;'
answers_read() { lines_of "$WORK/debug.dat" | grep -c '^RX=FA'; }
six_read() { [ "$(answers_read)" -ge 6 ]; }
check "frequency answers were read" wait_until 10 six_read
# A frequency answer read after the next poll went out has the meter poll on
# the line before it, not the frequency poll that asked for it. The delay is
# as long as the time between polls, so how many come before and how many
# after the next poll depends on how the ticks fall: some must come after.
read_late=$(lines_of "$WORK/debug.dat" | grep -B1 '^RX=FA' | grep -c '^TX=SM0;$')
check "answers were read by a later poll ($read_late of $(answers_read))" [ "$read_late" -ge 1 ]
check "every answer read is whole" \
  [ "$(lines_of "$WORK/debug.dat" | grep '^RX=' | grep -cvE '^RX=([A-Z]{2}[0-9]*;)+$')" -eq 0 ]
check "the panel ends cleanly" close_panel "$id"
check "the band record holds the dial's frequency" \
  grep -q '^01A007101000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-

# Three times the pause.
rm -f "$WORK/sim.ctl" "$WORK/speech.log"
start_sim --latency-ms 300
start_panel
if wait_panel_exit 30; then pass "a radio slower than the pause: the panel ends by itself"; else fail "the panel did not end"; finish; fi
check "and says why (rnftx.wav)" grep -qx 'rnftx.wav' "$WORK/speech.log"
check "with status $REFUSAL_STATUS and no sanitizer report (status $PANEL_STATUS)" panel_ended_with "$REFUSAL_STATUS"
finish
