#include "controls/channels.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "controls/controls_test_panel.h"
#include "controls/modes.h"
#include "test_support.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::SplitCrLf;
using testing::Strings;

struct ChannelPanel : ControlPanel {
  // Presses a digit key with the entry state as the key rules leave it.
  void Digit(char key) {
    EnterDigit(panel, key);
  }
  void Store(char slot) {
    panel.state.entry.channelMode = ChannelMode::kSelect;
    Digit(slot);
  }
  void Recall(char slot) {
    panel.state.entry.channelMode = ChannelMode::kGoTo;
    Digit(slot);
  }
};

TEST(EnterDigit, AppendsToTheOpenEntry) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.entry.entryState = EntryState::kMenuNumber;
  t.Digit('0');
  t.Digit('1');
  s.entry.entryState = EntryState::kMenuValue;
  t.Digit('7');
  s.entry.entryState = EntryState::kOffsetDigits;
  s.entry.offsetEntry = "+";
  t.Digit('6');
  s.entry.entryState = EntryState::kNone;
  s.entry.toneActive = true;
  s.radio.toneCode = "";
  t.Digit('1');
  t.Digit('2');
  EXPECT_EQ(s.entry.menuNumber, "01");
  EXPECT_EQ(s.entry.menuValue, "7");
  EXPECT_EQ(s.entry.offsetEntry, "+6");
  EXPECT_EQ(s.radio.toneCode, "12");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"0", "1", "7", "6", "1", "2"}));
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(EnterDigit, FrequencyEntryCountsWholeMegahertzDigits) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.entry.freqEntryActive = true;
  s.entry.freqEntryNumber = 0;
  t.Digit('1');
  t.Digit('4');
  EXPECT_EQ(s.entry.freqEntryNumber, 14);
  EXPECT_EQ(s.entry.freqEntryIntDigits, 2);
  s.entry.freqEntryPoint = true;
  t.Digit('2');
  EXPECT_EQ(s.entry.freqEntryNumber, 142);
  EXPECT_EQ(s.entry.freqEntryIntDigits, 2);
  // However many digits are typed, the number stays too long to be a
  // frequency rather than wrapping round.
  for (int i = 0; i < 12; ++i) t.Digit('9');
  EXPECT_GE(s.entry.freqEntryNumber, 1000000000);
}

TEST(EnterDigit, IgnoresDigitsWithNothingOpenAndOtherKeys) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  t.Digit('5');
  s.entry.channelMode = ChannelMode::kSelect;
  EnterDigit(t.panel, 'A');
  EnterDigit(t.panel, 96);  // a keypad digit not yet translated
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(s.banks.memoryChannels[5], "9");
}

TEST(EnterDigit, BandPromptDigitsPickBands) {
  struct Case {
    char key;
    int band;
    const char* select;
  } cases[] = {{'0', kBand10m, "BS009;"}, {'7', kBand17m, "BS006;"}, {'1', kBand160m, "BS000;"}};
  for (const Case& c : cases) {
    ChannelPanel t;
    PanelState& s = t.panel.state;
    s.entry.entryState = EntryState::kBandPrompt;
    s.radio.splitOn = true;
    s.cat.lastFreqReply = "FA014123000";
    t.Digit(c.key);
    EXPECT_EQ(s.radio.bandIndex, c.band);
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
    EXPECT_FALSE(s.radio.splitOn);
    // The band being left was kept first.
    EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014200000B0141230009990");
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), c.select);
  }
}

TEST(ChannelStore, KeepsTheBandStateAndSavesTheBanks) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.radio.preampSetting = 1;
  t.Store('3');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"3", "ok"}));
  EXPECT_EQ(s.banks.memoryChannels[3], "0206A014200000B0142000009991");
  EXPECT_EQ(s.entry.channelMode, ChannelMode::kNone);
  EXPECT_TRUE(t.TakeSent().empty());
  Strings lines = SplitCrLf(t.dir.Read("savmem.dat"));
  ASSERT_EQ(lines.size(), 115u);
  EXPECT_EQ(lines[15 + 3], "0206A014200000B0142000009991");
}

TEST(ChannelStore, BankThenSlot) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.entry.channelMode = ChannelMode::kSelect;
  s.entry.bankDigitPending = -1;
  t.Digit('2');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "channel"}));
  t.Digit('5');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"5", "ok"}));
  EXPECT_EQ(s.banks.memoryChannels[25], "0206A014200000B0142000009990");
  EXPECT_EQ(s.banks.memoryChannels[5], "9");
}

TEST(ChannelStore, GeneralCoverageKeepsTheLiveFrequencyForBothVfos) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBandGeneral;
  s.radio.radioMode = kAm;
  s.radio.frequencyHz = 9670500;
  t.Store('0');
  EXPECT_EQ(s.banks.memoryChannels[0], "0414A009670500B0096705009990");
}

TEST(ChannelStore, RepeaterChannelBuildsItsOwnShiftText) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand2m;
  s.radio.radioMode = kFmNarrow;
  s.cat.lastFreqReply = "FA145600000";
  s.radio.repeaterOn = RepeaterState::kOn;
  s.entry.toneActive = true;
  s.radio.toneCode = "012";
  t.Store('1');
  EXPECT_EQ(s.banks.memoryChannels[1], "5512A145600000B-000006000120");
}

TEST(ChannelStore, SplitChannelKeepsTheLastVfoBAnswer) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand40m;
  s.radio.radioMode = kLsb;
  s.radio.splitOn = true;
  s.radio.vfoBText = "B007010000";
  t.Store('2');
  EXPECT_EQ(s.banks.memoryChannels[2], "1104A007100000B0070100009990");
  EXPECT_EQ(s.radio.vfoAText, "A007100000");

  s.radio.vfoBText = "";  // no usable answer: the record's own VFO B
  t.Store('2');
  EXPECT_EQ(s.banks.memoryChannels[2], "1104A007100000B0071000009990");
}

TEST(ChannelRecall, EmptyOrBrokenChannelsAreInvalid) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.banks.memoryChannels[2] = "0206A0142";
  for (char slot : {'4', '2'}) {
    s.banks.memoryBank = 0;
    t.Recall(slot);
    EXPECT_EQ(t.TakeSpoken(), (Strings{std::string(1, slot), "invalid"}));
    EXPECT_TRUE(t.TakeSent().empty());
    EXPECT_EQ(s.banks.memoryBank, 99);
    EXPECT_EQ(s.entry.channelMode, ChannelMode::kNone);
  }
}

TEST(ChannelRecall, RestoresANormalChannel) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand40m;
  s.entry.bankDigitPending = 1;
  s.banks.memoryChannels[14] = "0206A014250000B0142500009991";
  t.Recall('4');
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "BS005;", "FA014250000;", "MD02;", "NA00;", "CT00;", "PA01;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"4", "20", "metres"}));
  EXPECT_EQ(s.radio.bandIndex, kBand20m);
  EXPECT_EQ(s.radio.bandVfoText, "A014250000");
  EXPECT_EQ(s.banks.memoryBank, 1);
  EXPECT_EQ(s.banks.memoryCursor, 4);
  EXPECT_TRUE(s.cat.announcePending);
  EXPECT_EQ(s.radio.preampSetting, 1);
  EXPECT_EQ(s.entry.channelMode, ChannelMode::kNone);

  // The recall is over: a later mode change restores the band again.
  EXPECT_FALSE(s.banks.memoryRecallActive);
  ApplyMode(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"MD02;", "NA00;", "FA014200000;", "SH0014;"}));
}

TEST(ChannelRecall, SplitChannelSwitchesSplitOn) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.banks.memoryChannels[6] = "1104A007000000B0071000005231";
  t.Recall('6');
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 2), (Strings{"ST1;", "BS003;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"6", "split", "40", "metres"}));
  EXPECT_TRUE(s.radio.splitOn);
  EXPECT_FALSE(s.entry.toneActive);  // LSB keeps no tone
}

TEST(ChannelRecall, FmChannelRestoresItsTone) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.banks.memoryChannels[7] = "0512A145500000B1455000000120";
  t.Answer("SQ0;", "SQ0005;");
  t.Recall('7');
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "BS013;", "FA145500000;", "MD0B;", "NA00;", "SQ0;",
                                   "CN00012;", "CT01;", "PA10;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"7", "2", "metres", "ctcss", "0", "1", "2"}));
  EXPECT_TRUE(s.entry.toneActive);
  EXPECT_FALSE(s.entry.dcsTone);
  EXPECT_EQ(s.radio.squelchLevel, 5);

  s.banks.memoryChannels[8] = "0713A432100000B4321000007121";
  t.Recall('8');
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(Strings(sent.end() - 3, sent.end()), (Strings{"CN01012;", "CT03;", "PA21;"}));
  EXPECT_TRUE(s.entry.dcsTone);
}

TEST(ChannelRecall, RepeaterChannelSetsItsOffset) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecordable = true;
  s.banks.memoryChannels[9] = "5512A145600000B-000006250120";
  t.Recall('9');
  EXPECT_EQ(t.TakeSent(), (Strings{"BS013;", "FA145600000;", "MD0B;", "NA00;", "SQ0;", "EX0103180012;",
                                   "OS02;", "CN00012;", "CT01;", "PA10;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"9", "2", "metres", "repeater", "on", "ctcss",
                                     "0", "1", "2"}));
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(s.config.currentShiftSign[kBand2m], "-");
  EXPECT_EQ(s.config.currentShiftKhz[kBand2m], "0625");

  // With the band not recordable the direction alone is set.
  s.banks.bandRecordable = false;
  s.radio.repeaterOn = RepeaterState::kOff;
  t.Recall('9');
  Strings sent = t.TakeSent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "EX0103180012;"), 0);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "OS02;"), 1);
}

TEST(ChannelRecall, RepeaterChannelOffTheRepeaterBands) {
  ChannelPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecordable = true;
  s.banks.memoryChannels[1] = "5514A029600000B-000001000000";
  t.Recall('1');
  Strings sent = t.TakeSent();
  for (const std::string& command : sent) {
    EXPECT_NE(command.substr(0, 2), "EX") << command;
    EXPECT_NE(command.substr(0, 2), "OS") << command;
  }
  Strings spoken = t.TakeSpoken();
  EXPECT_NE(std::find(spoken.begin(), spoken.end(), "na"), spoken.end());
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOff);
}

TEST(ChannelRecall, SteppingWithULeavesOnlyTheSplitPhraseOut) {
  const struct {
    const char* record;
    Strings spoken;
  } kCases[] = {
      {"1512A145600000B1460000000120", {"3", "2", "metres"}},
      {"5512A145600000B-000006000120", {"3", "2", "metres", "repeater", "on"}},
      {"5514A029600000B-000001000000", {"3", "un", "repeater", "na"}},
  };
  for (const auto& c : kCases) {
    ChannelPanel t;
    PanelState& s = t.panel.state;
    s.banks.memoryChannels[3] = c.record;
    s.entry.channelMode = ChannelMode::kGoTo;  // as the U key leaves it
    s.entry.channelRecall = true;
    EnterDigit(t.panel, '3');
    Strings spoken = t.TakeSpoken();
    // The tone phrases of an FM channel follow; the head is what differs.
    ASSERT_GE(spoken.size(), c.spoken.size()) << c.record;
    EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + c.spoken.size()), c.spoken) << c.record;
    EXPECT_EQ(s.radio.splitOn, c.record[0] == '1' ? 1 : 0) << c.record;
  }
}

}  // namespace
}  // namespace kelvaro
