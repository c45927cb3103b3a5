#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/panel_display.h"
#include "speech/speak.h"
#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;
using Phrases = std::vector<std::string>;

// Spoken and drawn from the same scale, each without the other's output.
TEST(SMeter, ScaleSpokenAndDrawn) {
  const struct {
    int reading;
    Phrases spoken;
    std::vector<std::string> drawn;
  } cases[] = {{0, {"s.wav", "0.wav"}, {"S0  "}},
               {10, {"s.wav", "0.wav"}, {"S0  "}},
               {11, {"s.wav", "1.wav"}, {"S1  "}},
               {20, {"s.wav", "1.wav"}, {"S1  "}},
               {21, {"s.wav", "2.wav"}, {"S2  "}},
               {40, {"s.wav", "2.wav"}, {"S2  "}},
               {41, {"s.wav", "3.wav"}, {"S3  "}},
               {54, {"s.wav", "3.wav"}, {"S3  "}},
               {55, {"s.wav", "4.wav"}, {"S4  "}},
               {68, {"s.wav", "4.wav"}, {"S4  "}},
               {69, {"s.wav", "5.wav"}, {"S5  "}},
               {82, {"s.wav", "5.wav"}, {"S5  "}},
               {83, {"s.wav", "6.wav"}, {"S6  "}},
               {96, {"s.wav", "6.wav"}, {"S6  "}},
               {97, {"s.wav", "7.wav"}, {"S7  "}},
               {108, {"s.wav", "7.wav"}, {"S7  "}},
               {109, {"s.wav", "8.wav"}, {"S8  "}},
               {122, {"s.wav", "8.wav"}, {"S8  "}},
               {-3, {"s.wav", "0.wav"}, {"S0  "}},
               {123, {"s.wav", "9.wav"}, {"S9", "  "}},
               {156, {"s.wav", "9.wav"}, {"S9", "  "}},
               {157, {"s.wav", "9.wav", "plus.wav"}, {"S9", "+"}},
               {255, {"s.wav", "9.wav", "plus.wav"}, {"S9", "+"}},
               {1000, {"s.wav", "9.wav", "plus.wav"}, {"S9", "+"}}};
  for (const auto& c : cases) {
    TestPanel t;
    t.panel.state.tick.sMeterValue = c.reading;
    SpeakSMeter(t.panel);
    EXPECT_EQ(t.TakeSpoken(), c.spoken) << c.reading;
    EXPECT_TRUE(t.screen.draws.empty()) << c.reading;
    const std::size_t played = t.voice.played.size();
    DrawSMeter(t.panel);
    EXPECT_EQ(t.voice.played.size(), played) << c.reading;
    ASSERT_EQ(t.screen.draws.size(), c.drawn.size()) << c.reading;
    EXPECT_EQ(t.screen.TextAt(750, 45), c.drawn[0]) << c.reading;
    if (c.drawn.size() == 2) {
      // "+" or two blanks continue on the same line after "S9".
      EXPECT_EQ(t.screen.draws[1].text, c.drawn[1]) << c.reading;
      EXPECT_EQ(t.screen.draws[1].y, 45);
      EXPECT_GT(t.screen.draws[1].x, 750);
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
