#include "memory/records.h"

#include <cstddef>
#include <string>

#include "state/text.h"

namespace kelvaro {
namespace {


// The part shared by both layouts once the band number of a channel record
// is taken out: flag, mode, "A" + nine digits, "B" + VFO B or shift, tone,
// preamp (26 characters).
bool HasRecordLayout(std::string_view r) {
  if (r.size() != 26) return false;
  const char flag = r[0];
  if (flag != '0' && flag != '1' && flag != '5') return false;
  if (r[1] < '1' || r[1] > '7') return false;
  if (r[2] != 'A' || !OnlyDigits(r.substr(3, 9))) return false;
  if (r[12] != 'B') return false;
  if (flag == '5') {
    if (r[13] != '+' && r[13] != '-') return false;
    if (r.substr(14, 4) != "0000" || !OnlyDigits(r.substr(18, 4))) return false;
  } else if (!OnlyDigits(r.substr(13, 9))) {
    return false;
  }
  if (!OnlyDigits(r.substr(22, 3))) return false;
  return r[25] >= '0' && r[25] <= '2';
}

}  // namespace

bool IsBandRecord(std::string_view text) { return HasRecordLayout(text); }

bool IsChannelRecord(std::string_view text) {
  if (text.size() != 28) return false;
  std::string_view band = text.substr(2, 2);
  if (!OnlyDigits(band)) return false;
  int number = (band[0] - '0') * 10 + (band[1] - '0');
  if (number < 1 || number > 14) return false;
  std::string without_band;
  without_band.reserve(26);
  without_band.append(text.substr(0, 2));
  without_band.append(text.substr(4));
  return HasRecordLayout(without_band);
}

bool IsEmptyChannel(std::string_view text) { return !text.empty() && text[0] == '9'; }

namespace {

void AppendChar(std::string& text, char c) {
  if (c != '\0') text += c;
}

}  // namespace

bool IsToneNumber(std::string_view toneCode) {
  if (toneCode.size() != 3 || !OnlyDigits(toneCode)) return false;
  const int n = IntFromText(toneCode);
  return n <= 49 || (n >= 500 && n <= 503) || (n >= 700 && n <= 803);
}

bool IsVfoField(std::string_view field, char letter) {
  return field.size() == 10 && field[0] == letter && OnlyDigits(field.substr(1));
}

std::string BandRecord::VfoADigits() const { return Mid(vfoA, 2, 9); }
std::string BandRecord::VfoBDigits() const { return Mid(vfoB, 2, 9); }
char BandRecord::ShiftSign() const { return CharAt(vfoB, 2); }
std::string BandRecord::ShiftKhz() const { return Mid(vfoB, 7, 4); }

BandRecord ParseBandRecord(std::string_view text) {
  BandRecord r;
  r.flag = CharAt(text, 1);
  r.mode = CharAt(text, 2);
  r.vfoA = Mid(text, 3, 10);
  r.vfoB = Mid(text, 13, 10);
  r.tone = Mid(text, 23, 3);
  r.preamp = CharAt(text, 26);
  return r;
}

std::string FormatBandRecord(const BandRecord& record) {
  std::string text;
  AppendChar(text, record.flag);
  AppendChar(text, record.mode);
  text += record.vfoA + record.vfoB + record.tone;
  AppendChar(text, record.preamp);
  return text;
}

ChannelRecord ParseChannelRecord(std::string_view text) {
  ChannelRecord r;
  r.flag = CharAt(text, 1);
  r.mode = CharAt(text, 2);
  r.band = Mid(text, 3, 2);
  r.vfoA = Mid(text, 5, 10);
  r.vfoB = Mid(text, 15, 10);
  r.tone = Mid(text, 25, 3);
  r.preamp = CharAt(text, 28);
  return r;
}

std::string FormatChannelRecord(const ChannelRecord& record) {
  std::string text;
  AppendChar(text, record.flag);
  AppendChar(text, record.mode);
  text += record.band + record.vfoA + record.vfoB + record.tone;
  AppendChar(text, record.preamp);
  return text;
}

ChannelRecord ChannelOfBandRecord(const BandRecord& record, std::string_view band) {
  ChannelRecord channel;
  static_cast<BandRecord&>(channel) = record;
  channel.band = std::string(band);
  return channel;
}

}  // namespace kelvaro
