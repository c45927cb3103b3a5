#!/usr/bin/env bash
# A working folder the panel cannot write to: mounted read-only, and a full
# disk (a small memory file system, filled). The panel starts on the banks
# that are there, accepts the radio, recalls a stored channel, runs and ends
# cleanly; a memory channel store says "invalid" instead of "ok", and the bank
# file is left exactly as it was. Needs the right to mount (the test runs as
# root); without it the cases are skipped, and a test with a skipped case is
# reported as skipped.
source "$(dirname "$0")/lib.sh"
ROOT="$WORK"
MOUNTS=()
IMMUTABLE=()
release() {
  [ -n "$PANEL_PID" ] && kill -9 "$PANEL_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  # Those two only: the test's X server runs on until the end.
  for pid in $PANEL_PID $SIM_PID; do wait "$pid" 2>/dev/null; done
  PANEL_PID=""; SIM_PID=""
  for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  for f in "${IMMUTABLE[@]}"; do chattr -i "$f" 2>/dev/null; done
  MOUNTS=(); IMMUTABLE=()
}
trap 'release; WORK="$ROOT"; cleanup' EXIT

# Prepares the folder $ROOT/$1 with configuration, phrases (a link), the bank
# file and the stand-in; the panel's output, speech log and the stand-in's log
# are kept in $ROOT.
prepare_case() {
  WORK="$ROOT/$1"
  write_config 0 1
  ln -s "$WAVE_DIR" "$WORK/wave"
  ln -s "$ROOT/$1.speech.log" "$WORK/speech.log"
  ln -s "$ROOT/$1.panel.out" "$WORK/panel.out"
  ln -s "$ROOT/$1.sim.log" "$WORK/sim.log"
  : > "$ROOT/$1.sim.log"
  write_bank_file "$WORK/savmem.dat"
  cp "$WORK/savmem.dat" "$ROOT/$1.savmem.before"
  start_sim
}

# The panel on the prepared folder: connected, channel 5 recalled, channel 3
# stored, closed; then the bank file is compared with what it was.
run_case() {
  local name="$1"
  start_panel
  WINDOW_ID=$(panel_window) || { fail "$name: no panel window"; return; }
  if ! wait_for_line "$WORK/speech.log" 20 '^connected$'; then fail "$name: the panel did not connect"; return; fi
  pass "$name: the panel starts and accepts the radio"
  press "$WINDOW_ID" g
  press "$WINDOW_ID" 5
  check "$name: the stored channel was loaded and is recalled" wait_for_line "$WORK/sim.log" 10 ' FA007150000;$'
  said=$(store_channel "$WINDOW_ID" 3)
  check "$name: a channel store says invalid (said '$said')" [ "$said" = "invalid" ]
  check "$name: the panel is still running" panel_running
  check "$name: the panel ends cleanly" close_panel "$WINDOW_ID"
  kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-
  check "$name: the bank file is as it was" cmp -s "$WORK/savmem.dat" "$ROOT/$name.savmem.before"
  check "$name: no temporary file left behind" [ ! -e "$WORK/savmem.tmp" ]
}

# A read-only folder: a read-only bind mount of it, or else the immutable
# attribute (which forbids new names in it, so the save's temporary file).
mkdir -p "$ROOT/readonly"
prepare_case readonly
if mount --bind "$WORK" "$WORK" 2>/dev/null; then
  MOUNTS+=("$WORK")
  if mount -o remount,bind,ro "$WORK" 2>/dev/null; then
    echo "readonly: a read-only bind mount"
  else
    umount "$WORK"; MOUNTS=()
  fi
fi
if [ "${#MOUNTS[@]}" -eq 0 ] && chattr +i "$WORK" 2>/dev/null; then
  IMMUTABLE+=("$WORK")
  echo "readonly: the immutable attribute"
fi
if [ "${#MOUNTS[@]}" -eq 0 ] && [ "${#IMMUTABLE[@]}" -eq 0 ]; then
  skip "read-only folder: neither a read-only mount nor chattr +i is permitted here"
elif touch "$WORK/probe" 2>/dev/null; then
  rm -f "$WORK/probe"
  skip "read-only folder: the folder is still writable (not root?)"
else
  run_case readonly
fi
release
WORK="$ROOT"

# A full disk: a 64 KiB memory file system, filled to the last block.
mkdir -p "$ROOT/full"
if mount -t tmpfs -o size=64k,mode=755 tmpfs "$ROOT/full" 2>/dev/null; then
  MOUNTS+=("$ROOT/full")
  prepare_case full
  dd if=/dev/zero of="$WORK/filler" bs=4k 2>/dev/null
  dd if=/dev/zero of="$WORK/filler2" bs=512 2>/dev/null
  check "full: the disk is full" [ "$(df --output=avail "$WORK" | tail -1 | tr -d ' ')" -eq 0 ]
  run_case full
else
  skip "full disk: mounting a small tmpfs is not permitted here"
fi
release
WORK="$ROOT"
finish
