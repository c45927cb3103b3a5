// Digit-by-digit speaking shared by the spoken reports.
#pragma once

#include <string_view>

#include "state/panel.h"

namespace kelvaro {

// Plays the one-character digit phrase ("0" to "9") for c; anything that is
// not a digit (a leading blank of a panel text, a sign) is not a phrase and is
// passed over in silence.
void SpeakDigit(Panel& panel, char c);
// Plays every digit of `text` in turn, passing over everything else.
void SpeakDigitsOf(Panel& panel, std::string_view text);
// Plays the decimal digits of n one at a time, without sign or leading zeros:
// the reports speak magnitudes, and "-" is no phrase.
void SpeakNumber(Panel& panel, long long n);

}  // namespace kelvaro
