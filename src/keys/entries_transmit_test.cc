// Transmit, tune, tuner mode, the mic-gain watch and the keyer speed entry,
// against the FTX-1 stand-in.
#include <gtest/gtest.h>

#include <algorithm>

#include "keys/entries.h"
#include "keys/entries_test_panel.h"

namespace kelvaro {
namespace {

using testing::EntryPanel;
using testing::Strings;

Strings Join(std::initializer_list<Strings> parts) {
  Strings all;
  for (const Strings& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
const Strings kSixBeeps(6, "beep");

TEST(EntryTransmit, SpaceTwiceGoesOnAndOffTheAir) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.tick.tunerArmed = true;
  ToggleTransmit(t.panel);
  EXPECT_NE(t.radio.state().tx, 0);
  EXPECT_EQ(s.tick.txState, TxState::kTransmitting);
  EXPECT_EQ(s.tick.txHoldoff, 2);
  EXPECT_FALSE(s.tick.tunerArmed);
  ToggleTransmit(t.panel);
  EXPECT_EQ(t.radio.state().tx, 0);
  EXPECT_EQ(s.tick.txState, TxState::kReceiving);
  EXPECT_EQ(t.TakeSent(), (Strings{"TX1;", "TX0;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tx", "on", "tx", "off"}));
}

TEST(EntryTune, TunerOffSendsACarrierUntilTheNextT) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.config.tunerState = TunerUse::kOff;
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2005;", "MD05;", "FA014250000;", "TX1;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tune", "on"}));
  EXPECT_TRUE(s.tick.tuneActive);
  EXPECT_EQ(t.radio.state().powerWatts, 5);

  ToggleTune(t.panel);
  const Strings sent = t.TakeSent();
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 3), (Strings{"TX0;", "PC2050;", "MD02;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tune", "off"}));
  EXPECT_FALSE(s.tick.tuneActive);
  EXPECT_EQ(t.radio.state().tx, 0);
  EXPECT_EQ(t.radio.state().powerWatts, 50);
  EXPECT_EQ(t.radio.state().mode[0], '2');
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(EntryTune, TunerOnRunsTheTunerAloneAndBothAddsTheCarrier) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.config.tunerState = TunerUse::kOn;
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AC101;", "AC103;"}));
  EXPECT_EQ(t.TakeSpoken(), Join({{"tune", "on"}, kSixBeeps, {"ok", "tune", "off"}}));
  EXPECT_FALSE(s.tick.tuneActive);
  EXPECT_EQ(s.tick.tickCount, 0);
  EXPECT_TRUE(t.radio.Tuning());

  s.config.tunerState = TunerUse::kBoth;  // armed once: only the run starts, then the carrier
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AC103;", "PC2005;", "MD05;", "FA014250000;", "TX1;"}));
  EXPECT_EQ(t.TakeSpoken(), Join({{"tune", "on"}, kSixBeeps, {"ok"}}));
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSent().front(), "TX0;");
  EXPECT_EQ(s.config.tunerState, TunerUse::kBoth);
  EXPECT_FALSE(s.tick.tuneActive);
}

TEST(EntryTune, AboveSeventyThreeMegahertzTheTuneIsACarrierOnly) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  t.OnBand(kBand2m, 145000000, kFmNarrow);
  s.config.tunerState = TunerUse::kOn;
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tune", "on", "atu", "na"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2005;", "MD05;", "FA145000000;", "TX1;"}));
  EXPECT_EQ(s.config.tunerState, TunerUse::kNone);
  ToggleTune(t.panel);
  EXPECT_EQ(t.TakeSent().front(), "TX0;");
  EXPECT_EQ(s.config.tunerState, TunerUse::kOn);  // the tuner mode comes back as on
}

TEST(EntryTunerMode, F12CyclesOffOnBothOffWithTheHundredWattClassOnly) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.config.tunerState = TunerUse::kOff;
  s.tick.tunerArmed = true;
  for (int i = 0; i < 3; ++i) CycleTunerMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AC101;", "AC101;", "AC100;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tuner", "on", "tuner", "both", "tuner", "off"}));
  EXPECT_EQ(s.config.tunerState, TunerUse::kOff);
  EXPECT_FALSE(s.tick.tunerArmed);

  s.cat.powerClass = 0;
  s.config.tunerState = TunerUse::kOn;
  CycleTunerMode(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tuner", "na"}));
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(s.config.tunerState, TunerUse::kOff);
}

TEST(EntryMicGain, F11ReadsAndSpeaksTheGainThenWatches) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.tick.meterPeak = 90;
  StartMicGainWatch(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MG;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"micgain", "lev", "5", "0"}));
  EXPECT_EQ(s.radio.micGain, 50);
  EXPECT_EQ(s.entry.entryState, EntryState::kMicGain);
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kStarted);
  EXPECT_EQ(s.tick.meterPeak, 0);

  s.radio.micGain = 62;  // two steps up meanwhile
  s.tick.meterPeak = 44;
  EndMicGainWatch(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"micgain", "lev", "6", "2", "off"}));
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kOff);
  EXPECT_EQ(s.tick.meterPeak, 0);
  EXPECT_EQ(s.entry.entryState, EntryState::kMicGain);
}

TEST(EntryMicGain, WithoutAProperAnswerTheLastGainStands) {
  for (const char* reply : {"", "MG5;", "MG05x;", "MG150;", "FA014250000;"}) {
    SCOPED_TRACE(reply);
    EntryPanel t;
    t.panel.state.radio.micGain = 37;
    t.Answer("MG;", reply);
    StartMicGainWatch(t.panel);
    EXPECT_EQ(t.panel.state.radio.micGain, 37);
    EXPECT_EQ(t.TakeSpoken(), (Strings{"micgain", "lev", "3", "7"}));
  }
  EntryPanel t;
  t.Answer("MG;", "FA014250000;MG007;");
  StartMicGainWatch(t.panel);
  EXPECT_EQ(t.panel.state.radio.micGain, 7);
}

TEST(EntryKeyer, KInUsbSwitchesToCwAndBack) {
  for (int breakIn : {0, 1}) {
    SCOPED_TRACE(breakIn);
    EntryPanel t;
    PanelState& s = t.panel.state;
    s.radio.breakInOn = breakIn;
    EXPECT_TRUE(ToggleKeyerEntry(t.panel));
    EXPECT_EQ(s.entry.entryState, EntryState::kKeyerSpeed);
    EXPECT_EQ(s.radio.keyerSpeed, 20);  // as the radio reports it
    Strings sent = t.TakeSent();
    EXPECT_EQ(sent.front(), "MD03;");
    EXPECT_EQ(Strings(sent.end() - 2, sent.end()), (Strings{"KS;", "BI0;"}));
    EXPECT_EQ(t.TakeSpoken(), (Strings{"ks", "on", "2", "0", "wpm"}));
    EXPECT_EQ(t.radio.state().mode[0], '3');

    EXPECT_FALSE(ToggleKeyerEntry(t.panel));
    EXPECT_EQ(s.radio.radioMode, kUsb);
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
    sent = t.TakeSent();
    EXPECT_EQ(sent.front(), "MD02;");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "BI1;"), breakIn);
    EXPECT_EQ(t.TakeSpoken(), (Strings{"ks", "off", "2", "0", "wpm"}));

    // Another key leaves the entry silently.
    ToggleKeyerEntry(t.panel);
    t.Clear();
    LeaveKeyerEntry(t.panel);
    EXPECT_EQ(s.radio.radioMode, kUsb);
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
    sent = t.TakeSent();
    EXPECT_EQ(sent.front(), "MD02;");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "BI1;"), breakIn);
    EXPECT_TRUE(t.TakeSpoken().empty());
    EXPECT_TRUE(t.refused.empty()) << t.refused.front();
  }
}

TEST(EntryKeyer, WithoutAProperAnswerTheLastSpeedStands) {
  for (const char* reply : {"", "KS02;", "KS0a0;", "KS099;"}) {
    SCOPED_TRACE(reply);
    EntryPanel t;
    t.panel.state.radio.keyerSpeed = 18;
    t.Answer("KS;", reply);
    ToggleKeyerEntry(t.panel);
    EXPECT_EQ(t.panel.state.radio.keyerSpeed, 18);
    EXPECT_EQ(t.TakeSpoken(), (Strings{"ks", "on", "1", "8", "wpm"}));
  }
}

}  // namespace
}  // namespace kelvaro
