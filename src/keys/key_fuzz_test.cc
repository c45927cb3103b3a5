// Long random key sequences against the in-memory FTX-1: whatever is typed,
// in whatever state, the panel must not crash, every command it sends must
// have the form its code takes, the radio must not refuse anything the panel
// built itself, every phrase must be a recording that exists, and the state
// must stay within its ranges.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/identify.h"
#include "app/startup.h"
#include "command_grammar.h"
#include "controls/controls_test_panel.h"
#include "key_draw.h"
#include "keys/key_rules.h"
#include "keys/message.h"
#include "memory/records.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::DrawKey;
using testing::DrawSequence;
using testing::IsRecording;
using testing::MalformedCommand;
using testing::MayBeRefused;

struct FuzzPanel : ControlPanel {
  // The radios vary with the seed: the field head or the amplifier, left in
  // memory-channel mode or not, the AGC in auto or not.
  explicit FuzzPanel(std::uint64_t seed)
      : radio(ftx1sim::Options{.powerClass = seed % 3 == 0 ? 10 : 100,
                               .memoryMode = seed % 2 == 0,
                               .agcAuto = seed % 4 == 1,
                               .seed = seed}) {
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
    // The radio answers cleanly: the numbers must lie in the panel's ranges.
    const std::string bad = MalformedCommand(command, true);
    if (!bad.empty()) Fault(command + ": " + bad);
    std::string answer = radio.Feed(bytes);
    if (answer == "?;" && !MayBeRefused(command, panel.state.tick.menuReadBusy)) Fault("refused " + command);
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
      if (!IsRecording(phrase)) Fault("phrase " + phrase);
    }
  }

  ftx1sim::Radio radio;
  std::vector<std::string> faults;
  int lastKey = 0;
  // The command codes sent: how far the keys reached.
  std::set<std::string> codes;
};

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
                           "SM", "SQ", "ST", "SV", "TX", "VM", "VX", "ZI"}) {
    EXPECT_TRUE(codes.count(code)) << code;
  }
}

// The grammar the fuzzing relies on tells the panel's commands from near
// misses: a check that accepted anything would find nothing.
TEST(CommandGrammar, TellsTheFormsAndRangesFromNearMisses) {
  struct Case {
    const char* command;
    const char* anyValue;  // the verdict without ranges
    const char* inRange;   // with ranges
  };
  const Case cases[] = {
      {"FA014250000;", "", ""},
      {"FA14250000;", "no such command form", "no such command form"},  // eight digits
      {"FA014250000", "no \";\" at the end", "no \";\" at the end"},
      {"FA;", "", ""},
      {"SQ0255;", "", ""},
      {"SQ0256;", "", "value 256 outside 0..255"},
      {"KS003;", "", "value 3 outside 4..60"},
      {"KS060;", "", ""},
      {"KS160;", "no such command form", "no such command form"},
      {"PC2000;", "", "value 0 outside 1..100"},
      {"PC050;", "no such command form", "no such command form"},  // no head digit
      {"SH014;", "no such command form", "no such command form"},
      {"BS015;", "no such command form", "no such command form"},
      {"MD0B;", "", ""},
      {"MD0C;", "no such command form", "no such command form"},
      {"EX0307041;", "", ""},
      {"EX030;", "no such command form", "no such command form"},
      {"EX0103161234;", "", ""},
      {"EX12345670;", "", ""},  // a typed menu with its value
      {"AC103;", "", ""},
      {"AC102;", "no such command form", "no such command form"},
      {"", "no \";\" at the end", "no \";\" at the end"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MalformedCommand(c.command, false), c.anyValue) << c.command;
    EXPECT_EQ(MalformedCommand(c.command, true), c.inRange) << c.command;
  }
  // The radio may refuse a frequency, and a menu only while one typed is read.
  EXPECT_TRUE(MayBeRefused("FB150000000;", false));
  EXPECT_TRUE(MayBeRefused("EX9999990;", true));
  EXPECT_FALSE(MayBeRefused("EX9999990;", false));
  EXPECT_FALSE(MayBeRefused("MD02;", true));
  EXPECT_TRUE(IsRecording("metres") && IsRecording("40.wav"));
  EXPECT_FALSE(IsRecording("xx") || IsRecording(".wav"));
}

}  // namespace
}  // namespace kelvaro
