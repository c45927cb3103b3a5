#include "controls/modes.h"

#include <algorithm>

#include "controls/bands.h"
#include "controls/stepping.h"
#include "state/radio_tables.h"
#include "controls/tones.h"
#include "display/panel_display.h"
#include "link/cat.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

constexpr int kMaxNineDigitHz = 999999999;

void SendFrequencyCommand(Panel& panel, int32_t hz) {
  SendCommand(panel, "FA" + ZeroPad(hz, 9));
}

// FM: the squelch level the radio reports ("SQ0" + three digits).
void ReadSquelchLevel(Panel& panel) {
  PanelState& s = panel.state;
  const std::optional<std::string> answer = Query(panel, "SQ0");
  if (!answer) return;
  std::string level = Mid(*answer, 4, 3);
  if (level.size() == 3 && OnlyDigits(level)) s.radio.squelchLevel = std::min(IntFromText(level), 255);
}

// The mode's commands, the band's stored frequency, the width and the
// record's mode digit. `following`: another program has put the radio in
// this mode already, so neither the mode command nor the stored frequency is
// sent (the radio stays where that program put it); the rest follows.
void ApplyModeOf(Panel& panel, bool following) {
  PanelState& s = panel.state;
  SelectLargeFont(panel);
  s.banks.limitQuiet = true;
  if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
  if (s.entry.toneActive) {
    SendCommand(panel, "CT00");
    s.radio.toneCode = "999";
    s.entry.toneActive = false;
  }

  const int mode = s.radio.radioMode;
  if (mode < kLsb || mode > kFmWide) return;  // no such mode: nothing to send
  if (mode == kLsb || mode == kUsb) s.radio.widthIndex = s.radio.ssbWidth;
  if (mode == kCw) s.radio.widthIndex = s.radio.cwWidth;
  const std::string modeCommand =
      s.radio.modeCommands[mode].empty() ? std::string(ModeCommand(mode)) : s.radio.modeCommands[mode].str();
  DrawModeName(panel, PanelModeRow(mode)->panelName);
  if (!s.cat.passThroughSeen && !following) SendCommand(panel, modeCommand);

  SendCommand(panel, mode == kCw && s.radio.widthIndex < 11 ? "NA01" : "NA00");
  DrawStatusLine(panel);

  if (mode == kFmNarrow || mode == kFmWide) {
    ReadSquelchLevel(panel);
    return;
  }
  if (s.banks.memoryRecallActive) return;
  if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount) return;
  const std::string stored = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).VfoADigits();
  if (!following && stored.size() == 9 && OnlyDigits(stored)) {
    s.radio.frequencyHz = IntFromText(stored);
    SendFrequencyA(panel);
  }
  if (mode < kAm) SendWidth(panel);
  // The record keeps the other program's mode too, though a relayed command
  // otherwise leaves the band records alone: coming back to the band brings
  // back the mode it was left in.
  const bool relayed = s.cat.passThroughSeen;
  if (following) s.cat.passThroughSeen = false;
  StoreBandMode(panel);
  s.cat.passThroughSeen = relayed;
}

// The mode after radioMode in the M key's cycle.
int32_t NextMode(const PanelState& s) {
  int32_t mode = s.radio.radioMode + 1;
  if (s.radio.fmWide && mode == 8) mode = kLsb;
  if (!s.radio.fmWide && mode >= kC4fm) mode = kLsb;
  if (mode == kFmNarrow && (s.radio.bandIndex < kBand10m || s.radio.frequencyHz < 27000000)) mode = kLsb;
  if (mode == kFmNarrow && s.radio.fmWide) mode = kFmWide;
  if (mode == kFmWide && !s.radio.fmWide) mode = kFmNarrow;
  if (mode < kLsb || mode > kFmWide) mode = kLsb;  // from a mode outside the set
  return mode;
}

}  // namespace

void StepMode(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.radioMode = NextMode(s);
  ApplyMode(panel);
  SpeakMode(panel);
}

void SwapFmWidth(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.radioMode == kFmNarrow) {
    s.radio.radioMode = kFmWide;
    s.radio.fmWide = true;
  } else if (s.radio.radioMode == kFmWide) {
    s.radio.radioMode = kFmNarrow;
    s.radio.fmWide = false;
  }
  ApplyMode(panel);
  SpeakMode(panel);
  s.entry.entryState = EntryState::kNone;
}

void ZeroIn(Panel& panel) {
  PlayPhrase(panel, "0");
  PlayPhrase(panel, "ok");
  if (panel.state.radio.radioMode != kCw) {
    SnapToWholeKhz(panel);
  } else {
    SendCommand(panel, "ZI0");
  }
}

void ApplyMode(Panel& panel) { ApplyModeOf(panel, false); }

void FollowMode(Panel& panel) { ApplyModeOf(panel, true); }

void SendFrequencyA(Panel& panel) {
  const int32_t hz = panel.state.radio.frequencyHz;
  // Below 10 Hz there is no frequency (an empty record); above nine digits
  // none the radio could take.
  if (hz < 10 || hz > kMaxNineDigitHz) return;
  SendFrequencyCommand(panel, hz);
}

void SnapToWholeKhz(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t r = s.radio.frequencyHz % 1000;
  int64_t hz = s.radio.frequencyHz - r;
  if (r == 0) {
    hz += s.radio.radioMode == kUsb ? 1000 : -1000;
  } else if (s.radio.radioMode == kUsb) {
    hz += 1000;
  }
  s.radio.frequencyHz = static_cast<int32_t>(std::clamp<int64_t>(hz, 0, kMaxNineDigitHz / 1000 * 1000));
  SendFrequencyCommand(panel, s.radio.frequencyHz);
}

}  // namespace kelvaro
