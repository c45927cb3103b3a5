// Receiver and transmitter setting toggles.
#pragma once

#include <string>

#include "state/panel.h"

namespace kelvaro {

void ApplyPreamp(Panel& panel);
void ToggleAttenuator(Panel& panel);
void ToggleNoiseBlanker(Panel& panel);
void ToggleNoiseReduction(Panel& panel);
void ToggleProcessor(Panel& panel);
void ReadProcessorLevel(Panel& panel);
void ToggleBreakIn(Panel& panel);
void ToggleVox(Panel& panel);

// The preamp command for preampSetting on the current band: "PA00".."PA02" on
// HF, 6 m and general coverage, "PA10"/"PA11" on 2 m, "PA20"/"PA21" on 70 cm.
std::string PreampCommand(const PanelState& s);

}  // namespace kelvaro
