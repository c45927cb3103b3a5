#!/usr/bin/env bash
# Every key of the keyboard, in several states of the radio (HF, 2 m FM,
# 70 cm, CW, split, a recalled memory channel), on the real program against
# the stand-in that refuses what the FTX-1 refuses: the radio refuses nothing
# the panel sends. The radio starts on a memory channel, as an operator may
# have left it, so the panel must bring it back to VFO mode first.
source "$(dirname "$0")/lib.sh"

# Every key with a meaning, but Q (which ends the program) and T (a tune,
# pressed in pairs below so the carrier ends): letters, digits, function keys,
# arrows, paging, the keypad, Space twice (transmit on and off), Enter.
KEYS=(a b c d g h i j k l m n o p r s u v w x y z
      0 1 2 3 4 5 6 7 8 9 F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12
      Up Down Left Right Prior Next KP_1 KP_5 KP_Decimal plus minus period
      t t space space Return)

type_keys() { local k; for k in "$@"; do press "$WINDOW_ID" "$k"; done; }
refusals() { grep -c 'refused' "$WORK/sim.out"; }

# Presses F until the frequency is spoken: the keys typed before it have all
# been handled then (F right after a key that sent a frequency waits for the
# next poll, and says nothing).
settle() {
  local mark
  for _ in $(seq 6); do
    panel_running || return 1
    mark=$(line_count "$WORK/speech.log")
    press "$WINDOW_ID" f
    wait_for_line_after "$WORK/speech.log" "$mark" 30 '^mhz$' && return 0
  done
  return 1
}
every_key() { type_keys "${KEYS[@]}"; settle; }
# M until the mode spoken is $1.
mode_to() {
  local mark
  for _ in $(seq 8); do
    mark=$(line_count "$WORK/speech.log")
    press "$WINDOW_ID" m
    wait_for_line_after "$WORK/speech.log" "$mark" 5 "^$1(\\.wav)?\$" && return 0
  done
  return 1
}

# Recordings ten times faster, so that six rounds of every key fit the time;
# "delay", the time the panel waits for an answer, stays as it is.
fast_phrases() {
  mkdir -p "$WORK/wave"
  local f
  for f in "$WAVE_DIR"/*; do sox -t wav "$f" -t wav "$WORK/wave/$(basename "$f")" speed 10 2>/dev/null; done
  cp "$WAVE_DIR/delay.wav" "$WORK/wave/delay.wav"
}
fast_phrases
use_phrases() { :; }
start_connected_panel --memory-mode
check "the radio left on a memory channel is brought to VFO mode first" \
  sent_in_order 0 "ID;" "VM0;" "VM000;" "FA007100000;"

check "every key on 40 m" every_key
check "no refusal on HF (refused $(refusals))" [ "$(refusals)" = 0 ]

# V until split is on.
split_on() {
  local mark
  for _ in 1 2; do
    mark=$(line_count "$WORK/speech.log")
    press "$WINDOW_ID" v
    wait_for_line_after "$WORK/speech.log" "$mark" 5 '^on$' && return 0
  done
  return 1
}
# Whether the radio received a command matching the regex $2 after line $1.
sent_matching() { sim_commands | tail -n +"$(( $1 + 1 ))" | grep -qE "$2"; }

# Each state is set with the keys and shown by what the radio received.
for state in "b t|^BS013;$|2 m FM" "b s|^BS014;$|70 cm" "b 4|^MD03;$|CW on 40 m" "|^ST1;$|split" \
             "c 3 g 3|^BS0[0-9]{2};$|a recalled channel"; do
  IFS='|' read -r keys sent name <<<"$state"
  mark=$(sim_log_length)
  # shellcheck disable=SC2086
  type_keys $keys
  settle
  [ "$name" = "CW on 40 m" ] && mode_to cw
  [ "$name" = split ] && split_on
  check "$name: the radio got $sent" sent_matching "$mark" "$sent"
  check "every key: $name" every_key
  check "no refusal: $name (refused $(refusals))" [ "$(refusals)" = 0 ]
done

mark=$(sim_log_length)
type_keys q
check "Q ends the program" wait_panel_exit 30
check "with status 0" panel_ended_with 0
check "the radio refused nothing at all ($(grep 'refused' "$WORK/sim.out" | head -3 | tr '\n' ' '))" \
  [ "$(refusals)" = 0 ]
check "the debug log names no refused command" [ "$(grep -c '^REFUSED=' "$WORK/debug.dat")" = 0 ]
finish
