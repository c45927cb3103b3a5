#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "speech/speak.h"
#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;
using Phrases = std::vector<std::string>;

TEST(SpeakSMeter, ScaleBoundsSpokenAndPrinted) {
  const struct {
    int reading;
    const char* digit;
    const char* printed;
  } cases[] = {{0, "0", "S0  "},   {10, "0", "S0  "},  {11, "1", "S1  "},  {20, "1", "S1  "},
               {21, "2", "S2  "},  {40, "2", "S2  "},  {41, "3", "S3  "},  {54, "3", "S3  "},
               {55, "4", "S4  "},  {68, "4", "S4  "},  {69, "5", "S5  "},  {82, "5", "S5  "},
               {83, "6", "S6  "},  {96, "6", "S6  "},  {97, "7", "S7  "},  {108, "7", "S7  "},
               {109, "8", "S8  "}, {122, "8", "S8  "}, {-3, "0", "S0  "}};
  for (const auto& c : cases) {
    TestPanel t;
    t.panel.state.tick.sMeterValue = c.reading;
    SpeakSMeter(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{"s.wav", std::string(c.digit) + ".wav"})) << c.reading;
    ASSERT_EQ(t.screen.draws.size(), 1u) << c.reading;
    EXPECT_EQ(t.screen.TextAt(750, 45), c.printed) << c.reading;
  }
}

TEST(SpeakSMeter, NineAndAboveNine) {
  for (int reading : {123, 156, 157, 255, 1000}) {
    TestPanel t;
    t.panel.state.tick.sMeterValue = reading;
    SpeakSMeter(t.panel);
    const bool above = reading > 156;
    const Phrases expected = above ? Phrases{"s.wav", "9.wav", "plus.wav"} : Phrases{"s.wav", "9.wav"};
    EXPECT_EQ(t.TakeSpoken(), expected) << reading;
    // "S9" at the field, then "+" or two blanks continuing on the same line.
    ASSERT_EQ(t.screen.draws.size(), 2u) << reading;
    EXPECT_EQ(t.screen.TextAt(750, 45), "S9");
    EXPECT_EQ(t.screen.draws[1].text, above ? "+" : "  ") << reading;
    EXPECT_EQ(t.screen.draws[1].y, 45);
    EXPECT_GT(t.screen.draws[1].x, 750);
  }
}

TEST(SpeakSMeter, ShowingPrintsWhatSpeakingPrintsAndPlaysNothing) {
  // The meter poll shows the reading: nothing is played or logged.
  for (int reading : {0, 100, 156, 157}) {
    TestPanel spoken, shown;
    spoken.panel.state.tick.sMeterValue = shown.panel.state.tick.sMeterValue = reading;
    SpeakSMeter(spoken.panel);
    ShowSMeter(shown.panel);
    EXPECT_TRUE(shown.voice.played.empty()) << reading;
    ASSERT_EQ(shown.screen.draws.size(), spoken.screen.draws.size()) << reading;
    for (std::size_t i = 0; i < shown.screen.draws.size(); ++i) {
      EXPECT_EQ(shown.screen.draws[i].text, spoken.screen.draws[i].text) << reading;
      EXPECT_EQ(shown.screen.draws[i].x, spoken.screen.draws[i].x) << reading;
    }
  }
}

TEST(SpeakMeterPeak, AlcOpensOnlyTheFirstReportOfAWatch) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.tick.meterPeak = 105;
  s.tick.micGainWatch = MicGainWatch::kStarted;
  s.tick.tickCount = 17;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"alc", "1", "0", "5"}));
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kWatching);
  EXPECT_EQ(s.tick.tickCount, 0);

  s.tick.meterPeak = 0;
  s.tick.tickCount = 9;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"0"}));
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kWatching);
  EXPECT_EQ(s.tick.tickCount, 0);

  s.tick.micGainWatch = MicGainWatch::kOff;
  s.tick.meterPeak = 7;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"7"}));
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kOff);
}

TEST(SpeakMeterPeak, OutOfRangeSpeaksDigitsOnly) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.tick.meterPeak = -42;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"4", "2"}));
  s.tick.meterPeak = 1000;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"1", "0", "0", "0"}));
}

TEST(SpeakModeBand, ModePhrases) {
  TestPanel t;
  PanelState& s = t.panel.state;
  const Phrases expected[] = {{},          {"lsb.wav"},  {"usb.wav"}, {"cw.wav"}, {"am.wav"},
                              {"fm.wav", "nar.wav"},   {"c4fm.wav"}, {"fm.wav"},  {}};
  for (int mode = 0; mode <= 8; ++mode) {
    s.radio.radioMode = mode;
    SpeakMode(t.panel);
    EXPECT_EQ(t.TakeSpoken(), expected[mode]) << "mode " << mode;
  }
  s.radio.radioMode = -1;
  SpeakMode(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
  s.entry.channelRecall = true;
  for (int mode = 1; mode <= 7; ++mode) {
    s.radio.radioMode = mode;
    SpeakMode(t.panel);
  }
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(SpeakModeBand, BandPhrases) {
  TestPanel t;
  PanelState& s = t.panel.state;
  const char* names[] = {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70"};
  for (int band = 1; band <= 13; ++band) {
    s.radio.bandIndex = band;
    SpeakBand(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{names[band - 1], "metres"})) << "band " << band;
  }
  s.radio.bandIndex = 14;
  SpeakBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"un"}));
  for (int band : {0, -1}) {
    s.radio.bandIndex = band;
    SpeakBand(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{"metres"})) << "band " << band;
  }
  s.radio.bandIndex = 15;
  SpeakBand(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
}

}  // namespace
}  // namespace kelvaro
