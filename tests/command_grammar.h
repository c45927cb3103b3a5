// What the panel may send to the radio and say, written down once for every
// check that watches it run (the key fuzz test, the fuzz targets): the forms
// of the commands it builds, with the ranges it keeps their numbers in, and
// the recordings of the phrase folder.
//
// Needs no test framework: the fuzz build compiles it with clang and
// libFuzzer.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace kelvaro::testing {

// One command form, without its ";". In `pattern`, "#" is one digit, "[...]"
// one of the listed characters, and a final "*" any number of further digits;
// everything else stands for itself. With `digits` > 0 the number in the last
// `digits` characters lies within lo..hi whenever the radio answers cleanly.
struct CommandForm {
  std::string_view pattern;
  int digits = 0;
  long lo = 0, hi = 0;
};

// Whether `body` (a command without its ";") has the form `pattern`.
bool MatchesForm(std::string_view body, std::string_view pattern);

// Why `command` (one command with its ";") has none of the forms the panel
// builds; "" when it has one. With `checkRanges` its number must also lie in
// the form's range: only meaningful while nothing from outside (a garbled
// answer) can put other values into the panel.
std::string MalformedCommand(std::string_view command, bool checkRanges);

// Whether the radio may refuse ("?;") a command the panel built: a frequency
// outside its coverage, or a menu the operator typed (`typedMenuPending`: the
// panel is reading one back). Anything else refused was built wrong.
bool MayBeRefused(std::string_view command, bool typedMenuPending);

// The recordings of the phrase folder by name (without ".wav"), from
// voice/vocabulary.tsv; empty when the table cannot be read.
const std::set<std::string>& Vocabulary();
// Whether a phrase as played ("73", "band.wav") names a recording.
bool IsRecording(std::string_view phrase);

}  // namespace kelvaro::testing
