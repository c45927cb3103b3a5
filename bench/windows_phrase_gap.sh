#!/usr/bin/env bash
# The silence the Windows voice adds between phrases, measured under Wine: a
# PulseAudio server of this run's own with a null sink, kelvaro's Win32Voice
# (build-windows/win32_phrase_gap.exe) speaking tone phrases back to back
# through Wine's PulseAudio driver, and parec recording the sink's monitor.
# Prints the length of sound recorded against the phrases' length and every
# silence of 1 ms or more between the first and the last sound. Run it a few
# times: the figures are the machine's as well as the player's.
#
#   bash bench/windows_phrase_gap.sh [BUILD_WINDOWS_DIR] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"; rounds="${2:-3}"
for tool in wine pulseaudio parec python3; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
[ -x "$build/win32_phrase_gap.exe" ] || { echo "no $build/win32_phrase_gap.exe: bash scripts/build-windows.sh"; exit 1; }
exe="$(cd "$build" && pwd)/win32_phrase_gap.exe"

work="$(mktemp -d /tmp/kelvaro-gap.XXXXXX)"
export HOME="$work" PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse-state"
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"
pa=""; rec=""
finish() {
  [ -n "$rec" ] && kill "$rec" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$pa" ] && kill "$pa" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=stderr \
  -L "module-null-sink sink_name=gap rate=22050 channels=1" -L module-native-protocol-unix \
  2> "$work/pulse.log" &
pa=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl set-default-sink gap
wineboot -i >/dev/null 2>&1
wineserver -w

parec --device=gap.monitor --format=s16le --rate=22050 --channels=1 --raw --latency-msec=5 > "$work/played.raw" &
rec=$!
sleep 0.5  # the recorder running before the first phrase
wine "$exe" 'Z:'"$work"'\phrases' "$rounds" 2>/dev/null | tr -d '\r'
sleep 0.5  # the last phrase through the sink
kill "$rec"; wait "$rec" 2>/dev/null || true; rec=""

python3 - "$work/played.raw" "$rounds" <<'EOF'
import sys, array
samples = array.array('h'); samples.frombytes(open(sys.argv[1], 'rb').read())
rounds = int(sys.argv[2]); rate = 22050
ms = lambda n: n * 1000 / rate
# Runs of samples: silent (|v| <= 1000), or of one sign; the 300 ms phrase's
# half periods are 25 samples, the 200 ms phrase's 15.
runs, kind, length = [], None, 0
for v in samples:
    k = 0 if abs(v) <= 1000 else (1 if v > 0 else -1)
    if k == kind: length += 1
    else:
        if kind is not None: runs.append((kind, length))
        kind, length = k, 1
runs.append((kind, length))
while runs and runs[0][0] == 0: runs.pop(0)
while runs and runs[-1][0] == 0: runs.pop()
if not runs:
    print("no sound was recorded"); sys.exit(1)
phrases, gaps = [], []
for k, n in runs:
    if k == 0:
        if n >= rate // 1000: gaps.append(n)
        continue
    tone = "300 ms" if n > 20 else "200 ms"
    if phrases and phrases[-1][0] == tone: phrases[-1][1] += n
    else: phrases.append([tone, n])
total = sum(n for _, n in runs)
print("sound recorded: %.1f ms from first to last, for %d ms of phrases" % (ms(total), 500 * rounds))
print("phrases as played: " + ", ".join("%s phrase %.1f ms" % (t, ms(n)) for t, n in phrases))
print("silences of 1 ms or more inside it: %d%s" % (len(gaps), "" if not gaps else
      " (" + ", ".join("%.1f ms" % ms(g) for g in gaps) + ")"))
EOF
