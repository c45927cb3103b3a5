# Shared helpers of the end-to-end tests. Each test script is called as
#   test_x.sh KELVARO FTX1_SIM CLOSE_WINDOW WAVE_DIR
# and runs in a fresh working folder on an X display of its own (see
# start_display). Every wait is bounded.
set -uo pipefail

KELVARO="$1"; SIM="$2"; CLOSE_WINDOW="$3"; WAVE_DIR="$4"
WORK="$(mktemp -d /tmp/kelvaro-e2e.XXXXXX)"
SIM_PID=""; PANEL_PID=""; XVFB_PID=""
FAILURES=0; PASSES=0; SKIPPED=0

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export SDL_VIDEODRIVER=x11
export SDL_FRAMEBUFFER_ACCELERATION=0
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent

cleanup() {
  [ -n "$PANEL_PID" ] && kill -9 "$PANEL_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  if [ "$FAILURES" -eq 0 ]; then rm -rf "$WORK"; else echo "work folder kept: $WORK"; fi
}
trap cleanup EXIT

# The test's own X server. Tests run side by side, and without a window
# manager SDL gives its window the keyboard focus of the display when it shows
# it: on a shared display a panel starting in one test would take the focus,
# and with it the keys typed by another test (xdotool types into the focused
# window through XTEST). Xvfb picks a free display number itself and writes it
# on the descriptor given once it accepts clients.
start_display() {
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -noreset -nolisten tcp 9> "$WORK/display" 2> "$WORK/xvfb.out" &
  XVFB_PID=$!
  for _ in $(seq 600); do
    grep -qE '^[0-9]+$' "$WORK/display" 2>/dev/null && { export DISPLAY=":$(cat "$WORK/display")"; return 0; }
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "FAILED: no X server of its own: $(tail -3 "$WORK/xvfb.out")"; exit 1
}
start_display

pass() { PASSES=$((PASSES + 1)); echo "ok: $1"; }
fail() { FAILURES=$((FAILURES + 1)); echo "FAILED: $1"; }
check() {  # check "description" command...
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
# A case the test cannot run here (missing rights, say).
skip() { SKIPPED=$((SKIPPED + 1)); echo "skipped: $1"; }
# Ends the test: failed when a check failed; otherwise, when a case was
# skipped, with status 77, which the test runner reports as a skip, so that a
# run that left something unchecked says so.
finish() {
  echo "$PASSES passed, $FAILURES failed, $SKIPPED skipped"
  [ "$FAILURES" -eq 0 ] || exit 1
  [ "$SKIPPED" -eq 0 ] || exit 77
  exit 0
}

# A configuration with the radio on COM 5; $1 = line 6 (power off at exit),
# $2 = line 12 (debug log), $3 = the pass-through port (0 none).
write_config() {
  printf 'com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=%s\r\n10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= %s\r\ndebug=%s\r\n' \
    "${1:-0}" "${3:-0}" "${2:-1}" > "$WORK/kelvaro.cfg"
}

use_phrases() { cp -r "$WAVE_DIR" "$WORK/wave"; }

# Starts the simulated radio linked as com5 (or as SIM_LINK when set) with its
# command log; extra arguments go to it. Waits until the link exists.
# `sim_control LINE` types a line on its control input (turn the dial, unplug ...).
start_sim() {
  local link="${SIM_LINK:-$WORK/com5}"
  mkfifo "$WORK/sim.ctl"
  "$SIM" --link "$link" --log "$WORK/sim.log" "$@" > "$WORK/sim.out" 2>&1 < "$WORK/sim.ctl" &
  SIM_PID=$!
  exec 3> "$WORK/sim.ctl"
  for _ in $(seq 100); do [ -e "$link" ] && return 0; sleep 0.05; done
  fail "the simulated radio made no link"; finish
}

sim_control() { echo "$1" >&3; }

# Starts the panel in the working folder with the speech log.
start_panel() {
  (cd "$WORK" && exec "$KELVARO" --speech-log "$WORK/speech.log" "$@") > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
}

# True when the panel's output holds no sanitizer report: a build with
# AddressSanitizer and UndefinedBehaviorSanitizer writes its errors and, at
# the end, the leaks there.
no_sanitizer_report() {
  ! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: [A-Za-z]*Sanitizer' "$WORK/panel.out" 2>/dev/null
}

# True when the panel that ended (see wait_panel_exit) ended with status $1
# and without a sanitizer report.
panel_ended_with() {
  [ "${PANEL_STATUS:-none}" = "$1" ] && no_sanitizer_report
}

# Waits up to $1 seconds until the command given (with its arguments) succeeds.
wait_until() {
  local limit=$(( $1 * 20 )); shift
  for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.05; done
  return 1
}

# Waits up to $1 seconds for the panel to end; fails when it does not.
wait_panel_exit() {
  local limit=$(( ${1:-20} * 20 ))
  for _ in $(seq "$limit"); do
    if ! kill -0 "$PANEL_PID" 2>/dev/null; then
      wait "$PANEL_PID"; PANEL_STATUS=$?; PANEL_PID=""; return 0
    fi
    sleep 0.05
  done
  return 1
}

# Prints the panel's window id once it is there: the window of the panel's
# process (SDL sets _NET_WM_PID), never one a panel before it left behind.
panel_window() {
  for _ in $(seq 600); do
    local id
    id=$(xdotool search --all --pid "$PANEL_PID" --name 'Kelvaro' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# Presses and releases one key (an X key name) in the panel's window.
press() {
  local id="$1" key="$2"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool keydown --window "$id" "$key"; sleep 0.05; xdotool keyup --window "$id" "$key"; sleep 0.1
}

# Waits up to $2 seconds for a line matching the regex $3 in file $1.
wait_for_line() {
  local file="$1" limit=$(( $2 * 20 )) pattern="$3"
  for _ in $(seq "$limit"); do
    grep -qE "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# The commands the radio received, one a line, without time stamps.
sim_commands() { sed -E 's/^[^ ]+ //' "$WORK/sim.log" 2>/dev/null; }

# The lines of a CR LF file, without the CR.
lines_of() { tr -d '\r' < "$1"; }

# --- Helpers of the reliability tests -------------------------------------

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

# CPU ticks (user + system) used so far by process $1; fails when it is gone.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # The command name in parentheses may hold blanks: count from after it.
  stat=${stat##*) }
  set -- $stat
  echo $(( ${12} + ${13} ))
}

# Share of one core that process $1 used over $2 whole seconds, in tenths of
# a percent (so 35 is 3.5 %); fails when the process is gone.
cpu_permille() {
  local pid="$1" seconds="$2" hz before after
  hz=$(getconf CLK_TCK)
  before=$(cpu_ticks "$pid") || return 1
  sleep "$seconds"
  after=$(cpu_ticks "$pid") || return 1
  echo $(( (after - before) * 1000 / (hz * seconds) ))
}

# Tenths of a percent as "3.5".
permille_text() { echo "$(( $1 / 10 )).$(( $1 % 10 ))"; }

panel_running() { [ -n "$PANEL_PID" ] && kill -0 "$PANEL_PID" 2>/dev/null; }

# True while the panel's window exists.
panel_window_exists() { [ -n "$(xdotool search --all --pid "$PANEL_PID" --name 'Kelvaro' 2>/dev/null | head -1)" ]; }

# Number of lines of the radio's command log so far.
sim_log_length() { wc -l < "$WORK/sim.log" 2>/dev/null || echo 0; }

# The commands the radio receives during a pause of $1 seconds, per ten
# seconds of the time that really passed (a busy machine may stretch the
# pause, and the panel's timer with it).
sim_rate_per_10s() {
  local from started elapsed count
  from=$(sim_log_length); started=$(now_ms)
  sleep "$1"
  count=$(( $(sim_log_length) - from )); elapsed=$(( $(now_ms) - started ))
  echo $(( count * 10000 / elapsed ))
}

# How many times the radio received command $2 after line $1 of its log.
sim_count_after() { sim_commands | tail -n +"$(( $1 + 1 ))" | grep -cxF "$2"; }

# True when the commands given appear in the radio's log in this order, after
# line $1 of it.
sent_in_order() {
  local from="$1"; shift
  local expected="$*"
  sim_commands | tail -n +"$((from + 1))" | awk -v want="$expected" '
    BEGIN { n = split(want, w, " "); i = 1 }
    i <= n && $0 == w[i] { i++ }
    END { exit (i > n) ? 0 : 1 }'
}
# The same, waiting up to $1 seconds for it.
wait_sent_in_order() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do sent_in_order "$@" && return 0; sleep 0.1; done
  return 1
}
# Waits up to $2 seconds until the panel has taken an answer matching the
# regex $1: answers are logged in debug.dat when they arrive and taken at the
# next reply phase, so two more frequency polls after it mean that phase has
# passed.
wait_answer_taken() {
  local pattern="$1" limit="$2" at
  wait_for_line "$WORK/debug.dat" "$limit" "$pattern" || return 1
  at=$(lines_of "$WORK/debug.dat" | grep -n -m1 -E "$pattern" | cut -d: -f1)
  polls_after() { [ "$(lines_of "$WORK/debug.dat" | tail -n +"$at" | grep -c '^TX=FA;$')" -ge 2 ]; }
  wait_until "$limit" polls_after
}

# Waits up to $2 seconds until the radio received command $3 after line $1 of
# its log ($4 times, by default once).
wait_sim_command_after() {
  local from="$1" limit=$(( $2 * 20 )) command="$3" times="${4:-1}"
  for _ in $(seq "$limit"); do
    [ "$(sim_count_after "$from" "$command")" -ge "$times" ] && return 0
    sleep 0.05
  done
  return 1
}

# The time of day (milliseconds since midnight) of the first command after
# line $1 of the radio's log.
sim_time_after() {
  tail -n +"$(( $1 + 1 ))" "$WORK/sim.log" | head -1 |
    awk '{ split($1, t, /[:.]/); print ((t[1] * 60 + t[2]) * 60 + t[3]) * 1000 + t[4] }'
}

# Milliseconds since midnight, now.
time_of_day_ms() {
  date +%H:%M:%S.%3N | awk '{ split($1, t, /[:.]/); print ((t[1] * 60 + t[2]) * 60 + t[3]) * 1000 + t[4] }'
}

# Starts the panel with the debug log against the stand-in (extra arguments
# go to the stand-in) and waits until it has said "connected"; the window id
# is left in WINDOW_ID. Ends the test when the panel does not connect.
# PASS_THROUGH_PORT, when set, is configured as the pass-through port.
start_connected_panel() {
  write_config 0 1 "${PASS_THROUGH_PORT:-0}"
  use_phrases
  start_sim "$@"
  start_panel
  WINDOW_ID=$(panel_window) || { fail "no panel window"; finish; }
  wait_for_line "$WORK/speech.log" 20 '^connected$' || { fail "the panel did not connect"; finish; }
}

# True when every band record (lines 2 to 15) of the bank file $1 has the
# 26-character layout: flag, mode digit, "A" and nine digits, "B" and nine
# digits or a repeater shift, tone code, preamp digit.
band_records_well_formed() {
  [ "$(lines_of "$1" | sed -n 2,15p |
       grep -cE '^([01][1-7]A[0-9]{9}B[0-9]{9}|5[1-7]A[0-9]{9}B[+-]0000[0-9]{4})[0-9]{3}[0-2]$')" -eq 14 ]
}

# Closes the panel's window and waits for a clean end (status 0, no
# sanitizer report).
close_panel() {
  "$CLOSE_WINDOW" "$1" 2>/dev/null
  wait_panel_exit 30 && panel_ended_with 0
}

# The pass-through port's peer line: a pseudo-terminal pair, com6 for the
# panel and rig for the other program. SOCAT_PID is its process.
SOCAT_PID=""
start_peer_pair() {
  socat pty,raw,echo=0,link="$WORK/com6" pty,raw,echo=0,link="$WORK/rig" 2>/dev/null &
  SOCAT_PID=$!
  for _ in $(seq 100); do [ -e "$WORK/rig" ] && [ -e "$WORK/com6" ] && return 0; sleep 0.05; done
  fail "no pseudo-terminal pair for the pass-through port"; finish
}
stop_peer_pair() {
  [ -n "$SOCAT_PID" ] && { kill "$SOCAT_PID" 2>/dev/null; wait "$SOCAT_PID" 2>/dev/null; }
  SOCAT_PID=""
}

# The frequency as rigctl reads it through the pass-through port; up to $1
# tries (rigctl gives up on its own after a few seconds).
rigctl_frequency() {
  local freq=""
  for _ in $(seq "${1:-1}"); do
    freq=$(timeout 20 rigctl -m 1035 -r "$WORK/rig" -s 38400 f 2>/dev/null | tail -1)
    [[ "$freq" =~ ^[0-9]+$ ]] && break
  done
  echo "$freq"
}

# Number of lines in file $1 (0 when it is missing).
line_count() { wc -l < "$1" 2>/dev/null || echo 0; }

# Waits up to $2 seconds until the panel has sent $3 frequency polls after
# line $1 of its debug log: its loop has gone round that often since, whether
# the radio answers or not.
wait_polls_after() {
  local from="$1" limit="$2" times="$3"
  polls_since() { [ "$(lines_of "$WORK/debug.dat" | tail -n +"$(( from + 1 ))" | grep -c '^TX=FA;$')" -ge "$times" ]; }
  wait_until "$limit" polls_since
}

# Sends control line $1 to the stand-in and waits up to 10 s for its answer
# (it answers every line on its output).
sim_control_answered() {
  local before
  before=$(line_count "$WORK/sim.out")
  sim_control "$1"
  wait_for_line_after "$WORK/sim.out" "$before" 10 '.'
}

# Presses F in window $1 until the panel has spoken the frequency and, last,
# the mode (F right after a key that sent a frequency waits for the next poll
# and may say nothing). Keys are handled one after another, each with its
# speech, so every key typed before has then been handled and spoken.
keys_handled() {
  local mark
  mode_spoken_after() {
    tail -n +"$(( mark + 1 ))" "$WORK/speech.log" | grep -A1 -x mhz | tail -n +2 | grep -q '\.wav$'
  }
  for _ in $(seq 6); do
    panel_running || return 1
    mark=$(line_count "$WORK/speech.log")
    press "$1" f
    wait_until 20 mode_spoken_after && return 0
  done
  return 1
}

# Waits up to $3 seconds for a line matching the regex $4 after line $2 of
# file $1.
wait_for_line_after() {
  local file="$1" from="$2" limit=$(( $3 * 20 )) pattern="$4"
  for _ in $(seq "$limit"); do
    tail -n +"$(( from + 1 ))" "$file" 2>/dev/null | grep -qE "$pattern" && return 0
    sleep 0.05
  done
  return 1
}

# A bank file as the panel writes it, on 40 m, with memory channel 5 holding
# 7.150 MHz LSB and every other channel empty.
write_bank_file() {
  {
    printf 'KELVARO v1.0a 3.5a 40\r\n'
    for _ in $(seq 14); do printf '01A007100000B0071000009990\r\n'; done
    for channel in $(seq 0 99); do
      if [ "$channel" -eq 5 ]; then printf '0104A007150000B0071500009990\r\n'; else printf '9\r\n'; fi
    done
  } > "$1"
}

# The panel stores memory channel $2 (keys C and the digit) with window $1;
# prints the phrase that ends the store ("ok" or "invalid").
store_channel() {
  local from
  from=$(line_count "$WORK/speech.log")
  press "$1" c
  press "$1" "$2"
  wait_for_line_after "$WORK/speech.log" "$from" 10 '^(ok|invalid)$' || return 1
  tail -n +"$(( from + 1 ))" "$WORK/speech.log" | grep -E '^(ok|invalid)$' | head -1
}
