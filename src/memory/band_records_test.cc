#include "memory/band_records.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "memory/records.h"
#include "state/radio_tables.h"

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
    s.cat.lastFreqReply = c.reply;
    BandFromFrequency(t.panel);
    EXPECT_EQ(s.radio.bandIndex, c.band) << c.reply;
    EXPECT_TRUE(s.banks.bandRecordable) << c.reply;
  }
}

TEST(BandFromFrequency, ModesABandMayNotKeep) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  auto recordable = [&](const char* reply, int mode) {
    s.cat.lastFreqReply = reply;
    s.radio.radioMode = mode;
    BandFromFrequency(t.panel);
    return s.banks.bandRecordable;
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
    s.radio.bandIndex = kBand20m;
    s.cat.lastFreqReply = reply;
    BandFromFrequency(t.panel);
    EXPECT_EQ(s.radio.bandIndex, kBand20m) << reply;
    EXPECT_FALSE(s.banks.bandRecordable) << reply;
  }
}

TEST(StoreBandRecord, KeepsTheRadioFrequencyInVfoA) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand20m] = "02A014200000B0141230009991";
  s.radio.preampSetting = 1;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "02A014250000B0141230009991");
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(StoreBandRecord, FollowsTheRadioToAnotherBand) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.cat.lastFreqReply = "FA007074000";
  s.radio.radioMode = kLsb;
  s.radio.preampSetting = 2;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.radio.bandIndex, kBand40m);
  EXPECT_EQ(s.banks.bandRecords[kBand40m], "01A007074000B0071000009992");
  EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord);
}

TEST(StoreBandRecord, InSplitTheRadioFrequencyIsVfoB) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  s.cat.lastFreqReply = "FB014260000";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014200000B0142600009990");
}

TEST(StoreBandRecord, LeavesRecordsItMayNotKeep) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.cat.lastFreqReply = "FA007100000";
  s.radio.radioMode = kFmWide;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand40m], BandRow(kBand40m)->defaultRecord);

  // A pass-through command just came in: the record is kept.
  s.cat.lastFreqReply = "FA014070000";
  s.radio.radioMode = kUsb;
  s.cat.passThroughSeen = true;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], BandRow(kBand20m)->defaultRecord);
}

TEST(StoreBandRecord, RepeaterOperationStoresTheBandShift) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.cat.lastFreqReply = "FA145600000";
  s.radio.radioMode = kFmNarrow;
  s.radio.repeaterOn = RepeaterState::kOn;
  s.radio.toneCode = "012";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand2m], "55A145600000B-000006000120");
  EXPECT_TRUE(IsBandRecord(s.banks.bandRecords[kBand2m]));
}

TEST(StoreBandRecord, RecordsKeepTheirLayoutWhateverTheState) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  // Repeater operation carried onto general coverage, which has no shift.
  s.cat.lastFreqReply = "FA150000000";
  s.radio.radioMode = kFmNarrow;
  s.radio.repeaterOn = RepeaterState::kOn;
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBandGeneral], "05A150000000B0096700009990");

  // A repeater record left behind when the shift is switched off: the shift
  // part is not taken for VFO-B digits.
  s.banks.bandRecords[kBand2m] = "55A145600000B-000006000120";
  s.radio.repeaterOn = RepeaterState::kOff;
  s.cat.lastFreqReply = "FA145500000";
  StoreBandRecord(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand2m], "05A145500000B1455000009990");

  // A tone still being typed, or one typed with fewer digits.
  s.radio.toneCode = "";
  StoreBandRecord(t.panel);
  EXPECT_EQ(Right(s.banks.bandRecords[kBand2m], 4), "9990");
  s.radio.toneCode = "12";
  s.radio.preampSetting = 7;
  StoreBandRecord(t.panel);
  EXPECT_EQ(Right(s.banks.bandRecords[kBand2m], 4), "0122");
  for (int band = 1; band <= kBandCount; ++band) EXPECT_TRUE(IsBandRecord(s.banks.bandRecords[band])) << band;
}

TEST(AppendRepeaterShift, ReplacesVfoBOnRepeaterBandsOnly) {
  ControlPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand70cm;
  EXPECT_EQ(AppendRepeaterShift(s, "55A432100000B432000000"), "55A432100000B+00007600");
  s.radio.bandIndex = kBand10m;
  EXPECT_EQ(AppendRepeaterShift(s, "55A029600000B029600000"), "55A029600000B-00000100");
  s.radio.bandIndex = kBandGeneral;
  EXPECT_EQ(AppendRepeaterShift(s, "05A150000000B150000000"), "05A150000000B150000000");
}

}  // namespace
}  // namespace kelvaro
