#include "controls/settings.h"

#include <algorithm>

#include "display/panel_display.h"
#include "link/cat.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

bool IsSideband(int32_t mode) { return mode == kLsb || mode == kUsb; }

}  // namespace

std::string PreampCommand(const PanelState& s) {
  const int setting = std::clamp<int32_t>(s.radio.preampSetting, 0, 2);
  if (s.radio.bandIndex == kBand2m) return setting == 0 ? "PA10" : "PA11";
  if (s.radio.bandIndex == kBand70cm) return setting == 0 ? "PA20" : "PA21";
  return "PA0" + Digits(setting);
}

void ApplyPreamp(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.preampSetting = std::clamp<int32_t>(s.radio.preampSetting, 0, 2);
  PlayPhrase(panel, "preamp");
  SendCommand(panel, PreampCommand(s));
  if (s.radio.preampSetting == 0) {
    PlayPhrase(panel, "off");
  } else {
    PlayPhrase(panel, Digits(s.radio.preampSetting));
    PlayPhrase(panel, "on");
  }
  DrawStatusLine(panel);
}

void ToggleAttenuator(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "at");
  if (s.radio.bandIndex > kBand6m) {
    PlayPhrase(panel, "na");
    return;
  }
  if (!s.radio.attenuatorOn) {
    PlayPhrase(panel, "on");
    s.radio.attenuatorOn = true;
    SendCommand(panel, "RA01");
  } else {
    s.radio.attenuatorOn = false;
    PlayPhrase(panel, "off");
    SendCommand(panel, "RA00");
  }
  DrawStatusLine(panel);
}

void ToggleNoiseBlanker(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "nb");
  if (!s.radio.blankerOn) {
    s.radio.blankerLevel = std::clamp<int32_t>(s.radio.blankerLevel, 1, 10);
    PlayPhrase(panel, "on");
    s.radio.blankerOn = true;
    s.entry.levelTarget = LevelTarget::kBlanker;
    SendCommand(panel, "NL0" + ZeroPad(s.radio.blankerLevel, 3));
  } else {
    PlayPhrase(panel, "off");
    s.radio.blankerOn = false;
    if (s.entry.levelTarget == LevelTarget::kBlanker) s.entry.levelTarget = LevelTarget::kNone;
    SendCommand(panel, "NL0000");
  }
}

void ToggleNoiseReduction(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "nr");
  std::string command;
  if (s.radio.reductionOn) {
    s.radio.reductionOn = false;
    command = "RL000";
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
  } else {
    s.entry.levelTarget = LevelTarget::kReduction;
    s.radio.reductionLevel = std::clamp<int32_t>(s.radio.reductionLevel, 1, 10);
    command = "RL0" + ZeroPad(s.radio.reductionLevel, 2);
    PlayPhrase(panel, "on");
    s.radio.reductionOn = true;
  }
  SendCommand(panel, command);
  DrawStatusLine(panel);
}

void ToggleProcessor(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "spc");
  if (!s.radio.processorOn) {
    PlayPhrase(panel, "on");
    s.entry.levelTarget = LevelTarget::kProcessor;
  } else {
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
  }
  SendCommand(panel, s.radio.processorOn ? "PR01" : "PR02");  // the radio's "2" is on, "1" off
  s.radio.processorOn = !s.radio.processorOn;
  if (s.radio.processorOn) ReadProcessorLevel(panel);
}

void ReadProcessorLevel(Panel& panel) {
  PanelState& s = panel.state;
  if (auto answer = Query(panel, "PL")) {
    std::string level = Mid(*answer, 3, 3);
    if (level.size() == 3 && OnlyDigits(level)) s.radio.processorLevel = std::min(IntFromText(level), 100);
  }
  DrawStatusLine(panel);
}

namespace {

// Break-in and VOX: the name, "on"/"off" as the switch goes, then "<code>1"
// or "<code>0", and the status line.
void ToggleSwitch(Panel& panel, std::string_view name, std::string_view code, bool& field) {
  PlayPhrase(panel, name);
  field = !field;
  PlayPhrase(panel, field ? "on" : "off");
  SendCommand(panel, std::string(code) + (field ? "1" : "0"));
  DrawStatusLine(panel);
}

}  // namespace

void ToggleBreakIn(Panel& panel) { ToggleSwitch(panel, "bkin", "BI", panel.state.radio.breakInOn); }

void ToggleVox(Panel& panel) { ToggleSwitch(panel, "vox", "VX", panel.state.radio.voxOn); }

void NextPreampSetting(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.preampSetting += 1;
  const int32_t past = s.radio.bandIndex >= kBand2m ? 2 : 3;
  if (s.radio.preampSetting >= past || s.radio.preampSetting < 0) s.radio.preampSetting = 0;
  ApplyPreamp(panel);
}

void ToggleNotch(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "notch");
  PlayPhrase(panel, s.radio.notchOn ? "off" : "on");
  const char* command = s.radio.notchOn ? "BC00" : "BC01";
  s.radio.notchOn = !s.radio.notchOn;
  SendCommand(panel, command);
}

void ToggleContour(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.radioMode == kCw) {
    PlayPhrase(panel, "na");
    return;
  }
  s.entry.levelTarget = LevelTarget::kContour;
  PlayPhrase(panel, "co");
  if (s.radio.contourOn) {
    s.radio.contourOn = false;
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
    SendCommand(panel, "CO000000");
  } else {
    s.radio.contourOn = true;
    PlayPhrase(panel, "on");
    s.entry.levelTarget = LevelTarget::kContour;
    SendCommand(panel, "CO000001");
  }
}

void ToggleProcessorInSideband(Panel& panel) {
  if (IsSideband(panel.state.radio.radioMode)) {
    ToggleProcessor(panel);
  } else {
    PlayPhrase(panel, "na");
  }
}

void ToggleBreakInOrVox(Panel& panel) {
  if (panel.state.radio.radioMode == kCw) {
    ToggleBreakIn(panel);
  } else {
    ToggleVox(panel);
  }
}

void ToggleMonitor(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "mon");
  if (s.radio.monitorOn) {
    s.radio.monitorOn = false;
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
    SendCommand(panel, "ML0000");
  } else {
    s.radio.monitorOn = true;
    const int32_t level = s.radio.monitorLevel >= 1 && s.radio.monitorLevel <= 100 ? s.radio.monitorLevel : 50;
    s.entry.levelTarget = LevelTarget::kMonitor;
    PlayPhrase(panel, "on");
    SendCommand(panel, "ML0" + ZeroPad(level, 3));
  }
}

namespace {

// The phrases of the tone code whenever it is not "999": a tone being typed
// is read back as typed so far ("ctcss" alone before its first digit).
void SpeakToneOfOptions(Panel& panel) {
  const std::string tone = panel.state.radio.toneCode.str();
  if (tone == "999") return;
  PlayPhrase(panel, !tone.empty() && tone[0] > '3' ? "dcs" : "ctcss");
  for (char c : tone) PlayPhrase(panel, std::string(1, c));
}

}  // namespace

void SpeakOptions(Panel& panel) {
  const PanelState& s = panel.state;
  auto on = [&panel](std::string_view name) {
    PlayPhrase(panel, name);
    PlayPhrase(panel, "on");
  };
  PlayPhrase(panel, "options");
  if (s.radio.preampSetting >= 1) {
    PlayPhrase(panel, "preamp");
    on(s.radio.preampSetting == 1 ? "1" : "2");
  }
  if (s.radio.attenuatorOn) on("at");
  if (s.radio.blankerOn) on("nb");
  if (s.radio.reductionOn) on("nr");
  if (s.radio.notchOn) on("notch");
  if (s.radio.contourOn) on("co");
  if (s.radio.processorOn && IsSideband(s.radio.radioMode)) on("spc");
  if (s.radio.breakInOn && s.radio.radioMode == kCw) on("bkin");
  if (s.radio.voxOn) on("vox");
  if (s.radio.monitorOn) on("mon");
  SpeakToneOfOptions(panel);
  PlayPhrase(panel, s.radio.antennaSelect == 1 ? "ant2" : "ant1");
  PlayPhrase(panel, "tuner");
  PlayPhrase(panel, "is");
  switch (s.config.tunerState) {
    case TunerUse::kOn: PlayPhrase(panel, "on"); break;
    case TunerUse::kOff: PlayPhrase(panel, "off"); break;
    case TunerUse::kBoth: PlayPhrase(panel, "both"); break;
    default: break;
  }
}

}  // namespace kelvaro
