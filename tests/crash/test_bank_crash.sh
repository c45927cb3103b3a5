#!/usr/bin/env bash
# Memory banks that survive a crash. kelvaro-bank-writer stores round after
# round of memory channels and band records, each saved to "savmem.dat"; it is
# killed (SIGKILL) at random moments, over and over. After every kill a fresh
# start must find one whole round: the last one it reported saved, or the one
# it was saving when it died; never a mixture, never the defaults.
#
#   test_bank_crash.sh WRITER [KILLS]
set -uo pipefail

WRITER="$1"; KILLS="${2:-200}"
DIR="$(mktemp -d /tmp/kelvaro-crash.XXXXXX)"
PID=""
FAILURES=0
cleanup() {
  [ -n "$PID" ] && kill -9 "$PID" 2>/dev/null
  wait 2>/dev/null
  if [ "$FAILURES" -eq 0 ]; then rm -rf "$DIR"; else echo "folder kept: $DIR"; fi
}
trap cleanup EXIT
fail() { FAILURES=$((FAILURES + 1)); echo "FAILED: $1"; }

on_disk=0            # the round the last start found
inside_save=0        # kills that left the temporary file behind
unreported=0         # kills after a save had landed but before it was reported
saves=0
for kill_number in $(seq "$KILLS"); do
  "$WRITER" write "$DIR" > "$DIR/out" 2>&1 &
  PID=$!
  sleep "$(printf '0.%03d' $((RANDOM % 150)))"
  kill -9 "$PID" 2>/dev/null
  wait "$PID" 2>/dev/null
  PID=""

  if grep -q '^torn\|failed' "$DIR/out"; then
    fail "kill $kill_number: the writer reported: $(grep '^torn\|failed' "$DIR/out")"
    break
  fi
  loaded=$(awk '$1 == "loaded" { print $2 }' "$DIR/out")
  if [ -n "$loaded" ] && [ "$loaded" -ne "$on_disk" ]; then
    fail "kill $kill_number: the writer started from round $loaded, the check before it found $on_disk"
    break
  fi
  last=$(awk '$1 == "saved" { r = $2 } END { print r }' "$DIR/out")
  [ -z "$last" ] && last=$on_disk
  saves=$((saves + last - on_disk))
  [ -e "$DIR/savmem.tmp" ] && inside_save=$((inside_save + 1))

  # The next start: the old banks (the last reported) or the new ones (the
  # save that was going on), nothing else.
  if ! result=$("$WRITER" check "$DIR" "$last" $((last + 1)) 2>&1); then
    fail "kill $kill_number: $result"
    break
  fi
  found=${result#round }
  [ "$found" -eq $((last + 1)) ] && unreported=$((unreported + 1))
  on_disk=$found
done

echo "$kill_number kills, $on_disk rounds saved ($saves reported); $inside_save kills left savmem.tmp behind" \
     "(killed inside a save), $unreported came after a save had landed but before it was reported"
[ "$kill_number" -eq "$KILLS" ] || fail "stopped after $kill_number kills"
[ "$on_disk" -ge 100 ] || fail "only $on_disk rounds were saved"
[ "$inside_save" -ge 5 ] || fail "too few kills landed inside a save ($inside_save) to show anything"
[ "$FAILURES" -eq 0 ] && echo "ok: every start found a whole round"
exit $((FAILURES > 0))
