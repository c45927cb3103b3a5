#include "traffic/radio_return.h"

#include <algorithm>

namespace kelvaro {
namespace {

void MarkGone(Panel& panel) {
  PanelState& s = panel.state;
  panel.link.presence = RadioPresence::kGone;
  s.cat.radioConnected = false;
  // A quit that waits for the radio's answers would wait for ever.
  if (s.entry.quitPending > 0) {
    s.entry.quitPending = 0;
    s.entry.runFlag = false;
  }
}

}  // namespace

bool WatchRadioPresence(Panel& panel, bool heard) {
  PanelState& s = panel.state;
  RadioLink& link = panel.link;
  const std::uint32_t opens = panel.ports.OpenCount(s.config.comPort);
  const bool reopened = link.portOpens != 0 && opens != link.portOpens;
  link.portOpens = opens;
  link.quietReplyPhases = heard ? 0 : std::min(link.quietReplyPhases + 1, kQuietPhasesUntilGone);

  const SteadyTime now = panel.clock.Steady();
  if (link.presence == RadioPresence::kAnswering) {
    if (!reopened && link.quietReplyPhases < kQuietPhasesUntilGone) return true;
    MarkGone(panel);
    if (!reopened) return false;
  } else if (!reopened && (!heard || now < link.nextIdentityCheck)) {
    return false;
  }
  link.nextIdentityCheck = now + kIdentityRetry;
  link.identityWanted = true;
  return false;
}

}  // namespace kelvaro
