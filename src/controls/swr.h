// The meter reports: the S-meter on receive, the SWR as a ratio while
// transmitting or tuning.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Asks the radio for its SWR reading ("RM6") and speaks the ratio; silent
// while neither transmitting nor tuning; "nc" when no reading came.
void SpeakSwr(Panel& panel);
// S: the S-meter (drawn and spoken) on receive, SpeakSwr while transmitting
// or tuning.
void SpeakMeter(Panel& panel);

}  // namespace kelvaro
