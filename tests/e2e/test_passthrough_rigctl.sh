#!/usr/bin/env bash
# Hamlib's programs on the pass-through port against a radio with real timing
# (answers some milliseconds late, at the line rate): one rigctl session sets
# and reads frequency and mode twenty times while the radio's dial turns and
# keys are typed on the panel, and every answer is right; the panel follows
# what the program set. Then rigctld on the same port serves two network
# clients at once, every answer right.
source "$(dirname "$0")/lib.sh"
trap 'kill_rig; stop_peer_pair; cleanup' EXIT

RIGCTLD_PID=""
kill_rig() {
  [ -n "${RIG_PID:-}" ] && kill "$RIG_PID" 2>/dev/null
  [ -n "$RIGCTLD_PID" ] && kill "$RIGCTLD_PID" 2>/dev/null
  return 0
}

start_peer_pair
PASS_THROUGH_PORT=6 start_connected_panel
id="$WINDOW_ID"

# One rigctl session for the whole test; no answers kept in its cache.
coproc RIG { exec stdbuf -oL rigctl -m 1035 -r "$WORK/rig" -s 38400 -C cache_timeout=0 - 2>&1; }
# Sends one command and leaves its answer in ANSWER: what follows "$2 " on
# the line that starts with it ("f 7074000" gives 7074000). (A function, not
# a command substitution: the session's pipes are not there in a subshell.)
rig() {
  echo "$1" >&"${RIG[1]}"
  local line
  ANSWER="(no answer)"
  while read -r -t 15 line <&"${RIG[0]}"; do
    case "$line" in "$2 "*) ANSWER="${line#"$2" }"; return 0 ;; esac
  done
}

# A set command: its line is finished only by the next command's output, so
# nothing is read for it.
set_rig() { echo "$1" >&"${RIG[1]}"; }

# Presses keys that ask the radio for values (the mic-gain watch on and off)
# or speak what the panel shows, while rigctl talks.
( for _ in $(seq 12); do press "$id" F11; sleep 0.3; press "$id" F11; press "$id" s; sleep 0.4; done ) &
TYPIST=$!

# Waits until the stand-in has answered N control lines in all.
control_answers() { wc -l < "$WORK/sim.out"; }
dial() {
  local before
  before=$(control_answers)
  sim_control "dial $1"
  for _ in $(seq 100); do [ "$(control_answers)" -gt "$before" ] && return 0; sleep 0.02; done
}

wrong=0; total=0
expect() {  # expect WHAT GOT WANT
  total=$((total + 1))
  if [ "$2" != "$3" ]; then wrong=$((wrong + 1)); echo "wrong: $1: got '$2', want '$3'"; fi
}
modes=(USB LSB CW)
started=$(now_ms)
for i in $(seq 20); do
  hz=$((7000000 + i * 1000))
  set_rig "F $hz"
  rig f f; expect "f after F $hz" "$ANSWER" "$hz"
  dial +100
  rig f f; expect "f after the dial" "$ANSWER" "$((hz + 100))"
  mode=${modes[$((i % 3))]}
  set_rig "M $mode 0"
  rig m m; expect "m after M $mode" "$ANSWER" "$mode"
done
elapsed=$(( $(now_ms) - started ))
echo "rigctl: $total answers, $wrong wrong, $elapsed ms for 120 commands"
wait "$TYPIST"
check "every answer through the panel is right ($wrong of $total wrong)" [ "$wrong" -eq 0 -a "$total" -eq 60 ]

# The panel follows the last frequency and mode that rigctl set.
set_rig "F 7074000"
set_rig "M USB 0"
rig f f; expect "f" "$ANSWER" "7074000"
check "the keys typed meanwhile are all handled" keys_handled "$id"
from=$(line_count "$WORK/speech.log")
press "$id" f
wait_for_line_after "$WORK/speech.log" "$from" 10 '^usb\.wav$'
spoken=$(tail -n +"$((from + 1))" "$WORK/speech.log" | tr '\n' ' ')
check "F speaks the frequency and mode rigctl set (said '$spoken')" [ "$spoken" = "7 point 0 7 4 mhz usb.wav " ]
check "the panel took the mode set (MD02 relayed)" grep -q '^\*\*\*VRX1=MD02;' <(lines_of "$WORK/debug.dat")
check "no other answer reached rigctl" [ "$(lines_of "$WORK/debug.dat" | grep -c '^\*\*\*VTX1=SM')" -eq 0 ]
echo q >&"${RIG[1]}"; kill "$RIG_PID" 2>/dev/null; wait "$RIG_PID" 2>/dev/null; RIG_PID=""

# rigctld on the pass-through port, two network clients at once.
# A port below the ephemeral ones (32768 up); another program, or another
# test running beside this one, may hold the one drawn: rigctld then ends, and
# another is drawn. The port is ours once rigctld's own process listens on it.
rigctld_listens() { ss -Hltnp "sport = :$port" 2>/dev/null | grep -q "pid=$RIGCTLD_PID,"; }
rigctld_listens_or_ended() { rigctld_listens || ! kill -0 "$RIGCTLD_PID" 2>/dev/null; }
for _ in $(seq 10); do
  port=$((20000 + RANDOM % 12000))
  rigctld -m 1035 -r "$WORK/rig" -s 38400 -t "$port" -C cache_timeout=0 > "$WORK/rigctld.out" 2>&1 &
  RIGCTLD_PID=$!
  wait_until 30 rigctld_listens_or_ended
  rigctld_listens && break
  wait "$RIGCTLD_PID" 2>/dev/null
done
check "rigctld listens on port $port" rigctld_listens
rigctld_answers() { rigctl -m 2 -r "127.0.0.1:$port" f > /dev/null 2>&1; }
check "rigctld answers" wait_until 30 rigctld_answers
client() {  # ten rounds of f and m, one answer a line
  for _ in $(seq 10); do echo f; echo m; done | rigctl -m 2 -r "127.0.0.1:$port" - 2>/dev/null |
    grep -E '^(f|m) ' > "$WORK/client$1.out"
}
client 1 & one=$!
client 2 & two=$!
wait "$one" "$two"
for n in 1 2; do
  check "network client $n: ten right frequencies" [ "$(grep -cx 'f 7074000' "$WORK/client$n.out")" -eq 10 ]
  check "network client $n: ten right modes" [ "$(grep -cx 'm USB' "$WORK/client$n.out")" -eq 10 ]
done
kill "$RIGCTLD_PID" 2>/dev/null; wait "$RIGCTLD_PID" 2>/dev/null; RIGCTLD_PID=""

check "the panel ends cleanly" close_panel "$id"
check "the band record holds what rigctl set" grep -q '^02A007074000B' <(lines_of "$WORK/savmem.dat" | sed -n 5p)
finish
