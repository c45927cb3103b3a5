#!/usr/bin/env bash
# The connected panel: the whole identification exchange in order, "connected"
# with frequency and mode, polling, a dial turned on the radio followed by the
# panel, and another CAT program (Hamlib's rigctl) using the radio through the
# pass-through port.
source "$(dirname "$0")/lib.sh"

write_config 0 1 6
use_phrases
start_sim
# The pass-through port: a pseudo-terminal pair, com6 for the panel and
# rig for rigctl.
socat pty,raw,echo=0,link="$WORK/com6" pty,raw,echo=0,link="$WORK/rig" 2>/dev/null &
SOCAT_PID=$!
for _ in $(seq 100); do [ -e "$WORK/rig" ] && [ -e "$WORK/com6" ] && break; sleep 0.05; done
start_panel
id=$(panel_window) || { fail "no panel window"; finish; }

check "connected is spoken" wait_for_line "$WORK/speech.log" 20 '^connected$'
expected="ID; VM0; EX0307040; PC; EX030705100; BS003; FA007100000; MD01; NA00; FA007100000; SH0014; RA00; NL0000; CO000000; GT0; PC2050; AG0; ML0; ML1; PR0; AC; AC101; VX; BI; FA; "
check "the identification exchange in order" [ "$(sim_commands | sed -n 2,26p | tr '\n' ' ')" = "$expected" ]
check "the radio refused nothing" [ "$(grep -c 'refused' "$WORK/sim.out")" = 0 ]
check "frequency, mode and preamp before connected" \
  [ "$(grep -B7 -x connected "$WORK/speech.log" | tr '\n' ' ')" = "7 point 1 mhz lsb.wav preamp off connected " ]

# Ten polls a second by the panel's timer; a busy machine may delay ticks but
# never adds any, so only the upper bound is close.
rate=$(sim_rate_per_10s 3)
check "the radio is polled about ten times a second (saw $(permille_text "$rate") a second)" [ "$rate" -ge 30 -a "$rate" -le 115 ]
check "polls alternate FA and SM0" [ "$(sim_commands | tail -4 | sort | uniq | tr '\n' ' ')" = "FA; SM0; " ]

sim_control "dial +2500"
check "the panel follows the dial" wait_for_line "$WORK/debug.dat" 10 '^RX=FA007102500;'

# rigctl through the pass-through port: read the frequency, set CW.
freq=$(timeout 30 rigctl -m 1035 -r "$WORK/rig" -s 38400 f 2>/dev/null | tail -1)
check "rigctl reads the frequency through the panel (got '$freq')" [ "$freq" = "7102500" ]
timeout 30 rigctl -m 1035 -r "$WORK/rig" -s 38400 M CW 0 >/dev/null 2>&1
check "the mode set reaches the radio" wait_for_line "$WORK/sim.log" 10 ' MD03;$'
check "the panel follows the mode" wait_for_line "$WORK/debug.dat" 10 '^\*\*\*VRX1=MD03;'

check "the panel ends cleanly" close_panel "$id"
kill "$SOCAT_PID" 2>/dev/null
# The band record keeps the dial turned before, and takes the mode that rigctl
# set through the pass-through port (CW, the panel's mode 3).
check "the band record follows the dial and the other program's mode" grep -q '^03A007102500B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
finish
