// Digit entry and the 100 memory channels.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Takes the digit key in keyCode (48..57) and does what the entry state says:
// bank number, channel store or recall, a digit of a frequency, tone, menu
// number or value, or repeater offset, or a band at the band prompt.
void EnterDigit(Panel& panel);

}  // namespace kelvaro
