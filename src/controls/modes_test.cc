#include "controls/modes.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "state/radio_tables.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(ApplyMode, CwSetsTheNarrowFilterByItsWidth) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kCw;
  s.radio.cwWidth = 10;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD03;", "NA01;", "FA014200000;", "SH0010;"}));
  EXPECT_EQ(t.screen.TextAt(50, 45), "CW      ");
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "03A014200000B0142000009991");
  EXPECT_EQ(s.radio.frequencyHz, 14200000);
  EXPECT_TRUE(t.TakeSpoken().empty());  // limits stay quiet here

  s.radio.cwWidth = 12;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD03;", "NA00;", "FA014200000;", "SH0012;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(ApplyMode, SidebandTakesTheSavedSidebandWidth) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kLsb;
  s.radio.ssbWidth = 21;
  s.radio.widthIndex = 5;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD01;", "NA00;", "FA014200000;", "SH0021;"}));
  EXPECT_EQ(s.radio.widthIndex, 21);
  EXPECT_FALSE(s.banks.limitQuiet);
}

TEST(ApplyMode, C4fmRestoresTheBandFrequencyWithoutWidth) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand2m;
  s.radio.radioMode = kC4fm;
  s.radio.widthIndex = 17;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD0H;", "NA00;", "FA145000000;"}));
  EXPECT_EQ(t.screen.TextAt(50, 45), "C4FM  ");
  EXPECT_EQ(s.radio.widthIndex, 17);
  EXPECT_EQ(s.banks.bandRecords[kBand2m], "06A145000000B1450000009990");
}

TEST(ApplyMode, FmReadsTheSquelchAndLeavesTheRecordAlone) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kFmWide;
  t.ports.Receive(ControlPanel::kPort, "SQ0099;");  // stale: read and dropped first
  t.Answer("SQ0;", "SQ0031;");
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD04;", "NA00;", "SQ0;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{}));
  EXPECT_EQ(s.radio.squelchLevel, 31);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord);
  EXPECT_EQ(t.screen.TextAt(50, 45), "FM      ");

  t.answers.clear();
  t.ports.Receive(ControlPanel::kPort, "");
  ApplyMode(t.panel);  // no answer: the level stays
  EXPECT_EQ(s.radio.squelchLevel, 31);
}

TEST(ApplyMode, RepeaterAndToneGoOffFirst) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand2m;
  s.radio.radioMode = kAm;
  s.radio.repeaterOn = RepeaterState::kOn;
  s.entry.toneActive = true;
  s.radio.toneCode = "012";
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"OS00;", "CT00;", "MD05;", "NA00;", "FA145000000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "off"}));
  EXPECT_FALSE(s.entry.toneActive);
  EXPECT_EQ(s.radio.toneCode, "999");
}

TEST(ApplyMode, PassThroughKeepsTheModeCommandBack) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.cat.passThroughSeen = true;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NA00;", "FA014200000;", "SH0014;"}));
  EXPECT_EQ(t.screen.TextAt(50, 45), "USB    ");
}

TEST(ApplyMode, AChannelRecallKeepsItsFrequency) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.memoryRecallActive = true;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD02;", "NA00;"}));
  EXPECT_EQ(s.radio.frequencyHz, 14250000);
}

TEST(ApplyMode, SendsNothingFromABrokenRecordOrMode) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand20m] = "02A0142";
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD02;", "NA00;", "SH0014;"}));
  EXPECT_EQ(s.radio.frequencyHz, 14250000);

  s.radio.radioMode = 9;
  ApplyMode(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
  s.radio.radioMode = kUsb;
  s.radio.bandIndex = 0;
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD02;", "NA00;"}));
}

TEST(SendFrequencyA, NineDigitsOrNothing) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (int32_t hz : {14250000, 950000, 10}) {
    s.radio.frequencyHz = hz;
    SendFrequencyA(t.panel);
  }
  EXPECT_EQ(t.TakeSent(), (Strings{"FA014250000;", "FA000950000;", "FA000000010;"}));
  for (int32_t hz : {0, 9, -5, 1000000000}) {
    s.radio.frequencyHz = hz;
    SendFrequencyA(t.panel);
  }
  EXPECT_TRUE(t.TakeSent().empty());
  s.radio.splitOn = true;
  s.radio.frequencyHz = 14250000;
  SendFrequencyA(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"FB014250000;"});
}

TEST(SnapToWholeKhz, UpInUsbDownOtherwise) {
  struct Case {
    int mode;
    int32_t from, to;
  } cases[] = {
      {kLsb, 14250000, 14249000}, {kUsb, 14250400, 14251000}, {kUsb, 14250000, 14251000},
      {kLsb, 14250400, 14250000}, {kAm, 7100600, 7100000},    {kLsb, 500, 0},
  };
  for (const Case& c : cases) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.radio.radioMode = c.mode;
    s.radio.frequencyHz = c.from;
    SnapToWholeKhz(t.panel);
    EXPECT_EQ(s.radio.frequencyHz, c.to) << c.from;
    EXPECT_EQ(t.TakeSent(), Strings{"FA" + ZeroPad(c.to, 9) + ";"}) << c.from;
  }
}

}  // namespace
}  // namespace kelvaro
