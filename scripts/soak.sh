#!/usr/bin/env bash
# A long run of the panel against the simulated radio with random keys and
# dial turns, sampling the panel's memory (all resident, anonymous and
# file-backed pages) and open files once a minute.
# Usage: bash scripts/soak.sh [--fast] [MINUTES]   (default 60; needs a built
# tree: bash scripts/build.sh). Prints the samples and a summary; not run in CI.
#
# --fast presses keys about eight times faster (a key about every 75 ms
# rather than every 600 ms; starting xdotool sets the limit) and plays every
# recording ten times faster (sox speed 10; "delay", the time to wait for an
# answer, stays), so the panel keeps up: an hour of it is about eight hours
# of keys.
# KELVARO_BUILD (default build) is the build folder to run; SDL_AUDIODRIVER
# (default dummy) the audio driver, e.g. SDL_AUDIODRIVER=disk
# SDL_DISKAUDIOFILE=/dev/null for the path a sound card takes.
# KELVARO_SOAK_PAUSE sets the pause between keys in seconds (default 0.4,
# 0.02 with --fast). Keys come faster than spoken reports end at the default
# pace, so the panel falls behind and the keys not yet handled pile up in
# SDL's event queue, whose entries (about 270 bytes each) are kept for reuse:
# memory then grows with that backlog. A pause of 3 lets the panel keep up.
# KELVARO_WRAP runs the panel under a profiler, e.g. KELVARO_WRAP="heaptrack
# -o /tmp/soak.heaptrack"; the samples are then of the panel itself.
set -uo pipefail
cd "$(dirname "$0")/.."
fast=0
if [ "${1:-}" = "--fast" ]; then fast=1; shift; fi
minutes="${1:-60}"
build="$(cd "${KELVARO_BUILD:-build}" && pwd)"
work="$(mktemp -d /tmp/kelvaro-soak.XXXXXX)"
cp examples/kelvaro.cfg "$work/kelvaro.cfg"
if [ "$fast" = 1 ]; then
  mkdir "$work/wave"
  # "delay" is the panel's time to wait for an answer, not speech: it stays.
  for f in "$build"/wave/*; do sox -t wav "$f" -t wav "$work/wave/$(basename "$f")" speed 10 2>/dev/null; done
  cp "$build/wave/delay.wav" "$work/wave/delay.wav"
  hold=0.005; pause="${KELVARO_SOAK_PAUSE:-0.02}"
else
  cp -r "$build/wave" "$work/wave"
  hold=0.05; pause="${KELVARO_SOAK_PAUSE:-0.4}"
fi
cat > "$work/run.sh" <<INNER
set -uo pipefail
cd "$work"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" SDL_VIDEODRIVER=x11 DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
export SDL_DISKAUDIOFILE="${SDL_DISKAUDIOFILE:-/dev/null}"
mkfifo sim.ctl pause.fifo
exec 4<> pause.fifo  # read with a time-out: a pause without a process
"$build/ftx1-sim" --link com5 < sim.ctl > sim.out 2>&1 &
sim=\$!
exec 3> sim.ctl
for _ in \$(seq 100); do [ -e com5 ] && break; sleep 0.05; done
${KELVARO_WRAP:-} "$build/kelvaro" > panel.out 2>&1 &
wrapper=\$!
panel=\$wrapper
# Under a profiler the panel is a child of the profiler's process.
if [ -n "${KELVARO_WRAP:-}" ]; then
  for _ in \$(seq 200); do
    for child in \$(pgrep -P "\$wrapper"); do
      [ "\$(readlink "/proc/\$child/exe")" = "$build/kelvaro" ] && panel=\$child
    done
    [ "\$panel" != "\$wrapper" ] && break; sleep 0.05
  done
fi
id=""
for _ in \$(seq 200); do id=\$(xdotool search --name Kelvaro 2>/dev/null | head -1); [ -n "\$id" ] && break; sleep 0.05; done
# Every key the panel knows except Q (which would end the run).
keys=(a b c d e f g h i j k l m n o p r s t u v w x y z 0 1 2 3 4 5 6 7 8 9 Up Down Left Right Prior Next
      Return space period plus minus F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 KP_Begin KP_End)
echo "minute rss_kb fds cpu_ticks keys anon_kb file_kb"
pressed=0
# One process a key (xdotool does the hold itself) and no other: at the fast
# pace, starting processes would otherwise set the pace.
end=\$(( SECONDS + $minutes * 60 ))
next=\$SECONDS
minute=0
while [ "\$SECONDS" -lt "\$end" ] && kill -0 "\$panel" 2>/dev/null; do
  if [ "\$SECONDS" -ge "\$next" ]; then
    echo "\$minute \$(awk '/VmRSS/ {print \$2}' /proc/\$panel/status) \$(ls /proc/\$panel/fd | wc -l) \$(awk '{print \$14+\$15}' /proc/\$panel/stat) \$pressed \$(awk '/RssAnon/ {a=\$2} /RssFile/ {f=\$2} END {print a, f}' /proc/\$panel/status)"
    minute=\$((minute + 1)); next=\$((next + 60))
  fi
  k=\${keys[\$((RANDOM % \${#keys[@]}))]}
  xdotool keydown --window "\$id" "\$k" sleep $hold keyup --window "\$id" "\$k" 2>/dev/null
  pressed=\$((pressed + 1))
  [ \$((RANDOM % 10)) -eq 0 ] && echo "dial \$(( (RANDOM % 2000) - 1000 ))" >&3
  read -r -t $pause -u 4 || true
done
if kill -0 "\$panel" 2>/dev/null; then echo "the panel ran to the end"; else echo "THE PANEL ENDED EARLY"; fi
kill -TERM "\$panel" 2>/dev/null; sleep 2
# A profiler may take a while to write its results.
for _ in \$(seq 300); do kill -0 "\$wrapper" 2>/dev/null || break; sleep 0.2; done
kill "\$sim" 2>/dev/null
INNER
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$work/run.sh" | tee "$work/samples.txt"
awk 'NR > 1 && $1 ~ /^[0-9]+$/ { if (!first) first = $2; last = $2; if ($2 > max) max = $2; f = $3; k = $5
       if ($1 >= 5) { if (lo == "" || $2 < lo) lo = $2; if ($2 > hi) hi = $2 } }
     END { print "rss first " first " kB, last " last " kB, max " max " kB; fds at the end " f "; keys " k
           if (lo != "") print "rss from minute 5 on: " lo " .. " hi " kB (spread " hi - lo " kB)" }' "$work/samples.txt"
echo "work folder: $work"
