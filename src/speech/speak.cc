// The mode and band reports.
#include "speech/speak.h"

#include "speech/phrase.h"

namespace kelvaro {

void SpeakMode(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.channelRecall) return;
  switch (s.radio.radioMode) {
    case kLsb:
      PlayPhrase(panel, "lsb.wav");
      break;
    case kUsb:
      PlayPhrase(panel, "usb.wav");
      break;
    case kCw:
      PlayPhrase(panel, "cw.wav");
      break;
    case kAm:
      PlayPhrase(panel, "am.wav");
      break;
    case kFmNarrow:
      PlayPhrase(panel, "fm.wav");
      PlayPhrase(panel, "nar.wav");
      break;
    case kC4fm:
      PlayPhrase(panel, "c4fm.wav");
      break;
    case kFmWide:
      PlayPhrase(panel, "fm.wav");
      break;
    default:
      break;
  }
}

void SpeakBand(Panel& panel) {
  // The band's name in metres; "70" names the 70 cm band.
  static constexpr const char* kBandNames[kBandCount] = {
      "160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70", "un"};
  const int band = panel.state.radio.bandIndex;
  if (band >= 1 && band <= kBandCount) PlayPhrase(panel, kBandNames[band - 1]);
  // General coverage has no unit; every lower value (even an unset 0) gets one.
  if (band < kBandGeneral) PlayPhrase(panel, "metres");
}

}  // namespace kelvaro
