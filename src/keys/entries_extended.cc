// The X prefix and what follows it (antenna, VFO swap, AGC, the standard
// repeater offset of a band), and the F key's frequency readout.
#include <algorithm>
#include <string>
#include <string_view>

#include "keys/entries.h"
#include "keys/key_rules.h"
#include "link/cat.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

// Only 10 m, 6 m, 2 m and 70 cm have repeaters and so a standard offset.
bool HasRepeaterOffset(int band) { return band >= kBand10m && band <= kBand70cm; }

// Each character of a text as its own phrase ("0".."9").
void SpeakCharacters(Panel& panel, std::string_view text) {
  for (char c : text) PlayPhrase(panel, std::string_view(&c, 1));
}

void SpeakSign(Panel& panel, std::string_view entry) {
  PlayPhrase(panel, CharAt(entry, 1) == '+' ? "plus" : "minus");
}

// The offset entry on a band without a standard offset: nothing to keep or
// read, and the entry ends.
void NoOffsetHere(Panel& panel) {
  PlayPhrase(panel, "ofs");
  PlayPhrase(panel, "na");
  panel.state.entry.entryState = EntryState::kNone;
}

// A frequency in Hz as the panel writes it: whole megahertz, ".", six digits
// (with a "0" before the point below 1 MHz).
std::string MegahertzText(long long hz) {
  std::string digits = Digits(std::max(hz, 0LL));
  if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
  return digits.substr(0, digits.size() - 6) + "." + digits.substr(digits.size() - 6);
}

// Drops leading "0" characters; a "0" standing right before the point (below
// 1 MHz) is the megahertz digit and stays.
std::string WithoutLeadingZeros(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && text[first] == '0' && CharAt(text, static_cast<int>(first) + 2) != '.') {
    ++first;
  }
  return std::string(text.substr(first));
}

// Puts the point into a frequency digit text by the band: after the first
// digit on 160 m to 40 m, the second on 30 m to 6 m, the third from 2 m up.
// General coverage spans every width of frequency, so there the point goes
// before the last six digits.
std::string PlacePoint(std::string_view digits, int band) {
  if (band == kBandGeneral) {
    if (!OnlyDigits(digits)) return std::string(digits);
    return MegahertzText(IntFromText(digits));
  }
  const int place = band <= kBand40m ? 1 : band <= kBand6m ? 2 : 3;
  return Left(digits, place) + "." + Mid(digits, place + 1);
}

// Speaks frequencyText, set to `digits`, as the other frequency, then the
// mode; the panel's own frequency text is put back afterwards.
void SpeakOtherFrequency(Panel& panel, const std::string& digits, const Text& kept) {
  PanelState& s = panel.state;
  s.radio.frequencyText = WithoutLeadingZeros(PlacePoint(digits, s.radio.bandIndex));
  s.entry.txAnnounce = true;
  SpeakFrequency(panel);
  s.entry.txAnnounce = false;
  s.radio.frequencyText = kept;
  SpeakMode(panel);
  s.entry.entryState = EntryState::kNone;
}

}  // namespace

// --- X prefix ---

void ToggleExtendedPrefix(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "extcm");
  if (s.entry.entryState == EntryState::kExtendedPrefix) {
    s.entry.entryState = EntryState::kNone;
    PlayPhrase(panel, "off");
  } else {
    s.entry.entryState = EntryState::kExtendedPrefix;
    PlayPhrase(panel, "on");
  }
}

void CloseExtendedPrefix(Panel& panel) { panel.state.entry.entryState = EntryState::kNone; }

void SwitchAntenna(Panel& panel) {
  PanelState& s = panel.state;
  const bool toSecond = s.radio.antennaSelect == 0;
  PlayPhrase(panel, toSecond ? "ant2" : "ant1");
  SendCommand(panel, toSecond ? "EX0307041" : "EX0307040");
  s.radio.antennaSelect = toSecond ? 1 : 0;
  // Marks the switch just made: the next key but S closes the prefix.
  s.banks.bandQuiet = BandQuiet::kAntennaSwitched;
}

void CloseAntennaPrefix(Panel& panel) {
  PanelState& s = panel.state;
  s.banks.bandQuiet = BandQuiet::kSpeak;
  s.entry.entryState = EntryState::kNone;
}

void SwapVfos(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.repeaterOn == RepeaterState::kOn) {
    s.entry.entryState = EntryState::kNone;
    return;
  }
  PlayPhrase(panel, "swop");
  if (!s.banks.swapRecordLocked) s.radio.vfoSwapped = !s.radio.vfoSwapped;
  SendCommand(panel, "SV");
  if (!s.banks.swapRecordLocked && s.radio.bandIndex >= 1 && s.radio.bandIndex <= kBandCount) {
    // The band record follows the radio: its VFO A and B digits change places.
    std::string_view old = s.banks.bandRecords[s.radio.bandIndex];
    const std::string swapped = Left(old, 3) + Mid(old, 14, 9) + "B" + Mid(old, 4, 9) + Mid(old, 23);
    // A record that does not hold two frequencies (a repeater shift in place
    // of VFO B) is left as it is rather than made unreadable.
    if (IsBandRecord(swapped)) s.banks.bandRecords[s.radio.bandIndex] = swapped;
  }
  s.entry.entryState = EntryState::kNone;
}

void StepAgc(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.agcIndex = s.radio.agcIndex >= 1 && s.radio.agcIndex < 4 ? s.radio.agcIndex + 1 : 1;
  SendCommand(panel, "GT0" + Digits(s.radio.agcIndex));
  PlayPhrase(panel, "agc");
  static constexpr std::string_view kSpeeds[] = {"fast", "mid", "slow", "auto"};
  PlayPhrase(panel, kSpeeds[s.radio.agcIndex - 1]);
}

// --- Repeater offset entry ---

void StartOffsetEntry(Panel& panel) {
  PanelState& s = panel.state;
  // Bands without repeaters ignore O; the prefix stays open.
  if (!HasRepeaterOffset(s.radio.bandIndex)) return;
  PlayPhrase(panel, "eofs");
  s.entry.entryState = EntryState::kOffsetSign;
  s.entry.offsetEntry = "";
}

void OffsetSign(Panel& panel) {
  PanelState& s = panel.state;
  if (KeyAsSeen(s) == vk::kPlus) {
    s.entry.offsetEntry = "+";
    PlayPhrase(panel, "plus");
  } else if (KeyAsSeen(s) == vk::kMinus) {
    s.entry.offsetEntry = "-";
    PlayPhrase(panel, "minus");
  } else {
    return;
  }
  s.entry.entryState = EntryState::kOffsetDigits;
}

bool StoreTypedOffset(Panel& panel) {
  PanelState& s = panel.state;
  const int band = s.radio.bandIndex;
  if (!HasRepeaterOffset(band)) {
    NoOffsetHere(panel);
    return false;
  }
  const std::string entry = s.entry.offsetEntry.str();
  const std::size_t n = entry.size();  // the sign and three or four digits
  const char sign = CharAt(entry, 1);
  if (n < 4 || n > 5 || (sign != '+' && sign != '-') || !OnlyDigits(Mid(entry, 2))) {
    PlayPhrase(panel, "ofs");
    PlayPhrase(panel, "invalid");
    s.entry.entryState = EntryState::kNone;
    return false;
  }
  SpeakBand(panel);
  PlayPhrase(panel, "ofs");
  SpeakSign(panel, entry);
  SpeakCharacters(panel, Mid(entry, 2));
  PlayPhrase(panel, "khz");
  std::string digits = Mid(entry, 2);
  if (digits.size() == 3) digits = "0" + digits;
  s.entry.offsetEntry = std::string(1, sign) + digits;
  s.config.standardShiftSign[band] = std::string(1, sign);
  s.config.standardShiftKhz[band] = digits;
  s.entry.entryState = EntryState::kNone;
  return true;
}

bool ReadStandardOffset(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.repeaterOn == RepeaterState::kOn) {
    PlayPhrase(panel, "rio");
    s.entry.entryState = EntryState::kNone;
    return false;
  }
  const int band = s.radio.bandIndex;
  if (!HasRepeaterOffset(band)) {
    NoOffsetHere(panel);
    return false;
  }
  s.entry.offsetEntry = s.config.standardShiftSign[band].str() + s.config.standardShiftKhz[band].str();
  const std::string entry = s.entry.offsetEntry.str();
  SpeakBand(panel);
  PlayPhrase(panel, "std");
  SpeakSign(panel, entry);
  // One leading zero of the four digits is not spoken (0600 is "6 0 0").
  SpeakCharacters(panel, Mid(entry, CharAt(entry, 2) == '0' ? 3 : 2));
  PlayPhrase(panel, "khz");
  s.entry.entryState = EntryState::kNone;
  return true;
}

// --- F: frequency readout ---

void FrequencyReadout(Panel& panel) {
  PanelState& s = panel.state;
  // Right after the tick count was restarted (a frequency just sent) the
  // frequency text is not yet the radio's: F waits for the next tick. The
  // count's own wrap to 0 once a second does not hold F back: that would
  // drop one F in 21 at random.
  if (s.tick.countRestarted) return;
  const bool prefix = s.entry.entryState == EntryState::kExtendedPrefix;

  if (prefix && s.radio.repeaterOn == RepeaterState::kOn) {
    // The transmit frequency of the repeater pair. Only bands 10..13 have a
    // shift; elsewhere no shift applies and the frequency itself is spoken.
    long long hz = s.radio.frequencyHz;
    const int band = s.radio.bandIndex;
    if (HasRepeaterOffset(band)) {
      const long long shift = static_cast<long long>(IntFromText(s.config.currentShiftKhz[band])) * 1000;
      hz += s.config.currentShiftSign[band] == "-" ? -shift : shift;
    }
    const Text kept = s.radio.frequencyText;
    SpeakOtherFrequency(panel, Digits(std::max(hz, 0LL)), kept);
    return;
  }

  if (prefix && s.radio.splitOn) {
    // VFO A, as the band record keeps it.
    const Text kept = s.radio.frequencyText;
    std::string digits;
    if (s.radio.bandIndex >= 1 && s.radio.bandIndex <= kBandCount)
      digits = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).VfoADigits();
    PlayPhrase(panel, "vfoa");
    SpeakOtherFrequency(panel, WithoutLeadingZeros(digits), kept);
    return;
  }

  s.entry.entryState = EntryState::kNone;
  SpeakFrequency(panel);
  SpeakMode(panel);
  if (s.entry.toneActive) {
    PlayPhrase(panel, CharAt(s.radio.toneCode, 1) <= '4' ? "ctcss" : "dcs");
    SpeakCharacters(panel, Left(s.radio.toneCode, 3));
  }
}

}  // namespace kelvaro
