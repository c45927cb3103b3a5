// The X prefix, the standard repeater offsets and the F readout.
#include <gtest/gtest.h>

#include "keys/entries.h"
#include "keys/entries_test_panel.h"
#include "keys/key_rules.h"
#include "traffic/timer_tick.h"

namespace kelvaro {
namespace {

using testing::EntryPanel;
using testing::Strings;

TEST(EntryPrefix, AntennaTwiceAndAgcRoundFromAutoKeepThePrefixOpen) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  ToggleExtendedPrefix(t.panel);
  SwitchAntenna(t.panel);
  EXPECT_EQ(t.radio.state().menus.at("030704"), "1");
  SwitchAntenna(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0307041;", "EX0307040;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "ant2", "ant1"}));
  EXPECT_EQ(s.radio.antennaSelect, 0);
  EXPECT_EQ(s.banks.bandQuiet, BandQuiet::kAntennaSwitched);

  s.radio.agcIndex = 4;
  for (int i = 0; i < 5; ++i) StepAgc(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"GT01;", "GT02;", "GT03;", "GT04;", "GT01;"}));
  EXPECT_EQ(t.TakeSpoken(),
            (Strings{"agc", "fast", "agc", "mid", "agc", "slow", "agc", "auto", "agc", "fast"}));
  EXPECT_EQ(t.radio.state().agc, 1);
  EXPECT_EQ(s.entry.entryState, EntryState::kExtendedPrefix);
  ToggleExtendedPrefix(t.panel);
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(EntryPrefix, SwapExchangesTheRecordsVfos) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.banks.bandRecords[kBand20m] = "12A014200000B0142500009991";
  s.entry.entryState = EntryState::kExtendedPrefix;
  SwapVfos(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"SV;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"swop"}));
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014250000B0142000009991");
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);

  s.banks.swapRecordLocked = true;  // the radio swaps, the record stays
  SwapVfos(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "12A014250000B0142000009991");

  // A repeater shift in place of VFO B is never moved into VFO A.
  s.banks.swapRecordLocked = false;
  s.banks.bandRecords[kBand20m] = "52A014200000B-000006009991";
  SwapVfos(t.panel);
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "52A014200000B-000006009991");

  // In repeater operation the swap only closes the prefix.
  t.Clear();
  s.radio.repeaterOn = RepeaterState::kOn;
  s.entry.entryState = EntryState::kExtendedPrefix;
  SwapVfos(t.panel);
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
}

// X O, the sign key, the digits, Enter; returns what Enter returned.
bool TypeOffset(EntryPanel& t, int signKey, std::string_view digits) {
  t.panel.state.entry.entryState = EntryState::kExtendedPrefix;
  StartOffsetEntry(t.panel);
  t.panel.state.entry.keyCode = signKey;
  OffsetSign(t.panel);
  t.TypeDigits(digits);
  return StoreTypedOffset(t.panel);
}

TEST(EntryOffset, TypedOffsetsBecomeTheBandsStandard) {
  struct Case {
    int band;
    int key;
    const char* digits;
    const char* sign;
    const char* khz;
    Strings spoken;
  };
  const Case cases[] = {
      {kBand2m, vk::kPlus, "600", "+", "0600",
       {"eofs", "plus", "6", "0", "0", "2", "metres", "ofs", "plus", "6", "0", "0", "khz"}},
      {kBand70cm, vk::kPlus, "5000", "+", "5000",
       {"eofs", "plus", "5", "0", "0", "0", "70", "metres", "ofs", "plus", "5", "0", "0", "0", "khz"}},
      {kBand10m, vk::kMinus, "100", "-", "0100",
       {"eofs", "minus", "1", "0", "0", "10", "metres", "ofs", "minus", "1", "0", "0", "khz"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    EntryPanel t;
    PanelState& s = t.panel.state;
    s.radio.bandIndex = c.band;
    s.config.standardShiftSign[c.band] = c.sign[0] == '+' ? "-" : "+";
    EXPECT_TRUE(TypeOffset(t, c.key, c.digits));
    EXPECT_EQ(t.TakeSpoken(), c.spoken);
    EXPECT_EQ(s.config.standardShiftSign[c.band], c.sign);
    EXPECT_EQ(s.config.standardShiftKhz[c.band], c.khz);
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
    EXPECT_TRUE(t.TakeSent().empty());
  }
  for (const char* digits : {"6", "60", "60000"}) {
    SCOPED_TRACE(digits);
    EntryPanel t;
    t.panel.state.radio.bandIndex = kBand2m;
    EXPECT_FALSE(TypeOffset(t, vk::kMinus, digits));
    const Strings spoken = t.TakeSpoken();
    EXPECT_EQ(Strings(spoken.end() - 2, spoken.end()), (Strings{"ofs", "invalid"}));
    EXPECT_EQ(t.panel.state.config.standardShiftKhz[kBand2m], "0600");
    EXPECT_EQ(t.panel.state.entry.entryState, EntryState::kNone);
  }
}

TEST(EntryOffset, OnlyRepeaterBandsHaveAnOffset) {
  for (int band : {kBand20m, kBand12m, kBandGeneral}) {
    SCOPED_TRACE(band);
    EntryPanel t;
    t.panel.state.radio.bandIndex = band;
    t.panel.state.entry.entryState = EntryState::kExtendedPrefix;
    StartOffsetEntry(t.panel);  // ignored: the prefix stays open
    EXPECT_EQ(t.panel.state.entry.entryState, EntryState::kExtendedPrefix);
    EXPECT_TRUE(t.TakeSpoken().empty());
  }
  // An entry left open while the band changed under it keeps nothing.
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBandGeneral;
  s.entry.entryState = EntryState::kOffsetDigits;
  s.entry.offsetEntry = "+600";
  EXPECT_FALSE(StoreTypedOffset(t.panel));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ofs", "na"}));
  EXPECT_EQ(s.config.standardShiftKhz[kBandGeneral], "");
  s.entry.entryState = EntryState::kOffsetSign;
  EXPECT_FALSE(ReadStandardOffset(t.panel));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ofs", "na"}));
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
}

TEST(EntryOffset, EnterBeforeTheSignReadsTheStandardOffset) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.radio.bandIndex = kBand2m;
  s.entry.entryState = EntryState::kOffsetSign;
  EXPECT_TRUE(ReadStandardOffset(t.panel));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"2", "metres", "std", "minus", "6", "0", "0", "khz"}));
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  s.radio.bandIndex = kBand70cm;
  EXPECT_TRUE(ReadStandardOffset(t.panel));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"70", "metres", "std", "plus", "7", "6", "0", "0", "khz"}));

  s.radio.repeaterOn = RepeaterState::kOn;
  s.entry.entryState = EntryState::kOffsetSign;
  EXPECT_FALSE(ReadStandardOffset(t.panel));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"rio"}));
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
}

TEST(EntryReadout, FSpeaksFrequencyModeAndToneOnceATickPassed) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.radio.frequencyText = "14.250000";
  RestartTickCount(s.tick);  // a frequency was just sent
  FrequencyReadout(t.panel);
  EXPECT_TRUE(t.TakeSpoken().empty());
  TimerTick(t.panel);
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "point", "2", "5", "mhz", "usb.wav"}));
  // The count's own wrap to 0, once a second, does not swallow an F.
  while (s.tick.tickCount != 0) TimerTick(t.panel);
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "point", "2", "5", "mhz", "usb.wav"}));

  t.OnBand(kBand2m, 145000000, kFmNarrow);
  s.radio.frequencyText = "145.000000";
  s.entry.toneActive = true;
  s.radio.toneCode = "012";
  s.entry.entryState = EntryState::kPower;
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "5", "mhz", "fm.wav", "nar.wav", "ctcss", "0", "1", "2"}));
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  s.radio.toneCode = "712";
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken().at(6), "dcs");
}

TEST(EntryReadout, XFSpeaksTheRepeaterTransmitFrequency) {
  struct Case {
    int band;
    int32_t hz;
    const char* sign;
    const char* khz;
    Strings digits;
  };
  const Case cases[] = {
      {kBand2m, 145000000, "-", "0600", {"1", "4", "4", "point", "4", "mhz"}},
      {kBand70cm, 438650000, "-", "7600", {"4", "3", "1", "point", "0", "5", "mhz"}},
      {kBand10m, 29620000, "-", "0100", {"2", "9", "point", "5", "2", "mhz"}},
      {kBand6m, 51000000, "+", "0500", {"5", "1", "point", "5", "mhz"}},
      // Bands without a shift: the frequency itself is the transmit frequency.
      {kBand20m, 14250000, "-", "0600", {"1", "4", "point", "2", "5", "mhz"}},
      {kBandGeneral, 7100000, "-", "0600", {"7", "point", "1", "mhz"}},
      {kBandGeneral, 144500000, "-", "0600", {"1", "4", "4", "point", "5", "mhz"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hz);
    EntryPanel t;
    PanelState& s = t.panel.state;
    t.OnBand(c.band, c.hz, kFmNarrow);
    s.config.currentShiftSign[c.band] = c.sign;
    s.config.currentShiftKhz[c.band] = c.khz;
    s.radio.frequencyText = "1.000000";
    s.radio.repeaterOn = RepeaterState::kOn;
    s.entry.entryState = EntryState::kExtendedPrefix;
    FrequencyReadout(t.panel);
    Strings expected{"repeater", "tx"};
    expected.insert(expected.end(), c.digits.begin(), c.digits.end());
    expected.insert(expected.end(), {"fm.wav", "nar.wav"});
    EXPECT_EQ(t.TakeSpoken(), expected);
    EXPECT_EQ(s.radio.frequencyText, "1.000000");
    EXPECT_FALSE(s.entry.txAnnounce);
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  }
}

TEST(EntryReadout, XFInSplitSpeaksVfoA) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  s.banks.bandRecords[kBand20m] = "12A014074000B0142500009991";
  s.radio.frequencyText = "14.250000";
  s.entry.entryState = EntryState::kExtendedPrefix;
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"vfoa", "1", "4", "point", "0", "7", "4", "mhz", "usb.wav"}));
  EXPECT_EQ(s.radio.frequencyText, "14.250000");

  s.radio.bandIndex = kBand40m;
  s.banks.bandRecords[kBand40m] = "11A007010000B0071000009990";
  s.entry.entryState = EntryState::kExtendedPrefix;
  FrequencyReadout(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"vfoa", "7", "point", "0", "1", "mhz", "usb.wav"}));
  FrequencyReadout(t.panel);  // without the prefix: the frequency in use, VFO B
  EXPECT_EQ(t.TakeSpoken().front(), "vfob");
}

}  // namespace
}  // namespace kelvaro
