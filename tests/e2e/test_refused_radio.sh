#!/usr/bin/env bash
# A radio that answers as another model is refused with "rnftx.wav"; the
# shortened shutdown saves the banks and switches the radio off when asked.
source "$(dirname "$0")/lib.sh"

write_config 1 1
use_phrases
start_sim --id 0650
start_panel
if wait_panel_exit 30; then pass "the panel ends by itself"; else fail "the panel did not end"; finish; fi
check "with status 6 and no sanitizer report (status $PANEL_STATUS)" panel_ended_with 6
check "VS0 then ID are the first commands" [ "$(sim_commands | head -2 | tr '\n' ' ')" = "VS0; ID; " ]
check "PS0 is the last command" [ "$(sim_commands | tail -1)" = "PS0;" ]
check "rnftx.wav is spoken" grep -qx 'rnftx.wav' "$WORK/speech.log"
check "debug log header" grep -qE '^KELVARO 3\.5a  [0-9]{2}-[0-9]{2}-[0-9]{4}   [0-9]{2}:[0-9]{2}:[0-9]{2}$' <(lines_of "$WORK/debug.dat" | head -1)
check "debug log port line" [ "$(lines_of "$WORK/debug.dat" | sed -n 2p)" = "Comport= 5  Speed= 38400 Baud" ]
check "debug log traffic" [ "$(lines_of "$WORK/debug.dat" | sed -n 3,5p | tr '\n' ' ')" = "TX=VS0; TX=ID; RX=ID0650; " ]
check "savmem.dat has 115 lines" [ "$(lines_of "$WORK/savmem.dat" | wc -l)" -eq 115 ]
check "savmem.dat tag" [ "$(lines_of "$WORK/savmem.dat" | head -1)" = "KELVARO v1.0a 3.5a 40" ]
check "memory.txt lists no channel" [ "$(lines_of "$WORK/memory.txt" | tr '\n' '|')" = "Memory Bank Information|  |Empty|" ]
finish
