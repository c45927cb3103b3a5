// The entries typed key by key into the message handler of a panel started
// as the program starts it, on the FTX-1 stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/identify.h"
#include "app/startup.h"
#include "keys/entries_test_panel.h"
#include "keys/key_rules.h"
#include "keys/message.h"

namespace kelvaro {
namespace {

using testing::EntryPanel;
using testing::Strings;

struct TypingPanel : EntryPanel {
  // Started and synchronised with the radio: 40 m, LSB, 7.1 MHz.
  TypingPanel() {
    PanelState& s = panel.state;
    s.config.baudRate = 38400;
    s.config.powerSetting = 50;
    s.config.dcsEnabled = true;
    s.config.tunerState = TunerUse::kOff;
    InitialisePanel(panel);
    IdentifyRadio(panel);
    s.entry.runFlag = true;
    Ticks(6);
    Clear();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) HandleWindowMessage(panel, {kMsgTimer, 0});
  }
  void Key(int code) {
    HandleWindowMessage(panel, {kMsgKeyDown, code});
    HandleWindowMessage(panel, {kMsgKeyUp, code});
  }
  void Type(std::string_view keys) {
    for (char c : keys) Key(c == '.' ? vk::kPoint : static_cast<unsigned char>(c));
  }
  // The last frequency command sent.
  std::string LastFrequency(const Strings& sent) {
    auto found = std::find_if(sent.rbegin(), sent.rend(), [](const std::string& c) { return c.rfind("FA", 0) == 0; });
    return found == sent.rend() ? std::string() : *found;
  }
};

Strings Tail(const Strings& all, std::size_t n) {
  return Strings(all.end() - static_cast<long>(std::min(n, all.size())), all.end());
}

TEST(EntrySequence, TypedFrequencyThenFWaitsForTheNextTick) {
  TypingPanel t;
  t.Type("E7.1");
  t.Key(vk::kEnter);
  EXPECT_EQ(t.LastFrequency(t.TakeSent()), "FA007100000;");
  EXPECT_EQ(t.TakeSpoken().back(), "ok");
  t.Type("E14");
  t.Key(vk::kEnter);
  EXPECT_EQ(t.LastFrequency(t.TakeSent()), "FA014000000;");
  EXPECT_EQ(t.radio.state().vfoHz[0], 14000000);
  t.TakeSpoken();

  t.Key('F');  // the Enter has just reset the tick counter
  EXPECT_TRUE(t.TakeSpoken().empty());
  t.Ticks(4);
  t.Key('F');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "mhz", "usb.wav"}));
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(EntrySequence, PrefixAntennaThenAfGainAndOffsetEntry) {
  TypingPanel t;
  t.Type("XCC");
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0307041;", "EX0307040;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "ant2", "ant1"}));
  t.Key('A');  // the key after the antenna switch closes the prefix: A is the AF gain
  EXPECT_EQ(t.panel.state.entry.entryState, EntryState::kAfGain);
  t.Clear();

  t.Type("B");
  t.Key('T');
  t.Ticks(6);
  t.Type("XO");
  t.Key(vk::kPlus);
  t.Type("600");
  t.Clear();
  t.Key(vk::kEnter);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "ofs", "plus", "6", "0", "0", "khz"}));
  EXPECT_EQ(t.panel.state.config.standardShiftSign[kBand2m], "+");
  EXPECT_EQ(t.panel.state.config.standardShiftKhz[kBand2m], "0600");
  t.Type("XO");
  t.Key(vk::kMinus);
  t.Type("6");
  t.Clear();
  t.Key(vk::kEnter);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ofs", "invalid"}));
  EXPECT_EQ(t.panel.state.config.standardShiftKhz[kBand2m], "0600");
}

TEST(EntrySequence, CarrierTuneLocksOtherKeys) {
  TypingPanel t;
  t.Key(vk::kSpace);
  t.Key(vk::kSpace);
  EXPECT_EQ(t.TakeSent(), (Strings{"TX1;", "TX0;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tx", "on", "tx", "off"}));

  t.Type("TM");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tune", "on", "ton"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2005;", "MD05;", "FA007100000;", "TX1;"}));
  t.Key('T');
  EXPECT_EQ(t.TakeSent().front(), "TX0;");
  EXPECT_EQ(t.radio.state().powerWatts, 50);
  EXPECT_EQ(t.radio.state().mode[0], '1');
  EXPECT_FALSE(t.panel.state.tick.tuneActive);

  for (int i = 0; i < 3; ++i) t.Key(vk::kF12);
  EXPECT_EQ(t.TakeSent(), (Strings{"AC101;", "AC101;", "AC100;"}));
}

TEST(EntrySequence, KeyerAndMicGainEntries) {
  TypingPanel t;
  t.Type("B6");  // 20 m, USB
  t.Ticks(6);
  t.Clear();
  t.Key('K');
  EXPECT_EQ(t.panel.state.radio.radioMode, kCw);
  EXPECT_EQ(Tail(t.TakeSent(), 2), (Strings{"KS;", "BI0;"}));
  t.Key('F');  // any other key leaves the entry silently and goes on
  EXPECT_EQ(t.panel.state.radio.radioMode, kUsb);
  EXPECT_EQ(t.TakeSpoken().back(), "usb.wav");

  t.Key(vk::kF11);
  t.Key(vk::kUp);
  t.Key(vk::kUp);
  EXPECT_EQ(t.panel.state.radio.micGain, 52);
  t.Clear();
  t.Key('M');
  const Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + 5), (Strings{"micgain", "lev", "5", "2", "off"}));
  EXPECT_EQ(spoken.back(), "cw.wav");
  EXPECT_EQ(t.panel.state.tick.micGainWatch, MicGainWatch::kOff);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

}  // namespace
}  // namespace kelvaro
