// A radio that goes away and comes back while the panel runs.
//
// A radio switched off at its own switch stops answering; one whose USB
// cable is pulled, or which takes its USB port with it when switched off,
// makes its port vanish, and the port layer opens it again once it is back.
// The reply phase notices either: a run of reply phases without any answer,
// or the port opened anew. The radio then counts as gone: keys say "nc" and
// Q ends the program at once, as before the first answer. The next time
// something answers, or the port comes back, the radio is asked who it is.
// An FTX-1 gets the start-up settings and the current band again, silently,
// and the next frequency answer announces it as at start (frequency, mode,
// preamp, "connected"). Another model is refused as at start ("rnftx.wav"
// and the reason on the error stream), once, and asked again while the
// panel runs.
#pragma once

#include <chrono>

#include "state/panel.h"

namespace kelvaro {

// Reply phases without any answer after which the radio counts as gone:
// about three seconds of polling (the tick is held while a report speaks,
// so a long report does not count).
constexpr int kQuietPhasesUntilGone = 30;
// The shortest time between two identity questions while the radio is gone
// or refused.
constexpr std::chrono::milliseconds kIdentityRetry{2000};

// Called by the reply phase with whether anything came from the radio since
// the last one. Returns whether the answers the tick holds are the radio's to
// take: false while it is gone or refused, and right after it was set up
// anew (the next poll's answer announces it).
bool WatchRadioPresence(Panel& panel, bool heard);

}  // namespace kelvaro
