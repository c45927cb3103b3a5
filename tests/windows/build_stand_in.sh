#!/usr/bin/env bash
# Prints the path of a Linux ftx1-sim for the Windows tests to talk to:
# KELVARO_FTX1_SIM when set, else one compiled from SOURCE_DIR/sim into
# WORK_DIR (again only when its sources are newer). Ends with 77 when there is
# no compiler for it.
#
#   build_stand_in.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src="$1"; work="$2"
if [ -n "${KELVARO_FTX1_SIM:-}" ]; then echo "$KELVARO_FTX1_SIM"; exit 0; fi
mkdir -p "$work"
sim="$work/ftx1-sim"
sources=("$src"/sim/main.cc "$src"/sim/radio.cc "$src"/sim/log_line.cc "$src"/sim/pacing.cc "$src"/sim/pty_link.cc)
# One build at a time when tests start together.
exec 8> "$work/.ftx1-sim.lock"
flock 8
stale=0
[ -x "$sim" ] || stale=1
for f in "${sources[@]}" "$src"/sim/*.h; do [ "$f" -nt "$sim" ] && stale=1; done
if [ "$stale" = 1 ]; then
  command -v g++ >/dev/null || { echo "no g++ to build the stand-in: skipped" >&2; exit 77; }
  g++ -std=c++20 -O1 -I"$src/sim" "${sources[@]}" -o "$sim.new" >&2
  mv "$sim.new" "$sim"
fi
echo "$sim"
