#!/usr/bin/env bash
# The keyboard on the real window: a typed frequency, a band change and back,
# a memory channel stored and recalled after a restart, transmit on and off,
# and Q ending the program once the radio has answered.
source "$(dirname "$0")/lib.sh"

log_lines() { sim_commands | wc -l; }
type_keys() { local k; for k in "$@"; do press "$id" "$k"; done; }

write_config 0 1
use_phrases
start_sim
start_panel
id=$(panel_window) || { fail "no panel window"; finish; }
check "connected" wait_for_line "$WORK/speech.log" 20 '^connected$'

mark=$(log_lines)
type_keys e 1 4 period 2 5 Return
check "the typed frequency is sent on 20 m" wait_sent_in_order 10 "$mark" "BS005;" "MD02;" "FA014250000;"
check "ok is spoken" wait_for_line "$WORK/speech.log" 10 '^ok$'

mark=$(log_lines)
type_keys b 4
check "band change to 40 m" wait_sent_in_order 10 "$mark" "BS003;" "FA007100000;" "MD01;"
type_keys b 6
check "and back to 20 m: each band's frequency and mode come back" \
  wait_sent_in_order 10 "$mark" "BS003;" "FA007100000;" "MD01;" "BS005;" "FA014250000;" "MD02;"

type_keys c 3
check "channel 3 stored" wait_for_line "$WORK/memory.txt" 10 '^Slot 3 A=14\.25  B=14\.25  USB'

tx_on_off_spoken() { tr '\n' '.' < "$WORK/speech.log" | grep -q 'tx\.on\.tx\.off'; }
mark=$(log_lines)
type_keys space
check "transmit on" wait_sent_in_order 10 "$mark" "TX1;"
type_keys space
check "and off" wait_sent_in_order 10 "$mark" "TX1;" "TX0;"
check "tx on, tx off spoken" wait_until 10 tx_on_off_spoken

mark=$(log_lines)
type_keys q
if wait_panel_exit 20; then pass "Q ends the program"; else fail "Q did not end the program"; finish; fi
check "with status 0 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 0
check "quit spoken" grep -qx quit "$WORK/speech.log"
check "TX0 sent by Q, then the radio polled for its answers" wait_sent_in_order 10 "$mark" "TX0;" "FA;"

# After a restart the channel is still there: go to 40 m, then recall it.
: > "$WORK/speech.log"
start_panel
id=$(panel_window) || { fail "no panel window after the restart"; finish; }
check "connected again" wait_for_line "$WORK/speech.log" 20 '^connected$'
mark=$(log_lines)
type_keys b 4
check "band change to 40 m after the restart" wait_sent_in_order 10 "$mark" "BS003;" "FA007100000;" "MD01;"
mark=$(log_lines)
type_keys g 3
check "the stored channel is recalled" wait_sent_in_order 10 "$mark" "ST0;" "BS005;" "FA014250000;" "MD02;"
check "the panel ends cleanly" close_panel "$id"
finish
