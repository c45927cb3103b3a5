# Shared helpers of the end-to-end tests. Each test script is called as
#   test_x.sh KELVARO FTX1_SIM CLOSE_WINDOW WAVE_DIR
# and runs in a fresh working folder under a display (the test runner starts
# Xvfb). Every wait is bounded.
set -uo pipefail

KELVARO="$1"; SIM="$2"; CLOSE_WINDOW="$3"; WAVE_DIR="$4"
WORK="$(mktemp -d /tmp/kelvaro-e2e.XXXXXX)"
SIM_PID=""; PANEL_PID=""
FAILURES=0; PASSES=0

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export SDL_VIDEODRIVER=x11
export SDL_FRAMEBUFFER_ACCELERATION=0
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent

cleanup() {
  [ -n "$PANEL_PID" ] && kill -9 "$PANEL_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  wait 2>/dev/null
  if [ "$FAILURES" -eq 0 ]; then rm -rf "$WORK"; else echo "work folder kept: $WORK"; fi
}
trap cleanup EXIT

pass() { PASSES=$((PASSES + 1)); echo "ok: $1"; }
fail() { FAILURES=$((FAILURES + 1)); echo "FAILED: $1"; }
check() {  # check "description" command...
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  echo "$PASSES passed, $FAILURES failed"
  [ "$FAILURES" -eq 0 ]
  exit $?
}

# A configuration with the radio on COM 5; $1 = line 6 (power off at exit),
# $2 = line 12 (debug log), $3 = the pass-through port (0 none).
write_config() {
  printf 'com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=%s\r\n10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= %s\r\ndebug=%s\r\n' \
    "${1:-0}" "${3:-0}" "${2:-1}" > "$WORK/kelvaro.cfg"
}

use_phrases() { cp -r "$WAVE_DIR" "$WORK/wave"; }

# Starts the simulated radio linked as com5 with its command log; extra
# arguments go to it. Waits until the link exists. `sim_control LINE` types a
# line on its control input (turn the dial, unplug ...).
start_sim() {
  mkfifo "$WORK/sim.ctl"
  "$SIM" --link "$WORK/com5" --log "$WORK/sim.log" "$@" > "$WORK/sim.out" 2>&1 < "$WORK/sim.ctl" &
  SIM_PID=$!
  exec 3> "$WORK/sim.ctl"
  for _ in $(seq 100); do [ -e "$WORK/com5" ] && return 0; sleep 0.05; done
  fail "the simulated radio made no link"; finish
}

sim_control() { echo "$1" >&3; }

# Starts the panel in the working folder with the speech log.
start_panel() {
  (cd "$WORK" && exec "$KELVARO" --speech-log "$WORK/speech.log" "$@") > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
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

# Prints the panel's window id once it is mapped.
panel_window() {
  for _ in $(seq 200); do
    local id
    id=$(xdotool search --name 'Kelvaro' 2>/dev/null | head -1)
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
