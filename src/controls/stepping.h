// Up and down stepping of the quantity chosen by entryState, and the senders
// of single values.
#pragma once

#include <string>
#include <string_view>

#include "state/panel.h"

namespace kelvaro {

void StepUp(Panel& panel);
void StepDown(Panel& panel);
// The radio's power command for `watts`: "PC", the head digit (1 the field
// head, 2 the SPA-1 amplifier, as powerClass says) and 3 digits.
std::string PowerCommand(const PanelState& s, int watts);
// Clamps powerSetting to what the head takes (1..10 W on the field head,
// 5..100 W with the amplifier) and sends it with PowerCommand.
void SendPower(Panel& panel);
// Takes the radio's answer to "PC;" ("PC2050;"): the head digit sets
// powerClass (1 with the amplifier, 0 on the field head), the watts after it
// powerSetting (the field head's half watt, "0.5", counts as 1, the least the
// panel steps to). A garbled answer changes nothing.
void ReadPowerAnswer(PanelState& s, std::string_view answer);
// "RG0" + rfGain as 3 digits ("min" first at 0).
void SendRfGain(Panel& panel);
// "MG" + micGain as 3 digits.
void SendMicGain(Panel& panel);
// "KS0" + keyerSpeed as 2 digits.
void SendKeyerSpeed(Panel& panel);
// Clamps widthIndex for the mode and sends "SH00" + 2 digits (main VFO, a
// "0", the width index).
void SendWidth(Panel& panel);

}  // namespace kelvaro
