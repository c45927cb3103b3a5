#!/usr/bin/env bash
# The CPU share of the connected, idle panel (polling the radio 10 times a
# second, no keys) for two builds side by side in one run: each build's panel
# runs against a stand-in of its own at the same time, so both see the same
# machine load. Prints each one's share of a core and the ratio.
#   bash bench/idle_cpu.sh BUILD_A BUILD_B [SECONDS]     (default 60 s)
# A build folder needs kelvaro, ftx1-sim and wave/ (for example the build of an
# earlier commit in a second build folder, and this one). Needs an X display
# (run under xvfb-run -a). KELVARO_BENCH_DEBUG=1 turns the debug trace on.
# The CPU time is the kernel's count for the panel process and all its
# threads (/proc/PID/schedstat, in nanoseconds), from 5 s after "connected".
# The switches a second are those of all its threads: "sleeps" (voluntary:
# each is a wake-up later) and "preempted" (involuntary).
set -uo pipefail
if [ $# -lt 2 ]; then echo "usage: $0 BUILD_A BUILD_B [SECONDS]" >&2; exit 2; fi
seconds="${3:-60}"
debug="${KELVARO_BENCH_DEBUG:-0}"
# shellcheck source=bench/proc_counts.sh
source "$(dirname "$0")/proc_counts.sh"
bench_start idle


# Starts the stand-in and the panel of build $1 in folder $2; the panel's pid
# goes to $2/pid.
start() {
  local build dir="$2"
  build="$(cd "$1" && pwd)" || return 1
  mkdir -p "$dir"
  printf 'com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=0\r\n10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 0\r\ndebug=%s\r\n' \
    "$debug" > "$dir/kelvaro.cfg"
  cp -r "$build/wave" "$dir/wave"
  (cd "$dir" && exec "$build/ftx1-sim" --link com5 < /dev/null > sim.out 2>&1) & pids+=($!)
  for _ in $(seq 100); do [ -e "$dir/com5" ] && break; sleep 0.05; done
  (cd "$dir" && exec "$build/kelvaro" --speech-log speech.log > panel.out 2>&1) & pids+=($!)
  echo $! > "$dir/pid"
}

# Nanoseconds of CPU used so far by every thread of process $1.

start "$1" "$work/a" || exit 1
start "$2" "$work/b" || exit 1
for side in a b; do
  for _ in $(seq 400); do grep -qx connected "$work/$side/speech.log" 2>/dev/null && break; sleep 0.05; done
  if ! grep -qx connected "$work/$side/speech.log" 2>/dev/null; then
    echo "build $side: the panel did not connect" >&2; cat "$work/$side/panel.out" >&2; exit 1
  fi
done
sleep 5
pa=$(cat "$work/a/pid"); pb=$(cat "$work/b/pid")
a0=$(cpu_ns "$pa"); b0=$(cpu_ns "$pb"); t0=$(date +%s%N)
read -r av0 ai0 <<< "$(switches "$pa")"; read -r bv0 bi0 <<< "$(switches "$pb")"
sleep "$seconds"
a1=$(cpu_ns "$pa"); b1=$(cpu_ns "$pb"); t1=$(date +%s%N)
read -r av1 ai1 <<< "$(switches "$pa")"; read -r bv1 bi1 <<< "$(switches "$pb")"
for p in "$pa" "$pb"; do
  kill -0 "$p" 2>/dev/null || { echo "a panel ended during the run" >&2; exit 1; }
done
awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v t=$((t1 - t0)) -v na="$1" -v nb="$2" \
    -v av=$((av1 - av0)) -v ai=$((ai1 - ai0)) -v bv=$((bv1 - bv0)) -v bi=$((bi1 - bi0)) 'BEGIN {
  s = t / 1e9
  printf "A %s: %.3f %% of a core (%.1f ms CPU in %.1f s; %.1f sleeps, %.1f preempted a second)\n", na, 100 * a / t, a / 1e6, s, av / s, ai / s
  printf "B %s: %.3f %% of a core (%.1f ms CPU in %.1f s; %.1f sleeps, %.1f preempted a second)\n", nb, 100 * b / t, b / 1e6, s, bv / s, bi / s
  if (b > 0) printf "ratio A/B: %.2f\n", a / b
}'
