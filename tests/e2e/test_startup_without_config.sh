#!/usr/bin/env bash
# Without kelvaro.cfg the panel speaks its announcement and "cfgnf", then ends;
# nothing is opened, sent or written, and the status (3) says the configuration
# could not be read.
source "$(dirname "$0")/lib.sh"

use_phrases
start_panel
if wait_panel_exit 30; then pass "the panel ends by itself"; else fail "the panel did not end"; finish; fi
check "exit status 3 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 3
check "announcement then cfgnf" [ "$(cat "$WORK/speech.log")" = "$(printf 'ftx.wav\n3.wav\npoint\n5\ncfgnf')" ]
check "no debug.dat" [ ! -e "$WORK/debug.dat" ]
check "no savmem.dat" [ ! -e "$WORK/savmem.dat" ]
finish
