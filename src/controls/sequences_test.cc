// Short operating sequences against the in-memory FTX-1 stand-in: every
// command the controls send must be one the radio takes, and the radio must
// end up where the panel says it is.
#include <gtest/gtest.h>

#include "controls/bands.h"
#include "controls/channels.h"
#include "controls/controls_test_panel.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/stepping.h"
#include "controls/tones.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

struct RadioPanel : ControlPanel {
  RadioPanel() {
    ports.SetResponder(kPort, [this](std::string_view bytes) {
      std::string answer = radio.Feed(bytes);
      if (answer == "?;") refused.push_back(std::string(bytes));
      return answer;
    });
  }
  // What the reply interpretation does with the radio's VFO: the panel
  // follows the frequency it reports.
  void FollowRadio() {
    const bool split = panel.state.radio.splitOn;
    const std::string code = split ? "FB" : "FA";
    const auto hz = radio.state().vfoHz[split ? 1 : 0];
    panel.state.cat.lastFreqReply = code + ZeroPad(hz, 9);
    panel.state.radio.frequencyHz = static_cast<int32_t>(hz);
  }
  void PickBand(char key) {
    FollowRadio();
    panel.state.entry.entryState = EntryState::kBandPrompt;
    EnterDigit(panel, key);
  }
  ftx1sim::Radio radio;
  Strings refused;
};

TEST(Sequences, BandChangeAndBackRestoresTheBand) {
  RadioPanel t;
  PanelState& s = t.panel.state;
  // Start on 20 m at 14.2305 MHz, USB, AMP2.
  s.radio.bandIndex = kBand20m;
  RecallBand(t.panel);
  s.radio.frequencyHz = 14230500;
  SendFrequencyA(t.panel);
  s.radio.preampSetting = 2;
  ApplyPreamp(t.panel);

  t.PickBand('4');
  EXPECT_EQ(t.radio.state().vfoHz[0], 7100000);
  EXPECT_EQ(t.radio.state().mode[0], '1');
  EXPECT_EQ(t.radio.state().preamp[0], 0);

  t.PickBand('6');
  EXPECT_EQ(s.radio.bandIndex, kBand20m);
  EXPECT_EQ(t.radio.state().vfoHz[0], 14230500);
  EXPECT_EQ(t.radio.state().mode[0], '2');
  EXPECT_EQ(t.radio.state().preamp[0], 2);
  EXPECT_EQ(s.radio.frequencyText, "14.230500");
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(Sequences, FmToneAndRepeaterComeBackWithTheBand) {
  RadioPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand2m] = "05A145500000B1455000000120";
  s.radio.bandIndex = kBand2m;
  RecallBand(t.panel);
  EXPECT_EQ(t.radio.state().ctcss, 12);
  EXPECT_EQ(t.radio.state().toneMode, 1);
  SendRepeaterShift(t.panel);
  EXPECT_EQ(t.radio.state().shift, 2);
  EXPECT_EQ(t.radio.state().menus.at("010318"), "0012");

  s.entry.entryState = EntryState::kBandPrompt;
  t.PickBand('6');
  EXPECT_EQ(s.banks.bandRecords[kBand2m], "55A145500000B-000006000120");
  // Band step up from 20 m and down again lands back on 2 m by the band keys.
  t.FollowRadio();
  s.entry.entryState = EntryState::kBandPrompt;
  StepDown(t.panel);  // 20 m -> 30 m
  EXPECT_EQ(s.radio.bandIndex, kBand30m);
  s.radio.bandIndex = kBand2m;
  RecallBand(t.panel);
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(t.radio.state().shift, 2);
  EXPECT_EQ(t.radio.state().ctcss, 12);
  EXPECT_EQ(t.radio.state().vfoHz[0], 145500000);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(Sequences, ChannelStoreThenRecallElsewhere) {
  RadioPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand70cm] = "07A433500000B4335000007120";
  s.radio.bandIndex = kBand70cm;
  RecallBand(t.panel);
  t.FollowRadio();
  s.entry.channelMode = ChannelMode::kSelect;
  EnterDigit(t.panel, '2');
  EXPECT_EQ(s.banks.memoryChannels[2], "0713A433500000B4335000007120");

  t.PickBand('1');
  EXPECT_EQ(t.radio.state().vfoHz[0], 1900000);
  t.TakeSpoken();
  s.entry.channelMode = ChannelMode::kGoTo;
  EnterDigit(t.panel, '2');
  EXPECT_EQ(t.radio.state().vfoHz[0], 433500000);
  EXPECT_EQ(t.radio.state().mode[0], '4');
  EXPECT_EQ(t.radio.state().dcs, 12);
  EXPECT_EQ(s.radio.bandIndex, kBand70cm);
  Strings spoken = t.TakeSpoken();
  ASSERT_GE(spoken.size(), 3u);
  EXPECT_EQ(Strings(spoken.end() - 2, spoken.end()), (Strings{"dcs", "on"}));
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(Sequences, SplitOnAndOffWithCancelSplit) {
  RadioPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand20m;
  RecallBand(t.panel);
  // What the split key does when split goes on.
  s.radio.bandVfoText = "A014200000";
  s.radio.splitOn = true;
  SendCommand(t.panel, "ST1");
  s.radio.frequencyHz = 14210000;
  SendFrequencyA(t.panel);  // goes to VFO B
  EXPECT_EQ(t.radio.state().vfoHz[1], 14210000);
  t.FollowRadio();
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014200000B0142100009991");

  CancelSplit(t.panel);
  EXPECT_EQ(t.radio.state().split, 0);
  EXPECT_EQ(t.radio.state().vfoHz[0], 14200000);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "02A014200000B0142100009991");
  t.PickBand('4');
  t.PickBand('6');
  EXPECT_EQ(t.radio.state().vfoHz[0], 14200000);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

}  // namespace
}  // namespace kelvaro
