#!/usr/bin/env bash
# A long run of the panel against the simulated radio with random keys and
# dial turns, sampling the panel's memory and open files once a minute.
# Usage: bash scripts/soak.sh [MINUTES]   (default 60; needs a built tree:
# bash scripts/build.sh). Prints the samples and a summary; not run in CI.
set -uo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-60}"
root="$PWD"
work="$(mktemp -d /tmp/kelvaro-soak.XXXXXX)"
cp examples/kelvaro.cfg "$work/kelvaro.cfg"
cp -r build/wave "$work/wave"
cat > "$work/run.sh" <<INNER
set -uo pipefail
cd "$work"
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
mkfifo sim.ctl
"$root/build/ftx1-sim" --link com5 < sim.ctl > sim.out 2>&1 &
sim=\$!
exec 3> sim.ctl
for _ in \$(seq 100); do [ -e com5 ] && break; sleep 0.05; done
"$root/build/kelvaro" > panel.out 2>&1 &
panel=\$!
id=""
for _ in \$(seq 200); do id=\$(xdotool search --name Kelvaro 2>/dev/null | head -1); [ -n "\$id" ] && break; sleep 0.05; done
# Every key the panel knows except Q (which would end the run).
keys=(a b c d e f g h i j k l m n o p r s t u v w x y z 0 1 2 3 4 5 6 7 8 9 Up Down Left Right Prior Next
      Return space period plus minus F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 KP_Begin KP_End)
echo "minute rss_kb fds cpu_ticks"
end=\$(( \$(date +%s) + $minutes * 60 ))
next=\$(date +%s)
minute=0
while [ "\$(date +%s)" -lt "\$end" ] && kill -0 "\$panel" 2>/dev/null; do
  if [ "\$(date +%s)" -ge "\$next" ]; then
    echo "\$minute \$(awk '/VmRSS/ {print \$2}' /proc/\$panel/status) \$(ls /proc/\$panel/fd | wc -l) \$(awk '{print \$14+\$15}' /proc/\$panel/stat)"
    minute=\$((minute + 1)); next=\$((next + 60))
  fi
  k=\${keys[\$((RANDOM % \${#keys[@]}))]}
  xdotool keydown --window "\$id" "\$k" 2>/dev/null; sleep 0.05; xdotool keyup --window "\$id" "\$k" 2>/dev/null
  [ \$((RANDOM % 10)) -eq 0 ] && echo "dial \$(( (RANDOM % 2000) - 1000 ))" >&3
  sleep 0.4
done
if kill -0 "\$panel" 2>/dev/null; then echo "the panel ran to the end"; else echo "THE PANEL ENDED EARLY"; fi
kill -TERM "\$panel" 2>/dev/null; sleep 2; kill "\$sim" 2>/dev/null
INNER
xvfb-run -a bash "$work/run.sh" | tee "$work/samples.txt"
awk 'NR > 1 && $1 ~ /^[0-9]+$/ { if (!first) first = $2; last = $2; if ($2 > max) max = $2; f = $3 }
     END { print "rss first " first " kB, last " last " kB, max " max " kB; fds at the end " f }' "$work/samples.txt"
echo "work folder: $work"
