#!/usr/bin/env bash
# Each way the start can fail is said in words on stderr and ends with its own
# status, at start-up (after the spoken phrase) and with --check: a
# configuration that cannot be read (3), a port that cannot be opened, missing
# or not permitted (4), a radio that does not answer (5), another model (6).
# --check against an FTX-1 ends with 0 and sends nothing but the identity query.
source "$(dirname "$0")/lib.sh"

# Runs kelvaro --check in the working folder (as USER_PREFIX says); leaves its
# status in CHECK_STATUS, its output in check.out and check.err.
run_check() {
  (cd "$WORK" && exec ${USER_PREFIX:-} "$KELVARO" --check) > "$WORK/check.out" 2> "$WORK/check.err"
  CHECK_STATUS=$?
}
err_has() { grep -qF -- "$1" "$WORK/$2"; }

# --- The configuration ------------------------------------------------------
use_phrases
start_panel
if wait_panel_exit 30; then pass "no configuration: the panel ends"; else fail "the panel did not end"; finish; fi
check "no configuration: status 3" [ "$PANEL_STATUS" -eq 3 ]
check "no configuration: said on stderr" \
  err_has "kelvaro: cannot read the configuration $WORK/kelvaro.cfg: No such file or directory (kelvaro --setup writes one)" panel.out
check "no configuration: cfgnf still spoken" [ "$(tail -1 "$WORK/speech.log")" = "cfgnf" ]
mkdir "$WORK/kelvaro.cfg"
run_check
check "a folder for a configuration: --check status 3" [ "$CHECK_STATUS" -eq 3 ]
check "a folder for a configuration: the reason" err_has "$WORK/kelvaro.cfg: Is a directory" check.err
rmdir "$WORK/kelvaro.cfg"

# Another user than root (root reads anything), or a file with its mode taken away.
chmod 755 "$WORK"
as_other_user() {
  if [ "$(id -u)" -eq 0 ]; then USER_PREFIX="setpriv --reuid=65534 --regid=65534 --clear-groups"; else USER_PREFIX=""; fi
}
write_config 0 0
if [ "$(id -u)" -eq 0 ]; then chmod 600 "$WORK/kelvaro.cfg"; else chmod 000 "$WORK/kelvaro.cfg"; fi
as_other_user
run_check
USER_PREFIX=""
check "an unreadable configuration: --check status 3" [ "$CHECK_STATUS" -eq 3 ]
check "an unreadable configuration: the reason" err_has "$WORK/kelvaro.cfg: Permission denied" check.err
chmod 644 "$WORK/kelvaro.cfg"

# --- The port -----------------------------------------------------------------
ln -s /dev/serial/by-id/usb-Silicon_Labs_CP2105_gone-if00-port0 "$WORK/com5"
: > "$WORK/speech.log"
start_panel
if wait_panel_exit 30; then pass "missing device: the panel ends"; else fail "the panel did not end"; finish; fi
check "missing device: status 4" [ "$PANEL_STATUS" -eq 4 ]
check "missing device: port, path, link and reason" err_has \
  "kelvaro: cannot open the radio's port COM 5, $WORK/com5 (a link to /dev/serial/by-id/usb-Silicon_Labs_CP2105_gone-if00-port0): No such file or directory" panel.out
check "missing device: what mends it" err_has "kelvaro: the link com5 leads to nothing now" panel.out
check "missing device: rnftx.wav still spoken" grep -qx 'rnftx.wav' "$WORK/speech.log"
run_check
check "missing device: --check status 4" [ "$CHECK_STATUS" -eq 4 ]
check "missing device: --check says the same" err_has "No such file or directory" check.err
rm "$WORK/com5"

start_sim
# A device the user may not open: another user when running as root (root may
# open anything), else the device's mode taken away.
device=$(readlink "$WORK/com5")
as_other_user
[ "$(id -u)" -eq 0 ] || chmod 000 "$device"
run_check
USER_PREFIX=""
check "not permitted: --check status 4" [ "$CHECK_STATUS" -eq 4 ]
check "not permitted: the reason" err_has "$WORK/com5 (a link to $device): Permission denied" check.err
check "not permitted: who may open it" grep -qE "^kelvaro: .* may not read and write $device|belongs to the group" "$WORK/check.err"
[ "$(id -u)" -eq 0 ] || chmod 600 "$device"

run_check
check "an FTX-1: --check status 0" [ "$CHECK_STATUS" -eq 0 ]
check "an FTX-1: what answered" err_has "It answered: ID0840;" check.out
check "an FTX-1: nothing on stderr" [ ! -s "$WORK/check.err" ]
check "an FTX-1: --check asks only who it is" [ "$(sim_commands | tr '\n' ' ')" = "ID; " ]
sim_control "unplug"
wait_for_line "$WORK/sim.out" 10 '^unplugged' || fail "the stand-in did not unplug"
run_check
check "unplugged: --check status 4" [ "$CHECK_STATUS" -eq 4 ]
kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-; rm -f "$WORK/sim.ctl" "$WORK/sim.log"

# --- The radio ----------------------------------------------------------------
start_sim --silent
start_panel
if wait_panel_exit 30; then pass "silent radio: the panel ends"; else fail "the panel did not end"; finish; fi
check "silent radio: status 5" [ "$PANEL_STATUS" -eq 5 ]
check "silent radio: said on stderr" err_has \
  "kelvaro: the radio on COM 5, $WORK/com5 (a link to " panel.out
check "silent radio: does not answer" err_has "does not answer when asked who it is" panel.out
run_check
check "silent radio: --check status 5" [ "$CHECK_STATUS" -eq 5 ]
check "silent radio: nothing came back" err_has "Nothing came back." check.out
kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-; rm -f "$WORK/sim.ctl" "$WORK/sim.log"

start_sim --id 0650
start_panel
if wait_panel_exit 30; then pass "another model: the panel ends"; else fail "the panel did not end"; finish; fi
check "another model: status 6" [ "$PANEL_STATUS" -eq 6 ]
check "another model: said on stderr" err_has \
  "answers as another model (identity 0650); Kelvaro works with the FTX-1 (identity 0840)" panel.out
run_check
check "another model: --check status 6" [ "$CHECK_STATUS" -eq 6 ]
check "another model: what answered" err_has "It answered: ID0650;" check.out
finish
