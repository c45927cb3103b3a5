#!/usr/bin/env bash
# A misbehaving program on the pass-through port: it floods random bytes,
# floods junk without a single ";", sends binary junk, and vanishes (and comes
# back). The panel survives all of it, keeps polling the radio, and a proper
# command from the program is answered again afterwards.
source "$(dirname "$0")/lib.sh"
trap 'stop_peer_pair; cleanup' EXIT

start_peer_pair
PASS_THROUGH_PORT=6 start_connected_panel
id="$WINDOW_ID"
check "rigctl reads the frequency through the panel" [ "$(rigctl_frequency 2)" = "7100000" ]

# Writes what comes on standard input into the peer's end of the line, giving
# the line up to 60 s to take it; prints the number of bytes it took.
flood() {
  local taken
  taken=$(timeout -s INT 60 dd of="$WORK/rig" bs=1k iflag=fullblock 2>&1 | awk '/bytes/ { print $1 }')
  echo "${taken:-0}"
}

# Sends "ID;" behind everything the peer sent so far (after a ";" that ends
# any unfinished junk) and waits up to 60 s for the radio to receive it: the
# panel has then read every byte sent before it, and the line is empty again.
# MARK_AT is left at the radio's log line of that "ID;".
worked_through() {
  local from
  from=$(sim_log_length)
  timeout 60 bash -c 'printf ";ID;" > "$1"' _ "$WORK/rig" || return 1
  wait_sim_command_after "$from" 60 "ID;" || return 1
  MARK_AT=$(sim_commands | grep -nxF "ID;" | tail -1 | cut -d: -f1)
}

# The radio's log between line $1 (exclusive) and the marker at MARK_AT.
log_until_mark() { sim_commands | sed -n "$(( $1 + 1 )),$(( MARK_AT - 1 ))p"; }

# 8000 bytes of what the command given prints, 200 every 0.1 s: a flood that
# goes on for 4 s or more, so the polls can be counted while it comes.
steadily() { for _ in $(seq 40); do "$@" | head -c 200; sleep 0.1; done; }
no_semicolons() { tr -d ';' < /dev/urandom; }

# Random bytes, ";" among them: every ";" ends a command that is relayed.
log_at=$(sim_log_length)
bytes=$(steadily cat /dev/urandom | flood)
check "the random flood went into the line ($bytes of 8000 bytes)" [ "$bytes" -eq 8000 ]
if worked_through; then
  pass "the panel read all of the random flood"
  # Between the first relayed command and the last, the polls go on.
  polls=$(log_until_mark "$log_at" | awk '$0 != "FA;" && $0 != "SM0;" { last = NR; if (!first) first = NR }
                                       { line[NR] = $0 }
                                       END { for (i = first; i < last; i++) n += line[i] == "FA;"; print n + 0 }')
  check "the panel polls the radio while it relays the random flood ($polls polls)" [ "$polls" -ge 3 ]
else
  fail "the panel did not read all of the random flood"
fi
check "junk commands were relayed" [ "$(lines_of "$WORK/debug.dat" | grep -c '^\*\*\*VRX1=')" -ge 3 ]
check "the panel survives the random flood" panel_running

# Junk without ";": nothing is ever complete, so nothing is relayed until
# the marker ends it.
log_at=$(sim_log_length)
bytes=$(steadily no_semicolons | flood)
check "the flood without ';' went into the line ($bytes of 8000 bytes)" [ "$bytes" -eq 8000 ]
if worked_through; then
  pass "the panel read all of the flood without ';'"
  polls=$(log_until_mark "$log_at" | grep -cxF "FA;")
  check "the panel polls the radio while it reads the flood without ';' ($polls polls)" [ "$polls" -ge 3 ]
else
  fail "the panel did not read all of the flood without ';'"
fi

# Every byte value, NUL and the control characters included.
all_bytes() { for i in $(seq 0 255); do printf "\\x$(printf %02x "$i")"; done; }
bytes=$({ all_bytes; all_bytes; all_bytes; head -c 2048 /dev/zero; } | flood)
check "the binary junk went into the line ($bytes of 2816 bytes)" [ "$bytes" -eq 2816 ]
check "the panel read all of the binary junk" worked_through
check "the panel survives binary junk" panel_running
cpu=$(cpu_permille "$PANEL_PID" 2) || { fail "the panel ended after the junk"; finish; }
echo "processor time after the junk: $(permille_text "$cpu") % of a core over 2 s"
check "no busy loop after the junk ($(permille_text "$cpu") %)" [ "$cpu" -lt 200 ]

started=$(now_ms)
freq=$(rigctl_frequency 6)
echo "rigctl answered '$freq' $(( $(now_ms) - started )) ms after the junk"
check "a proper command is answered again after the junk (got '$freq')" [ "$freq" = "7100000" ]

# The program vanishes: its end of the line is gone.
stop_peer_pair
check "the panel goes on after the peer vanished" wait_polls_after "$(line_count "$WORK/debug.dat")" 20 3
log_at=$(sim_log_length)
cpu=$(cpu_permille "$PANEL_PID" 2) || { fail "the panel ended when the peer vanished"; finish; }
echo "processor time without the peer: $(permille_text "$cpu") % of a core over 2 s"
check "little processor time without the peer ($(permille_text "$cpu") %)" [ "$cpu" -lt 100 ]
check "the panel keeps polling the radio without the peer" wait_sim_command_after "$log_at" 10 "FA;" 6
check "its window is still there" panel_window_exists

# And comes back on a new line behind the same link.
start_peer_pair
sim_control "dial +2000"
freq=$(rigctl_frequency 3)
check "the returned peer is served again (got '$freq')" [ "$freq" = "7102000" ]

check "the panel ends cleanly" close_panel "$id"
check "savmem.dat has its 115 lines" [ "$(lines_of "$WORK/savmem.dat" | wc -l)" -eq 115 ]
check "every band record has its layout" band_records_well_formed "$WORK/savmem.dat"
finish
