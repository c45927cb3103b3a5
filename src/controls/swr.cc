#include "controls/swr.h"

#include <optional>
#include <string>

#include "display/panel_display.h"
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

void SpeakMeter(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.tick.txState == TxState::kReceiving && !s.tick.tuneActive) {
    DrawSMeter(panel);
    SpeakSMeter(panel);
  } else {
    SpeakSwr(panel);
  }
}

}  // namespace kelvaro
