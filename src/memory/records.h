// Layout checks for band records and memory channel records.
//
// Operations cut fixed positions from these records (the VFO digits, the
// shift, the tone, the preamp digit), so a record read from outside must pass
// these checks before it is kept.
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

#include <string_view>

namespace kelvaro {

// True when the text has the band record layout exactly.
bool IsBandRecord(std::string_view text);
// True when the text has the memory channel record layout exactly. An empty
// channel ("9") is not a channel record; see IsEmptyChannel.
bool IsChannelRecord(std::string_view text);
// True for an empty channel: any text starting with "9".
bool IsEmptyChannel(std::string_view text);

}  // namespace kelvaro
