#include "memory/band_records.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

TEST(BandFromFrequency, MapsWholeMegahertzToBands) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  struct Case {
    const char* reply;
    int band;
  } cases[] = {
      {"FA001900000", kBand160m}, {"FA010120000", kBand30m},  {"FA029600000", kBand10m},
      {"FA030000000", kBandGeneral}, {"FA054900000", kBand6m}, {"FA148900000", kBand2m},
      {"FA449999999", kBand70cm}, {"FA450000000", kBandGeneral}, {"FB014070000", kBand20m},
  };
  for (const Case& c : cases) {
    s.lastFreqReply = c.reply;
    BandFromFrequency(t.panel);
    EXPECT_EQ(s.bandIndex, c.band) << c.reply;
    EXPECT_TRUE(s.bandRecordable) << c.reply;
  }
}

TEST(BandFromFrequency, ModesABandMayNotKeep) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  auto recordable = [&](const char* reply, int mode) {
    s.lastFreqReply = reply;
    s.radioMode = mode;
    BandFromFrequency(t.panel);
    return s.bandRecordable;
  };
  EXPECT_EQ(recordable("FA007100000", kFmNarrow), 0);
  EXPECT_EQ(recordable("FA007100000", kAm), 1);
  EXPECT_EQ(recordable("FA028500000", kFmWide), 1);
  EXPECT_EQ(recordable("FA050150000", kC4fm), 0);
  EXPECT_EQ(recordable("FA145000000", kC4fm), 1);
}

TEST(BandFromFrequency, WithoutAUsableAnswerKeepsTheBandAndRecordsNothing) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  for (const char* reply : {"", "FA", "FA01425000", "FA0142x0000", "?;"}) {
    s.bandIndex = kBand20m;
    s.lastFreqReply = reply;
    BandFromFrequency(t.panel);
    EXPECT_EQ(s.bandIndex, kBand20m) << reply;
    EXPECT_FALSE(s.bandRecordable) << reply;
  }
}

TEST(StoreBandRecord, KeepsTheRadioFrequencyInVfoA) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandRecords[kBand20m] = "02A014200000B0141230009991";
  s.preampSetting = 1;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "02A014250000B0141230009991");
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(StoreBandRecord, FollowsTheRadioToAnotherBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.lastFreqReply = "FA007074000";
  s.radioMode = kLsb;
  s.preampSetting = 2;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandIndex, kBand40m);
  EXPECT_EQ(s.bandRecords[kBand40m], "01A007074000B0071000009992");
  EXPECT_EQ(s.bandRecords[kBand20m], kDefaultBandRecords[kBand20m]);
}

TEST(StoreBandRecord, InSplitTheRadioFrequencyIsVfoB) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.splitOn = true;
  s.lastFreqReply = "FB014260000";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], "12A014200000B0142600009990");
}

TEST(StoreBandRecord, LeavesRecordsItMayNotKeep) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.lastFreqReply = "FA007100000";
  s.radioMode = kFmWide;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand40m], kDefaultBandRecords[kBand40m]);

  // A pass-through command just came in: the record is kept.
  s.lastFreqReply = "FA014070000";
  s.radioMode = kUsb;
  s.passThroughSeen = true;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand20m], kDefaultBandRecords[kBand20m]);
}

TEST(StoreBandRecord, RepeaterOperationStoresTheBandShift) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.lastFreqReply = "FA145600000";
  s.radioMode = kFmNarrow;
  s.repeaterOn = RepeaterState::kOn;
  s.toneCode = "012";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand2m], "55A145600000B-000006000120");
  EXPECT_TRUE(IsBandRecord(s.bandRecords[kBand2m]));
}

TEST(StoreBandRecord, RecordsKeepTheirLayoutWhateverTheState) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  // Repeater operation carried onto general coverage, which has no shift.
  s.lastFreqReply = "FA150000000";
  s.radioMode = kFmNarrow;
  s.repeaterOn = RepeaterState::kOn;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBandGeneral], "05A150000000B0096700009990");

  // A repeater record left behind when the shift is switched off: the shift
  // part is not taken for VFO-B digits.
  s.bandRecords[kBand2m] = "55A145600000B-000006000120";
  s.repeaterOn = RepeaterState::kOff;
  s.lastFreqReply = "FA145500000";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.bandRecords[kBand2m], "05A145500000B1455000009990");

  // A tone still being typed, or one typed with fewer digits.
  s.toneCode = "";
  StoreBandRecord(t.panel);
  EXPECT_EQ(Right(s.bandRecords[kBand2m], 4), "9990");
  s.toneCode = "12";
  s.preampSetting = 7;
  StoreBandRecord(t.panel);
  EXPECT_EQ(Right(s.bandRecords[kBand2m], 4), "0122");
  for (int band = 1; band <= kBandCount; ++band) EXPECT_TRUE(IsBandRecord(s.bandRecords[band])) << band;
}

TEST(AppendRepeaterShift, ReplacesVfoBOnRepeaterBandsOnly) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.bandIndex = kBand70cm;
  EXPECT_EQ(AppendRepeaterShift(s, "55A432100000B432000000"), "55A432100000B+00007600");
  s.bandIndex = kBand10m;
  EXPECT_EQ(AppendRepeaterShift(s, "55A029600000B029600000"), "55A029600000B-00000100");
  s.bandIndex = kBandGeneral;
  EXPECT_EQ(AppendRepeaterShift(s, "05A150000000B150000000"), "05A150000000B150000000");
}

}  // namespace
}  // namespace kelvaro
