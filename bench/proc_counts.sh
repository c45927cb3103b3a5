# Counters of a running process, read from /proc; sourced by the benchmarks.

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
