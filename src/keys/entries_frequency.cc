// The typed entries: a frequency (E, digits, ".", Enter), a CTCSS or DCS
// tone (I, digits, Enter), a radio menu setting (N, number, Enter, value,
// Enter), and the D key that switches between FM and C4FM keeping the tone.
//
// EnterDigit collects the digits into freqEntryNumber, toneCode, menuNumber
// and menuValue; the steps here open the entries and check and send them.
#include <algorithm>
#include <string>
#include <string_view>

#include "controls/bands.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/tones.h"
#include "display/panel_display.h"
#include "keys/entries.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

// The frequency command is "FA" and nine digits in Hz.
constexpr std::size_t kFrequencyCommandLength = 11;
// A radio menu number has six digits.
constexpr std::size_t kMenuNumberLength = 6;
// "EX", the menu number, the value and the ";" that SendCommand adds must fit
// in one panel text.
constexpr std::size_t kMaxMenuValueLength = Text::kMax - 2 - kMenuNumberLength - 1;

bool IsBand(int band) { return band >= 1 && band <= kBandCount; }

bool IsFm(int mode) { return mode == kFmNarrow || mode == kFmWide; }

// How many digits the typed megahertz really has. Leading zeros typed before
// the point ("0 7 . 1") do not survive in the number, so the count of typed
// digits would shift the point; the number's own digits decide. Entries with
// more than three typed digits keep their count and stay invalid.
void DropLeadingZeroDigits(PanelState& s) {
  if (s.entry.freqEntryIntDigits > 3 || s.entry.freqEntryNumber < 1) return;
  const int own = static_cast<int>(Digits(s.entry.freqEntryNumber).size());
  if (s.entry.freqEntryIntDigits > own) s.entry.freqEntryIntDigits = own;
}

void FrequencyEntryInvalid(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "invalid");
  s.entry.freqEntryIntDigits = 0;
  s.entry.freqEntryPoint = false;
}

void MenuEntryInvalid(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "invalid");
  s.entry.entryState = EntryState::kNone;
  s.tick.menuReadBusy = false;
}

// Reads the setting of the typed menu number and speaks its value: the
// characters after "EX" and the six menu digits, up to the first ";".
void ReadMenuValue(Panel& panel) {
  PanelState& s = panel.state;
  const std::string reply = Query(panel, "EX" + s.entry.menuNumber.str()).value_or("");
  const int end = Find(reply, ";");
  for (int p = 9; p <= end - 1; ++p) {
    const char c = CharAt(reply, p);
    if (c == '.') {
      PlayPhrase(panel, "point");
    } else {
      PlayPhrase(panel, std::string_view(&c, 1));
    }
  }
}

}  // namespace

// --- Frequency entry ---

void StartFrequencyEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.freqEntryNumber = 0;
  s.entry.entryState = EntryState::kNone;
  PlayPhrase(panel, "EF");
  s.entry.freqEntryIntDigits = 0;
  s.entry.freqEntryActive = true;
  s.entry.freqEntryPoint = false;
}

void FrequencyEntryPoint(Panel& panel) {
  PanelState& s = panel.state;
  // The number so far is the whole megahertz; below 1 or from 450 up there is
  // no band for it (999 stands before any entry).
  if (s.entry.freqEntryNumber >= 450 || s.entry.freqEntryNumber < 1) {
    PlayPhrase(panel, "invalid");
    return;
  }
  if (!s.entry.freqEntryPoint) DropLeadingZeroDigits(s);
  StoreBandRecord(panel);  // the band being left keeps its settings
  s.entry.freqEntryPoint = true;
  BandFromEnteredMhz(panel);
  s.entry.savedBand = s.radio.bandIndex;
  PlayPhrase(panel, "point");
}

void SendTypedFrequency(Panel& panel) {
  PanelState& s = panel.state;
  if (!s.entry.freqEntryActive) return;
  RestartTickCount(s.tick);
  s.entry.freqEntryActive = false;
  // Nothing typed (E then Enter), or only zeros: there is no frequency to
  // send and no band to move to.
  if (s.entry.freqEntryNumber < 1) {
    FrequencyEntryInvalid(panel);
    return;
  }

  if (!s.entry.freqEntryPoint) {
    DropLeadingZeroDigits(s);
    StoreBandRecord(panel);
    BandFromEnteredMhz(panel);  // the whole number is taken as megahertz
    s.entry.savedBand = s.radio.bandIndex;
  }
  s.radio.bandIndex = s.entry.savedBand;
  SelectBand(panel);

  if (IsBand(s.radio.bandIndex)) {
    if (IsBandRecord(s.banks.bandRecords[s.radio.bandIndex])) {
      const BandRecord record = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]);
      s.radio.radioMode = record.mode - '0';
      // The record's flag: "1" split; "0" normal and "5" repeater are not.
      s.radio.splitOn = record.flag == '1';
    }
    ApplyMode(panel);
  }
  // No FM below 25 MHz: the radio goes to AM there.
  if (s.entry.freqEntryNumber < 25 && IsFm(s.radio.radioMode)) {
    s.radio.radioMode = kAm;
    ApplyMode(panel);
  }

  std::string digits = Digits(s.entry.freqEntryNumber);
  if (s.entry.freqEntryIntDigits == 1) digits = "00" + digits;
  if (s.entry.freqEntryIntDigits == 2) digits = "0" + digits;
  s.entry.freqEntryPoint = false;
  std::string command = "FA" + digits;
  if (command.size() > kFrequencyCommandLength || s.entry.freqEntryIntDigits > 3) {
    PlayPhrase(panel, "invalid");
    s.entry.freqEntryIntDigits = 0;
    return;
  }
  command.append(kFrequencyCommandLength - command.size(), '0');
  SendCommand(panel, command);

  s.radio.bandIndex = s.entry.savedBand;
  if (IsBand(s.radio.bandIndex)) {
    const char preamp = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).preamp;
    s.radio.preampSetting = preamp == '1' ? 1 : preamp == '2' ? 2 : 0;
    ApplyPreamp(panel);
  }
  PlayPhrase(panel, "ok");
}

// --- Tone entry and tone off ---

void ToggleTone(Panel& panel) {
  PanelState& s = panel.state;
  if (!IsFm(s.radio.radioMode)) {
    PlayPhrase(panel, "wrong");
    PlayPhrase(panel, "mode");
    return;
  }
  s.entry.freqEntryActive = false;
  s.entry.entryState = EntryState::kNone;
  if (s.entry.toneActive) {
    SendCommand(panel, "CT00");
    s.entry.toneActive = false;
    PlayPhrase(panel, CharAt(s.radio.toneCode, 1) > '4' && s.entry.dcsTone ? "dcs" : "ctcss");
    PlayPhrase(panel, "off");
    s.radio.toneCode = "999";
    return;
  }
  PlayPhrase(panel, s.config.dcsEnabled ? "ecd" : "ec");
  s.entry.toneActive = true;
  s.radio.toneCode = "";
}

void ClearToneFlag(Panel& panel) { panel.state.entry.toneActive = false; }

void SendTypedTone(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.dcsTone = false;
  const std::string typed = s.radio.toneCode.str();
  const int n = IntFromText(typed);
  // Valid: 0..49 (CTCSS), 500..503 and 700..803 (DCS), at most three digits.
  // Enter with nothing typed is no tone at all.
  bool invalid = !OnlyDigits(typed) || typed.size() > 3 || n > 803 || (n >= 504 && n <= 699) ||
                 (n >= 50 && n <= 499);
  if (!invalid) {
    s.entry.toneBusy = true;
    if (n >= 500 && !s.config.dcsEnabled) invalid = true;
  }
  if (invalid) {
    PlayPhrase(panel, "invalid");
    s.entry.toneActive = false;
    s.radio.toneCode = "999";
    DrawStatusLine(panel);
    return;
  }
  if (n >= 500) s.entry.dcsTone = true;
  SendToneSquelch(panel);
  s.entry.toneBusy = false;
}

// --- D: C4FM and FM ---

void SwitchDigitalFm(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.radioMode < kFmNarrow) return;
  if (IsFm(s.radio.radioMode)) {
    s.entry.savedTone = s.radio.toneCode;
    s.radio.radioMode = kC4fm;
    ApplyMode(panel);
  } else if (s.radio.radioMode == kC4fm) {
    s.radio.radioMode = s.radio.fmWide ? kFmWide : kFmNarrow;
    ApplyMode(panel);
    // The tone kept when FM was left comes back, as a three-digit code
    // (a tone left half-typed, "12", goes out as 012; a code that is no tone
    // number, such as a half-typed "98", is not sent at all).
    const std::string tone = RecordToneCode(s.entry.savedTone);
    if (s.entry.savedTone != "999" && !s.entry.savedTone.empty() && IsToneNumber(tone)) {
      s.radio.toneCode = tone;
      s.entry.toneActive = true;
      if (tone[0] > '4') {
        // A DCS code goes back as a DCS code, not as a CTCSS tone number.
        SendCommand(panel, DcsCodeCommand(tone));
        SendCommand(panel, "CT03");
      } else {
        SendCommand(panel, "CN00" + tone);
        SendCommand(panel, "CT01");
      }
    }
  }
  SpeakMode(panel);
}

// --- Menu entry ---

void StartMenuEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.entryState = EntryState::kMenuNumber;
  s.entry.menuNumber = "";
  PlayPhrase(panel, "mn");
}

void EndMenuNumber(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.entryState = EntryState::kMenuValue;
  if (s.entry.menuNumber.size() == kMenuNumberLength && OnlyDigits(s.entry.menuNumber)) {
    PlayPhrase(panel, "mp");
    s.entry.menuValue = "";
    return;
  }
  PlayPhrase(panel, "invalid");
  s.entry.entryState = EntryState::kNone;
}

void SendMenuValue(Panel& panel) {
  PanelState& s = panel.state;
  s.tick.menuReadBusy = true;  // the timer tick keeps off the port meanwhile
  if (s.entry.menuNumber.size() != kMenuNumberLength || !OnlyDigits(s.entry.menuNumber)) {
    MenuEntryInvalid(panel);
    return;
  }
  if (!s.entry.menuValue.empty()) {
    if (!OnlyDigits(s.entry.menuValue) || s.entry.menuValue.size() > kMaxMenuValueLength) {
      MenuEntryInvalid(panel);
      return;
    }
    SendCommand(panel, "EX" + s.entry.menuNumber.str() + s.entry.menuValue.str());
    PlayPhrase(panel, "ok");
  } else {
    ReadMenuValue(panel);
  }
  s.entry.entryState = EntryState::kNone;
  s.tick.menuReadBusy = false;
}

}  // namespace kelvaro
