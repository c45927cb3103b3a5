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

# Writes what comes on standard input into the peer's end for $1 seconds at
# most (the line only takes what the panel reads); prints the bytes written.
flood() {
  timeout -s INT "$1" dd of="$WORK/rig" bs=1k iflag=fullblock 2>&1 | awk '/bytes/ { print $1 }'
}

# Random bytes, ";" among them: every ";" ends a command that is relayed.
log_at=$(sim_log_length)
bytes=$(flood 4 < /dev/urandom)
echo "random bytes taken in 4 s: $bytes"
polls=$(sim_count_after "$log_at" "FA;")
check "the panel polls the radio during the random flood ($polls polls)" [ "$polls" -ge 5 ]
check "junk commands were relayed" [ "$(lines_of "$WORK/debug.dat" | grep -c '^\*\*\*VRX1=')" -ge 3 ]
check "the panel survives the random flood" panel_running

# Junk without ";": nothing is ever complete.
log_at=$(sim_log_length)
bytes=$(flood 4 < <(tr -d ';' < /dev/urandom))
echo "bytes without ';' taken in 4 s: $bytes"
polls=$(sim_count_after "$log_at" "FA;")
check "the panel polls the radio during the flood without ';' ($polls polls)" [ "$polls" -ge 10 ]

# Every byte value, NUL and the control characters included.
all_bytes() { for i in $(seq 0 255); do printf "\\x$(printf %02x "$i")"; done; }
{ all_bytes; all_bytes; all_bytes; head -c 2048 /dev/zero; } | flood 4 > /dev/null
check "the panel survives binary junk" panel_running
cpu=$(cpu_permille "$PANEL_PID" 2) || cpu=0
echo "processor time after the junk: $(permille_text "$cpu") % of a core over 2 s"
check "no busy loop after the junk ($(permille_text "$cpu") %)" [ "$cpu" -lt 200 ]

started=$(now_ms)
freq=$(rigctl_frequency 6)
echo "rigctl answered '$freq' $(( $(now_ms) - started )) ms after the junk"
check "a proper command is answered again after the junk (got '$freq')" [ "$freq" = "7100000" ]

# The program vanishes: its end of the line is gone.
stop_peer_pair
sleep 1
log_at=$(sim_log_length)
cpu=$(cpu_permille "$PANEL_PID" 2) || { fail "the panel ended when the peer vanished"; finish; }
echo "processor time without the peer: $(permille_text "$cpu") % of a core over 2 s"
check "little processor time without the peer ($(permille_text "$cpu") %)" [ "$cpu" -lt 100 ]
polls=$(sim_count_after "$log_at" "FA;")
check "the panel keeps polling the radio without the peer ($polls polls in 2 s)" [ "$polls" -ge 6 ]
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
