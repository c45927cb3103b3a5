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

// F1: the next preamp setting, then ApplyPreamp. 2 m and up have one preamp
// stage (off, 1), HF and 6 m two (off, 1, 2).
void NextPreampSetting(Panel& panel);
// F5: the manual notch on ("BC01") or off ("BC00").
void ToggleNotch(Panel& panel);
// F6: contour on ("CO000001") or off ("CO000000"); on, it is the level L
// adjusts. "na" in CW, which has no contour.
void ToggleContour(Panel& panel);
// F7: ToggleProcessor in LSB and USB; "na" in the other modes.
void ToggleProcessorInSideband(Panel& panel);
// F8: ToggleBreakIn in CW, ToggleVox in the other modes.
void ToggleBreakInOrVox(Panel& panel);
// F9: the transmit monitor on or off. The radio has a monitor level, 0..100:
// off is level 0 ("ML0000"), on the level the operator set, 50 when none is
// known ("ML0050"). On, it is the level L adjusts.
void ToggleMonitor(Panel& panel);
// O: "options", then every setting that is on, each name followed by "on";
// the tone in use (digit by digit); the antenna; and how T uses the tuner.
void SpeakOptions(Panel& panel);

// The preamp command for preampSetting on the current band: "PA00".."PA02" on
// HF, 6 m and general coverage, "PA10"/"PA11" on 2 m, "PA20"/"PA21" on 70 cm.
std::string PreampCommand(const PanelState& s);

}  // namespace kelvaro
