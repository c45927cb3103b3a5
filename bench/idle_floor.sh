#!/usr/bin/env bash
# Where the floor lies for the connected, idle panel on this machine: three
# processes side by side, each for SECONDS (default 60):
#   bare    wakes 20 times a second in poll() and does nothing else;
#   model   also does the port traffic the panel's tick must do, against a
#           stand-in of its own: "FA;"/"SM0;" written on alternate ticks, the
#           answer read on the others (byte count, read, byte count);
#   panel   the panel of BUILD (kelvaro, ftx1-sim, wave/) against its stand-in.
# Prints each one's share of a core and its sleeps and preemptions a second.
#   xvfb-run -a bash bench/idle_floor.sh BUILD [SECONDS]
# Needs a C compiler (cc) and an X display.
set -uo pipefail
if [ $# -lt 1 ]; then echo "usage: $0 BUILD [SECONDS]" >&2; exit 2; fi
build="$(cd "$1" && pwd)" || exit 1
seconds="${2:-60}"
# shellcheck source=bench/proc_counts.sh
source "$(dirname "$0")/proc_counts.sh"
bench_start floor

cat > "$work/floor.c" <<'C'
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
/* floor            : wakes every 50 ms, nothing else.
   floor PORT       : and talks to the radio port as the panel's tick does. */
int main(int argc, char** argv) {
  int port = -1;
  if (argc > 1) {
    port = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (port < 0) return 1;
    struct termios t;
    tcgetattr(port, &t);
    cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    tcsetattr(port, TCSANOW, &t);
  }
  int idle[2];
  if (pipe(idle) != 0) return 1; /* stands for the display connection */
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  int reply = 0, meter = 0;
  char buffer[256];
  for (;;) {
    next.tv_nsec += 50000000L;
    if (next.tv_nsec >= 1000000000L) { next.tv_nsec -= 1000000000L; next.tv_sec++; }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    long ms = (next.tv_sec - now.tv_sec) * 1000 + (next.tv_nsec - now.tv_nsec + 999999) / 1000000;
    struct pollfd p = {idle[0], POLLIN, 0};
    poll(&p, 1, ms < 0 ? 0 : (int)ms);
    if (port < 0) continue;
    int n = 0;
    if (!reply) {
      ioctl(port, FIONREAD, &n);
      if (write(port, meter ? "SM0;" : "FA;", meter ? 4 : 3) < 0) return 1;
      meter = !meter;
    } else {
      while (ioctl(port, FIONREAD, &n) == 0 && n > 0 && read(port, buffer, sizeof buffer) > 0) {}
    }
    reply = !reply;
  }
}
C
cc -O2 -o "$work/floor" "$work/floor.c" || exit 1

sim() {  # a stand-in linked as $1/com5
  mkdir -p "$1"
  (cd "$1" && exec "$build/ftx1-sim" --link com5 < /dev/null > sim.out 2>&1) & pids+=($!)
  for _ in $(seq 100); do [ -e "$1/com5" ] && return 0; sleep 0.05; done
  echo "the stand-in made no link in $1" >&2; exit 1
}

"$work/floor" & bare=$!; pids+=($bare)
sim "$work/model"
"$work/floor" "$work/model/com5" & model=$!; pids+=($model)
sim "$work/panel"
printf 'com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=0\r\n10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 0\r\ndebug=0\r\n' \
  > "$work/panel/kelvaro.cfg"
cp -r "$build/wave" "$work/panel/wave"
(cd "$work/panel" && exec "$build/kelvaro" --speech-log speech.log > panel.out 2>&1) & panel=$!; pids+=($panel)
for _ in $(seq 400); do grep -qx connected "$work/panel/speech.log" 2>/dev/null && break; sleep 0.05; done
grep -qx connected "$work/panel/speech.log" 2>/dev/null || { echo "the panel did not connect" >&2; exit 1; }
sleep 5

names=(bare model panel); procs=($bare $model $panel)
declare -a c0 v0 i0
for k in 0 1 2; do c0[$k]=$(cpu_ns "${procs[$k]}"); read -r v0[$k] i0[$k] <<< "$(switches "${procs[$k]}")"; done
t0=$(date +%s%N)
sleep "$seconds"
t1=$(date +%s%N)
for k in 0 1 2; do
  p=${procs[$k]}
  kill -0 "$p" 2>/dev/null || { echo "${names[$k]} ended during the run" >&2; exit 1; }
  c=$(( $(cpu_ns "$p") - c0[$k] )); read -r v i <<< "$(switches "$p")"
  awk -v n="${names[$k]}" -v c="$c" -v t=$((t1 - t0)) -v v=$((v - v0[$k])) -v i=$((i - i0[$k])) 'BEGIN {
    s = t / 1e9
    printf "%-6s %.3f %% of a core (%.1f ms CPU in %.1f s; %.1f sleeps, %.1f preempted a second; %.0f us a sleep)\n",
           n, 100 * c / t, c / 1e6, s, v / s, i / s, (v > 0 ? c / 1e3 / v : 0)
  }'
done
