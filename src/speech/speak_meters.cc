// The meter reports: S-meter, standing-wave ratio and the mic-meter peak.
#include <string>

#include "speech/phrase.h"
#include "speech/speak.h"
#include "speech/spoken_digits.h"
#include "state/meter_scale.h"

namespace kelvaro {
namespace {

// The ratio a point b to one of a raw SWR reading (0..255): `whole` is the
// phrase for a ("gt5" off the scale), `tenth` the digit b.
struct SwrRatio {
  const char* whole;
  int tenth;
};

SwrRatio SwrRatioOf(int r) {
  if (r < 50) return {"1", 0};
  if (r < 120) return {"1", (r - 50) / 7};
  if (r < 160) return {"2", (r - 120) / 10};
  if (r < 180) return {"3", (r - 160) / 2};
  // (r - 180) / 2.5 to the nearest whole number; it never falls on a half.
  if (r < 200) return {"4", (4 * (r - 180) + 5) / 10};
  return {"gt5", 0};
}

}  // namespace

void SpeakSMeter(Panel& panel) {
  PlayPhrase(panel, "s.wav");
  const int unit = SUnitOf(panel.state.tick.sMeterValue);
  if (unit < 9) {
    const std::string digit = std::string(1, static_cast<char>('0' + unit)) + ".wav";
    PlayPhrase(panel, digit);
    return;
  }
  PlayPhrase(panel, "9.wav");
  if (unit > 9) PlayPhrase(panel, "plus.wav");
}

void SpeakSwrRatio(Panel& panel, int reading) {
  const SwrRatio ratio = SwrRatioOf(reading);
  PlayPhrase(panel, ratio.whole);
  PlayPhrase(panel, "point");
  SpeakDigit(panel, static_cast<char>('0' + ratio.tenth));
  PlayPhrase(panel, "21");
}

void SpeakMeterPeak(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tick.micGainWatch == MicGainWatch::kStarted) {
    PlayPhrase(panel, "alc");
    s.tick.micGainWatch = MicGainWatch::kWatching;
  }
  SpeakNumber(panel, s.tick.meterPeak);
  RestartTickCount(s.tick);
}

}  // namespace kelvaro
