#!/usr/bin/env bash
# An accepted radio: the panel runs its message loop, logs the keys, and the
# window's close request saves the banks, sends "PS0" and ends the program.
source "$(dirname "$0")/lib.sh"

write_config 1 1
use_phrases
start_sim
start_panel
id=$(panel_window) || { fail "no panel window"; finish; }
pass "the panel window opened"
check "the identity is asked" wait_for_line "$WORK/debug.dat" 20 '^RX=ID0840;'
press "$id" j
press "$id" KP_Begin  # the keypad 5 key (NumLock off)
check "keys are logged" wait_for_line "$WORK/debug.dat" 10 '^\*e \(5\)'
check "J logged once" [ "$(lines_of "$WORK/debug.dat" | grep -c '^\*J$')" -eq 1 ]
"$CLOSE_WINDOW" "$id"
if wait_panel_exit 30; then pass "the close request ends the panel"; else fail "the panel did not end"; finish; fi
check "exit status 0 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 0
check "VS0 then ID first" [ "$(sim_commands | head -2 | tr '\n' ' ')" = "VS0; ID; " ]
check "PS0 last" [ "$(sim_commands | tail -1)" = "PS0;" ]
check "announcement first" [ "$(head -4 "$WORK/speech.log" | tr '\n' ' ')" = "ftx.wav 3.wav point 5 " ]
check "savmem.dat written" [ "$(lines_of "$WORK/savmem.dat" | wc -l)" -eq 115 ]
check "memory.txt written" [ -s "$WORK/memory.txt" ]
finish
