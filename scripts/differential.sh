#!/usr/bin/env bash
# Compares what the panel does for the same random keys in an earlier tree and
# in this one: every message, every command sent and answer, every phrase
# played and the files left in the working folder (tests/key_trace.cc).
#
#   scripts/differential.sh BASE_COMMIT [SEEDS]
#
# It checks BASE_COMMIT out in a temporary worktree, copies this tree's trace
# source (tests/key_trace.cc, tests/key_draw.h, tests/key_trace.cmake) into it,
# builds key_trace there and here (target key_trace only, one job), runs both
# for seeds 1..SEEDS and compares. 300 seeds by default (about 10 s a tree):
# the rarer paths, such as recalling a repeater channel, first show after a
# hundred seeds or more. Exit status 0 when the traces are equal, 1 when they
# differ (the first differences are printed and both traces kept in
# build-differential/), 2 when it could not compare.
#
# This tree is built in build/ (KELVARO_BUILD=DIR for another folder).
# KELVARO_DIFF_KEEP=1 keeps the base worktree and its build in
# build-differential/ so that the next run against the same commit only
# rebuilds what changed.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BASE_COMMIT [SEEDS]" >&2
  exit 2
fi
seeds="${2:-300}"
if ! [[ "$seeds" =~ ^[0-9]+$ ]] || [ "$seeds" -lt 1 ]; then
  echo "differential: SEEDS must be a positive number" >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
if ! sha="$(git -C "$root" rev-parse --verify --quiet "$1^{commit}")"; then
  echo "differential: no such commit: $1" >&2
  exit 2
fi
work="$root/build-differential"
tree="$work/base-${sha:0:12}"
current_build="${KELVARO_BUILD:-$root/build}"
mkdir -p "$work"

remove_tree() {
  if [ "${KELVARO_DIFF_KEEP:-0}" != 1 ] && [ -d "$tree" ]; then
    git -C "$root" worktree remove --force "$tree" >/dev/null 2>&1 || rm -rf "$tree"
    git -C "$root" worktree prune
  fi
}
trap remove_tree EXIT

if [ ! -d "$tree" ]; then
  git -C "$root" worktree prune
  git -C "$root" worktree add --detach --quiet "$tree" "$sha"
fi

# The trace as this tree has it, and its target, in the base tree.
for file in key_trace.cc key_draw.h key_trace.cmake; do
  cp "$root/tests/$file" "$tree/tests/$file"
done
if ! grep -q 'key_trace.cmake' "$tree/tests/CMakeLists.txt"; then
  printf '\ninclude(${CMAKE_CURRENT_SOURCE_DIR}/key_trace.cmake)\n' >>"$tree/tests/CMakeLists.txt"
fi

build() {  # SOURCE BUILD_DIR
  if [ ! -f "$2/CMakeCache.txt" ]; then
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$2" -j 1 --target key_trace >"$work/build.log" 2>&1 || {
    tail -n 30 "$work/build.log" >&2
    echo "differential: key_trace does not build in $1" >&2
    exit 2
  }
}

echo "differential: building key_trace of ${sha:0:12} (base) and of $root"
build "$tree" "$tree/build"
build "$root" "$current_build"

"$tree/build/key_trace" "$seeds" >"$work/base.trace"
"$current_build/key_trace" "$seeds" >"$work/current.trace"

lines="$(wc -l <"$work/base.trace")"
if cmp -s "$work/base.trace" "$work/current.trace"; then
  echo "differential: equal for $seeds seeds ($lines lines)"
  rm -f "$work/base.trace" "$work/current.trace"
  exit 0
fi

first="$(cmp "$work/base.trace" "$work/current.trace" 2>/dev/null | sed -n 's/.* line \([0-9]*\).*/\1/p' || true)"
# cmp names no line when one trace is a prefix of the other.
first="${first:-$(wc -l <"$work/current.trace")}"
seed="$(awk -v n="$first" 'NR <= n && /^seed / { s = $2 } END { print s }' "$work/base.trace")"
echo "differential: the traces differ, first at line $first (seed $seed); base ${sha:0:12} (-) against this tree (+):"
diff -u --label base --label current "$work/base.trace" "$work/current.trace" | head -n 60 || true
echo "differential: both traces in $work/base.trace and $work/current.trace"
exit 1
