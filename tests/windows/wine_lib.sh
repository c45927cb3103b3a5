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
