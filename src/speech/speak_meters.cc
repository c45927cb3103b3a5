// The meter reports: S-meter, standing-wave ratio and the mic-meter peak.
#include <string>

#include "speech/phrase.h"
#include "speech/speak.h"
#include "speech/spoken_digits.h"

namespace kelvaro {
namespace {

// The S-unit of a raw S-meter reading (0..255); 10 stands for "above S9".
int SUnitOf(int reading) {
  struct Step {
    int upTo;
    int unit;
  };
  static constexpr Step kScale[] = {{10, 0},  {20, 1},  {40, 2},  {54, 3},  {68, 4},
                                    {82, 5},  {96, 6},  {108, 7}, {122, 8}, {156, 9}};
  for (const Step& step : kScale) {
    if (reading <= step.upTo) return step.unit;
  }
  return 10;
}

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

// The S-meter at (750, 45) and, when `aloud`, the phrases that say it.
void SMeter(Panel& panel, bool aloud) {
  const PanelState& s = panel.state;
  auto say = [&panel, aloud](std::string_view phrase) {
    if (aloud) PlayPhrase(panel, phrase);
  };
  panel.screen.SetPosition(750, 45);
  say("s.wav");
  const int unit = SUnitOf(s.tick.sMeterValue);
  if (unit >= 9) {
    say("9.wav");
    panel.screen.Print("S9");
    if (unit > 9) {
      say("plus.wav");
      panel.screen.Print("+");
    } else {
      panel.screen.Print("  ");
    }
    return;
  }
  const char digit = static_cast<char>('0' + unit);
  say(std::string(1, digit) + ".wav");
  panel.screen.Print("S" + std::string(1, digit) + "  ");
}

}  // namespace

void SpeakSMeter(Panel& panel) { SMeter(panel, true); }

void ShowSMeter(Panel& panel) { SMeter(panel, false); }

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
  s.tick.tickCount = 0;
}

}  // namespace kelvaro
