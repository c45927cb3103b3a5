#include "memory/band_records.h"

#include <algorithm>

#include "memory/records.h"
#include "state/radio_tables.h"

namespace kelvaro {
namespace {


bool IsNineDigits(std::string_view text) { return text.size() == 9 && OnlyDigits(text); }

bool IsBandNumber(int band) { return band >= 1 && band <= kBandCount; }

bool HasRepeaterMenu(int band) { return band >= kBand10m && band <= kBand70cm; }

// The frequency of the last frequency answer as nine digits, or "" when that
// answer does not end in nine digits (none has come yet, or it was garbled).
std::string ReplyFrequencyDigits(const PanelState& s) {
  std::string digits = Right(s.cat.lastFreqReply, 9);
  return IsNineDigits(digits) ? digits : std::string();
}

char ModeDigit(const PanelState& s, std::string_view record) {
  if (s.radio.radioMode >= kLsb && s.radio.radioMode <= kFmWide) return static_cast<char>('0' + s.radio.radioMode);
  const char stored = ParseBandRecord(record).mode;
  return stored >= '1' && stored <= '7' ? stored : '2';
}

char PreampDigit(const PanelState& s) {
  return static_cast<char>('0' + std::clamp<int32_t>(s.radio.preampSetting, 0, 2));
}

// The offset in kHz as the four digits a record and the radio's menu take.
std::string FourDigitOffset(std::string_view khz) {
  if (khz.size() > 4 || !OnlyDigits(khz)) return "0000";
  return ZeroPad(IntFromText(khz), 4);
}

}  // namespace

int BandOfMegahertz(long long mhz) {
  for (const RadioBand& row : RadioBands())
    if (row.lowMhz != 0 && mhz >= row.lowMhz && mhz <= row.highMhz) return row.band;
  return kBandGeneral;
}

std::string RecordToneCode(std::string_view toneCode) {
  if (toneCode.size() > 3 || !OnlyDigits(toneCode)) return "999";
  // A tone left half-typed ("08" on its way to "085") is no tone the radio
  // has; keeping it would send it with the band next time.
  const std::string code = ZeroPad(IntFromText(toneCode), 3);
  return IsToneNumber(code) ? code : "999";
}

std::string RepeaterShiftPart(const PanelState& s, int band) {
  if (!HasRepeaterMenu(band)) return {};
  std::string sign = s.config.currentShiftSign[band] == "+" ? "+" : "-";
  return sign + "0000" + FourDigitOffset(s.config.currentShiftKhz[band]);
}

std::string BandRecordBody(const PanelState& s) {
  const int band = s.radio.bandIndex;
  if (!IsBandNumber(band)) return {};
  std::string_view record = s.banks.bandRecords[band];
  // The radio's frequency; before the first answer the panel's own value.
  std::string live = ReplyFrequencyDigits(s);
  if (live.empty()) live = ZeroPad(std::clamp<int32_t>(s.radio.frequencyHz, 0, 999999999), 9);
  // Digits kept from the stored record. A record written in repeater
  // operation holds the shift where VFO B would be; the live frequency then
  // stands in, so the record keeps its layout.
  const BandRecord stored = ParseBandRecord(record);
  std::string keptA = stored.VfoADigits();
  if (!IsNineDigits(keptA)) keptA = live;
  std::string keptB = stored.VfoBDigits();
  if (!IsNineDigits(keptB)) keptB = live;

  const bool repeater = s.radio.repeaterOn == RepeaterState::kOn && HasRepeaterMenu(band);
  BandRecord body;
  body.flag = repeater ? '5' : (s.radio.splitOn ? '1' : '0');
  body.mode = ModeDigit(s, record);
  body.vfoA = "A" + (s.radio.splitOn ? keptA : live);
  body.vfoB = "B" + (s.radio.splitOn ? live : keptB);
  if (repeater) body.vfoB = "B" + RepeaterShiftPart(s, band);
  // The body stops before tone and preamp.
  body.preamp = '\0';
  return FormatBandRecord(body);
}

void BandFromFrequency(Panel& panel) {
  PanelState& s = panel.state;
  s.banks.bandRecordable = true;
  std::string digits = ReplyFrequencyDigits(s);
  if (digits.empty()) {
    // No usable frequency: the band stays as it is and nothing may be kept.
    s.banks.bandRecordable = false;
    return;
  }
  s.radio.bandIndex = BandOfMegahertz(IntFromText(digits) / 1000000);
  if (s.radio.bandIndex < kBand10m && s.radio.radioMode > kAm) s.banks.bandRecordable = false;
  if (s.radio.bandIndex < kBand2m && s.radio.radioMode == kC4fm) s.banks.bandRecordable = false;
}

void StoreBandRecord(Panel& panel) {
  PanelState& s = panel.state;
  BandFromFrequency(panel);
  if (!s.banks.bandRecordable || !IsBandNumber(s.radio.bandIndex)) return;
  if (!s.cat.passThroughSeen) {
    s.banks.bandRecords[s.radio.bandIndex] = BandRecordBody(s) + RecordToneCode(s.radio.toneCode) + PreampDigit(s);
  }
}

std::string AppendRepeaterShift(const PanelState& s, std::string_view body) {
  // Only bands 10..13 have a shift of their own; elsewhere the body keeps its
  // VFO-B digits rather than losing them.
  if (!HasRepeaterMenu(s.radio.bandIndex)) return std::string(body);
  BandRecord fields = ParseBandRecord(body);
  fields.vfoB = "B" + RepeaterShiftPart(s, s.radio.bandIndex);
  return FormatBandRecord(fields);
}

}  // namespace kelvaro
