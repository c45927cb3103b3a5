# What the idle benchmarks share: their work folder and environment, and the
# counters of a running process, read from /proc. Sourced by them.

# A work folder in $work (named after $1) and the list $pids of processes
# started, both cleared away at exit; the panel on X with no sound device.
bench_start() {
  work="$(mktemp -d "/tmp/kelvaro-$1.XXXXXX")"
  pids=()
  trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" SDL_VIDEODRIVER=x11
  export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
}

# CPU time so far of every thread of process $1, in nanoseconds.
cpu_ns() {
  local total=0 t
  for t in /proc/"$1"/task/*/schedstat; do
    total=$(( total + $(awk '{ print $1 }' "$t" 2>/dev/null || echo 0) ))
  done
  echo "$total"
}

# Voluntary and involuntary context switches so far of every thread of
# process $1, as "V I".
switches() {
  local v=0 i=0 t a b
  for t in /proc/"$1"/task/*/status; do
    a=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t" 2>/dev/null || echo 0)
    b=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$t" 2>/dev/null || echo 0)
    v=$((v + ${a:-0})); i=$((i + ${b:-0}))
  done
  echo "$v $i"
}
