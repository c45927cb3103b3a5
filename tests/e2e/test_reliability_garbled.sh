#!/usr/bin/env bash
# A radio whose answers are garbled (three in ten: a character changed, lost,
# or the end cut off) while the dial turns: the panel keeps running and
# polling, takes only frequency answers of the right form, and leaves a bank
# file whose band records all have their layout.
source "$(dirname "$0")/lib.sh"

# With this seed the identity answer comes through whole.
start_connected_panel --garble 0.3 --seed "${GARBLE_SEED:-3}"
id="$WINDOW_ID"
# Each change of the radio is polled a few times before the next.
changed_and_polled() {
  local at
  at=$(sim_log_length)
  sim_control_answered "$1" && wait_sim_command_after "$at" 20 "FA;" 3
}
for step in 1 2 3 4 5 6; do
  check "the panel polls the dial turned by ${step}370 Hz" changed_and_polled "dial +${step}370"
done
check "the panel polls the band changed at the radio" changed_and_polled "band 20"
check "the panel is still running" panel_running
garbled() { lines_of "$WORK/debug.dat" | grep '^RX=' | grep -cvE '^RX=(FA[0-9]{9};|SM0[0-9]{3};)$'; }
five_garbled() { [ "$(garbled)" -ge 5 ]; }
check "garbled answers reached the panel" wait_until 10 five_garbled
echo "garbled answers read: $(garbled)"
log_at=$(sim_log_length)
check "the panel keeps polling" wait_sim_command_after "$log_at" 10 "FA;" 3
check "the panel ends cleanly" close_panel "$id"
check "savmem.dat has its 115 lines" [ "$(lines_of "$WORK/savmem.dat" | wc -l)" -eq 115 ]
check "its tag line is accepted" grep -q '^KELVARO v1.0a 3.5a' "$WORK/savmem.dat"
check "every band record has its layout" band_records_well_formed "$WORK/savmem.dat"
check "the channels are still empty" [ "$(lines_of "$WORK/savmem.dat" | sed -n 16,115p | grep -cvx 9)" -eq 0 ]
finish
