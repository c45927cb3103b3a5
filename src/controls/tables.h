// Fixed tables of the operating controls: the factory band records, the
// band-select commands, and the mode commands and panel names.
#pragma once

#include <array>
#include <string_view>

#include "state/panel_state.h"

namespace kelvaro {

// Factory band records, index 1..14 (index 0 is empty). 26 characters each:
// flag, mode digit, "A" + 9 digits, "B" + 9 digits, tone code, preamp digit.
extern const std::array<std::string_view, kBandCount + 1> kDefaultBandRecords;
// Band-select command for each band, index 1..14.
extern const std::array<std::string_view, kBandCount + 1> kBandSelectCommands;
// Mode command for each radioMode, index 1..7.
extern const std::array<std::string_view, 8> kModeCommands;
// Mode name printed on the panel for each radioMode, index 1..7 (with the
// trailing blanks that erase a longer previous name).
extern const std::array<std::string_view, 8> kModeNames;

}  // namespace kelvaro
