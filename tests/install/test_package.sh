#!/usr/bin/env bash
# The Debian package: cpack -G DEB builds it; it holds exactly the installed
# files, depends on the shared libraries the programs are linked with, and
# its programs run once unpacked.
#   test_package.sh BUILD_DIR SOURCE_DIR
BUILD="$1"; SOURCE="$2"
set -uo pipefail
OUT="$(mktemp -d /tmp/kelvaro-package.XXXXXX)"
FAILURES=0; PASSES=0
pass() { PASSES=$((PASSES + 1)); echo "ok: $1"; }
fail() { FAILURES=$((FAILURES + 1)); echo "FAILED: $1"; }
check() { local what="$1"; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
finish() {
  echo "$PASSES passed, $FAILURES failed"
  if [ "$FAILURES" -eq 0 ]; then rm -rf "$OUT"; else echo "kept: $OUT"; fi
  [ "$FAILURES" -eq 0 ]; exit $?
}

if ! (cd "$OUT" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$OUT") > "$OUT/cpack.log" 2>&1; then
  cat "$OUT/cpack.log"; fail "cpack -G DEB"; finish
fi
deb=$(ls "$OUT"/*.deb 2>/dev/null | head -1)
check "the package is kelvaro_3.5a_<arch>.deb" [ "$(basename "$deb")" = "kelvaro_3.5a_$(dpkg --print-architecture).deb" ]
[ -n "$deb" ] || finish

field() { dpkg-deb -f "$deb" "$1"; }
check "Package: kelvaro" [ "$(field Package)" = "kelvaro" ]
check "Version: 3.5a" [ "$(field Version)" = "3.5a" ]
check "Section: hamradio" [ "$(field Section)" = "hamradio" ]
check "Architecture: the machine's" [ "$(field Architecture)" = "$(dpkg --print-architecture)" ]
depends="$(field Depends)"
echo "Depends: $depends"
# The package names in Depends, one a line, without their versions.
depended() { tr ',' '\n' <<< "$depends" | sed 's/^ *//; s/ .*//'; }
for library in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1; do
  check "depends on $library" grep -qxF "$library" <(depended)
done

# Every file, exactly: the programs, one recording per vocabulary line, the
# manual pages, the documentation and the desktop entry; nothing else (no
# tests, benchmarks or build files).
{
  echo ./usr/bin/ftx1-sim
  echo ./usr/bin/kelvaro
  echo ./usr/share/applications/kelvaro.desktop
  echo ./usr/share/doc/kelvaro/README.md
  echo ./usr/share/doc/kelvaro/changelog.gz
  echo ./usr/share/doc/kelvaro/copyright
  echo ./usr/share/icons/hicolor/scalable/apps/kelvaro.svg
  echo ./usr/share/doc/kelvaro/examples/kelvaro.cfg
  echo ./usr/share/doc/kelvaro/vocabulary.tsv
  grep -oE $'^[A-Za-z0-9_-]+\t' "$SOURCE/voice/vocabulary.tsv" | tr -d '\t' | sed 's|^|./usr/share/kelvaro/wave/|; s|$|.wav|'
  echo ./usr/share/man/man1/ftx1-sim.1.gz
  echo ./usr/share/man/man1/kelvaro.1.gz
} | LC_ALL=C sort > "$OUT/expected.txt"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | LC_ALL=C sort > "$OUT/files.txt"
check "the file list is exactly the install" diff -u "$OUT/expected.txt" "$OUT/files.txt"

dpkg-deb -x "$deb" "$OUT/root"
check "the unpacked kelvaro runs" [ "$("$OUT/root/usr/bin/kelvaro" --version)" = "kelvaro 3.5a" ]
check "the unpacked ftx1-sim runs" "$OUT/root/usr/bin/ftx1-sim" --help
check "the unpacked man page reads" bash -c "man -l '$OUT/root/usr/share/man/man1/kelvaro.1.gz' 2>/dev/null | grep -q 'THE KEYBOARD'"
# Debian's own checks: lintian without an error or a warning, and the
# programs built with the hardening flags (hardening-check's control-flow
# check is left out: it reports Debian 12's gcc output as unprotected).
lintian --fail-on error,warning "$deb" > "$OUT/lintian.txt" 2>&1; status=$?
cat "$OUT/lintian.txt"
check "lintian reports no error or warning" [ "$status" -eq 0 ]
check "lintian output holds no E: or W: tag" bash -c "! grep -qE '^[EW]: ' '$OUT/lintian.txt'"
# A sanitizer build is instrumented instead of hardened; only a release build
# must pass.
if grep -q '^KELVARO_SANITIZE:BOOL=ON$' "$BUILD/CMakeCache.txt"; then
  echo "a sanitizer build: the hardening check is for release builds"
else
  for program in kelvaro ftx1-sim; do
    check "$program is hardened" hardening-check --nocfprotection "$OUT/root/usr/bin/$program"
  done
fi
finish
