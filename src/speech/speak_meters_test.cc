#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "controls/swr.h"
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
    t.panel.state.sMeterValue = c.reading;
    SpeakSMeter(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{"s.wav", std::string(c.digit) + ".wav"})) << c.reading;
    ASSERT_EQ(t.screen.draws.size(), 1u) << c.reading;
    EXPECT_EQ(t.screen.TextAt(750, 45), c.printed) << c.reading;
  }
}

TEST(SpeakSMeter, NineAndAboveNine) {
  for (int reading : {123, 156, 157, 255, 1000}) {
    TestPanel t;
    t.panel.state.sMeterValue = reading;
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
    spoken.panel.state.sMeterValue = shown.panel.state.sMeterValue = reading;
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

class SpeakSwrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.comPort = 5;
    t.ports.OpenPort(5, 38400);
    s.tunerState = 1;
    s.txState = TxState::kTransmitting;
  }
  // The radio answers "RM6;" with `answer`.
  void Answer(const std::string& answer) {
    t.ports.SetResponder(5, [answer](std::string_view sent) {
      return sent == "RM6;" ? answer : std::string();
    });
  }
  Phrases Ask() {
    SpeakSwr(t.panel);
    return t.TakeSpoken();
  }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(SpeakSwrTest, ReadingToRatio) {
  const struct {
    int reading;
    const char* whole;
    const char* tenth;
  } cases[] = {{0, "1", "0"},   {49, "1", "0"},   {50, "1", "0"},   {85, "1", "5"},   {119, "1", "9"},
               {120, "2", "0"}, {159, "2", "3"},  {160, "3", "0"},  {165, "3", "2"},  {179, "3", "9"},
               {180, "4", "0"}, {181, "4", "0"},  {182, "4", "1"},  {185, "4", "2"},  {199, "4", "8"},
               {200, "gt5", "0"}, {255, "gt5", "0"}, {999, "gt5", "0"}};
  for (const auto& c : cases) {
    char answer[16];
    std::snprintf(answer, sizeof answer, "RM6%03d000;", c.reading);
    Answer(answer);
    EXPECT_EQ(Ask(), (Phrases{"swr", c.whole, "point", c.tenth, "21"})) << c.reading;
    EXPECT_EQ(t.TakeSent(), (std::vector<std::string>{"RM6;"})) << c.reading;
  }
}

TEST_F(SpeakSwrTest, AnswerFoundAmongOthers) {
  t.ports.Receive(5, "FA014250000;");  // a poll answer still waiting
  Answer("RM6085000;");
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
  EXPECT_EQ(s.commandText, "RM6;");
  EXPECT_EQ(s.swrText, "085");
}

TEST_F(SpeakSwrTest, NoReadingIsSaidAsSuchNeverAsOnePointZero) {
  for (const char* answer : {"", "RM6", "RM608", "RM608;", "RM6 85000;", "RM6-85000;", "RM6a85000;",
                                   "SM0085;", "RM4085000;"}) {
    Answer(answer);
    EXPECT_EQ(Ask(), (Phrases{"swr", "nc"})) << '"' << answer << '"';
    EXPECT_EQ(t.TakeSent(), (std::vector<std::string>{"RM6;"}));
  }
  // A radio port that never opened reads as silence.
  s.comPort = 7;
  EXPECT_EQ(Ask(), (Phrases{"swr", "nc"}));
}

TEST_F(SpeakSwrTest, SilentWhileTunerStateZeroAndReceiving) {
  Answer("RM6085000;");
  s.tunerState = 0;
  s.txState = TxState::kReceiving;
  EXPECT_TRUE(Ask().empty());
  EXPECT_TRUE(t.TakeSent().empty());
  s.txState = TxState::kTransmitting;  // transmitting
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
  s.txState = TxState::kReceiving;
  s.tunerState = 2;
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
}

TEST(SpeakMeterPeak, AlcOpensOnlyTheFirstReportOfAWatch) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.meterPeak = 105;
  s.micGainWatch = 1;
  s.tickCount = 17;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"alc", "1", "0", "5"}));
  EXPECT_EQ(s.micGainWatch, 2);
  EXPECT_EQ(s.tickCount, 0);

  s.meterPeak = 0;
  s.tickCount = 9;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"0"}));
  EXPECT_EQ(s.micGainWatch, 2);
  EXPECT_EQ(s.tickCount, 0);

  s.micGainWatch = 0;
  s.meterPeak = 7;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"7"}));
  EXPECT_EQ(s.micGainWatch, 0);
}

TEST(SpeakMeterPeak, OutOfRangeSpeaksDigitsOnly) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.meterPeak = -42;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"4", "2"}));
  s.meterPeak = 1000;
  SpeakMeterPeak(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"1", "0", "0", "0"}));
}

TEST(SpeakModeBand, ModePhrases) {
  TestPanel t;
  PanelState& s = t.panel.state;
  const Phrases expected[] = {{},          {"lsb.wav"},  {"usb.wav"}, {"cw.wav"}, {"am.wav"},
                              {"fm.wav", "nar.wav"},   {"c4fm.wav"}, {"fm.wav"},  {}};
  for (int mode = 0; mode <= 8; ++mode) {
    s.radioMode = mode;
    SpeakMode(t.panel);
    EXPECT_EQ(t.TakeSpoken(), expected[mode]) << "mode " << mode;
  }
  s.radioMode = -1;
  SpeakMode(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
  s.channelRecall = true;
  for (int mode = 1; mode <= 7; ++mode) {
    s.radioMode = mode;
    SpeakMode(t.panel);
  }
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(SpeakModeBand, BandPhrases) {
  TestPanel t;
  PanelState& s = t.panel.state;
  const char* names[] = {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70"};
  for (int band = 1; band <= 13; ++band) {
    s.bandIndex = band;
    SpeakBand(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{names[band - 1], "metres"})) << "band " << band;
  }
  s.bandIndex = 14;
  SpeakBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Phrases{"un"}));
  for (int band : {0, -1}) {
    s.bandIndex = band;
    SpeakBand(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Phrases{"metres"})) << "band " << band;
  }
  s.bandIndex = 15;
  SpeakBand(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
}

}  // namespace
}  // namespace kelvaro
