#!/usr/bin/env bash
# The Win32 port layer against the radio stand-in, under Wine.
#
#   test_win32_ports.sh PLATFORM_TESTS_EXE SOURCE_DIR WORK_DIR
#
# Starts the Linux ftx1-sim (KELVARO_FTX1_SIM, or one compiled from sim/ into
# WORK_DIR) with its pseudo-terminal linked as a COM port of the Wine prefix
# ($WINEPREFIX/dosdevices/comN, a prefix of its own when WINEPREFIX is unset),
# and runs the test program's stand-in cases with the port's number and the
# stand-in's control FIFO in the environment. Ends with 77 when Wine or a
# compiler for the stand-in is missing.
set -euo pipefail
exe="$1"
src="$2"
work="$3"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }
mkdir -p "$work"

sim="$(bash "$(dirname "$0")/build_stand_in.sh" "$src" "$work")" || exit $?
tmp="$(mktemp -d)"
own_prefix=0
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=1
  export WINEPREFIX="$tmp/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1
fi
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    echo quit >&3 || true
    exec 3>&-
    wait "$sim_pid" || true
  fi
  if [ "$own_prefix" = 1 ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# A COM number the prefix does not use yet (from 12 on, so that the long
# "\\.\COMn" form of the name is the one exercised).
com=12
while [ -e "$WINEPREFIX/dosdevices/com$com" ] || [ -L "$WINEPREFIX/dosdevices/com$com" ]; do com=$((com + 1)); done
link="$WINEPREFIX/dosdevices/com$com"

mkfifo "$tmp/control"
"$sim" --link "$link" <"$tmp/control" >"$tmp/sim.out" 2>&1 &
sim_pid=$!
exec 3>"$tmp/control"
# The stand-in prints the link once it exists.
for _ in $(seq 1 200); do
  grep -qxF "$link" "$tmp/sim.out" && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$tmp/sim.out"; echo "the stand-in ended"; exit 1; }
  sleep 0.05
done
grep -qxF "$link" "$tmp/sim.out" || { cat "$tmp/sim.out"; echo "the stand-in made no link"; exit 1; }

status=0
KELVARO_TEST_COM="$com" KELVARO_TEST_SIM_CONTROL="$(winepath -w "$tmp/control" 2>/dev/null)" \
  wine "$exe" --gtest_filter='Win32PortsRadioTest.*' >"$tmp/tests.out" 2>&1 || status=$?
cat "$tmp/tests.out"
if [ "$status" = 0 ] && grep -q "SKIPPED" "$tmp/tests.out"; then
  echo "the stand-in cases were skipped although the stand-in runs"
  status=1
fi
exit "$status"
