#include "controls/swr.h"

#include <optional>
#include <string>

#include "link/cat.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {

void SpeakSwr(Panel& panel) {
  PanelState& s = panel.state;
  if (s.config.tunerState == TunerUse::kOn && s.tick.txState == TxState::kReceiving) return;
  PlayPhrase(panel, "swr");
  // The answer is "RM6" and three digits of reading. Without it there is no
  // ratio to give: a made-up 1.0 would tell the operator that it is safe to
  // transmit when nothing was measured.
  const std::optional<std::string> answer = Query(panel, "RM6");
  s.entry.swrText = answer ? Mid(*answer, 4, 3) : std::string();
  if (!answer || s.entry.swrText.size() != 3 || !OnlyDigits(s.entry.swrText)) {
    PlayPhrase(panel, "nc");
    return;
  }
  SpeakSwrRatio(panel, IntFromText(s.entry.swrText));
}

}  // namespace kelvaro
