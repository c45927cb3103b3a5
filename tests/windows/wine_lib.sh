# Shared by the Windows end-to-end tests, sourced after tests/e2e/lib.sh
# (which gives the test its folder WORK and its own X server).

# A Wine prefix of the test's own in $1: a Wine server that runs already keeps
# the display it started with, and the test's windows are on its own X server.
start_wine_prefix() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${2:-}"
  wineboot -i >/dev/null 2>&1
  wineserver -w
}

# Prints the id of the Wine window that carries the panel's caption; on the
# test's own X server it is the only one.
any_panel_window() {
  for _ in $(seq 600); do
    local id
    id=$(xdotool search --name 'Kelvaro' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# kelvaro.exe ($2) --simulate in folder $1, which holds a kelvaro.cfg: it must
# say connected, and Q must end it with status 0 and savmem.dat written.
simulated_panel_connects_and_quits() {
  local folder="$1" exe="$2" id
  (cd "$folder" && exec wine "$exe" --simulate --speech-log speech.log) > "$folder/panel.out" 2>&1 &
  PANEL_PID=$!
  if id=$(any_panel_window) && wait_for_line "$folder/speech.log" 60 '^connected$'; then
    pass "kelvaro.exe --simulate in $(basename "$folder") says connected"
    press "$id" q
    wait_panel_exit 60 || fail "Q did not end the panel"
    check "Q ends it with status 0" panel_ended_with 0
    check "it wrote savmem.dat in $(basename "$folder")" [ -s "$folder/savmem.dat" ]
  else
    fail "kelvaro.exe --simulate did not say connected: $(tail -3 "$folder/panel.out")"
  fi
  [ -n "$PANEL_PID" ] && { kill -9 "$PANEL_PID" 2>/dev/null; wait "$PANEL_PID" 2>/dev/null; PANEL_PID=""; }
  return 0
}
