#!/usr/bin/env bash
# The Windows installer under Wine, silently (/S), in a Wine prefix of its own:
# it puts kelvaro.exe, every phrase recording and the example configuration
# under Program Files\Kelvaro with a Start-menu entry and an uninstaller; the
# program started in its program folder works in Documents\Kelvaro, made with
# the example kelvaro.cfg; the installed kelvaro.exe --simulate there says
# connected and Q writes savmem.dat; the operator's kelvaro.cfg and
# savmem.dat outlast a second install and the uninstall, which removes the
# program. On the test's own X server and Wine prefix.
#
#   test_installer.sh INSTALLER SOURCE_DIR WAVE_DIR
#
# Skipped (77) without Wine or NSIS.
INSTALLER="$1"; SOURCE_DIR="$2"
set -- "" "" "" "$3"
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/wine_lib.sh"
command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }
command -v makensis >/dev/null || { echo "makensis is not installed: skipped"; exit 77; }
[ -f "$INSTALLER" ] || { echo "FAILED: no $INSTALLER (made by scripts/build-installer.sh)"; exit 1; }

BASE="$WORK"
# The prefix's Documents follows the home folder, so the test has its own.
export HOME="$BASE/home"
mkdir -p "$HOME"
trap 'wineserver -k >/dev/null 2>&1; cleanup' EXIT
start_wine_prefix "$BASE/wine" ",winemenubuilder.exe=d"
installed() {
  wineserver -w
  echo "installer: $(stat -c %s "$INSTALLER") bytes"
  finish
}

PROGRAM="$WINEPREFIX/drive_c/Program Files/Kelvaro"
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kelvaro"
USER_FOLDER="$WINEPREFIX/drive_c/users/$(id -un)/Documents/Kelvaro"
same_names() { cmp -s <(cd "$1" && ls) <(cd "$2" && ls); }
same_files() { local a; for a in "$1"/*; do cmp -s "$a" "$2/$(basename "$a")" || return 1; done; }
registered() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvaro' /v UninstallString >/dev/null 2>&1; }
# kelvaro.exe as its Start-menu entry starts it: in the program folder. There
# is no radio on COM5, so the check ends at once; what counts is the folder.
start_in_program_folder() { (cd "$PROGRAM" && wine ./kelvaro.exe --check >"$BASE/check.out" 2>&1); }

wine "$INSTALLER" /S
check "the silent install ends with status 0" [ $? = 0 ]
check "kelvaro.exe is in Program Files\\Kelvaro" [ -s "$PROGRAM/kelvaro.exe" ]
check "wave\\ holds every recording of the build" same_names "$WAVE_DIR" "$PROGRAM/wave"
check "the recordings are the build's" same_files "$WAVE_DIR" "$PROGRAM/wave"
check "the example configuration is examples\\kelvaro.cfg" cmp -s "$SOURCE_DIR/examples/kelvaro.cfg" "$PROGRAM/examples/kelvaro.cfg"
check "the uninstaller is there" [ -s "$PROGRAM/Uninstall.exe" ]
check "the uninstaller is listed in Apps" registered
check "the Start menu has Kelvaro and its uninstaller" [ -s "$MENU/Kelvaro.lnk" -a -s "$MENU/Uninstall.lnk" ]
# The shortcut keeps its "Start in" folder as UTF-16 text.
starts_in_program_folder() {
  python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' \
    "$MENU/Kelvaro.lnk" 'C:\Program Files\Kelvaro'
}
check "the Start-menu entry starts Kelvaro in its program folder" starts_in_program_folder
check "the install leaves the operator's folder alone" [ ! -e "$USER_FOLDER" ]

start_in_program_folder
check "the first start makes Documents\\Kelvaro with the example kelvaro.cfg" \
  cmp -s "$SOURCE_DIR/examples/kelvaro.cfg" "$USER_FOLDER/kelvaro.cfg"
check "the program folder gets no kelvaro.cfg" [ ! -e "$PROGRAM/kelvaro.cfg" ]

# The installed program in the operator's folder, with the radio inside it
# and the recordings beside the program: connected, and Q writes the bank.
simulated_panel_connects_and_quits "$USER_FOLDER" "$PROGRAM/kelvaro.exe"

# The operator's own settings and channels.
sed 's/^power=.*/power=020/' "$SOURCE_DIR/examples/kelvaro.cfg" >"$USER_FOLDER/kelvaro.cfg"
cp "$USER_FOLDER/kelvaro.cfg" "$USER_FOLDER/savmem.dat" "$BASE/"

wine "$INSTALLER" /S
check "the second silent install ends with status 0" [ $? = 0 ]
check "kelvaro.exe is there after the second install" [ -s "$PROGRAM/kelvaro.exe" ]
start_in_program_folder
check "the operator's kelvaro.cfg outlasts a second install and start" cmp -s "$BASE/kelvaro.cfg" "$USER_FOLDER/kelvaro.cfg"
check "savmem.dat outlasts a second install and start" cmp -s "$BASE/savmem.dat" "$USER_FOLDER/savmem.dat"

# The uninstaller, run from a copy as it runs itself, so that it is the
# process Wine waits for. _?= names the folder it removes and must end the
# command line unquoted, as cmd passes it.
cp "$PROGRAM/Uninstall.exe" "$WINEPREFIX/drive_c/uninstall-copy.exe"
wine cmd /c 'C:\uninstall-copy.exe /S _?=C:\Program Files\Kelvaro'
check "the silent uninstall ends with status 0" [ $? = 0 ]
check "the uninstall removes Program Files\\Kelvaro" [ ! -e "$PROGRAM" ]
check "the uninstall removes the Start-menu entries" [ ! -e "$MENU" ]
check "the uninstall removes the Apps entry" eval '! registered'
check "the operator's kelvaro.cfg outlasts the uninstall" cmp -s "$BASE/kelvaro.cfg" "$USER_FOLDER/kelvaro.cfg"
check "savmem.dat outlasts the uninstall" cmp -s "$BASE/savmem.dat" "$USER_FOLDER/savmem.dat"
installed
