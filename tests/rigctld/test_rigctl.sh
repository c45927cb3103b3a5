#!/usr/bin/env bash
# Hamlib's own network client (rigctl -m 2, "NET rigctl", as WSJT-X and
# fldigi use it) against the rigctld endpoint in the harness, on a loopback
# port: reading and setting frequency, mode, VFO, split, transmit and power
# level, the S-meter, two clients at once, and raw-socket lines.
#   test_rigctl.sh RIGCTLD_HARNESS
# Every wait is bounded; the harness ends itself after a few minutes at most.
set -uo pipefail

HARNESS="$1"
WORK="$(mktemp -d /tmp/kelvaro-rigctld.XXXXXX)"
HARNESS_PID=""; HOLD_PID=""
PASSES=0; FAILURES=0

cleanup() {
  [ -n "$HOLD_PID" ] && kill "$HOLD_PID" 2>/dev/null
  [ -n "$HARNESS_PID" ] && kill "$HARNESS_PID" 2>/dev/null
  wait 2>/dev/null
  if [ "$FAILURES" -eq 0 ]; then rm -rf "$WORK"; else echo "work folder kept: $WORK"; fi
}
trap cleanup EXIT

pass() { PASSES=$((PASSES + 1)); echo "ok: $1"; }
fail() { FAILURES=$((FAILURES + 1)); echo "FAILED: $1"; }
# expect "description" "expected output" command...
expect() {
  local what="$1" want="$2"; shift 2
  local got
  got="$("$@" 2>/dev/null)"
  if [ "$got" = "$want" ]; then pass "$what"; else fail "$what: expected '$want', got '$got'"; fi
}
finish() {
  echo "$PASSES passed, $FAILURES failed"
  [ "$FAILURES" -eq 0 ]
  exit $?
}
# Waits up to $2 seconds for a line matching $3 in file $1.
wait_for_line() {
  local file="$1" seconds="$2" pattern="$3"
  for _ in $(seq $((seconds * 20))); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

"$HARNESS" --seconds 240 > "$WORK/harness.out" 2>&1 &
HARNESS_PID=$!
wait_for_line "$WORK/harness.out" 10 '^port ' || { fail "the harness did not listen"; finish; }
PORT="$(sed -n 's/^port //p' "$WORK/harness.out")"
rig() { timeout 20 rigctl -m 2 -r "127.0.0.1:$PORT" "$@"; }
# The panel is told about each set: the harness prints it.
changed() { wait_for_line "$WORK/harness.out" 5 "^changed $1\$"; }
check_changed() { if changed "$2"; then pass "$1"; else fail "$1"; fi; }

expect "f reads the radio's frequency" "7100000" rig f
rig F 14074000 >/dev/null 2>&1
expect "F sets it, and f reads it back" "14074000" rig f
check_changed "the panel is told about the frequency set" "FA014074000"
expect "m reads mode and passband" "$(printf 'LSB\n2400')" rig m
rig M USB 2400 >/dev/null 2>&1
expect "M sets the mode" "$(printf 'USB\n2400')" rig m
check_changed "the panel is told about the mode set" "MD02"
rig M FMN 0 >/dev/null 2>&1
expect "M FMN" "$(printf 'FMN\n9000')" rig m
rig M USB 0 >/dev/null 2>&1
expect "v reads the VFO" "VFOA" rig v
rig V VFOB >/dev/null 2>&1
expect "V selects VFO B" "VFOB" rig v
rig F 14076000 >/dev/null 2>&1
check_changed "F on VFO B sets FB" "FB014076000"
rig V VFOA >/dev/null 2>&1
expect "V selects VFO A again; its frequency is kept" "$(printf 'VFOA\n14074000')" rig v f
expect "s reads split off" "$(printf '0\nVFOA')" rig s
rig S 1 VFOB >/dev/null 2>&1
expect "S 1 VFOB turns split on" "$(printf '1\nVFOB')" rig s
check_changed "the panel is told about split" "ST1"
rig I 14077000 >/dev/null 2>&1
check_changed "I sets the transmit frequency on VFO B" "FB014077000"
rig S 0 VFOA >/dev/null 2>&1
expect "S 0 VFOA turns split off" "$(printf '0\nVFOA')" rig s
expect "t reads receive" "0" rig t
rig T 1 >/dev/null 2>&1
expect "T 1 transmits" "1" rig t
check_changed "the panel is told about transmit" "TX1"
rig T 0 >/dev/null 2>&1
expect "T 0 receives" "0" rig t
strength="$(rig l STRENGTH 2>/dev/null)"
if [[ "$strength" =~ ^-?[0-9]+$ ]] && [ "$strength" -ge -54 ] && [ "$strength" -le 60 ]; then
  pass "l STRENGTH reads the S-meter in dB over S9 ($strength)"
else
  fail "l STRENGTH: '$strength'"
fi
expect "l RFPOWER reads full power" "1.000000" rig l RFPOWER
rig L RFPOWER 0.25 >/dev/null 2>&1
expect "L RFPOWER 0.25 sets 25 W" "0.250000" rig l RFPOWER
check_changed "the panel is told about the power" "PC2025"
expect "several commands in one run" "$(printf '14074000\nUSB\n2400\n0\nVFOA')" rig f m t v
if rig F 300000000 2>&1 | grep -q 'Invalid parameter'; then
  pass "a frequency outside the radio's range is refused"
else
  fail "300 MHz was not refused"
fi
expect "... and the frequency stays" "14074000" rig f

# \get_powerstat through rigctl prints Hamlib's own debugging text in 4.5.4,
# so it is read on a raw socket, together with lines no client should send.
raw() {  # raw BYTES: sends them on a new connection and prints what comes back
  exec 5<>"/dev/tcp/127.0.0.1/$PORT" || return 1
  printf "$1" >&5
  timeout 5 head -c "$2" <&5
  exec 5>&-
}
expect "\\get_powerstat on a raw socket" "1" raw '\\get_powerstat\n' 2
# rigctl -m 2 asks "f" for the split frequency (the TX VFO is dropped without
# VFO mode), so "i" is read here.
expect "i reads the transmit frequency" "14077000" raw 'i\n' 8
expect "extended \\get_powerstat" "$(printf 'get_powerstat:;Power Status: 1\nRPRT 0')" raw ';\\get_powerstat\n' 38
long="$(head -c 2000 /dev/zero | tr '\0' 'x')"
expect "a line longer than 1024 bytes, then a command" "$(printf 'RPRT -1\n14074000')" raw "$long\nf\n" 17
expect "binary bytes, then a command" "$(printf 'RPRT -1\n0')" raw '\001\377\200f\nt\n' 10

# Two clients at once: one stays connected (rigctl reading commands from a
# pipe) while others come and go and change the radio.
mkfifo "$WORK/commands"
timeout 120 rigctl -m 2 -r "127.0.0.1:$PORT" - < "$WORK/commands" > "$WORK/held.out" 2>/dev/null &
HOLD_PID=$!
exec 4> "$WORK/commands"
# The held client asked $1 once a second, up to 10 times, until a line of
# its output is $2. (rigctl keeps what it read for a moment before it asks
# the endpoint again.)
held_sees() {
  for _ in $(seq 10); do
    echo "$1" >&4
    wait_for_line "$WORK/held.out" 1 "^$2\$" && return 0
  done
  return 1
}
echo f >&4
if wait_for_line "$WORK/held.out" 10 '^f 14074000$'; then pass "a client that stays connected reads"; else fail "the held client read nothing"; fi
rig F 7074000 >/dev/null 2>&1 &
other=$!
rig M LSB 0 >/dev/null 2>&1 &
third=$!
wait "$other" && wait "$third"
if held_sees f 'f 7074000'; then pass "it sees the frequency another client set"; else fail "the held client did not see the new frequency"; fi
if held_sees m 'm LSB'; then pass "and the mode a third set"; else fail "the held client did not see the mode"; fi
( rig f m t v s > "$WORK/a.out" 2>/dev/null ) & a=$!
( rig v s t m f > "$WORK/b.out" 2>/dev/null ) & b=$!
wait "$a"; wait "$b"
expect "two clients at once: the first" "$(printf '7074000\nLSB\n2400\n0\nVFOA\n0\nVFOA')" cat "$WORK/a.out"
expect "two clients at once: the second" "$(printf 'VFOA\n0\nVFOA\n0\nLSB\n2400\n7074000')" cat "$WORK/b.out"
echo q >&4
exec 4>&-
wait "$HOLD_PID" 2>/dev/null
HOLD_PID=""
if grep -q 'log client [0-9]* closed' "$WORK/harness.out" && ! grep -q 'dropped' "$WORK/harness.out"; then
  pass "every client closed in order, none dropped"
else
  fail "clients were dropped: $(grep dropped "$WORK/harness.out")"
fi
finish
