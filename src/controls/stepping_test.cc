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
  EXPECT_EQ(s.radio.frequencyHz, 14251000);
  s.radio.radioMode = kCw;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(s.radio.frequencyHz, 14250000);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepWidth, SidebandLimitsRepeatWithMaxAndMin) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kWidth;
  s.radio.widthIndex = 21;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0021;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radio.radioMode = kLsb;
  s.radio.widthIndex = 9;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0009;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.radio.ssbWidth, 9);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0010;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepWidth, CwSwitchesTheNarrowFilterAtTheBoundary) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kWidth;
  s.radio.radioMode = kCw;
  s.radio.widthIndex = 10;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NA00;", "SH0011;"}));
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NA01;", "SH0010;"}));
  s.radio.widthIndex = 12;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0012;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radio.widthIndex = 1;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0001;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.radio.cwWidth, 1);
}

TEST(SendWidth, QuietOnceAfterABandRecall) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.limitQuiet = true;
  s.radio.widthIndex = 30;
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0021;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_FALSE(s.banks.limitQuiet);
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  // AM and FM send the width as it stands.
  s.radio.radioMode = kAm;
  s.radio.widthIndex = 5;
  SendWidth(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"SH0021;", "SH0005;"}));
  s.entry.entryState = EntryState::kWidth;
  s.radio.widthIndex = 21;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"SH0021;"});
}

TEST(StepPower, CapsByPowerClassAndBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kPower;
  s.cat.powerClass = 1;
  s.radio.bandIndex = kBand2m;
  s.config.powerSetting = 40;
  StepUp(t.panel);
  EXPECT_EQ(s.config.powerSetting, 50);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2050;", "PC2050;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.radio.bandIndex = kBand6m;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"PC2060;"});
  EXPECT_TRUE(t.TakeSpoken().empty());
  s.config.powerSetting = 90;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2100;", "PC2100;"}));

  s.config.powerSetting = 8;
  StepUp(t.panel);
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2009;", "PC2010;", "PC2020;"}));
  t.TakeSpoken();
  s.config.powerSetting = 20;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2010;", "PC2009;"}));
  s.config.powerSetting = 6;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2005;", "PC2005;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "min"}));
}

TEST(StepPower, SmallRadios) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kPower;
  s.cat.powerClass = 0;
  s.config.powerSetting = 9;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC1010;", "PC1010;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max"}));
  s.cat.powerClass = -1;
  s.config.powerSetting = 5;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"PC1006;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.config.powerSetting = 2;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC1001;", "PC1001;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "min"}));
}

TEST(StepRfGain, FromTheStartValueToBothEnds) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kRfGain;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RG0255;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radio.rfGain = 250;
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
  s.entry.entryState = EntryState::kAfGain;
  s.radio.afGain = 245;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"AG0250;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radio.afGain = 5;
  StepDown(t.panel);
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AG0000;", "AG0000;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(StepLevel, MonitorBlankerReductionContourProcessor) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kLevel;
  s.entry.levelTarget = LevelTarget::kMonitor;
  for (int i = 0; i < 4; ++i) StepDown(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"ML1015;", "ML1010;", "ML1005;", "ML1001;", "ML1006;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  s.radio.monitorLevel = 95;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"ML1100;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.entry.levelTarget = LevelTarget::kBlanker;
  s.radio.blankerLevel = 9;
  StepUp(t.panel);
  s.radio.blankerLevel = 2;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NL0010;", "NL0001;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "min"}));

  s.entry.levelTarget = LevelTarget::kReduction;
  StepDown(t.panel);
  s.radio.reductionLevel = 10;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"RL003;", "RL010;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});

  s.entry.levelTarget = LevelTarget::kContour;
  s.radio.contourHz = 100;
  StepDown(t.panel);
  StepUp(t.panel);
  s.radio.contourHz = 3150;
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"CO010010;", "CO010110;", "CO013200;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"min", "max"}));

  s.entry.levelTarget = LevelTarget::kProcessor;
  s.radio.processorLevel = 90;
  StepUp(t.panel);
  StepUp(t.panel);
  s.radio.processorLevel = 10;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PL100;", "PL100;", "PL000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max", "min"}));

  s.entry.levelTarget = LevelTarget::kNone;
  StepUp(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(StepKeyerAndMicGain, SayTheLimitsEveryTime) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kKeyerSpeed;
  s.radio.keyerSpeed = 59;
  StepUp(t.panel);
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"KS060;", "KS060;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"max", "max"}));
  s.radio.keyerSpeed = 5;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"KS004;"});
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});

  s.entry.entryState = EntryState::kMicGain;
  s.radio.micGain = 99;
  s.tick.meterPeak = 77;
  StepUp(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
  StepUp(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"max"});
  s.radio.micGain = 0;
  StepDown(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MG100;", "MG100;", "MG000;"}));
  EXPECT_EQ(t.TakeSpoken(), Strings{"min"});
  EXPECT_EQ(s.tick.meterPeak, 0);
}

TEST(Stepping, EntryStatesWithoutAQuantityDoNothing) {
  for (EntryState state : {EntryState::kOffsetSign, EntryState::kOffsetDigits, EntryState::kMenuNumber,
                           EntryState::kMenuValue, EntryState::kExtendedPrefix}) {
    ControlPanel t;
    t.panel.state.entry.entryState = state;
    StepUp(t.panel);
    StepDown(t.panel);
    EXPECT_TRUE(t.TakeSent().empty()) << static_cast<int>(state);
    EXPECT_EQ(t.panel.state.radio.frequencyHz, 14250000) << static_cast<int>(state);
  }
}

TEST(StepBand, UpFrom70cmAnnouncesGeneralCoverageAndWrapsTo160m) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kBandPrompt;
  s.radio.bandIndex = kBand70cm;
  s.cat.lastFreqReply = "FA432100000";
  s.radio.radioMode = kFmNarrow;
  s.entry.toneActive = true;
  s.radio.toneCode = "012";
  StepUp(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand160m);
  EXPECT_FALSE(s.entry.toneActive);
  EXPECT_EQ(s.radio.toneCode, "999");
  // The 70 cm band kept where it was left, without the cleared tone.
  EXPECT_EQ(s.banks.bandRecords[kBand70cm], "05A432100000B4320000000120");
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
  s.entry.entryState = EntryState::kBandPrompt;
  s.radio.bandIndex = kBand160m;
  s.cat.lastFreqReply = "FA001850000";
  s.radio.radioMode = kLsb;
  StepDown(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand70cm);
  EXPECT_EQ(s.banks.bandRecords[kBand160m], "01A001850000B0019000009990");
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 2), (Strings{"BS014;", "BS014;"}));

  // From general coverage the rotation goes on to 160 m.
  s.radio.bandIndex = kBandGeneral;
  s.cat.lastFreqReply = "FA009670000";
  s.radio.radioMode = kAm;
  StepUp(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand160m);
}

}  // namespace
}  // namespace kelvaro
