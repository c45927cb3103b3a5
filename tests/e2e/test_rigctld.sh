#!/usr/bin/env bash
# The panel's rigctld endpoint with Hamlib's network client (rigctl -m 2)
# against the real-timing stand-in: frequency, mode, transmit and split set
# and read, the panel following each change (the stand-in's log and the
# speech log), two clients at once while a key is typed, and a line of junk.
source "$(dirname "$0")/lib.sh"
listening_or_ended() { grep -q 'listening on' "$WORK/panel.out" || ! panel_running; }

# A port below the ephemeral ones (32768 up); another program, or another
# test running beside this one, may hold the one drawn: the panel then ends
# saying it cannot listen, and another is drawn. The panel says where it
# listens before it opens its window.
start_connected_panel_with() {
  write_config 0 1 0
  use_phrases
  start_sim
  for _ in $(seq 10); do
    port=$((20000 + RANDOM % 12000))
    start_panel --rigctld "$port"
    wait_until 30 listening_or_ended
    grep -q "listening on 127.0.0.1:$port\$" "$WORK/panel.out" && break
    wait_panel_exit 30
  done
  check "the panel listens on port $port" grep -q "listening on 127.0.0.1:$port\$" "$WORK/panel.out"
  WINDOW_ID=$(panel_window) || { fail "no panel window"; finish; }
  wait_for_line "$WORK/speech.log" 20 '^connected$' || { fail "the panel did not connect"; finish; }
}
start_connected_panel_with
id="$WINDOW_ID"
net() { timeout 20 rigctl -m 2 -r "127.0.0.1:$port" "$@" 2>/dev/null; }

net F 7074000
check "F sets the radio's frequency" wait_for_line "$WORK/sim.log" 5 ' FA007074000;$'
check "f reads it back" [ "$(net f)" = "7074000" ]
net M USB 0
check "M sets the mode on the radio" wait_for_line "$WORK/sim.log" 5 ' MD02;$'
check "m reads it back" [ "$(net m | head -1)" = "USB" ]
from=$(line_count "$WORK/speech.log")
net T 1
check "T 1 keys the transmitter" wait_for_line "$WORK/sim.log" 5 ' TX1;$'
check "and the operator hears it (tx on)" wait_for_line_after "$WORK/speech.log" "$from" 5 '^on$'
check "t reads it" [ "$(net t)" = "1" ]
net T 0
check "T 0 ends it (tx off)" wait_for_line_after "$WORK/speech.log" "$from" 5 '^off$'
check "t reads it" [ "$(net t)" = "0" ]

# Two clients at once while a key is typed on the panel.
client() { for _ in $(seq 10); do echo f; echo m; done | rigctl -m 2 -r "127.0.0.1:$port" - 2>/dev/null | grep -E '^(f|m) ' > "$WORK/client$1.out"; }
client 1 & one=$!
client 2 & two=$!
press "$id" s
wait "$one" "$two"
for n in 1 2; do
  check "client $n: ten right frequencies" [ "$(grep -cx 'f 7074000' "$WORK/client$n.out")" -eq 10 ]
  check "client $n: ten right modes" [ "$(grep -cx 'm USB' "$WORK/client$n.out")" -eq 10 ]
done

# The panel follows: F speaks what the network set.
check "the keys typed meanwhile are handled" keys_handled "$id"
from=$(line_count "$WORK/speech.log")
press "$id" f
wait_for_line_after "$WORK/speech.log" "$from" 10 '^usb\.wav$'
spoken=$(tail -n +"$((from + 1))" "$WORK/speech.log" | tr '\n' ' ')
check "F speaks the frequency and mode set from the network (said '$spoken')" [ "$spoken" = "7 point 0 7 4 mhz usb.wav " ]

# A line of junk gets an error, and the endpoint goes on.
reply=$(head -c 2000 /dev/zero | tr '\0' 'x' | timeout 5 socat -t 2 - "TCP:127.0.0.1:$port" 2>/dev/null | head -1)
check "an overlong line is answered RPRT -1 (got '$reply')" [ "$reply" = "RPRT -1" ]
check "and the endpoint still answers" [ "$(net f)" = "7074000" ]

check "the panel ends cleanly" close_panel "$id"
finish
