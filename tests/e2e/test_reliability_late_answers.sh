#!/usr/bin/env bash
# A radio that answers late. Answers 60 ms late (each command, the set before
# the identity query included) still come within the wait of the
# identification, but after the reply phase of the tick that asked: each is
# taken by a later reply phase, and the panel follows the radio all the same.
# Answers 300 ms late miss the wait of the identity query, whose single
# exchange has no second try: such a radio is refused like a silent one, and
# the panel ends by itself instead of hanging, with the status of a radio
# that did not answer.
source "$(dirname "$0")/lib.sh"

start_connected_panel --answer-delay-ms 60
id="$WINDOW_ID"
check "the radio is accepted and set up" wait_for_line "$WORK/debug.dat" 5 '^RX=BI0;'
late_polls_read() { [ "$(lines_of "$WORK/debug.dat" | grep -c '^RX=FA007100000;$')" -ge 4 ]; }
check "late answers to the polls are read" wait_until 20 late_polls_read
sim_control "dial +1000"
check "the panel follows the dial" wait_answer_taken '^RX=FA007101000;' 10
read_total=$(lines_of "$WORK/debug.dat" | grep -c '^RX=FA')
check "frequency answers were read ($read_total)" [ "$read_total" -ge 6 ]
check "every answer is logged whole" \
  [ "$(lines_of "$WORK/debug.dat" | grep '^RX=' | grep -cvE '^RX=([A-Z]{2}[0-9]*;)+$')" -eq 0 ]
check "the panel ends cleanly" close_panel "$id"
check "the band record holds the dial's frequency" \
  grep -q '^01A007101000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-

# Three times the pause.
rm -f "$WORK/sim.ctl" "$WORK/speech.log"
start_sim --answer-delay-ms 300
start_panel
if wait_panel_exit 30; then pass "a radio slower than the pause: the panel ends by itself"; else fail "the panel did not end"; finish; fi
check "and says why (rnftx.wav)" grep -qx 'rnftx.wav' "$WORK/speech.log"
check "with status 5 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 5
check "and on stderr" grep -q 'does not answer when asked who it is' "$WORK/panel.out"
finish
