// The mode and band reports.
#include "speech/speak.h"

#include "speech/phrase.h"
#include "state/radio_tables.h"

namespace kelvaro {

void SpeakMode(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.channelRecall) return;
  const RadioMode* row = PanelModeRow(s.radio.radioMode);
  if (row == nullptr) return;
  for (std::string_view phrase : row->phrases)
    if (!phrase.empty()) PlayPhrase(panel, phrase);
}

void SpeakBand(Panel& panel) {
  // The band's name in metres; "70" names the 70 cm band.
  const int band = panel.state.radio.bandIndex;
  if (const RadioBand* row = BandRow(band)) PlayPhrase(panel, row->spokenName);
  // General coverage has no unit; every lower value (even an unset 0) gets one.
  if (band < kBandGeneral) PlayPhrase(panel, "metres");
}

}  // namespace kelvaro
