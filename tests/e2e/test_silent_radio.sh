#!/usr/bin/env bash
# A radio that never answers is refused like another model.
source "$(dirname "$0")/lib.sh"

write_config 0 1
use_phrases
start_sim --silent
start_panel
if wait_panel_exit 30; then pass "the panel ends by itself"; else fail "the panel did not end"; finish; fi
check "with status 5 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 5
check "rnftx.wav is spoken" grep -qx 'rnftx.wav' "$WORK/speech.log"
check "no PS0 without the switch" [ "$(sim_commands | grep -c '^PS0;$')" -eq 0 ]
check "first commands" [ "$(sim_commands | head -2 | tr '\n' ' ')" = "VS0; ID; " ]
finish
