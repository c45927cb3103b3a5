#!/usr/bin/env bash
# kelvaro.exe --setup under Wine: the COM ports as the system lists them
# (Wine names its serial ports only in SERIALCOMM), the questions answered
# on standard input, and --radio without questions; kelvaro.cfg is written
# with the port chosen and nothing else is made in the folder.
#
#   test_windows_setup.sh KELVARO_EXE
set -uo pipefail
EXE="$1"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }
BASE="$(mktemp -d /tmp/kelvaro-setup.XXXXXX)"
export WINEPREFIX="$BASE/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
FAILURES=0
trap 'wineserver -k >/dev/null 2>&1; [ "$FAILURES" = 0 ] && rm -rf "$BASE" || echo "kept: $BASE"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
check() {
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; FAILURES=$((FAILURES + 1)); fi
}
first_line() { head -1 "$1" | tr -d '\r'; }

mkdir -p "$BASE/asked" "$BASE/given"
printf '\n\n' | wine "$EXE" --setup "Z:$BASE/asked" > "$BASE/asked.out" 2>&1
check "the questions answered with Enter: status 0" [ $? = 0 ]
check "the system's first COM port is listed" grep -qx '1: COM1, \\Device\\Serial0' <(tr -d '\r' < "$BASE/asked.out")
check "kelvaro.cfg names it" [ "$(first_line "$BASE/asked/kelvaro.cfg")" = com=01 ]

wine "$EXE" --setup "Z:$BASE/given" --radio COM7 --pass-through COM8 > "$BASE/given.out" 2>&1
check "--radio asks nothing: status 0" [ $? = 0 ]
check "kelvaro.cfg has the radio on COM7" [ "$(first_line "$BASE/given/kelvaro.cfg")" = com=07 ]
check "and the pass-through port on COM8" grep -q $'^vport= 8\r$' "$BASE/given/kelvaro.cfg"
check "nothing but kelvaro.cfg in the folder" [ "$(ls -A "$BASE/given")" = kelvaro.cfg ]

wine "$EXE" --setup "Z:$BASE/given" --radio COM9 > "$BASE/again.out" 2>&1
check "a kelvaro.cfg with other ports stays without --change-config" [ $? = 1 -a "$(first_line "$BASE/given/kelvaro.cfg")" = com=07 ]
echo "$FAILURES failed"
[ "$FAILURES" = 0 ]
