// The 50 ms timer tick: polls the radio and reads its answers.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Alternates a send phase (the pass-through relay, then one poll: "FA", or
// the meter poll "SM0"; "RM4" during the mic-gain watch; nothing in the meter
// slot while transmitting or tuning) and a reply phase (reads what has
// arrived and interprets it). Never waits for the radio.
void TimerTick(Panel& panel);

}  // namespace kelvaro
