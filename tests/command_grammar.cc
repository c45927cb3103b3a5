#include "command_grammar.h"

#include <fstream>

namespace kelvaro::testing {
namespace {

// Every command the panel builds, as it goes out, in the FTX-1's own forms
// (its CAT manual, edition 2508-C: "PC" with the head digit, "PR0" 1 off 2
// on, "SH00" + width, "CO00" + 4 digits, band codes 13 and 14 for 2 m and
// 70 cm, "ZI0", "ML" + VFO + 3 digits, DCS as "CN01" + index with "CT03",
// "VM000" back to VFO mode).
constexpr CommandForm kForms[] = {
    // Queries.
    {"FA"}, {"FB"}, {"ID"}, {"SM0"}, {"RM4"}, {"RM6"}, {"AG0"}, {"GT0"}, {"ML0"}, {"ML1"},
    {"PC"}, {"PR0"}, {"AC"}, {"VX"}, {"BI"}, {"KS"}, {"MG"}, {"PL"}, {"SQ0"}, {"VM0"},
    {"EX######"},  // a menu setting read back
    // Frequencies, VFOs, power, zero-in.
    {"FA#########"}, {"FB#########"}, {"VS0"}, {"PS0"}, {"SV"}, {"ZI0"}, {"ST[01]"}, {"TX[01]"},
    {"VM000"},
    // Menus: antenna, the amplifier's power cap, repeater offsets, and a typed
    // menu number with its value.
    {"EX030704[01]"}, {"EX030705100"}, {"EX01031[6789]####"}, {"EX#######*"},
    // Band select: 160 m .. 6 m, general coverage, 2 m, 70 cm.
    {"BS00#"}, {"BS01[0134]"},
    // Modes and filters.
    {"MD0[12345BH]"}, {"NA0[01]"}, {"SH00##", 2, 1, 21},
    // Squelch, tones, repeater shift.
    {"SQ0###", 3, 0, 255}, {"CT0[0123]"}, {"CN00###", 3, 0, 49}, {"CN01[01]##"}, {"OS0[012]"},
    // Receiver settings.
    {"RA0[01]"}, {"NL0###", 3, 0, 10}, {"RL0##", 2, 0, 10}, {"BC0[01]"}, {"CO000000"},
    {"CO00000[01]"}, {"CO01####", 4, 10, 3200}, {"GT0[1234]"}, {"PA0[012]"}, {"PA1[01]"},
    {"PA2[01]"},
    // Levels and gains.
    {"AG0###", 3, 0, 255}, {"RG0###", 3, 0, 255}, {"ML0###", 3, 0, 100}, {"ML1###", 3, 0, 100},
    {"PR0[12]"}, {"PL###", 3, 0, 100}, {"VX[01]"}, {"BI[01]"}, {"KS0##", 2, 4, 60},
    {"MG###", 3, 0, 100}, {"PC[12]###", 3, 1, 100},
    // Antenna tuner: off, in line, in line and tuning.
    {"AC000"}, {"AC10[013]"},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

long NumberAtEnd(std::string_view body, int digits) {
  long n = 0;
  for (char c : body.substr(body.size() - static_cast<std::size_t>(digits))) n = n * 10 + (c - '0');
  return n;
}

}  // namespace

bool MatchesForm(std::string_view body, std::string_view pattern) {
  std::size_t b = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    const char want = pattern[p];
    if (want == '*') {
      for (; b < body.size(); ++b) {
        if (!IsDigit(body[b])) return false;
      }
      return true;
    }
    if (b >= body.size()) return false;
    const char got = body[b++];
    if (want == '#') {
      if (!IsDigit(got)) return false;
    } else if (want == '[') {
      const std::size_t close = pattern.find(']', p);
      if (pattern.substr(p + 1, close - p - 1).find(got) == std::string_view::npos) return false;
      p = close;
    } else if (want != got) {
      return false;
    }
  }
  return b == body.size();
}

std::string MalformedCommand(std::string_view command, bool checkRanges) {
  if (command.empty() || command.back() != ';') return "no \";\" at the end";
  const std::string_view body = command.substr(0, command.size() - 1);
  for (const CommandForm& form : kForms) {
    if (!MatchesForm(body, form.pattern)) continue;
    if (checkRanges && form.digits > 0) {
      const long n = NumberAtEnd(body, form.digits);
      if (n < form.lo || n > form.hi) {
        return "value " + std::to_string(n) + " outside " + std::to_string(form.lo) + ".." +
               std::to_string(form.hi);
      }
    }
    return "";
  }
  return "no such command form";
}

bool MayBeRefused(std::string_view command, bool typedMenuPending) {
  if (MatchesForm(command, "FA#########;") || MatchesForm(command, "FB#########;")) return true;
  return typedMenuPending && command.substr(0, 2) == "EX";
}

const std::set<std::string>& Vocabulary() {
  static const std::set<std::string> names = [] {
    std::set<std::string> out;
    std::ifstream table(KELVARO_VOICE_DIR "/vocabulary.tsv");
    for (std::string line; std::getline(table, line);) {
      if (line.empty() || line[0] == '#') continue;
      out.insert(line.substr(0, line.find('\t')));
    }
    return out;
  }();
  return names;
}

bool IsRecording(std::string_view phrase) {
  if (phrase.size() > 4 && phrase.substr(phrase.size() - 4) == ".wav") phrase.remove_suffix(4);
  return Vocabulary().count(std::string(phrase)) > 0;
}

}  // namespace kelvaro::testing
