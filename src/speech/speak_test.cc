#include "speech/speak.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;
using Phrases = std::vector<std::string>;

// The recordings these reports may name, in the forms they pass them.
const std::set<std::string>& ReportVocabulary() {
  static const std::set<std::string> names = [] {
    std::set<std::string> all = {"10",    "12",   "15",       "17",     "20",    "30",     "40",
                                 "60",    "70",   "80",       "160",    "21",    "gt5",    "point",
                                 "mhz",   "khz",  "hz",       "watts",  "metres", "wpm",   "plus.wav",
                                 "s.wav", "swr",  "alc",      "bw",     "repeater", "tx",  "vfob",
                                 "un",    "nc",   "delay",    "lsb.wav", "usb.wav", "cw.wav", "am.wav",
                                 "fm.wav", "nar.wav", "c4fm.wav"};
    for (char d = '0'; d <= '9'; ++d) {
      all.insert(std::string(1, d));
      all.insert(std::string(1, d) + ".wav");
    }
    return all;
  }();
  return names;
}

// Phrases of `spoken` that are no recording.
Phrases Unknown(const Phrases& spoken) {
  Phrases bad;
  for (const std::string& name : spoken) {
    if (!ReportVocabulary().count(name)) bad.push_back(name);
  }
  return bad;
}

class SpeakFrequencyTest : public ::testing::Test {
 protected:
  Phrases Speak(const std::string& text) {
    s.radio.frequencyText = text;
    SpeakFrequency(t.panel);
    return t.TakeSpoken();
  }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(SpeakFrequencyTest, SpeaksMegahertzDigitsAndTheFractionUpToItsLastNonZeroDigit) {
  const struct {
    const char* text;
    Phrases spoken;
  } cases[] = {
      {"14.250000", {"1", "4", "point", "2", "5", "mhz"}},
      {" 14.250000", {"1", "4", "point", "2", "5", "mhz"}},
      {" 14.074500", {"1", "4", "point", "0", "7", "4", "5", "mhz"}},
      {"  7.100000", {"7", "point", "1", "mhz"}},
      {"  7.000000", {"7", "mhz"}},
      {"7.000000", {"7", "mhz"}},
      {"145.500000", {"1", "4", "5", "point", "5", "mhz"}},
      {"  1.800000", {"1", "point", "8", "mhz"}},
      {"1.800000", {"1", "point", "8", "mhz"}},
      {"28.000100", {"2", "8", "point", "0", "0", "0", "1", "mhz"}},
      {" 28.000001", {"2", "8", "point", "0", "0", "0", "0", "0", "1", "mhz"}},
      {"   .475000", {"point", "4", "7", "5", "mhz"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Speak(c.text), c.spoken) << '"' << c.text << '"';
}

TEST_F(SpeakFrequencyTest, PrefixSaysWhichFrequencyIsMeant) {
  s.radio.repeaterOn = RepeaterState::kOn;
  EXPECT_EQ(Speak("430.000000"), (Phrases{"repeater", "4", "3", "0", "mhz"}));
  s.entry.txAnnounce = true;
  EXPECT_EQ(Speak("435.000000"), (Phrases{"repeater", "tx", "4", "3", "5", "mhz"}));
  s.radio.splitOn = true;  // split and repeater both on: only "tx"
  EXPECT_EQ(Speak("435.000000"), (Phrases{"tx", "4", "3", "5", "mhz"}));
  s.entry.txAnnounce = false;
  EXPECT_EQ(Speak("435.000000"), (Phrases{"4", "3", "5", "mhz"}));
  s.radio.repeaterOn = RepeaterState::kOff;
  EXPECT_EQ(Speak(" 14.250000"), (Phrases{"vfob", "1", "4", "point", "2", "5", "mhz"}));
  s.entry.txAnnounce = true;  // VFO A read out in split operation
  EXPECT_EQ(Speak("14.200000"), (Phrases{"1", "4", "point", "2", "mhz"}));
  s.radio.splitOn = false;
  s.radio.repeaterOn = RepeaterState::kOffSilently;  // being switched off: no prefix
  s.entry.txAnnounce = false;
  EXPECT_EQ(Speak("  7.100000"), (Phrases{"7", "point", "1", "mhz"}));
}

TEST_F(SpeakFrequencyTest, NoFrequencyYetSaysNcAndChannelSteppingIsSilent) {
  s.radio.repeaterOn = RepeaterState::kOn;
  EXPECT_EQ(Speak(""), (Phrases{"nc"}));
  EXPECT_EQ(Speak("   "), (Phrases{"nc"}));
  s.entry.channelRecall = true;
  EXPECT_TRUE(Speak("").empty());
  EXPECT_TRUE(Speak("145.500000").empty());
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST_F(SpeakFrequencyTest, OddTextsSpeakOnlyDigitsAndWords) {
  // Without a "." the whole text is megahertz.
  EXPECT_EQ(Speak("51"), (Phrases{"5", "1", "mhz"}));
  // The fraction is read no further than position 11.
  EXPECT_EQ(Speak("14.2500001234"),
            (Phrases{"1", "4", "point", "2", "5", "0", "0", "0", "0", "1", "2", "mhz"}));
  EXPECT_EQ(Speak("1x4.2 5"), (Phrases{"1", "4", "point", "2", "5", "mhz"}));
  for (const std::string& text :
       {std::string("."), std::string("-7.1"), std::string(" 7. 1 a"), std::string("7.-5"),
        std::string(254, '9'), std::string(200, ' ') + "3.5", std::string("1234567890123.45"), std::string("..1.2")}) {
    const Phrases spoken = Speak(text);
    ASSERT_FALSE(spoken.empty()) << '"' << text << '"';
    EXPECT_EQ(spoken.back(), spoken.size() == 1 && spoken[0] == "nc" ? "nc" : "mhz") << text;
    EXPECT_TRUE(Unknown(spoken).empty()) << '"' << text << "\" spoke " << ::testing::PrintToString(Unknown(spoken));
  }
}

TEST(SpeakWidth, SideBandWidthsInKilohertz) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kUsb;
  const Phrases expected[] = {
      {"bw", "1.wav", "point", "8.wav", "khz"}, {"bw", "1.wav", "point", "9.wav", "khz"},
      {"bw", "2.wav", "point", "1", "khz"},     {"bw", "2.wav", "point", "2", "khz"},
      {"bw", "2.wav", "point", "3", "khz"},     {"bw", "2.wav", "point", "4", "khz"},
      {"bw", "2.wav", "point", "5", "khz"},     {"bw", "2.wav", "point", "6", "khz"},
      {"bw", "2.wav", "point", "7", "khz"},     {"bw", "2.wav", "point", "8", "khz"},
      {"bw", "2.wav", "point", "9", "khz"},     {"bw", "3.wav", "point", "0.wav", "khz"},
      {"bw", "3.wav", "point", "1.wav", "khz"}};
  for (int index = 9; index <= 21; ++index) {
    s.radio.widthIndex = index;
    s.radio.radioMode = index % 2 ? kLsb : kUsb;
    SpeakWidth(t.panel);
    EXPECT_EQ(t.TakeSpoken(), expected[index - 9]) << "index " << index;
  }
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(SpeakWidth, CwWidthsInHertz) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kCw;
  const Phrases expected[] = {
      {"bw", "5", "0", "hz"},      {"bw", "1", "0", "0", "hz"},      {"bw", "1", "5", "0", "hz"},
      {"bw", "2", "0", "0", "hz"}, {"bw", "2", "5", "0", "hz"},      {"bw", "3", "0", "0", "hz"},
      {"bw", "3", "5", "0", "hz"}, {"bw", "4", "0", "0", "hz"},      {"bw", "4", "5", "0", "hz"},
      {"bw", "5", "0", "0", "hz"}, {"bw", "8", "0", "0", "hz"},      {"bw", "1", "2", "0", "0", "hz"}};
  for (int index = 1; index <= 12; ++index) {
    s.radio.widthIndex = index;
    SpeakWidth(t.panel);
    EXPECT_EQ(t.TakeSpoken(), expected[index - 1]) << "index " << index;
  }
  // The other modes are read on the same scale.
  s.radio.radioMode = kAm;
  s.radio.widthIndex = 20;
  SpeakWidth(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"bw", "10", "0", "0", "hz"}));
  s.radio.widthIndex = 23;
  SpeakWidth(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"bw", "1", "1", "5", "0", "hz"}));
}

TEST(SpeakWidth, IndexesOutOfRangeNameOnlyRecordings) {
  TestPanel t;
  PanelState& s = t.panel.state;
  for (int mode = -1; mode <= 8; ++mode) {
    for (int index : {-1000, -21, -1, 0, 1, 8, 22, 23, 30, 99, 1000, 2147483647, -2147483647 - 1}) {
      s.radio.radioMode = mode;
      s.radio.widthIndex = index;
      SpeakWidth(t.panel);
      const Phrases spoken = t.TakeSpoken();
      ASSERT_GE(spoken.size(), 3u);
      EXPECT_EQ(spoken.front(), "bw");
      EXPECT_EQ(spoken.back(), mode < kCw ? "khz" : "hz");
      EXPECT_TRUE(Unknown(spoken).empty()) << "mode " << mode << " index " << index << ": "
                                           << ::testing::PrintToString(Unknown(spoken));
    }
  }
}

TEST(SpeakNumbers, PowerAndKeyerSpeedDigitByDigit) {
  TestPanel t;
  PanelState& s = t.panel.state;
  const struct {
    int value;
    Phrases digits;
  } cases[] = {{50, {"5", "0"}},    {100, {"1", "0", "0"}}, {5, {"5"}},
               {0, {"0"}},          {4, {"4"}},             {60, {"6", "0"}},
               {25, {"2", "5"}},    {-5, {"5"}},            {-120, {"1", "2", "0"}},
               {1234, {"1", "2", "3", "4"}},
               {-2147483647 - 1, {"2", "1", "4", "7", "4", "8", "3", "6", "4", "8"}}};
  for (const auto& c : cases) {
    s.config.powerSetting = c.value;
    SpeakPower(t.panel);
    Phrases expected = c.digits;
    expected.push_back("watts");
    EXPECT_EQ(t.TakeSpoken(), expected) << "power " << c.value;

    s.radio.keyerSpeed = c.value;
    SpeakKeyerSpeed(t.panel);
    expected.back() = "wpm";
    EXPECT_EQ(t.TakeSpoken(), expected) << "keyer speed " << c.value;
  }
  EXPECT_TRUE(t.TakeSent().empty());
}

}  // namespace
}  // namespace kelvaro
