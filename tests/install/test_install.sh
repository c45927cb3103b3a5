#!/usr/bin/env bash
# The install as a new user meets it: cmake --install into a temporary prefix,
# then, from an empty folder, kelvaro --setup against a fake /dev/serial/by-id
# folder whose radio is the installed stand-in, kelvaro --check, and the
# installed panel, which must find the installed phrase recordings (heard, as
# SDL's disk driver records them) unless the folder has a wave/ of its own.
#   test_install.sh BUILD_DIR SOURCE_DIR CLOSE_WINDOW
BUILD="$1"; SOURCE="$2"; CLOSE_WINDOW_PROGRAM="$3"
PREFIX_DIR="$(mktemp -d /tmp/kelvaro-install.XXXXXX)"
P="$PREFIX_DIR/usr"
if ! cmake --install "$BUILD" --prefix "$P" > "$PREFIX_DIR/install.log" 2>&1; then
  cat "$PREFIX_DIR/install.log"; echo "FAILED: cmake --install"; echo "0 passed, 1 failed"; exit 1
fi
source "$SOURCE/tests/e2e/lib.sh" "$P/bin/kelvaro" "$P/bin/ftx1-sim" "$CLOSE_WINDOW_PROGRAM" ""
trap 'cleanup; [ "$FAILURES" -eq 0 ] && rm -rf "$PREFIX_DIR"' EXIT
# Another user must reach the programs and the folders (see "not writable").
chmod 755 "$PREFIX_DIR" "$WORK"

RADIO_NAME="usb-Silicon_Labs_CP2105_Dual_USB_to_UART_Bridge_Controller_01A2B3C4-if00-port0"
OTHER_NAME="usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
has() { grep -qF -- "$1" "$2"; }
# True when the file holds any byte but zero (the recording of some sound).
heard() { [ -n "$(tr -d '\000' < "$1" | head -c 1)" ]; }
# True when the file was recorded and holds only silence.
silent() { [ -s "$1" ] && ! heard "$1"; }
# True when the manual page $1 exists and groff formats it without a warning.
formats_cleanly() { [ -s "$1" ] && [ -z "$(zcat "$1" | groff -man -Tutf8 -ww -z 2>&1)" ]; }

# --- What is installed where --------------------------------------------------
check "bin/kelvaro" [ -x "$P/bin/kelvaro" ]
check "bin/ftx1-sim" [ -x "$P/bin/ftx1-sim" ]
words=$(grep -cE $'^[A-Za-z0-9_-]+\t' "$SOURCE/voice/vocabulary.tsv")
check "a recording for every phrase of the vocabulary" \
  [ "$(find "$P/share/kelvaro/wave" -name '*.wav' | wc -l)" -eq "$words" ]
check "the example configuration" cmp -s "$SOURCE/examples/kelvaro.cfg" "$P/share/doc/kelvaro/examples/kelvaro.cfg"
check "the desktop entry is valid" desktop-file-validate "$P/share/applications/kelvaro.desktop"
for page in kelvaro ftx1-sim; do
  man="$P/share/man/man1/$page.1.gz"
  check "man page $page(1) formats without a warning" formats_cleanly "$man"
  for option in $("$P/bin/$page" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    check "man page $page(1) explains $option" grep -qF -- "$option" <(zcat "$man" | sed 's/\\-/-/g')
  done
done

# --- A radio set up in one step ---------------------------------------------------
mkdir "$WORK/by-id"
ln -s /dev/null "$WORK/by-id/$OTHER_NAME"
SIM_LINK="$WORK/by-id/$RADIO_NAME" start_sim
# Enter for the first device listed (the radio's bridge), Enter for COM 5,
# Enter for no pass-through port. The folders are given relative.
(cd "$WORK" && printf '\n\n\n' | "$KELVARO" --setup station --serial-folder by-id) > "$WORK/setup.out" 2> "$WORK/setup.err"
check "--setup ends with 0" [ $? -eq 0 ]
check "--setup names the radio's bridge first" \
  has "1: Silicon Labs CP2105 Dual USB to UART Bridge Controller 01A2B3C4, interface 0, /dev/pts/" "$WORK/setup.out"
check "--setup marks it" has ", probably the radio" "$WORK/setup.out"
check "--setup links com5 to the radio" [ "$(readlink "$WORK/station/com5")" = "$WORK/by-id/$RADIO_NAME" ]
check "--setup writes the configuration" [ "$(head -1 "$WORK/station/kelvaro.cfg")" = $'com=05\r' ]
check "--setup says nothing on stderr" [ ! -s "$WORK/setup.err" ]
check "the folder has no phrase folder of its own" [ ! -e "$WORK/station/wave" ]

(cd "$WORK/station" && exec "$KELVARO" --check) > "$WORK/check.out" 2>&1
check "--check finds an FTX-1" [ $? -eq 0 ]
check "--check says so" has "This is an FTX-1" "$WORK/check.out"

# Runs the installed panel in folder $1 until it has said "connected", then
# closes it; the sound is recorded in $2.
run_panel_in() {
  : > "$WORK/speech.log"
  (cd "$1" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$2" exec "$KELVARO" --speech-log "$WORK/speech.log" "${@:3}") \
    > "$WORK/panel.out" 2>&1 &
  PANEL_PID=$!
  local id
  id=$(panel_window) || { fail "no panel window in $1"; return 1; }
  wait_for_line "$WORK/speech.log" 30 '^connected$' || { fail "the panel in $1 did not connect"; return 1; }
  close_panel "$id"
}
check "the installed panel connects and ends with 0" run_panel_in "$WORK/station" "$WORK/sound.raw"
check "the installed recordings are heard" heard "$WORK/sound.raw"
check "no complaint on stderr" bash -c "! grep '^kelvaro:' '$WORK/panel.out'"

mkdir "$WORK/station/wave"
check "with a wave/ of its own the panel connects" run_panel_in "$WORK/station" "$WORK/own.raw"
check "the folder's own (empty) wave/ wins: silence" silent "$WORK/own.raw"
rmdir "$WORK/station/wave"

# Again by options: the bank file the panel wrote is kept, the configuration
# is left as it is.
cp "$WORK/station/savmem.dat" "$WORK/savmem.before"
"$KELVARO" --setup "$WORK/station" --radio "$WORK/by-id/$RADIO_NAME" --port 5 > "$WORK/setup2.out" 2>&1
check "--setup by options again ends with 0" [ $? -eq 0 ]
check "savmem.dat is kept" cmp -s "$WORK/savmem.before" "$WORK/station/savmem.dat"
check "kelvaro.cfg stays as it is" has "it stays as it is" "$WORK/setup2.out"

# --simulate finds the installed stand-in beside the program.
mkdir "$WORK/trial"
cp "$P/share/doc/kelvaro/examples/kelvaro.cfg" "$WORK/trial/"
check "--simulate runs against the installed stand-in" run_panel_in "$WORK/trial" "$WORK/trial.raw" --simulate

# --- Set-ups that cannot be done write nothing -------------------------------------
mkdir "$WORK/empty-by-id"
"$KELVARO" --setup "$WORK/none" --serial-folder "$WORK/empty-by-id" < /dev/null > "$WORK/bad.out" 2> "$WORK/bad.err"
check "no serial devices: status 1" [ $? -eq 1 ]
check "no serial devices: said" has "there are no serial devices in $WORK/empty-by-id" "$WORK/bad.err"
check "no serial devices: no folder made" [ ! -e "$WORK/none" ]

mkdir -m 755 "$WORK/locked"
if [ "$(id -u)" -eq 0 ]; then as_other="setpriv --reuid=65534 --regid=65534 --clear-groups"; else as_other=""; chmod 555 "$WORK/locked"; fi
$as_other "$KELVARO" --setup "$WORK/locked" --radio "$WORK/by-id/$RADIO_NAME" > "$WORK/bad.out" 2> "$WORK/bad.err"
check "not writable: status 1" [ $? -eq 1 ]
check "not writable: said" has "cannot set up $WORK/locked: Permission denied; nothing was written" "$WORK/bad.err"
check "not writable: nothing written" [ -z "$(ls -A "$WORK/locked")" ]
chmod 755 "$WORK/locked"
finish
