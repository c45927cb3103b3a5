#include "keys/radio_return.h"

#include <algorithm>

#include "link/identify.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

void MarkGone(Panel& panel) {
  PanelState& s = panel.state;
  panel.link.presence = RadioPresence::kGone;
  s.radioConnected = 0;
  // A quit that waits for the radio's answers would wait for ever.
  if (s.quitPending > 0) {
    s.quitPending = 0;
    s.runFlag = 0;
  }
}

void SetUpQuietly(Panel& panel) {
  const bool wasQuiet = panel.quiet;
  panel.quiet = true;
  SetUpRadio(panel);
  panel.quiet = wasQuiet;
}

}  // namespace

bool WatchRadioPresence(Panel& panel, bool heard) {
  PanelState& s = panel.state;
  RadioLink& link = panel.link;
  const std::uint32_t opens = panel.ports.OpenCount(s.comPort);
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

  const int32_t identity = AskIdentity(panel);
  if (identity == kFtx1Identity) {
    link.presence = RadioPresence::kAnswering;
    link.quietReplyPhases = 0;
    SetUpQuietly(panel);
    // What came meanwhile tells of the radio before its set-up.
    link.forTick.clear();
    return false;
  }
  if (identity != 0 && link.presence != RadioPresence::kRefused) {
    link.presence = RadioPresence::kRefused;
    PlayPhrase(panel, "rnftx.wav");
    if (panel.onRadioRefused) panel.onRadioRefused(panel);
  }
  // No answer to the question (a radio still starting up) leaves it gone.
  return false;
}

}  // namespace kelvaro
