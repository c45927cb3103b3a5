// Up and down stepping of the quantity chosen by entryState, and the senders
// of single values.
#pragma once

#include "state/panel.h"

namespace kelvaro {

void StepUp(Panel& panel);
void StepDown(Panel& panel);
// "PC" + powerSetting as 3 digits.
void SendPower(Panel& panel);
// "RG0" + rfGain as 3 digits ("min" first at 0).
void SendRfGain(Panel& panel);
// "MG" + micGain as 3 digits.
void SendMicGain(Panel& panel);
// "KS0" + keyerSpeed as 2 digits.
void SendKeyerSpeed(Panel& panel);
// Clamps widthIndex for the mode and sends "SH0" + 2 digits.
void SendWidth(Panel& panel);

}  // namespace kelvaro
