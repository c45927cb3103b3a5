#include "app/identify.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/shutdown.h"
#include "controls/bands.h"
#include "controls/modes.h"
#include "controls/stepping.h"
#include "controls/tones.h"
#include "display/panel_display.h"
#include "link/cat.h"
#include "memory/memory_banks.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "state/debug_log.h"

namespace kelvaro {
namespace {

// The `count` characters from position p of the answer as a number, when they
// are all digits; a garbled answer counts as no answer.
bool DigitsAt(std::string_view reply, int p, int count, int32_t* value) {
  std::string digits = Mid(reply, p, count);
  if (static_cast<int>(digits.size()) != count || !OnlyDigits(digits)) return false;
  *value = IntFromText(digits);
  return true;
}

// The band's repeater shift as stored with its record, sent at start.
void RestoreRepeaterShift(Panel& panel, const BandRecord& record) {
  PanelState& s = panel.state;
  const int band = s.radio.bandIndex;
  if (band < kBand10m || band > kBand70cm) {
    // No repeater offsets exist outside 10 m to 70 cm: the shift is cleared.
    s.radio.repeaterOn = RepeaterState::kOffSilently;
    SendRepeaterShift(panel);
    return;
  }
  s.radio.repeaterOn = RepeaterState::kOn;
  const std::string sign(1, record.ShiftSign());
  const std::string offset = record.ShiftKhz();
  s.config.currentShiftSign[band] = sign;
  s.config.currentShiftKhz[band] = offset;
  SendCommand(panel, RepeaterOffsetCommand(band, offset));
  SendCommand(panel, sign == "+" ? "OS01" : "OS02");
}

}  // namespace

void SetUpRadio(Panel& panel) {
  PanelState& s = panel.state;
  // A radio left on a memory channel refuses every frequency set: back to
  // VFO mode before the first one.
  if (Query(panel, "VM0").value_or("") != "VM000;") SendCommand(panel, "VM000");
  SendCommand(panel, "EX0307040");
  // The head decides the power command's form and range: asked first. With
  // no answer the amplifier is assumed.
  s.cat.powerClass = 1;
  const int32_t configuredPower = s.config.powerSetting;
  if (const std::optional<std::string> answer = Query(panel, "PC")) ReadPowerAnswer(s, *answer);
  // Menu 030705 is the SPA-1's HF power cap (there is none on the field
  // head). Held at the top, so the radio gives what the panel says it set.
  if (s.cat.powerClass >= 1) SendCommand(panel, "EX030705100");
  // The radio takes commands one after another: the frequency below is set
  // once the band has changed, with no pause in between.
  SelectBand(panel);
  const BandRecord record = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]);
  SendCommand(panel, "F" + record.vfoA);

  s.radio.radioMode = IntFromText(std::string(1, record.mode));
  if (s.radio.radioMode == kFmWide) s.radio.fmWide = true;
  s.entry.savedMode = s.radio.radioMode;
  ApplyMode(panel);

  s.radio.toneCode = "999";
  s.entry.toneActive = false;
  s.entry.dcsTone = false;
  if (s.radio.radioMode >= kFmNarrow && s.radio.radioMode <= kFmWide) {
    if (record.flag == '5') {
      RestoreRepeaterShift(panel, record);
    } else {
      s.radio.repeaterOn = RepeaterState::kOffSilently;
      SendRepeaterShift(panel);
    }
    s.radio.toneCode = record.tone;
    if (s.radio.toneCode != "999") {
      s.entry.toneActive = true;
      if (IntFromText(s.radio.toneCode) > 499) s.entry.dcsTone = true;
      SendToneSquelch(panel);
    }
  }

  SendCommand(panel, "RA00");
  SendCommand(panel, "NL0000");
  s.radio.agcIndex = 2;
  SendCommand(panel, "CO000000");

  int32_t value = 0;
  std::string answer = Query(panel, "GT0").value_or("");
  if (DigitsAt(answer, 4, 1, &value) && value >= 0 && value <= 6) {
    // 0 off, 1 fast, 2 mid, 3 slow; 4 to 6 are the radio's kinds of auto.
    s.radio.agcIndex = std::min<int32_t>(value, 4);
  } else {
    s.radio.agcIndex = 2;
    SendCommand(panel, "GT02");
  }

  // On the HF bands and 6 m the configured power is set; on 2 m and 70 cm
  // the radio keeps its own, as it reported.
  if (s.radio.bandIndex < kBand2m) {
    s.config.powerSetting = configuredPower;
    SendPower(panel);
  }

  s.tick.tunerArmed = false;
  answer = Query(panel, "AG0").value_or("");
  if (DigitsAt(answer, 4, 3, &value)) {
    s.radio.afGain = value;
  } else {
    s.radio.afGain = 30;
    SendCommand(panel, "AG0030");
  }

  // "ML0" answers the monitor's level, not whether the monitor is on: the
  // panel counts it off until F9 switches it.
  Query(panel, "ML0");
  answer = Query(panel, "ML1").value_or("");
  if (DigitsAt(answer, 4, 3, &value)) s.radio.monitorLevel = value;

  // The radio's "2" is on, "1" off.
  answer = Query(panel, "PR0").value_or("");
  s.radio.processorOn = Left(answer, 3) == "PR0" && CharAt(answer, 4) == '2';

  Query(panel, "AC");  // the answer is not used
  if (s.cat.powerClass < 1) {
    SendCommand(panel, "AC000");
  } else {
    SendCommand(panel, s.config.tunerState == TunerUse::kOn || s.config.tunerState == TunerUse::kBoth ? "AC101" : "AC100");
  }

  answer = Query(panel, "VX").value_or("");
  if (DigitsAt(answer, 3, 1, &value)) s.radio.voxOn = value > 1 ? 0 : value;
  answer = Query(panel, "BI").value_or("");
  if (DigitsAt(answer, 3, 1, &value)) s.radio.breakInOn = value > 1 ? 0 : value;

  DrawStatusLine(panel);
  s.radio.preampSetting = 0;
  if (record.preamp == '1') s.radio.preampSetting = 1;
  if (record.preamp == '2') s.radio.preampSetting = 2;
}

int32_t AskIdentity(Panel& panel) {
  PanelState& s = panel.state;
  const std::string answer = Query(panel, "ID").value_or("");
  s.cat.radioId = IntFromText(Mid(answer, 3, 4));
  return s.cat.radioId;
}

void IdentifyRadio(Panel& panel) {
  PanelState& s = panel.state;
  if (AskIdentity(panel) != kFtx1Identity) {
    EndAfterRefusal(panel);
    return;
  }
  SetUpRadio(panel);
  // From here on, the port opening again means the radio came back.
  panel.link.portOpens = panel.ports.OpenCount(s.config.comPort);
  if (s.config.passThroughPort > 0) OpenPortSequence(panel, s.config.passThroughPort);
}

}  // namespace kelvaro
