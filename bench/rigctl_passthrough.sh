#!/usr/bin/env bash
# Seconds per rigctl command straight on the stand-in, through the panel's
# pass-through port and through its rigctld endpoint, side by side in one run, and the panel's start: time from
# start to "connected", and from a key that asks the radio to its first phrase.
#   bash bench/rigctl_passthrough.sh [BUILD_DIR] [ROUNDS]
# Needs an X display (run under xvfb-run -a). Prints one line a figure.
set -uo pipefail
build="$(cd "${1:-build}" && pwd)"; rounds="${2:-20}"
work="$(mktemp -d /tmp/kelvaro-bench.XXXXXX)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11

ms() { date +%s%3N; }
# A batch of commands for rigctl: frequency set and read, mode set and read.
batch() { for i in $(seq "$rounds"); do echo "F $((7000000 + i * 100))"; echo f; echo "M USB 0"; echo m; done; }
# Milliseconds for one rigctl session running the batch on device $1 (model
# 1035 on a serial device, model 2 on host:port).
session() {
  local start model=1035; start=$(ms)
  [[ "$1" == *:* ]] && model=2
  batch | timeout 120 rigctl -m "$model" -r "$1" -s 38400 -C cache_timeout=0 - > "$work/out.$2" 2>&1
  echo $(( $(ms) - start ))
}
right() { grep -cE '^f 70[0-9]{5}$' "$work/out.$1"; }

# Straight on a stand-in of its own.
"$build/ftx1-sim" --link "$work/direct" < /dev/null > /dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do [ -e "$work/direct" ] && break; sleep 0.05; done

# The panel, with the pass-through port on a pseudo-terminal pair.
mkdir "$work/panel"; cd "$work/panel"
printf 'com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=0\r\n10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 6\r\ndebug=0\r\n' > kelvaro.cfg
cp -r "$build/wave" wave
socat pty,raw,echo=0,link="$work/panel/com6" pty,raw,echo=0,link="$work/rig" 2>/dev/null & pids+=($!)
mkfifo ctl
"$build/ftx1-sim" --link "$work/panel/com5" --log "$work/sim.log" < ctl > /dev/null 2>&1 & pids+=($!)
exec 3> ctl
for _ in $(seq 100); do [ -e "$work/panel/com5" ] && [ -e "$work/rig" ] && break; sleep 0.05; done
started=$(ms)
port=$((20000 + RANDOM % 12000))  # below the ephemeral ports (32768 up)
"$build/kelvaro" --speech-log "$work/speech.log" --rigctld "$port" > /dev/null 2>&1 & pids+=($!)
for _ in $(seq 400); do grep -qx connected "$work/speech.log" 2>/dev/null && break; sleep 0.01; done
connected=$(( $(ms) - started ))
# The recordings spoken up to "connected", as the dummy audio driver times them.
spoken=0
while read -r name; do
  f="wave/$name"; [[ "$name" == *.* ]] || f="$f.wav"
  [ -f "$f" ] && spoken=$(( spoken + $(soxi -D "$f" | awk '{ printf "%d", $1 * 1000 }') ))
done < "$work/speech.log"
first=$(head -1 "$work/sim.log" | awk '{ print $1 }'); last=$(grep -m1 ' BI;' "$work/sim.log" | awk '{ print $1 }')
echo "start: $connected ms to \"connected\", of which $spoken ms of recordings; radio set-up traffic $first .. $last"

direct=$(session "$work/direct" direct)
through=$(session "$work/rig" panel)
commands=$(( rounds * 4 ))
echo "rigctl direct:      $direct ms for $commands commands ($(( direct / commands )) ms a command), $(right direct) of $rounds reads right"
echo "rigctl through panel: $through ms for $commands commands ($(( through / commands )) ms a command), $(right panel) of $rounds reads right"
awk -v a="$through" -v b="$direct" 'BEGIN { printf "ratio through/direct: %.2f\n", a / b }'
network=$(session "127.0.0.1:$port" network)
echo "rigctl -m 2 through the panel's rigctld endpoint: $network ms for $commands commands ($(( network / commands )) ms a command), $(right network) of $rounds reads right"
awk -v a="$network" -v b="$direct" 'BEGIN { printf "ratio network/direct: %.2f\n", a / b }'
