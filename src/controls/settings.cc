#include "controls/settings.h"

#include <algorithm>

#include "display/panel_display.h"
#include "link/cat.h"
#include "speech/phrase.h"

namespace kelvaro {

std::string PreampCommand(const PanelState& s) {
  const int setting = std::clamp<int32_t>(s.preampSetting, 0, 2);
  if (s.bandIndex == kBand2m) return setting == 0 ? "PA10" : "PA11";
  if (s.bandIndex == kBand70cm) return setting == 0 ? "PA20" : "PA21";
  return "PA0" + Digits(setting);
}

void ApplyPreamp(Panel& panel) {
  PanelState& s = panel.state;
  s.preampSetting = std::clamp<int32_t>(s.preampSetting, 0, 2);
  PlayPhrase(panel, "preamp");
  s.commandText = PreampCommand(s);
  SendCommand(panel);
  if (s.preampSetting == 0) {
    PlayPhrase(panel, "off");
  } else {
    PlayPhrase(panel, Digits(s.preampSetting));
    PlayPhrase(panel, "on");
  }
  DrawStatusLine(panel);
}

void ToggleAttenuator(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "at");
  if (s.bandIndex > kBand6m) {
    PlayPhrase(panel, "na");
    return;
  }
  if (!s.attenuatorOn) {
    s.commandText = "RA01";
    PlayPhrase(panel, "on");
    s.attenuatorOn = true;
  } else {
    s.commandText = "RA00";
    s.attenuatorOn = false;
    PlayPhrase(panel, "off");
  }
  SendCommand(panel);
  DrawStatusLine(panel);
}

void ToggleNoiseBlanker(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "nb");
  if (!s.blankerOn) {
    s.blankerLevel = std::clamp<int32_t>(s.blankerLevel, 1, 10);
    s.commandText = "NL0" + ZeroPad(s.blankerLevel, 3);
    PlayPhrase(panel, "on");
    s.blankerOn = true;
    s.levelTarget = LevelTarget::kBlanker;
  } else {
    s.commandText = "NL0000";
    PlayPhrase(panel, "off");
    s.blankerOn = false;
    if (s.levelTarget == LevelTarget::kBlanker) s.levelTarget = LevelTarget::kNone;
  }
  SendCommand(panel);
}

void ToggleNoiseReduction(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "nr");
  if (s.reductionOn) {
    s.reductionOn = false;
    s.commandText = "RL000";
    PlayPhrase(panel, "off");
    s.levelTarget = LevelTarget::kNone;
  } else {
    s.levelTarget = LevelTarget::kReduction;
    s.reductionLevel = std::clamp<int32_t>(s.reductionLevel, 1, 10);
    s.commandText = "RL0" + ZeroPad(s.reductionLevel, 2);
    PlayPhrase(panel, "on");
    s.reductionOn = true;
  }
  SendCommand(panel);
  DrawStatusLine(panel);
}

void ToggleProcessor(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "spc");
  if (!s.processorOn) {
    PlayPhrase(panel, "on");
    s.commandText = "PR01";
    s.levelTarget = LevelTarget::kProcessor;
  } else {
    PlayPhrase(panel, "off");
    s.commandText = "PR00";
    s.levelTarget = LevelTarget::kNone;
  }
  SendCommand(panel);
  s.processorOn = !s.processorOn;
  if (s.processorOn) ReadProcessorLevel(panel);
}

void ReadProcessorLevel(Panel& panel) {
  PanelState& s = panel.state;
  if (auto answer = Query(panel, "PL")) {
    std::string level = Mid(*answer, 3, 3);
    if (level.size() == 3 && OnlyDigits(level)) s.processorLevel = std::min(IntFromText(level), 100);
  }
  DrawStatusLine(panel);
}

namespace {

// Break-in and VOX: the name, "on"/"off" as the switch goes, then "<code>1"
// or "<code>0", and the status line.
void ToggleSwitch(Panel& panel, std::string_view name, std::string_view code, bool& field) {
  PanelState& s = panel.state;
  PlayPhrase(panel, name);
  field = !field;
  s.commandText = std::string(code) + (field ? "1" : "0");
  PlayPhrase(panel, field ? "on" : "off");
  SendCommand(panel);
  DrawStatusLine(panel);
}

}  // namespace

void ToggleBreakIn(Panel& panel) { ToggleSwitch(panel, "bkin", "BI", panel.state.breakInOn); }

void ToggleVox(Panel& panel) { ToggleSwitch(panel, "vox", "VX", panel.state.voxOn); }

}  // namespace kelvaro
