// Band records and memory channel records: their layout checks, and the one
// place where they are cut into fields and put together again.
//
// A record read from outside must pass the layout checks before it is kept,
// since the fields go into commands.
//
// Band record, 26 characters:
//   1     flag "0" normal, "1" split, "5" repeater shift
//   2     mode digit 1..7
//   3     "A", then 4..12 VFO A in Hz (nine digits)
//   13    "B", then 14..22 VFO B in Hz (nine digits); with flag "5" instead
//         the shift sign "+" or "-", "0000" and the offset in kHz (4 digits)
//   23..25 tone code (three digits, "999" none)
//   26    preamp digit 0..2
// Channel record, 28 characters: the same with the band number "01".."14"
// inserted after the mode digit.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

// True when the text has the band record layout exactly.
bool IsBandRecord(std::string_view text);
// True when the text has the memory channel record layout exactly. An empty
// channel ("9") is not a channel record; see IsEmptyChannel.
bool IsChannelRecord(std::string_view text);
// True for an empty channel: any text starting with "9".
bool IsEmptyChannel(std::string_view text);

// A band record cut into its fields. Parsing cuts at the fixed positions
// whatever the text holds (a field of a short text is short or empty, a
// missing character is '\0'), so a record is read exactly as the positions
// say; FormatBandRecord puts the fields back in their order, so the text of
// a parsed record comes back unchanged (its first 26 characters).
struct BandRecord {
  char flag = '0';   // '0' normal, '1' split, '5' repeater shift
  char mode = '1';   // mode digit 1..7
  std::string vfoA;  // "A" + nine digits
  std::string vfoB;  // "B" + nine digits, or "B" + shift sign + "0000" + kHz
  std::string tone;  // three digits, "999" none
  char preamp = '0';

  // The nine digits of VFO A and of VFO B.
  std::string VfoADigits() const;
  std::string VfoBDigits() const;
  // The shift of a repeater record: its sign character and its offset in kHz
  // (four digits).
  char ShiftSign() const;
  std::string ShiftKhz() const;
};

// A memory channel record: a band record with its band number.
struct ChannelRecord : BandRecord {
  std::string band;  // "01".."14"
};

BandRecord ParseBandRecord(std::string_view text);
std::string FormatBandRecord(const BandRecord& record);
ChannelRecord ParseChannelRecord(std::string_view text);
std::string FormatChannelRecord(const ChannelRecord& record);
// True for a tone number that can be typed and sent: a CTCSS tone 000..049 or
// a DCS code 500..503 or 700..803, always three digits.
bool IsToneNumber(std::string_view toneCode);
// True for a VFO field: `letter` and nine digits.
bool IsVfoField(std::string_view field, char letter);
// The channel record of a band record on `band` (two digits).
ChannelRecord ChannelOfBandRecord(const BandRecord& record, std::string_view band);

}  // namespace kelvaro
