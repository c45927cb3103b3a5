#include "controls/bands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls_test_panel.h"
#include "memory/records.h"
#include "state/radio_tables.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(SelectBand, SendsTheBandCommandAndSpeaksUnlessQuiet) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (int band : {kBand160m, kBand12m, kBand10m, kBand6m}) {
    s.radio.bandIndex = band;
    s.banks.bandQuiet = BandQuiet::kQuiet;
    SelectBand(t.panel);
    EXPECT_TRUE(t.TakeSpoken().empty());
    EXPECT_EQ(s.banks.bandQuiet, BandQuiet::kSpeak);
  }
  EXPECT_EQ(t.TakeSent(), (Strings{"BS000;", "BS008;", "BS009;", "BS010;"}));
  s.radio.bandIndex = kBand70cm;
  SelectBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"70", "metres"}));
  s.radio.bandIndex = kBandGeneral;
  SelectBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"un"});
  EXPECT_EQ(t.TakeSent(), (Strings{"BS014;", "BS011;"}));

  // No band of that number: nothing is sent, not even the last command again.
  s.radio.bandIndex = 15;
  SelectBand(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(RecallBand, RestoresTheFactory160mBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand160m;
  s.radio.preampSetting = 2;
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS000;", "FA001900000;", "MD01;", "NA00;", "FA001900000;",
                                   "SH0014;", "PA00;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"160", "metres", "preamp", "off"}));
  EXPECT_EQ(s.radio.radioMode, kLsb);
  EXPECT_EQ(s.radio.frequencyHz, 1900000);
  EXPECT_EQ(s.radio.frequencyText, "1.900000");
  EXPECT_EQ(s.radio.bandVfoText, "A001900000");
  EXPECT_EQ(s.radio.preampSetting, 0);
  EXPECT_TRUE(s.banks.limitQuiet);
  EXPECT_FALSE(s.entry.toneActive);
  EXPECT_EQ(t.screen.TextAt(50, 45), "LSB    ");
}

TEST(RecallBand, TwentyMetresComesBackWithAmp1) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand20m;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), "PA01;");
  EXPECT_EQ(s.radio.preampSetting, 1);
  EXPECT_EQ(s.radio.frequencyText, "14.200000");
  Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.end() - 3, spoken.end()), (Strings{"preamp", "1", "on"}));
}

TEST(RecallBand, RestoresACtcssToneInFm) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand2m] = "05A145500000B1455000000120";
  s.radio.bandIndex = kBand2m;
  t.Answer("SQ0;", "SQ0012;");
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS013;", "FA145500000;", "MD0B;", "NA00;", "SQ0;", "CN00012;",
                                   "CT01;", "PA10;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "ctcss", "0", "1", "2",
                                     "preamp", "off"}));
  EXPECT_TRUE(s.entry.toneActive);
  EXPECT_EQ(s.radio.toneCode, "012");
  EXPECT_EQ(s.radio.squelchLevel, 12);
  EXPECT_EQ(t.screen.TextAt(50, 45), "FMN     ");
}

TEST(RecallBand, RestoresADcsCodeWithItsBank) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand70cm] = "07A432100000B4321000008031";
  s.radio.bandIndex = kBand70cm;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(Strings(sent.end() - 3, sent.end()), (Strings{"CN01103;", "CT03;", "PA21;"}));
  EXPECT_TRUE(s.entry.dcsTone);
  Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.end() - 7, spoken.end()),
            (Strings{"dcs", "8", "0", "3", "preamp", "1", "on"}));
}

TEST(RecallBand, RestoresNoToneOutsideFmOrWithoutOne) {
  for (const char* record : {"05A145500000B1455000000000", "05A145500000B1455000009990",
                             "02A145500000B1455000000120"}) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.banks.bandRecords[kBand2m] = record;
    s.radio.bandIndex = kBand2m;
    s.entry.toneActive = true;
    s.radio.toneCode = "023";
    RecallBand(t.panel);
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "CT00;") << record;
    for (const std::string& command : sent) {
      EXPECT_NE(command.substr(0, 2), "CN") << record;
      EXPECT_NE(command, "CT01;") << record;
    }
    EXPECT_FALSE(s.entry.toneActive) << record;
  }
}

TEST(RecallBand, SwitchesSplitOffOnTheRadioFirst) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  s.radio.bandIndex = kBand40m;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "ST0;");
  EXPECT_EQ(sent[1], "BS003;");
  EXPECT_TRUE(s.radio.splitOn);
}

TEST(RecallBand, WrapsTheBandIndexBeforeSending) {
  struct Case {
    int given, band;
    const char* select;
  } cases[] = {{0, kBand70cm, "BS014;"}, {14, kBand160m, "BS000;"}, {15, kBandGeneral, "BS011;"},
               {-3, kBand70cm, "BS014;"}, {40, kBandGeneral, "BS011;"}};
  for (const Case& c : cases) {
    ControlPanel t;
    t.panel.state.radio.bandIndex = c.given;
    RecallBand(t.panel);
    EXPECT_EQ(t.panel.state.radio.bandIndex, c.band) << c.given;
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), c.select) << c.given;
  }
}

TEST(RecallBand, AMalformedRecordGivesWayToTheFactoryRecord) {
  for (const char* bad : {"", "9", "02A0142", "02A01420000xB0142000009991", "08A014200000B0142000009991",
                          "02A014200000B0142000009991EXTRA"}) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.banks.bandRecords[kBand20m] = bad;
    s.radio.bandIndex = kBand20m;
    RecallBand(t.panel);
    EXPECT_EQ(t.TakeSent(), (Strings{"BS005;", "FA014200000;", "MD02;", "NA00;", "FA014200000;",
                                     "SH0014;", "PA01;"}))
        << bad;
    EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord) << bad;
  }
}

TEST(RecallBand, SwitchesRepeaterOperationOnFromTheRecord) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand2m] = "55A145600000B-000006000880";
  s.radio.bandIndex = kBand2m;
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS013;", "FA145600000;", "MD0B;", "NA00;", "SQ0;",
                                   "EX0103180012;", "OS02;", "CN00088;", "CT01;", "PA10;"}));
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "repeater", "on", "ctcss", "0",
                                     "8", "8", "preamp", "off"}));
}

TEST(StoreBandMode, ReplacesTheModeDigitOnly) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kCw;
  StoreBandMode(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "03A014200000B0142000009991");

  s.cat.passThroughSeen = true;
  s.radio.radioMode = kAm;
  StoreBandMode(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "03A014200000B0142000009991");

  s.cat.passThroughSeen = false;
  s.banks.bandRecords[kBand20m] = "03";
  StoreBandMode(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "03");
  // No band: no record changes, not even the unused one before band 1.
  s.banks.bandRecords[kBand20m] = "03A014200000B0142000009991";
  s.banks.bandRecords[0] = "03A014200000B0142000009991";
  auto records = [&] {
    std::vector<std::string> all;
    for (const Text& record : s.banks.bandRecords) all.push_back(record.str());
    return all;
  };
  const std::vector<std::string> before = records();
  s.radio.bandIndex = 0;
  StoreBandMode(t.panel);
  EXPECT_EQ(records(), before);
}

TEST(BandFromEnteredMhz, PicksTheBandOfTheTypedMegahertz) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  s.entry.freqEntryNumber = 145;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand2m);
  EXPECT_TRUE(s.radio.splitOn);

  s.entry.freqEntryNumber = 100;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBandGeneral);
  EXPECT_FALSE(s.radio.splitOn);
  EXPECT_TRUE(t.TakeSent().empty());

  s.entry.toneActive = true;
  s.radio.toneCode = "012";
  s.entry.freqEntryNumber = 7;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand40m);
  EXPECT_EQ(t.TakeSent(), Strings{"CT00;"});
  EXPECT_FALSE(s.entry.toneActive);
  EXPECT_EQ(s.radio.toneCode, "999");
}

TEST(CancelSplit, RestoresVfoAAndKeepsTheRecordLayout) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  s.radio.bandVfoText = "A014195000";
  s.banks.bandRecords[kBand20m] = "12A014200000B0142600009991";
  CancelSplit(t.panel);
  EXPECT_FALSE(s.radio.splitOn);
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "FA014195000;"}));
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "02A014195000B0142600009991");
}

TEST(CancelSplit, SendsNoGarbageAndKeepsMalformedRecords) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (const char* vfo : {"", "A01419500", "A01419500x", "X014195000", "A0141950001"}) {
    s.radio.splitOn = true;
    s.radio.bandVfoText = vfo;
    CancelSplit(t.panel);
    EXPECT_EQ(t.TakeSent(), Strings{"ST0;"}) << vfo;
    EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord) << vfo;
  }
  // A VFO-B text is restored on the radio, but is no VFO A for the record.
  s.radio.bandVfoText = "B014195000";
  CancelSplit(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "FB014195000;"}));
  EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord);

  s.radio.bandVfoText = "A014195000";
  s.banks.bandRecords[kBand20m] = "12A0142";
  CancelSplit(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A0142");

  s.banks.bandRecords[kBand20m] = "12A014200000B0142600009991";
  s.cat.passThroughSeen = true;
  CancelSplit(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014200000B0142600009991");
}

}  // namespace
}  // namespace kelvaro
