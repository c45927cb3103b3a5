#include "controls/modes.h"

#include <algorithm>

#include "controls/bands.h"
#include "controls/stepping.h"
#include "controls/tables.h"
#include "controls/tones.h"
#include "display/panel_display.h"
#include "link/cat.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

constexpr int kMaxNineDigitHz = 999999999;

void SendFrequencyCommand(Panel& panel, int32_t hz) {
  panel.state.cat.commandText = "FA" + ZeroPad(hz, 9);
  SendCommand(panel);
}

// FM: the squelch level the radio reports ("SQ0" + three digits).
void ReadSquelchLevel(Panel& panel) {
  PanelState& s = panel.state;
  const std::optional<std::string> answer = Query(panel, "SQ0");
  if (!answer) return;
  std::string level = Mid(*answer, 4, 3);
  if (level.size() == 3 && OnlyDigits(level)) s.radio.squelchLevel = std::min(IntFromText(level), 255);
}

// The mode's commands; with `restoreFrequency` the band's stored frequency
// is sent again afterwards (and the width and the record's mode digit).
void ApplyModeOf(Panel& panel, bool restoreFrequency) {
  PanelState& s = panel.state;
  SelectLargeFont(panel);
  s.banks.limitQuiet = true;
  if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
  if (s.entry.toneActive) {
    s.cat.commandText = "CT00";
    SendCommand(panel);
    s.radio.toneCode = "999";
    s.entry.toneActive = false;
  }

  const int mode = s.radio.radioMode;
  if (mode < kLsb || mode > kFmWide) return;  // no such mode: nothing to send
  if (mode == kLsb || mode == kUsb) s.radio.widthIndex = s.radio.ssbWidth;
  if (mode == kCw) s.radio.widthIndex = s.radio.cwWidth;
  s.cat.commandText = s.radio.modeCommands[mode].empty() ? kModeCommands[mode] : s.radio.modeCommands[mode].view();
  DrawModeName(panel, kModeNames[mode]);
  if (!s.cat.passThroughSeen) SendCommand(panel);

  s.cat.commandText = mode == kCw && s.radio.widthIndex < 11 ? "NA01" : "NA00";
  SendCommand(panel);
  DrawStatusLine(panel);

  if (mode == kFmNarrow || mode == kFmWide) {
    ReadSquelchLevel(panel);
    return;
  }
  if (s.banks.memoryRecallActive || !restoreFrequency) return;
  if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount) return;
  const std::string stored = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).VfoADigits();
  if (stored.size() == 9 && OnlyDigits(stored)) {
    s.radio.frequencyHz = IntFromText(stored);
    SendFrequencyA(panel);
  }
  if (mode < kAm) SendWidth(panel);
  StoreBandMode(panel);
}

}  // namespace

void ApplyMode(Panel& panel) { ApplyModeOf(panel, true); }

void FollowMode(Panel& panel) { ApplyModeOf(panel, false); }

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
