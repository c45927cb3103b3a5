// The SWR report: the radio's reading, spoken as a ratio.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Asks the radio for its SWR reading ("RM6") and speaks the ratio; silent
// while neither transmitting nor tuning; "nc" when no reading came.
void SpeakSwr(Panel& panel);

}  // namespace kelvaro
