// The frequency as the panel shows it.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

// The panel's text of a frequency command: "FA007100000" shows as
// "7.100000"; up to two leading zeros of the megahertz are dropped.
std::string FrequencyTextOf(std::string_view command);

}  // namespace kelvaro
