#!/bin/bash
# Generates the phrase recordings: one WAV file per line of the vocabulary
# table, 22050 Hz, mono, signed 16 bit.
#
#   generate.sh VOCABULARY_TSV OUTPUT_FOLDER
#
# Spoken lines go through espeak-ng, whose trailing silence (about 300 ms) is
# trimmed with sox so that consecutive phrases follow each other closely.
# Lines whose text starts with "!" are made by sox alone ("!silence SECONDS",
# "!tone HZ SECONDS PAUSE_SECONDS"). The lines are processed in parallel.
# ESPEAK and SOX may name the programs to use.
set -euo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: $0 VOCABULARY_TSV OUTPUT_FOLDER" >&2
  exit 2
fi
table=$1
out=$2
export ESPEAK=${ESPEAK:-espeak-ng}
export SOX=${SOX:-sox}
export FORMAT="-r 22050 -c 1 -b 16 -e signed-integer"

mkdir -p "$out"
work=$(mktemp -d "$out/.generate.XXXXXX")
trap 'rm -rf "$work"' EXIT
export WORK=$work OUT=$out

# Makes one recording from "name<TAB>text". The finished file is moved into
# place, so a reader never sees half a file.
make_one() {
  local line=$1
  local name=${line%%$'\t'*}
  local text=${line#*$'\t'}
  local target="$WORK/$name.wav"
  # shellcheck disable=SC2086
  case $text in
    '!silence '*)
      read -r _ seconds <<<"$text"
      $SOX -q -D -n $FORMAT "$target" trim 0 "$seconds"
      ;;
    '!tone '*)
      read -r _ hz seconds pause <<<"$text"
      $SOX -q -D -n $FORMAT "$target" synth "$seconds" sine "$hz" vol 0.5 \
        fade t 0.005 "$seconds" 0.005 pad 0 "$pause"
      ;;
    '!'*)
      echo "generate.sh: unknown directive for $name: $text" >&2
      return 1
      ;;
    *)
      "$ESPEAK" -w "$WORK/$name.raw.wav" -- "$text"
      $SOX -q "$WORK/$name.raw.wav" $FORMAT "$target" reverse silence 1 0.005 0.3% reverse
      rm -f "$WORK/$name.raw.wav"
      ;;
  esac
  mv -f "$target" "$OUT/$name.wav"
}
export -f make_one

# Every line "name<TAB>text" that is not a comment; names are checked so a
# stray line cannot write outside the folder.
lines=$(grep -v -e '^#' -e '^[[:space:]]*$' "$table")
while IFS= read -r line; do
  name=${line%%$'\t'*}
  if [[ $line != *$'\t'* || ! $name =~ ^[A-Za-z0-9_-]+$ ]]; then
    echo "generate.sh: bad line in $table: $line" >&2
    exit 1
  fi
done <<<"$lines"

jobs=$(nproc 2>/dev/null || echo 2)
printf '%s\n' "$lines" | tr '\n' '\0' | xargs -0 -n 1 -P "$((jobs * 2))" bash -c 'make_one "$1"' _
