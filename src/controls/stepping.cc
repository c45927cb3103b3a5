#include "controls/stepping.h"

#include <algorithm>
#include <optional>
#include <string>

#include "controls/bands.h"
#include "controls/tones.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

constexpr int32_t kMaxNineDigitHz = 999999999;

// Moves frequencyHz by `delta`, held within the nine digits a frequency
// command carries (never below 0).
void ShiftFrequency(PanelState& s, int64_t delta) {
  s.radio.frequencyHz =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t{s.radio.frequencyHz} + delta, 0, kMaxNineDigitHz));
}

bool IsFm(int32_t mode) { return mode == kFmNarrow || mode == kFmWide; }

// The channel raster of the VHF/UHF bands in AM and FM: 12.5 kHz.
bool OnVhfChannelBand(const PanelState& s) { return s.radio.bandIndex >= kBand2m && s.radio.bandIndex != kBandGeneral; }

void StepFrequency(PanelState& s, int direction) {
  const int32_t step = s.radio.radioMode == kCw ? 500 : 1000;
  const int64_t hz = static_cast<int64_t>(s.radio.frequencyHz) + direction * step;
  s.radio.frequencyHz = static_cast<int32_t>(std::clamp<int64_t>(hz, 0, 999999999));
}

void StepBand(Panel& panel, int direction) {
  PanelState& s = panel.state;
  const int kept = std::clamp<int32_t>(s.radio.bandIndex, 0, kBandGeneral + 1);
  StoreBandRecord(panel);
  s.radio.bandIndex = kept + direction;
  if (direction > 0) {
    if (s.radio.bandIndex == kBandGeneral) {
      PlayPhrase(panel, "band");
      PlayPhrase(panel, "un");
    }
    s.entry.toneActive = false;
    s.radio.toneCode = "999";
    // The rotation covers bands 1..13; from general coverage too it goes on
    // to 160 m.
    if (s.radio.bandIndex >= kBandGeneral) s.radio.bandIndex = kBand160m;
  } else if (s.radio.bandIndex <= 0) {
    s.radio.bandIndex = kBand70cm;
  }
  s.banks.bandQuiet = BandQuiet::kQuiet;
  SelectBand(panel);
  RecallBand(panel);
}

void StepWidth(Panel& panel, int direction) {
  PanelState& s = panel.state;
  s.banks.limitQuiet = false;
  s.radio.widthIndex = std::clamp<int32_t>(s.radio.widthIndex, 0, 99);
  const bool sideband = s.radio.radioMode < kCw;
  const bool cw = s.radio.radioMode == kCw;
  if (direction > 0) {
    if (s.radio.widthIndex == 21 && sideband) s.radio.widthIndex = 20;
    if (s.radio.widthIndex > 12 && cw) s.radio.widthIndex = 12;
    s.radio.widthIndex += 1;
    if (cw && s.radio.widthIndex == 11) SendCommand(panel, "NA00");
  } else {
    if (s.radio.widthIndex == 9 && sideband) s.radio.widthIndex = 10;
    if (s.radio.widthIndex < 1 && cw) s.radio.widthIndex = 0;
    s.radio.widthIndex -= 1;
    if (cw && s.radio.widthIndex == 10) SendCommand(panel, "NA01");
  }
  // AM and FM send their width as it stands; the step keeps it within the
  // widths the radio has, so it always fits the command.
  if (!sideband && !cw) s.radio.widthIndex = std::clamp<int32_t>(s.radio.widthIndex, 1, 21);
  SendWidth(panel);
}

void StepPower(Panel& panel, int direction) {
  PanelState& s = panel.state;
  int32_t& p = s.config.powerSetting;
  p = std::clamp<int32_t>(p, 0, 999);
  if (direction > 0) {
    p += p < 10 ? 1 : 10;
    if (s.cat.powerClass < 0 && p > 5) {
      p = 6;
      PlayPhrase(panel, "max");
    }
    if (s.cat.powerClass == 0 && p > 9) {
      p = 10;
      PlayPhrase(panel, "max");
    }
    if (s.cat.powerClass == 1 && s.radio.bandIndex > kBand6m && p > 49) {
      p = 50;
      PlayPhrase(panel, "max");
    }
    if (s.cat.powerClass == 1 && p > 99) {
      p = 100;
      PlayPhrase(panel, "max");
    }
  } else {
    p -= p < 11 ? 1 : 10;
    if (s.cat.powerClass < 1) {
      if (p < 2) PlayPhrase(panel, "min");
      if (p < 1) p = 1;
    } else {
      if (p < 6) PlayPhrase(panel, "min");
      if (p < 5) p = 5;
    }
  }
  SendPower(panel);
}

void StepRfGain(Panel& panel, int direction) {
  PanelState& s = panel.state;
  s.radio.rfGain = std::clamp<int32_t>(s.radio.rfGain, 0, 255);
  if (direction > 0) {
    s.radio.rfGain += 20;
    if (s.radio.rfGain > 240) s.radio.rfGain = 255;
    SendRfGain(panel);
    if (s.radio.rfGain == 255) PlayPhrase(panel, "max");
  } else {
    s.radio.rfGain -= 20;
    if (s.radio.rfGain < 20) s.radio.rfGain = 0;
    SendRfGain(panel);  // speaks "min" at 0
  }
}

void StepAfGain(Panel& panel, int direction) {
  PanelState& s = panel.state;
  s.radio.afGain = std::clamp<int32_t>(std::clamp<int32_t>(s.radio.afGain, 0, 250) + direction * 10, 0, 250);
  SendCommand(panel, "AG0" + ZeroPad(s.radio.afGain, 3));
  if (direction > 0 && s.radio.afGain == 250) PlayPhrase(panel, "max");
}

// One level step of 1 up to 10 (noise blanker and reduction), "max" at 10 and
// "min" at 1, before the command.
void StepTenLevel(Panel& panel, int32_t& level, int direction) {
  level = std::clamp<int32_t>(level, 0, 11) + direction;
  if (level > 9) {
    level = 10;
    PlayPhrase(panel, "max");
  }
  if (level < 2) {
    level = 1;
    PlayPhrase(panel, "min");
  }
}

void StepLevel(Panel& panel, int direction) {
  PanelState& s = panel.state;
  switch (s.entry.levelTarget) {
    case LevelTarget::kMonitor:
      s.radio.monitorLevel = std::clamp<int32_t>(s.radio.monitorLevel, 0, 105) + direction * 5;
      if (direction > 0 && s.radio.monitorLevel >= 100) {
        s.radio.monitorLevel = 100;
        PlayPhrase(panel, "max");
      }
      if (s.radio.monitorLevel < 5) {
        s.radio.monitorLevel = 1;
        PlayPhrase(panel, "min");
      }
      s.radio.monitorLevel = std::min<int32_t>(s.radio.monitorLevel, 100);
      SendCommand(panel, "ML1" + ZeroPad(s.radio.monitorLevel, 3));
      break;
    case LevelTarget::kBlanker:
      StepTenLevel(panel, s.radio.blankerLevel, direction);
      SendCommand(panel, "NL0" + ZeroPad(s.radio.blankerLevel, 3));
      break;
    case LevelTarget::kReduction:
      StepTenLevel(panel, s.radio.reductionLevel, direction);
      SendCommand(panel, "RL0" + ZeroPad(s.radio.reductionLevel, 2));
      break;
    case LevelTarget::kContour:
      s.radio.contourHz = std::clamp<int32_t>(s.radio.contourHz, 0, 3300) + direction * 100;
      if (s.radio.contourHz > 3200) s.radio.contourHz = 3200;
      if (s.radio.contourHz < 100) s.radio.contourHz = 10;
      SendCommand(panel, "CO01" + ZeroPad(s.radio.contourHz, 4));
      if (direction > 0 && s.radio.contourHz == 3200) PlayPhrase(panel, "max");
      if (direction < 0 && s.radio.contourHz == 10) PlayPhrase(panel, "min");
      break;
    case LevelTarget::kProcessor:
      s.radio.processorLevel = std::clamp<int32_t>(s.radio.processorLevel, 0, 110) + direction * 10;
      if (s.radio.processorLevel >= 100) {
        s.radio.processorLevel = 100;
        if (direction > 0) PlayPhrase(panel, "max");
      }
      if (s.radio.processorLevel < 1) {
        s.radio.processorLevel = 0;
        PlayPhrase(panel, "min");
      }
      SendCommand(panel, "PL" + ZeroPad(s.radio.processorLevel, 3));
      break;
    default:
      break;
  }
}

void StepKeyer(Panel& panel, int direction) {
  PanelState& s = panel.state;
  s.radio.keyerSpeed = std::clamp<int32_t>(std::clamp<int32_t>(s.radio.keyerSpeed, 4, 60) + direction, 4, 60);
  if (s.radio.keyerSpeed == 60) PlayPhrase(panel, "max");
  if (s.radio.keyerSpeed == 4) PlayPhrase(panel, "min");
  SendKeyerSpeed(panel);
}

void StepMicGain(Panel& panel, int direction) {
  PanelState& s = panel.state;
  s.radio.micGain = std::clamp<int32_t>(s.radio.micGain, 0, 101) + direction;
  if (s.radio.micGain > 100) {
    s.radio.micGain = 100;
    PlayPhrase(panel, "max");
  }
  if (s.radio.micGain < 0) {
    s.radio.micGain = 0;
    PlayPhrase(panel, "min");
  }
  s.tick.meterPeak = 0;
  SendMicGain(panel);
}

void Step(Panel& panel, int direction) {
  switch (panel.state.entry.entryState) {
    case EntryState::kNone: StepFrequency(panel.state, direction); break;
    case EntryState::kBandPrompt: StepBand(panel, direction); break;
    case EntryState::kWidth: StepWidth(panel, direction); break;
    case EntryState::kPower: StepPower(panel, direction); break;
    case EntryState::kRfGain: StepRfGain(panel, direction); break;
    case EntryState::kAfGain: StepAfGain(panel, direction); break;
    case EntryState::kLevel: StepLevel(panel, direction); break;
    case EntryState::kKeyerSpeed: StepKeyer(panel, direction); break;
    case EntryState::kMicGain: StepMicGain(panel, direction); break;
    default: break;  // the entries own their keys
  }
}

}  // namespace

void StepUp(Panel& panel) { Step(panel, +1); }
void StepDown(Panel& panel) { Step(panel, -1); }

void StartWidthEntry(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.radioMode == kAm || s.radio.radioMode == kFmNarrow || s.radio.radioMode == kFmWide) return;
  s.entry.entryState = EntryState::kWidth;
  SpeakWidth(panel);
}

void StartPowerEntry(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kPower) {
    if (const std::optional<std::string> answer = Query(panel, "PC")) ReadPowerAnswer(s, *answer);
  }
  PlayPhrase(panel, "Power");
  s.entry.entryState = EntryState::kPower;
  SpeakPower(panel);
}

void StartRfGainEntry(Panel& panel) {
  PlayPhrase(panel, "rf");
  panel.state.entry.entryState = EntryState::kRfGain;
}

void StartAfGainEntry(Panel& panel) {
  panel.state.entry.entryState = EntryState::kAfGain;
  PlayPhrase(panel, "af");
}

void StartLevelEntry(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.levelTarget != LevelTarget::kNone) s.entry.entryState = EntryState::kLevel;
  switch (s.entry.levelTarget) {
    case LevelTarget::kNone: break;
    case LevelTarget::kMonitor: PlayPhrase(panel, "mon"); break;
    case LevelTarget::kBlanker: PlayPhrase(panel, "nb"); break;
    case LevelTarget::kReduction: PlayPhrase(panel, "nr"); break;
    case LevelTarget::kContour: PlayPhrase(panel, "co"); break;
    case LevelTarget::kProcessor: PlayPhrase(panel, "spc"); break;
  }
  PlayPhrase(panel, "lev");
}

void SquelchUp(Panel& panel) {
  PanelState& s = panel.state;
  int32_t level = std::clamp<int32_t>(s.radio.squelchLevel, 0, 255);
  level += level >= 20 ? 10 : 1;
  if (level >= 256) {
    level = 255;
    PlayPhrase(panel, "max");
  }
  s.radio.squelchLevel = level;
  SendCommand(panel, "SQ0" + ZeroPad(level, 3));
}

void SquelchDown(Panel& panel) {
  PanelState& s = panel.state;
  int32_t level = std::clamp<int32_t>(s.radio.squelchLevel, 0, 255);
  if (level == 245) level = 240;
  level -= level >= 30 ? 10 : 1;
  if (level < 1) {
    level = 0;
    PlayPhrase(panel, "0");
  }
  s.radio.squelchLevel = level;
  SendCommand(panel, "SQ0" + ZeroPad(level, 3));
}

void SendClosingFrequency(Panel& panel, FrequencyKey key) {
  PanelState& s = panel.state;
  switch (key) {
    case FrequencyKey::kMegahertzUp:
      ShiftFrequency(s, 1000000);
      if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      break;
    case FrequencyKey::kMegahertzDown:
      ShiftFrequency(s, -1000000);
      if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      break;
    case FrequencyKey::kPageUp:
      if (s.radio.radioMode >= kAm && OnVhfChannelBand(s)) {
        ShiftFrequency(s, 12500);
        if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      } else {
        ShiftFrequency(s, 10000);
      }
      break;
    case FrequencyKey::kPageDown:
      if (s.radio.radioMode == kFmNarrow && OnVhfChannelBand(s)) {
        ShiftFrequency(s, -12500);
        if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      } else {
        ShiftFrequency(s, -10000);
      }
      break;
    case FrequencyKey::kRight:
      if (IsFm(s.radio.radioMode)) {
        SquelchUp(panel);
        return;
      }
      ShiftFrequency(s, s.radio.radioMode == kCw ? 10 : 100);
      break;
    case FrequencyKey::kLeft:
      if (IsFm(s.radio.radioMode)) {
        SquelchDown(panel);
        return;
      }
      ShiftFrequency(s, s.radio.radioMode == kCw ? -10 : -100);
      break;
    case FrequencyKey::kOther:
      break;
  }
  ShiftFrequency(s, 0);  // held to nine digits and no sign, whatever set it
  SendCommand(panel, "FA" + ZeroPad(s.radio.frequencyHz, 9));
}

std::string PowerCommand(const PanelState& s, int watts) {
  return std::string(s.cat.powerClass >= 1 ? "PC2" : "PC1") + ZeroPad(watts, 3);
}

void ReadPowerAnswer(PanelState& s, std::string_view answer) {
  if (Left(answer, 2) != "PC" || answer.size() < 7 || answer[6] != ';') return;
  const char head = answer[2];
  const std::string watts = Mid(answer, 4, 3);
  if (head != '1' && head != '2') return;
  if (watts == "0.5" && head == '1') {
    s.config.powerSetting = 1;
  } else if (OnlyDigits(watts)) {
    s.config.powerSetting = IntFromText(watts);
  } else {
    return;
  }
  s.cat.powerClass = head == '2' ? 1 : 0;
}

void SendPower(Panel& panel) {
  PanelState& s = panel.state;
  // The field head takes 1..10 W, the amplifier 5..100 W; the panel's value
  // follows what is sent.
  const bool amplifier = s.cat.powerClass >= 1;
  s.config.powerSetting = std::clamp<int32_t>(s.config.powerSetting, amplifier ? 5 : 1, amplifier ? 100 : 10);
  SendCommand(panel, PowerCommand(s, s.config.powerSetting));
}

void SendRfGain(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.rfGain = std::clamp<int32_t>(s.radio.rfGain, 0, 255);
  if (s.radio.rfGain == 0) PlayPhrase(panel, "min");
  SendCommand(panel, "RG0" + ZeroPad(s.radio.rfGain, 3));
}

void SendMicGain(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.micGain = std::clamp<int32_t>(s.radio.micGain, 0, 100);
  SendCommand(panel, "MG" + ZeroPad(s.radio.micGain, 3));
}

void SendKeyerSpeed(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.keyerSpeed = std::clamp<int32_t>(s.radio.keyerSpeed, 4, 60);
  SendCommand(panel, "KS0" + ZeroPad(s.radio.keyerSpeed, 2));
}

void SendWidth(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.radioMode < kCw) {
    s.radio.widthIndex = std::clamp<int32_t>(s.radio.widthIndex, 9, 21);
    s.radio.ssbWidth = s.radio.widthIndex;
    if (s.radio.widthIndex == 21 && !s.banks.limitQuiet) PlayPhrase(panel, "max");
    if (s.radio.widthIndex == 9 && !s.banks.limitQuiet) PlayPhrase(panel, "min");
  } else if (s.radio.radioMode == kCw) {
    s.radio.widthIndex = std::clamp<int32_t>(s.radio.widthIndex, 1, 12);
    s.radio.cwWidth = s.radio.widthIndex;
    if (s.radio.widthIndex > 11 && !s.banks.limitQuiet) PlayPhrase(panel, "max");
  }
  if (s.radio.widthIndex == 1 && !s.banks.limitQuiet) PlayPhrase(panel, "min");
  // AM and FM send the width as it stands; two digits is the command's width.
  SendCommand(panel, "SH00" + ZeroPad(std::clamp<int32_t>(s.radio.widthIndex, 0, 99), 2));
  s.banks.limitQuiet = false;
}

}  // namespace kelvaro
