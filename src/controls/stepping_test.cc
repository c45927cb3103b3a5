#include "controls/stepping.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(StepFrequency, HalfKilohertzInCwKilohertzOtherwiseNothingSent) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  StepUp(t.panel);
  EXPECT_EQ(s.frequencyHz, 14251000);
  s.radioMode = kCw;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(s.frequencyHz, 14250000);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepWidth, SidebandLimitsRepeatWithMaxAndMin) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kWidth;
  s.widthIndex = 21;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH021;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radioMode = kLsb;
  s.widthIndex = 9;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH009;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.ssbWidth, 9);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH010;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepWidth, CwSwitchesTheNarrowFilterAtTheBoundary) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kWidth;
  s.radioMode = kCw;
  s.widthIndex = 10;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NA00;", "SH011;"}));
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NA01;", "SH010;"}));
  s.widthIndex = 12;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH012;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.widthIndex = 1;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH001;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.cwWidth, 1);
}

TEST(SendWidth, QuietOnceAfterABandRecall) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.limitQuiet = true;
  s.widthIndex = 30;
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH021;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_FALSE(s.limitQuiet);
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  // AM and FM send the width as it stands.
  s.radioMode = kAm;
  s.widthIndex = 5;
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"SH021;", "SH005;"}));
  s.entryState = EntryState::kWidth;
  s.widthIndex = 21;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH021;"});
}

TEST(StepPower, CapsByPowerClassAndBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kPower;
  s.powerClass = 1;
  s.bandIndex = kBand2m;
  s.powerSetting = 40;
  StepUp(t.panel);
  EXPECT_EQ(s.powerSetting, 50);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC050;", "PC050;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.bandIndex = kBand6m;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"PC060;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
  s.powerSetting = 90;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC100;", "PC100;"}));

  s.powerSetting = 8;
  StepUp(t.panel);
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC009;", "PC010;", "PC020;"}));
  t.TakeSpoken();
  s.powerSetting = 20;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC010;", "PC009;"}));
  s.powerSetting = 6;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC005;", "PC005;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "min"}));
}

TEST(StepPower, SmallRadios) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kPower;
  s.powerClass = 0;
  s.powerSetting = 9;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC010;", "PC010;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max"}));
  s.powerClass = -1;
  s.powerSetting = 5;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"PC006;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.powerSetting = 2;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC001;", "PC001;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "min"}));
}

TEST(StepRfGain, FromTheStartValueToBothEnds) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kRfGain;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RG0255;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.rfGain = 250;
  for (int i = 0; i < 13; ++i) StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"RG0230;", "RG0210;", "RG0190;", "RG0170;", "RG0150;", "RG0130;",
                                   "RG0110;", "RG0090;", "RG0070;", "RG0050;", "RG0030;", "RG0000;",
                                   "RG0000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "min"}));
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RG0020;"});
}

TEST(StepAfGain, TensWithMaxAtTheTop) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kAfGain;
  s.afGain = 245;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"AG0250;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.afGain = 5;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AG0000;", "AG0000;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepLevel, MonitorBlankerReductionContourProcessor) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kLevel;
  s.levelTarget = LevelTarget::kMonitor;
  for (int i = 0; i < 4; ++i) StepDown(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"ML1015;", "ML1010;", "ML1005;", "ML1001;", "ML1006;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  s.monitorLevel = 95;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"ML1100;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.levelTarget = LevelTarget::kBlanker;
  s.blankerLevel = 9;
  StepUp(t.panel);
  s.blankerLevel = 2;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NL0010;", "NL0001;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "min"}));

  s.levelTarget = LevelTarget::kReduction;
  StepDown(t.panel);
  s.reductionLevel = 10;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"RL003;", "RL010;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.levelTarget = LevelTarget::kContour;
  s.contourHz = 100;
  StepDown(t.panel);
  StepUp(t.panel);
  s.contourHz = 3150;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"CO010010;", "CO010110;", "CO013200;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "max"}));

  s.levelTarget = LevelTarget::kProcessor;
  s.processorLevel = 90;
  StepUp(t.panel);
  StepUp(t.panel);
  s.processorLevel = 10;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PL100;", "PL100;", "PL000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max", "min"}));

  s.levelTarget = LevelTarget::kNone;
  StepUp(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(StepKeyerAndMicGain, SayTheLimitsEveryTime) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kKeyerSpeed;
  s.keyerSpeed = 59;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"KS060;", "KS060;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max"}));
  s.keyerSpeed = 5;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"KS004;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});

  s.entryState = EntryState::kMicGain;
  s.micGain = 99;
  s.meterPeak = 77;
  StepUp(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.micGain = 0;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MG100;", "MG100;", "MG000;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.meterPeak, 0);
}

TEST(Stepping, EntryStatesWithoutAQuantityDoNothing) {
  for (EntryState state : {EntryState::kOffsetSign, EntryState::kOffsetDigits, EntryState::kMenuNumber,
                           EntryState::kMenuValue, EntryState::kExtendedPrefix}) {
    ControlPanel t;
    t.panel.state.entryState = state;
    StepUp(t.panel);
    StepDown(t.panel);
    EXPECT_TRUE(t.TakeSent().empty()) << static_cast<int>(state);
    EXPECT_EQ(t.panel.state.frequencyHz, 14250000) << static_cast<int>(state);
  }
}

TEST(StepBand, UpFrom70cmAnnouncesGeneralCoverageAndWrapsTo160m) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kBandPrompt;
  s.bandIndex = kBand70cm;
  s.lastFreqReply = "FA432100000";
  s.radioMode = kFmNarrow;
  s.toneActive = true;
  s.toneCode = "012";
  StepUp(t.panel);
  EXPECT_EQ(s.bandIndex, kBand160m);
  EXPECT_FALSE(s.toneActive);
  EXPECT_EQ(s.toneCode, "999");
  // The 70 cm band kept where it was left, without the cleared tone.
  EXPECT_EQ(s.bandRecords[kBand70cm], "05A432100000B4320000000120");
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "BS000;");
  EXPECT_EQ(sent[1], "BS000;");
  Strings spoken = t.TakeSpoken();
  ASSERT_GE(spoken.size(), 4u);
  EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + 4), (Strings{"band", "un", "160", "metres"}));
}

TEST(StepBand, DownWrapsFrom160mTo70cmAndKeepsTheTone) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entryState = EntryState::kBandPrompt;
  s.bandIndex = kBand160m;
  s.lastFreqReply = "FA001850000";
  s.radioMode = kLsb;
  StepDown(t.panel);
  EXPECT_EQ(s.bandIndex, kBand70cm);
  EXPECT_EQ(s.bandRecords[kBand160m], "01A001850000B0019000009990");
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 2), (Strings{"BS016;", "BS016;"}));

  // From general coverage the rotation goes on to 160 m.
  s.bandIndex = kBandGeneral;
  s.lastFreqReply = "FA009670000";
  s.radioMode = kAm;
  StepUp(t.panel);
  EXPECT_EQ(s.bandIndex, kBand160m);
}

}  // namespace
}  // namespace kelvaro
