#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, ASan + UBSan) and runs each one
# for a bounded time on a copy of its seed corpus.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 60; the targets default to all of them. At
# most two targets run at a time, each as one process (no -jobs, no -fork).
# Per target it prints the executions and whether anything was found; an
# input that crashed, leaked, timed out or made a sanitizer report is kept in
# build-fuzz/artifacts/<target>/ and the script exits with status 1.
#
# A longer run, for example ten minutes per target:
#   scripts/fuzz.sh 600
# Reproduce a finding:
#   build-fuzz/<target> build-fuzz/artifacts/<target>/crash-...
#
# Installs nothing: clang comes with scripts/setup.sh.
set -euo pipefail

seconds="${1:-60}"
if [ $# -gt 0 ]; then shift; fi
all_targets=(fuzz_config fuzz_memory_file fuzz_radio_replies fuzz_passthrough fuzz_keys fuzz_rigctld)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [SECONDS_PER_TARGET] [TARGET...]" >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"

if ! clang++ --version >/dev/null 2>&1; then
  echo "fuzz: clang++ does not run; install the packages of scripts/setup.sh" >&2
  exit 2
fi
echo "fuzz: $(clang++ --version | head -n 1)"

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" -j2 "${targets[@]}"

work="$(mktemp -d "${TMPDIR:-/tmp}/kelvaro-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/logs"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Runs one target; its log goes to build-fuzz/logs/<target>.log and its exit
# status to $work/<target>.rc.
run_target() {
  local target="$1"
  local corpus="$work/$target/corpus"
  local artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  cp "$root/fuzz/corpus/$target/"* "$corpus/"
  local rc=0
  "$build/$target" "$corpus" \
    -max_total_time="$seconds" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
    -jobs=0 -fork=0 -artifact_prefix="$artifacts/" \
    >"$build/logs/$target.log" 2>&1 || rc=$?
  echo "$rc" >"$work/$target.rc"
}

running=0
for target in "${targets[@]}"; do
  if [ ! -d "$root/fuzz/corpus/$target" ]; then
    echo "fuzz: no such target: $target" >&2
    exit 2
  fi
  if [ "$running" -ge 2 ]; then
    wait -n || true
    running=$((running - 1))
  fi
  echo "fuzz: running $target for ${seconds}s"
  run_target "$target" &
  running=$((running + 1))
done
wait || true

# A log may lack any of these lines (a target that crashed at its first
# input, or before libFuzzer wrote anything): a search that finds nothing
# leaves the field empty instead of ending the script before the summary.
# A log that quotes the input may hold any bytes: grep reads it as text.
failed=0
printf '\n%-20s %14s %10s %8s  %s\n' target executions exec/s "new" result
for target in "${targets[@]}"; do
  log="$build/logs/$target.log"
  [ -f "$log" ] || : > "$log"
  rc="$(cat "$work/$target.rc" 2>/dev/null || echo 99)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  if [ -z "$execs" ]; then
    # No final statistics after a crash: the last progress line tells.
    execs="$(grep -aoE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#' || true)"
  fi
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
  added="$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -n 1)"
  if [ "$rc" = 0 ]; then
    result="nothing found"
  else
    failed=1
    finding="$(grep -a -m 1 -E '\*\*\* fuzz check failed|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log" || true)"
    artifact="$(grep -aoE 'Test unit written to [^ ]+' "$log" | tail -n 1 | sed 's/Test unit written to //' || true)"
    result="FOUND (exit $rc): ${finding:-see the log}${artifact:+; input: $artifact}"
  fi
  printf '%-20s %14s %10s %8s  %s\n' "$target" "${execs:-?}" "${rate:-?}" "${added:-?}" "$result"
done
echo "fuzz: logs in $build/logs/"
exit "$failed"
