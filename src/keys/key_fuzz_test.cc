// Long random key sequences against the in-memory FTX-1: whatever is typed,
// in whatever state, the panel must not crash, every command it sends must
// have the form its code takes, the radio must not refuse anything the panel
// built itself, every phrase must be a recording that exists, and the state
// must stay within its ranges.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/identify.h"
#include "app/startup.h"
#include "controls/controls_test_panel.h"
#include "keys/key_rules.h"
#include "keys/message.h"
#include "memory/records.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;

// Every command the panel may send, by its form ("?" queries included): "#"
// stands for one digit, "*" for any number of digits, "[..]" for one of the
// characters listed; everything else stands for itself.
const char* const kCommandForms[] = {
    "F[AB];", "F[AB]#########;", "ID;", "VS0;", "PS0;", "SV;", "ZI;", "SM0;", "RM[46];", "MD0[12345BH];",
    "AG0;", "AG0###;", "RG0###;", "SQ0;", "SQ0###;", "ML[01];", "ML0[01];", "ML1###;", "GT0;", "GT0[1234];",
    "PA0[012];", "PA[12][01];", "RA0[01];", "NL0###;", "RL0##;", "BC0[01];", "CO00###;", "CO00####;",
    "CO01####;", "PR0;", "PR0[01];", "PL;", "PL###;", "VX;", "VX[01];", "BI;", "BI[01];", "KS;", "KS###;",
    "MG;", "MG###;", "ST[01];", "TX[01];", "BS0##;", "AC;", "AC[01]0[0123];", "SH0##;", "NA0[01];",
    "CN00###;", "CN01[01]##;", "CT0[0123];", "OS0[012];", "PC;", "PC###;", "EX####;", "EX######*;",
};

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

bool Matches(std::string_view text, std::string_view form) {
  if (form.empty()) return text.empty();
  if (form[0] == '*') {
    for (std::size_t n = 0;; ++n) {
      if (Matches(text.substr(n), form.substr(1))) return true;
      if (n >= text.size() || !IsDigitChar(text[n])) return false;
    }
  }
  if (text.empty()) return false;
  if (form[0] == '#') return IsDigitChar(text[0]) && Matches(text.substr(1), form.substr(1));
  if (form[0] == '[') {
    const std::size_t close = form.find(']');
    const bool one = form.substr(1, close - 1).find(text[0]) != std::string_view::npos;
    return one && Matches(text.substr(1), form.substr(close + 1));
  }
  return form[0] == text[0] && Matches(text.substr(1), form.substr(1));
}

bool WellFormed(std::string_view command) {
  for (const char* form : kCommandForms) {
    if (Matches(command, form)) return true;
  }
  return false;
}

// The recordings of the phrase folder, by file name without ".wav".
std::set<std::string> Vocabulary() {
  std::set<std::string> names;
  std::ifstream table(KELVARO_VOICE_DIR "/vocabulary.tsv");
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    names.insert(line.substr(0, line.find('\t')));
  }
  return names;
}

std::string PhraseFile(std::string name) {
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wav") == 0) name.resize(name.size() - 4);
  return name;
}

struct FuzzPanel : ControlPanel {
  explicit FuzzPanel(std::uint64_t seed) : radio(ftx1sim::Options{.seed = seed}) {
    ports.SetResponder(kPort, [this](std::string_view bytes) { return Answer(bytes); });
    PanelState& s = panel.state;
    s.config.baudRate = 38400;
    s.config.powerSetting = 50;
    s.config.dcsEnabled = true;
    s.config.tunerState = TunerUse::kOff;
  }

  std::string Answer(std::string_view bytes) {
    const std::string command(bytes);
    codes.insert(command.substr(0, 2));
    if (!WellFormed(command)) Fault("malformed " + command);
    std::string answer = radio.Feed(bytes);
    if (answer == "?;") {
      // The radio may refuse a frequency outside its coverage, and a menu the
      // operator typed; anything else it refuses is the panel's fault.
      const bool frequency = Matches(command, "F[AB]#########;");
      const bool typedMenu = panel.state.tick.menuReadBusy && command.rfind("EX", 0) == 0;
      if (!frequency && !typedMenu) Fault("refused " + command);
    }
    return answer;
  }

  void Start() {
    InitialisePanel(panel);
    IdentifyRadio(panel);
    panel.state.entry.runFlag = true;
  }

  void Tick() {
    radio.Advance(50);
    HandleWindowMessage(panel, {kMsgTimer, 0});
  }

  void Fault(const std::string& what) {
    if (faults.size() < 10) faults.push_back("after key " + std::to_string(lastKey) + ": " + what);
  }

  // The state the rules rely on stays within its ranges and record layouts.
  void CheckState() {
    const PanelState& s = panel.state;
    if (s.banks.memoryBank != 99 && (s.banks.memoryBank < 0 || s.banks.memoryBank > 9)) Fault("memoryBank");
    if (s.banks.memoryCursor < 0 || s.banks.memoryCursor > 9) Fault("memoryCursor");
    if (s.radio.squelchLevel < 0 || s.radio.squelchLevel > 255) Fault("squelchLevel");
    if (s.radio.frequencyHz < 0 || s.radio.frequencyHz > 999999999) Fault("frequencyHz");
    if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount)
      Fault("bandIndex " + std::to_string(s.radio.bandIndex));
    if (s.radio.radioMode < kLsb || s.radio.radioMode > kFmWide)
      Fault("radioMode " + std::to_string(s.radio.radioMode));
    if (s.radio.preampSetting < 0 || s.radio.preampSetting > 2) Fault("preampSetting");
    for (int band = 1; band <= kBandCount; ++band) {
      if (!IsBandRecord(s.banks.bandRecords[band])) Fault("band record " + s.banks.bandRecords[band].str());
    }
    for (const Text& channel : s.banks.memoryChannels) {
      if (!IsEmptyChannel(channel) && !IsChannelRecord(channel)) Fault("channel " + channel.str());
    }
    for (const std::string& phrase : TakeSpoken()) {
      if (!vocabulary.count(PhraseFile(phrase))) Fault("phrase " + phrase);
    }
  }

  ftx1sim::Radio radio;
  std::set<std::string> vocabulary = Vocabulary();
  std::vector<std::string> faults;
  int lastKey = 0;
  // The command codes sent: how far the keys reached.
  std::set<std::string> codes;
};

// Keys the rules name, drawn more often than the rest.
const std::vector<int>& RuleKeys() {
  static const std::vector<int> keys = [] {
    std::vector<int> k;
    for (int c = 'A'; c <= 'Z'; ++c) {
      if (c != 'Q') k.push_back(c);  // Q ends the program: drawn less often
    }
    for (int c = '0'; c <= '9'; ++c) k.push_back(c);
    for (int c = vk::kKeypad0; c <= vk::kKeypad9; ++c) k.push_back(c);
    for (int c = vk::kF1; c <= vk::kF12; ++c) k.push_back(c);
    for (int c : {vk::kEnter, vk::kSpace, vk::kPageUp, vk::kPageDown, vk::kLeft, vk::kUp, vk::kRight,
                  vk::kDown, vk::kPlus, vk::kMinus, vk::kPoint, vk::kKeypadPoint, vk::kShift, vk::kInsert}) {
      k.push_back(c);
    }
    return k;
  }();
  return keys;
}

int DrawKey(std::mt19937_64& rng) {
  static const int kOdd[] = {-1, -48, -1000, 256, 300, 1000, 65535, INT_MIN, INT_MAX};
  const int kind = static_cast<int>(rng() % 400);
  if (kind < 240) return RuleKeys()[rng() % RuleKeys().size()];
  if (kind < 370) return static_cast<int>(rng() % 256);
  if (kind < 371) return 'Q';
  return kOdd[rng() % std::size(kOdd)];
}

// A short sequence that opens an entry or a mode and goes on in it, with
// random digits, so that the random keys also reach the states deep inside.
std::vector<int> DrawSequence(std::mt19937_64& rng) {
  std::vector<int> k;
  auto digits = [&](int least, int most) {
    for (int n = least + static_cast<int>(rng() % (most - least + 1)); n > 0; --n) {
      k.push_back('0' + static_cast<int>(rng() % 10));
    }
  };
  auto any = [&](std::initializer_list<int> keys) { k.push_back(keys.begin()[rng() % keys.size()]); };
  int pick = static_cast<int>(rng() % 16);
  if (pick == 4 && rng() % 4 != 0) pick = 5;  // a store writes the bank file: less often
  switch (pick) {
    case 0:  // frequency entry
      k.push_back('E');
      digits(0, 4);
      if (rng() % 2) any({vk::kPoint, vk::kKeypadPoint});
      digits(0, 7);
      k.push_back(vk::kEnter);
      break;
    case 1:  // tone entry
      k.push_back('I');
      digits(0, 4);
      k.push_back(vk::kEnter);
      break;
    case 2:  // menu entry
      k.push_back('N');
      digits(5, 7);
      k.push_back(vk::kEnter);
      digits(0, 4);
      k.push_back(vk::kEnter);
      break;
    case 3:  // repeater offset
      k.push_back('X');
      k.push_back('O');
      if (rng() % 4) any({vk::kPlus, vk::kMinus});
      digits(0, 5);
      k.push_back(vk::kEnter);
      break;
    case 4:  // store a channel
      k.push_back('C');
      if (rng() % 2) k.push_back('B');
      digits(1, 2);
      break;
    case 5:  // recall a channel and step on
      k.push_back('G');
      if (rng() % 2) k.push_back('B');
      digits(1, 2);
      for (int n = static_cast<int>(rng() % 4); n > 0; --n) any({'U', 'S', 'F'});
      break;
    case 6:  // band prompt
      k.push_back('B');
      any({'0', '4', '9', 'S', 'T', 'U', 'X', vk::kUp, vk::kDown, vk::kKeypad0 + 6});
      break;
    case 7:  // the X prefix
      k.push_back('X');
      for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) any({'C', 'S', 'A', 'M', 'F', 'O', 'X', 'J'});
      break;
    case 8:  // tune, a key meanwhile, tune again
      k.push_back('T');
      any({'S', 'M', ' ', 'T'});
      k.push_back('T');
      break;
    case 9:  // keyer speed
      k.push_back('K');
      for (int n = static_cast<int>(rng() % 3); n > 0; --n) any({vk::kUp, vk::kDown});
      any({'K', 'F', 'M'});
      break;
    case 10:  // mic gain watch
      k.push_back(vk::kF11);
      for (int n = static_cast<int>(rng() % 3); n > 0; --n) any({vk::kUp, vk::kDown});
      any({vk::kF11, 'M', vk::kUp});
      break;
    default:  // transmit with a meter reading, split, the arrows of an entry
      any({' ', 'V', 'W', 'P', 'R', 'A', 'L'});
      for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
        any({vk::kUp, vk::kDown, vk::kLeft, vk::kRight, 'S', vk::kPageUp, vk::kPageDown});
      }
      break;
  }
  return k;
}

TEST(KeyFuzz, RandomKeysSendOnlyWellFormedCommands) {
  constexpr int kSeeds = 20;
  constexpr int kKeys = 2000;
  std::set<std::string> codes;
  for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
    FuzzPanel t(seed);
    std::mt19937_64 rng(seed);
    t.Start();
    for (int i = 0; i < 6; ++i) t.Tick();
    for (int n = 0; n < kKeys;) {
      std::vector<int> keys = rng() % 5 == 0 ? DrawSequence(rng) : std::vector<int>{DrawKey(rng)};
      for (int key : keys) {
        ++n;
        t.lastKey = key;
        HandleWindowMessage(t.panel, {kMsgKeyDown, key});
        // Now and then a key is still down when the next one comes.
        if (rng() % 10 != 0) HandleWindowMessage(t.panel, {kMsgKeyUp, key});
        for (int ticks = static_cast<int>(rng() % 4); ticks > 0; --ticks) t.Tick();
        t.CheckState();
        if (!t.panel.state.entry.runFlag) t.Start();  // Q ended it: start again
      }
    }
    codes.insert(t.codes.begin(), t.codes.end());
    EXPECT_TRUE(t.faults.empty()) << "seed " << seed << ": " << ::testing::PrintToString(t.faults);
  }
  // The keys reached every kind of command the key rules and entries send.
  for (const char* code : {"AC", "AG", "BC", "BI", "BS", "CN", "CO", "CT", "EX", "FA", "FB", "GT", "KS", "MD",
                           "MG", "ML", "NA", "NL", "OS", "PA", "PC", "PL", "PR", "RA", "RG", "RL", "RM", "SH",
                           "SM", "SQ", "ST", "SV", "TX", "VX", "ZI"}) {
    EXPECT_TRUE(codes.count(code)) << code;
  }
}

}  // namespace
}  // namespace kelvaro
