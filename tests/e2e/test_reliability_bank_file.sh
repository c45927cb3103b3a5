#!/usr/bin/env bash
# A "savmem.dat" the panel cannot use: a folder, or a link to a place that
# does not exist. The panel starts, accepts the radio, runs and ends cleanly;
# a memory channel store says "invalid" instead of "ok", since nothing reached
# the disk, and what is in the way is left as it was. A link to a missing
# file in a folder that exists is followed: the file is made there.
source "$(dirname "$0")/lib.sh"
ROOT="$WORK"
trap 'WORK="$ROOT"; cleanup' EXIT

# Runs the panel in the folder $ROOT/$1 (prepared by the caller) until it is
# connected; its output and speech log go to $ROOT.
begin_case() {
  WORK="$ROOT/$1"
  mkdir -p "$WORK"
  write_config 0 1
  ln -s "$WAVE_DIR" "$WORK/wave"
  ln -s "$ROOT/$1.speech.log" "$WORK/speech.log"
  ln -s "$ROOT/$1.panel.out" "$WORK/panel.out"
  start_sim
  start_panel
  WINDOW_ID=$(panel_window) || { fail "$1: no panel window"; return 1; }
  wait_for_line "$WORK/speech.log" 20 '^connected$' || { fail "$1: the panel did not connect"; return 1; }
  pass "$1: the panel starts and accepts the radio"
}
end_case() {
  check "$1: the panel ends cleanly" close_panel "$WINDOW_ID"
  kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; SIM_PID=""; exec 3>&-
  check "$1: no temporary file left behind" [ ! -e "$WORK/savmem.tmp" ]
  WORK="$ROOT"
}

# A folder named savmem.dat.
mkdir -p "$ROOT/folder/savmem.dat"
echo "the operator's" > "$ROOT/folder/savmem.dat/notes"
if begin_case folder; then
  check "folder: the panel notes that the banks cannot be kept" grep -q 'savmem.dat' "$WORK/panel.out"
  said=$(store_channel "$WINDOW_ID" 3)
  check "folder: a channel store says invalid (said '$said')" [ "$said" = "invalid" ]
  check "folder: the panel is still running" panel_running
  end_case folder
  check "folder: the folder and its contents stay" [ "$(cat "$ROOT/folder/savmem.dat/notes")" = "the operator's" ]
fi
WORK="$ROOT"

# A link into a folder that does not exist.
mkdir -p "$ROOT/dangling"
ln -s gone/savmem.dat "$ROOT/dangling/savmem.dat"
if begin_case dangling; then
  said=$(store_channel "$WINDOW_ID" 3)
  check "dangling: a channel store says invalid (said '$said')" [ "$said" = "invalid" ]
  end_case dangling
  check "dangling: the link stays as it was" [ "$(readlink "$ROOT/dangling/savmem.dat")" = "gone/savmem.dat" ]
  check "dangling: nothing was made in its place" [ ! -e "$ROOT/dangling/gone" ]
fi
WORK="$ROOT"

# A link to a file not made yet, in a folder that exists.
mkdir -p "$ROOT/linked/keep"
ln -s keep/savmem.dat "$ROOT/linked/savmem.dat"
if begin_case linked; then
  said=$(store_channel "$WINDOW_ID" 3)
  check "linked: a channel store says ok (said '$said')" [ "$said" = "ok" ]
  end_case linked
  check "linked: the link stays a link" [ -L "$ROOT/linked/savmem.dat" ]
  check "linked: the banks are in the file it points to" [ "$(lines_of "$ROOT/linked/keep/savmem.dat" | wc -l)" -eq 115 ]
  check "linked: with the stored channel" \
    grep -qE '^0104A007100000B0071000009990$' <(lines_of "$ROOT/linked/keep/savmem.dat" | sed -n 19p)
fi
WORK="$ROOT"
finish
