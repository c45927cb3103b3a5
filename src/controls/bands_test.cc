#include "controls/bands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls_test_panel.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(SelectBand, SendsTheBandCommandAndSpeaksUnlessQuiet) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (int band : {kBand160m, kBand12m, kBand10m, kBand6m}) {
    s.bandIndex = band;
    s.bandQuiet = BandQuiet::kQuiet;
    SelectBand(t.panel);
    EXPECT_TRUE(t.TakeSpoken().empty());
    EXPECT_EQ(s.bandQuiet, BandQuiet::kSpeak);
  }
  EXPECT_EQ(t.TakeSent(), (Strings{"BS000;", "BS008;", "BS009;", "BS010;"}));
  s.bandIndex = kBand70cm;
  SelectBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"70", "metres"}));
  s.bandIndex = kBandGeneral;
  SelectBand(t.panel);
  EXPECT_EQ(t.TakeSpoken(), Strings{"un"});
  EXPECT_EQ(t.TakeSent(), (Strings{"BS016;", "BS011;"}));

  // No band of that number: nothing is sent, not even the last command again.
  s.bandIndex = 15;
  SelectBand(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(RecallBand, RestoresTheFactory160mBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandIndex = kBand160m;
  s.preampSetting = 2;
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS000;", "FA001900000;", "MD01;", "NA00;", "FA001900000;",
                                   "SH014;", "PA00;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"160", "metres", "preamp", "off"}));
  EXPECT_EQ(s.radioMode, kLsb);
  EXPECT_EQ(s.frequencyHz, 1900000);
  EXPECT_EQ(s.frequencyText, "1.900000");
  EXPECT_EQ(s.bandVfoText, "A001900000");
  EXPECT_EQ(s.preampSetting, 0);
  EXPECT_TRUE(s.limitQuiet);
  EXPECT_FALSE(s.toneActive);
  EXPECT_EQ(t.screen.TextAt(50, 45), "LSB    ");
}

TEST(RecallBand, TwentyMetresComesBackWithAmp1) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandIndex = kBand20m;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), "PA01;");
  EXPECT_EQ(s.preampSetting, 1);
  EXPECT_EQ(s.frequencyText, "14.200000");
  Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.end() - 3, spoken.end()), (Strings{"preamp", "1", "on"}));
}

TEST(RecallBand, RestoresACtcssToneInFm) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandRecords[kBand2m] = "05A145500000B1455000000120";
  s.bandIndex = kBand2m;
  t.Answer("SQ0;", "SQ0012;");
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS015;", "FA145500000;", "MD0B;", "NA00;", "SQ0;", "CN00012;",
                                   "CT01;", "PA10;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "ctcss", "0", "1", "2",
                                     "preamp", "off"}));
  EXPECT_TRUE(s.toneActive);
  EXPECT_EQ(s.toneCode, "012");
  EXPECT_EQ(s.squelchLevel, 12);
  EXPECT_EQ(t.screen.TextAt(50, 45), "FMN     ");
}

TEST(RecallBand, RestoresADcsCodeWithItsBank) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandRecords[kBand70cm] = "07A432100000B4321000008031";
  s.bandIndex = kBand70cm;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(Strings(sent.end() - 3, sent.end()), (Strings{"CN01103;", "CT03;", "PA21;"}));
  EXPECT_TRUE(s.dcsTone);
  Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.end() - 7, spoken.end()),
            (Strings{"dcs", "8", "0", "3", "preamp", "1", "on"}));
}

TEST(RecallBand, RestoresNoToneOutsideFmOrWithoutOne) {
  for (const char* record : {"05A145500000B1455000000000", "05A145500000B1455000009990",
                             "02A145500000B1455000000120"}) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    s.bandRecords[kBand2m] = record;
    s.bandIndex = kBand2m;
    s.toneActive = true;
    s.toneCode = "023";
    RecallBand(t.panel);
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "CT00;") << record;
    for (const std::string& command : sent) {
      EXPECT_NE(command.substr(0, 2), "CN") << record;
      EXPECT_NE(command, "CT01;") << record;
    }
    EXPECT_FALSE(s.toneActive) << record;
  }
}

TEST(RecallBand, SwitchesSplitOffOnTheRadioFirst) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.splitOn = true;
  s.bandIndex = kBand40m;
  RecallBand(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "ST0;");
  EXPECT_EQ(sent[1], "BS003;");
  EXPECT_TRUE(s.splitOn);
}

TEST(RecallBand, WrapsTheBandIndexBeforeSending) {
  struct Case {
    int given, band;
    const char* select;
  } cases[] = {{0, kBand70cm, "BS016;"}, {14, kBand160m, "BS000;"}, {15, kBandGeneral, "BS011;"},
               {-3, kBand70cm, "BS016;"}, {40, kBandGeneral, "BS011;"}};
  for (const Case& c : cases) {
    ControlPanel t;
    t.panel.state.bandIndex = c.given;
    RecallBand(t.panel);
    EXPECT_EQ(t.panel.state.bandIndex, c.band) << c.given;
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
    s.bandRecords[kBand20m] = bad;
    s.bandIndex = kBand20m;
    RecallBand(t.panel);
    EXPECT_EQ(t.TakeSent(), (Strings{"BS005;", "FA014200000;", "MD02;", "NA00;", "FA014200000;",
                                     "SH014;", "PA01;"}))
        << bad;
    EXPECT_EQ(s.bandRecords[kBand20m], kDefaultBandRecords[kBand20m]) << bad;
  }
}

TEST(RecallBand, SwitchesRepeaterOperationOnFromTheRecord) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandRecords[kBand2m] = "55A145600000B-000006000880";
  s.bandIndex = kBand2m;
  RecallBand(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"BS015;", "FA145600000;", "MD0B;", "NA00;", "SQ0;",
                                   "EX0103180012;", "OS02;", "CN00088;", "CT01;", "PA10;"}));
  EXPECT_EQ(s.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "repeater", "on", "ctcss", "0",
                                     "8", "8", "preamp", "off"}));
}

TEST(StoreBandMode, ReplacesTheModeDigitOnly) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radioMode = kCw;
  StoreBandMode(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "03A014200000B0142000009991");

  s.passThroughSeen = true;
  s.radioMode = kAm;
  StoreBandMode(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "03A014200000B0142000009991");

  s.passThroughSeen = false;
  s.bandRecords[kBand20m] = "03";
  StoreBandMode(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "03");
  // No band: no record changes, not even the unused one before band 1.
  s.bandRecords[kBand20m] = "03A014200000B0142000009991";
  s.bandRecords[0] = "03A014200000B0142000009991";
  auto records = [&] {
    std::vector<std::string> all;
    for (const Text& record : s.bandRecords) all.push_back(record.str());
    return all;
  };
  const std::vector<std::string> before = records();
  s.bandIndex = 0;
  StoreBandMode(t.panel);
  EXPECT_EQ(records(), before);
}

TEST(BandFromEnteredMhz, PicksTheBandOfTheTypedMegahertz) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.splitOn = true;
  s.freqEntryNumber = 145;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.bandIndex, kBand2m);
  EXPECT_TRUE(s.splitOn);

  s.freqEntryNumber = 100;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.bandIndex, kBandGeneral);
  EXPECT_FALSE(s.splitOn);
  EXPECT_TRUE(t.TakeSent().empty());

  s.toneActive = true;
  s.toneCode = "012";
  s.freqEntryNumber = 7;
  BandFromEnteredMhz(t.panel);
  EXPECT_EQ(s.bandIndex, kBand40m);
  EXPECT_EQ(t.TakeSent(), Strings{"CT00;"});
  EXPECT_FALSE(s.toneActive);
  EXPECT_EQ(s.toneCode, "999");
}

TEST(CancelSplit, RestoresVfoAAndKeepsTheRecordLayout) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.splitOn = true;
  s.bandVfoText = "A014195000";
  s.bandRecords[kBand20m] = "12A014200000B0142600009991";
  CancelSplit(t.panel);
  EXPECT_FALSE(s.splitOn);
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "FA014195000;"}));
  EXPECT_EQ(s.bandRecords[kBand20m], "02A014195000B0142600009991");
}

TEST(CancelSplit, SendsNoGarbageAndKeepsMalformedRecords) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (const char* vfo : {"", "A01419500", "A01419500x", "X014195000", "A0141950001"}) {
    s.splitOn = true;
    s.bandVfoText = vfo;
    CancelSplit(t.panel);
    EXPECT_EQ(t.TakeSent(), Strings{"ST0;"}) << vfo;
    EXPECT_EQ(s.bandRecords[kBand20m], kDefaultBandRecords[kBand20m]) << vfo;
  }
  // A VFO-B text is restored on the radio, but is no VFO A for the record.
  s.bandVfoText = "B014195000";
  CancelSplit(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "FB014195000;"}));
  EXPECT_EQ(s.bandRecords[kBand20m], kDefaultBandRecords[kBand20m]);

  s.bandVfoText = "A014195000";
  s.bandRecords[kBand20m] = "12A0142";
  CancelSplit(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "12A0142");

  s.bandRecords[kBand20m] = "12A014200000B0142600009991";
  s.passThroughSeen = true;
  CancelSplit(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "12A014200000B0142600009991");
}

}  // namespace
}  // namespace kelvaro
