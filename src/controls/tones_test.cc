#include "controls/tones.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(SendToneSquelch, TypedCtcssToneIsConfirmedWithOn) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.toneCode = "12";  // typed as 1, 2
  s.entry.toneBusy = true;
  SendToneSquelch(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"CN00012;", "CT01;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ctcss", "on"}));
  EXPECT_EQ(s.radio.toneCode, "012");
}

TEST(SendToneSquelch, RestoredCtcssToneSpeaksItsDigits) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.toneCode = "012";
  SendToneSquelch(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"CN00012;", "CT01;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ctcss", "0", "1", "2"}));

  s.entry.channelRecall = true;
  SendToneSquelch(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"CN00012;", "CT01;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(SendToneSquelch, DcsCodesGoToTheirBank) {
  struct Case {
    const char* code;
    Strings sent;
  } cases[] = {
      {"700", {"CN01000;", "CT03;"}}, {"712", {"CN01012;", "CT03;"}},
      {"799", {"CN01099;", "CT03;"}}, {"800", {"CN01100;", "CT03;"}},
      {"803", {"CN01103;", "CT03;"}}, {"500", {"CN01100;", "CT03;"}},
      {"503", {"CN01103;", "CT03;"}},
  };
  for (const Case& c : cases) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.radio.toneCode = c.code;
    s.entry.dcsTone = true;
    SendToneSquelch(t.panel);
    EXPECT_EQ(t.TakeSent(), c.sent) << c.code;
    EXPECT_EQ(t.TakeSpoken(), (Strings{"dcs", "on"})) << c.code;
  }
  EXPECT_EQ(DcsBankDigit("023"), '0');
  EXPECT_EQ(DcsBankDigit("8"), '0');
  EXPECT_EQ(DcsBankDigit("8x1"), '0');
  EXPECT_EQ(DcsCodeCommand("712"), "CN01012");
}

TEST(SendToneSquelch, SendsNothingWithoutAToneNumber) {
  for (const char* code : {"", "999", "1234", "1x"}) {
    ControlPanel t;
    t.panel.state.radio.toneCode = code;
    SendToneSquelch(t.panel);
    EXPECT_TRUE(t.TakeSent().empty()) << code;
  }
}

TEST(RepeaterOffsetCommand, OneRuleForEveryBand) {
  EXPECT_EQ(RepeaterOffsetCommand(kBand10m, "0100"), "EX0103160100");
  EXPECT_EQ(RepeaterOffsetCommand(kBand6m, "0500"), "EX0103170500");
  EXPECT_EQ(RepeaterOffsetCommand(kBand2m, "0600"), "EX0103180012");
  EXPECT_EQ(RepeaterOffsetCommand(kBand70cm, "7600"), "EX0103190152");
  EXPECT_EQ(RepeaterOffsetCommand(kBand70cm, "5000"), "EX0103190100");
  // Not whole multiples of 50 kHz: the part beyond the last step is dropped.
  EXPECT_EQ(RepeaterOffsetCommand(kBand2m, "0625"), "EX0103180012");
  EXPECT_EQ(RepeaterOffsetCommand(kBand2m, "0100"), "EX0103180002");
  EXPECT_EQ(RepeaterOffsetCommand(kBand70cm, "0049"), "EX0103190000");
  // Short or unusable offsets never leave the command's width.
  EXPECT_EQ(RepeaterOffsetCommand(kBand10m, "100"), "EX0103160100");
  EXPECT_EQ(RepeaterOffsetCommand(kBand6m, "-500"), "EX0103170000");
  EXPECT_EQ(RepeaterOffsetCommand(kBandGeneral, "0600"), "");
  EXPECT_EQ(RepeaterOffsetCommand(kBand20m, "0600"), "");
}

TEST(SendRepeaterShift, SwitchesOnWithTheStandardOffset) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand2m;
  s.config.currentShiftSign[kBand2m] = "+";
  s.config.currentShiftKhz[kBand2m] = "1600";
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0103180012;", "OS02;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "on"}));
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(s.config.currentShiftSign[kBand2m], "-");
  EXPECT_EQ(s.config.currentShiftKhz[kBand2m], "0600");

  // Off again: split goes with it.
  s.radio.splitOn = true;
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"OS00;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "off"}));
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOff);
  EXPECT_FALSE(s.radio.splitOn);
}

TEST(SendRepeaterShift, ReSendsTheToneModeWhenATonesIsSet) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand70cm;
  s.entry.toneActive = true;
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0103190152;", "OS01;", "CT01;"}));
  s.radio.repeaterOn = RepeaterState::kOff;
  s.entry.dcsTone = true;
  s.radio.bandIndex = kBand10m;
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0103160100;", "OS02;", "CT03;"}));
}

TEST(SendRepeaterShift, QuietWaysOff) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.repeaterOn = RepeaterState::kOffSilently;
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"OS00;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOff);

  s.radio.repeaterOn = RepeaterState::kOn;
  s.entry.channelRecall = true;
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"OS00;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(SendRepeaterShift, NotAvailableOffTheRepeaterBands) {
  for (int band : {kBand20m, kBandGeneral}) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.radio.bandIndex = band;
    s.cat.commandText = "FA014250000;";  // the last command must not go out again
    SendRepeaterShift(t.panel);
    EXPECT_TRUE(t.TakeSent().empty()) << band;
    EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "na"})) << band;
    EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOff) << band;
  }
}

}  // namespace
}  // namespace kelvaro
