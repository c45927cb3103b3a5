// The number reports: frequency, receive width, power and keyer speed.
#include <algorithm>
#include <string>

#include "speech/phrase.h"
#include "speech/speak.h"
#include "speech/spoken_digits.h"

namespace kelvaro {
namespace {

// The fraction of a frequency text is read no further than this position: the
// panel's form is three megahertz places (blank-padded), "." and six digits.
constexpr int kLastFrequencyPosition = 11;

}  // namespace

void SpeakDigit(Panel& panel, char c) {
  if (IsDigit(c)) PlayPhrase(panel, std::string_view(&c, 1));
}

void SpeakDigitsOf(Panel& panel, std::string_view text) {
  for (char c : text) SpeakDigit(panel, c);
}

void SpeakNumber(Panel& panel, long long n) {
  // Through unsigned so that even the most negative value has a magnitude.
  const unsigned long long magnitude =
      n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  SpeakDigitsOf(panel, std::to_string(magnitude));
}

void SpeakFrequency(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.channelRecall) return;
  // A copy of its own: the phrases below hold the thread, and nothing they do
  // may change what is being read out half-way.
  const std::string text = s.radio.frequencyText.str();
  // No radio has answered yet (a text of blanks carries no frequency either).
  if (std::none_of(text.begin(), text.end(), IsDigit)) {
    PlayPhrase(panel, "nc");
    return;
  }
  const int dot = Find(text, ".");

  if (!s.radio.splitOn && s.radio.repeaterOn == RepeaterState::kOn) PlayPhrase(panel, "repeater");
  if (s.entry.txAnnounce && s.radio.repeaterOn == RepeaterState::kOn) PlayPhrase(panel, "tx");
  if (s.radio.splitOn && s.radio.repeaterOn == RepeaterState::kOff && !s.entry.txAnnounce) PlayPhrase(panel, "vfob");

  if (dot == 0) {
    // No fraction at all: the whole text is the megahertz part.
    SpeakDigitsOf(panel, text);
    PlayPhrase(panel, "mhz");
    return;
  }
  // The megahertz digits; the panel's leading blanks are not spoken.
  SpeakDigitsOf(panel, Left(text, dot - 1));
  if (Right(text, 6) == "000000") {
    PlayPhrase(panel, "mhz");
    return;
  }
  PlayPhrase(panel, "point");
  // Fraction digits up to the last one that is not zero: zeros inside the
  // fraction are spoken, trailing ones are not.
  for (int p = dot + 1; p <= kLastFrequencyPosition; ++p) {
    SpeakDigit(panel, CharAt(text, p));
    if (NumberFromText(Mid(text, p + 1, kLastFrequencyPosition - p)) == 0) break;
  }
  PlayPhrase(panel, "mhz");
}

void SpeakWidth(Panel& panel) {
  const PanelState& s = panel.state;
  const int index = s.radio.widthIndex;
  PlayPhrase(panel, "bw");
  if (s.radio.radioMode < kCw) {
    // LSB and USB: 1.8 to 3.1 kHz.
    if (index < 11) {
      PlayPhrase(panel, "1.wav");
    } else if (index <= 19) {
      PlayPhrase(panel, "2.wav");
    } else {
      PlayPhrase(panel, "3.wav");
    }
    PlayPhrase(panel, "point");
    if (index == 9) {
      PlayPhrase(panel, "8.wav");
    } else if (index == 10) {
      PlayPhrase(panel, "9.wav");
    } else if (index >= 11 && index <= 19) {
      SpeakDigit(panel, static_cast<char>('0' + index % 10));
    } else if (index == 20) {
      PlayPhrase(panel, "0.wav");
    } else if (index == 21) {
      PlayPhrase(panel, "1.wav");
    }
    PlayPhrase(panel, "khz");
    return;
  }
  // CW and the other modes, in hertz: steps of 50 Hz, then 800 and 1200.
  if (index == 11) {
    PlayPhrase(panel, "8");
    PlayPhrase(panel, "0");
  } else if (index == 12) {
    PlayPhrase(panel, "1");
    PlayPhrase(panel, "2");
    PlayPhrase(panel, "0");
  } else {
    const int hundreds = index / 2;
    if (hundreds > 0 && hundreds <= 10) {
      // One phrase: a digit, or the recorded "10".
      const std::string name = std::to_string(hundreds);
      PlayPhrase(panel, name);
    } else if (hundreds > 10) {
      // No recording names these; say them digit by digit.
      SpeakNumber(panel, hundreds);
    }
    PlayPhrase(panel, 2 * hundreds == index ? "0" : "5");
  }
  PlayPhrase(panel, "0");
  PlayPhrase(panel, "hz");
}

void SpeakPower(Panel& panel) {
  SpeakNumber(panel, panel.state.config.powerSetting);
  PlayPhrase(panel, "watts");
}

void SpeakKeyerSpeed(Panel& panel) {
  SpeakNumber(panel, panel.state.radio.keyerSpeed);
  PlayPhrase(panel, "wpm");
}

}  // namespace kelvaro
