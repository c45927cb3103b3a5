#include "controls/settings.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(ApplyPreamp, CommandByBandAndSetting) {
  struct Case {
    int band, setting;
    const char* command;
    Strings spoken;
  } cases[] = {
      {kBand20m, 1, "PA01;", {"preamp", "1", "on"}},  {kBand2m, 2, "PA11;", {"preamp", "2", "on"}},
      {kBand70cm, 0, "PA20;", {"preamp", "off"}},     {kBand70cm, 1, "PA21;", {"preamp", "1", "on"}},
      {kBandGeneral, 0, "PA00;", {"preamp", "off"}},
  };
  for (const Case& c : cases) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.radio.bandIndex = c.band;
    s.radio.preampSetting = c.setting;
    ApplyPreamp(t.panel);
    EXPECT_EQ(t.TakeSent(), Strings{c.command}) << c.band << " " << c.setting;
    EXPECT_EQ(t.TakeSpoken(), c.spoken) << c.band << " " << c.setting;
    EXPECT_EQ(t.screen.TextAt(40, 250), c.setting > 0 ? "preamp" + Digits(c.setting) : std::string(14, ' '));
  }
}

TEST(ToggleAttenuator, OnOffAndNotAvailableAbove6m) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  ToggleAttenuator(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RA01;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"at", "on"}));
  EXPECT_EQ(t.screen.TextAt(170, 250), "att");
  ToggleAttenuator(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RA00;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"at", "off"}));
  EXPECT_FALSE(s.radio.attenuatorOn);

  for (int band : {kBand2m, kBand70cm, kBandGeneral}) {
    s.radio.bandIndex = band;
    ToggleAttenuator(t.panel);
    EXPECT_TRUE(t.TakeSent().empty());
    EXPECT_EQ(t.TakeSpoken(), (Strings{"at", "na"}));
    EXPECT_FALSE(s.radio.attenuatorOn);
  }
}

TEST(ToggleNoiseBlanker, SendsTheLevelAndKeepsOtherLevelTargets) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.blankerLevel = 10;
  ToggleNoiseBlanker(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"NL0010;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nb", "on"}));
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kBlanker);
  s.entry.levelTarget = LevelTarget::kReduction;
  ToggleNoiseBlanker(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"NL0000;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nb", "off"}));
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kReduction);
  s.radio.blankerLevel = 3;
  ToggleNoiseBlanker(t.panel);
  ToggleNoiseBlanker(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"NL0003;", "NL0000;"}));
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kNone);
}

TEST(ToggleNoiseReduction, OnWithItsLevelOffClearsTheLevelTarget) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  ToggleNoiseReduction(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RL004;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nr", "on"}));
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kReduction);
  EXPECT_EQ(t.screen.TextAt(310, 250), "nr");
  s.entry.levelTarget = LevelTarget::kBlanker;
  ToggleNoiseReduction(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RL000;"});
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kNone);
  s.radio.reductionLevel = 10;
  ToggleNoiseReduction(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"RL010;"});
}

TEST(ToggleProcessor, OnReadsTheLevelBack) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  t.Answer("PL;", "PL050;");
  ToggleProcessor(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PR02;", "PL;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"spc", "on"}));
  EXPECT_TRUE(s.radio.processorOn);
  EXPECT_EQ(s.radio.processorLevel, 50);
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kProcessor);
  EXPECT_EQ(t.screen.TextAt(550, 250), "spc");

  ToggleProcessor(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"PR01;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"spc", "off"}));
  EXPECT_FALSE(s.radio.processorOn);
  EXPECT_EQ(s.entry.levelTarget, LevelTarget::kNone);
}

TEST(ReadProcessorLevel, KeepsTheLevelWithoutAUsableAnswer) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.processorLevel = 30;
  for (const char* reply : {"", "PL", "PL0x;", "?;"}) {
    t.ports.ReceiveLater(ControlPanel::kPort, reply);
    ReadProcessorLevel(t.panel);
    EXPECT_EQ(s.radio.processorLevel, 30) << reply;
  }
  t.ports.ReceiveLater(ControlPanel::kPort, "FA014250000;PL070;");
  ReadProcessorLevel(t.panel);
  EXPECT_EQ(s.radio.processorLevel, 70);
}

TEST(ToggleBreakInAndVox, SwitchAndShow) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kCw;
  ToggleBreakIn(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"bkin", "on"}));
  EXPECT_EQ(t.screen.TextAt(620, 250), "bin ");
  ToggleBreakIn(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"bkin", "off"}));
  EXPECT_FALSE(s.radio.breakInOn);
  s.radio.radioMode = kUsb;
  ToggleVox(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"vox", "on"}));
  EXPECT_EQ(t.screen.TextAt(620, 250), "vox");
  ToggleVox(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BI1;", "BI0;", "VX1;", "VX0;"}));
  EXPECT_FALSE(s.radio.voxOn);
}

}  // namespace
}  // namespace kelvaro
