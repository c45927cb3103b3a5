// Noticing a radio that goes away and comes back while the panel runs.
//
// A radio switched off at its own switch stops answering; one whose USB
// cable is pulled, or which takes its USB port with it when switched off,
// makes its port vanish, and the port layer opens it again once it is back.
// The reply phase notices either: a run of reply phases without any answer,
// or the port opened anew. The radio then counts as gone: keys say "nc" and
// Q ends the program at once, as before the first answer. The next time
// something answers, or the port comes back, the tick asks for the radio to
// be identified again (link.identityWanted); the program's loop does that
// (ReidentifyRadio), as at start.
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
// take: false while it is gone, refused or about to be identified.
bool WatchRadioPresence(Panel& panel, bool heard);

}  // namespace kelvaro
