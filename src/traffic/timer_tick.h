// The 50 ms timer tick: polls the radio and reads its answers.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Alternates a send phase (the pass-through relay, then one poll: "FA", or
// the meter poll "SM0"; "RM4" during the mic-gain watch; nothing in the meter
// slot while transmitting or tuning) and a reply phase (reads what has
// arrived and interprets it). Never waits for the radio.
void TimerTick(Panel& panel);

// Until the radio is connected, the poll's answer is taken as soon as it is
// in rather than at the next tick, so "connected" is heard a tick sooner.
// Whether the loop should wake for the radio's answer for this:
bool ConnectingAnswerAwaited(const Panel& panel);
// Runs the reply phase now when the poll's answer has come (after
// ReceiveAnswers); the next tick is then a send phase, as after any reply
// phase.
void TakeConnectingAnswer(Panel& panel);

}  // namespace kelvaro
