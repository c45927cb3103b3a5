// Up and down stepping of the quantity chosen by entryState, and the senders
// of single values.
#pragma once

#include <string>
#include <string_view>

#include "state/panel.h"

namespace kelvaro {

void StepUp(Panel& panel);
void StepDown(Panel& panel);

// The keys that choose what Up and Down adjust.
// W: the receive width, spoken; nothing in AM and FM, which have one width.
void StartWidthEntry(Panel& panel);
// P: the transmit power. Reads it from the radio ("PC") unless a power entry
// is already open, then speaks it.
void StartPowerEntry(Panel& panel);
// R: the RF gain ("rf").
void StartRfGainEntry(Panel& panel);
// A: the AF gain ("af").
void StartAfGainEntry(Panel& panel);
// L: the level chosen by levelTarget (the last of monitor, noise blanker,
// noise reduction, contour and processor switched on), its name spoken, then
// "lev"; with no level chosen only "lev" and nothing changes.
void StartLevelEntry(Panel& panel);

// The FM squelch one step up (10 from a level of 20, else 1; 255 at most,
// "max") or down (10 from a level of 30, else 1; 0 at least, "0"; 245 steps
// to 230 as 240 does), sent as "SQ0" + 3 digits.
void SquelchUp(Panel& panel);
void SquelchDown(Panel& panel);

// The keys that move the frequency at the end of a key's handling.
enum class FrequencyKey { kOther, kMegahertzUp, kMegahertzDown, kPageUp, kPageDown, kRight, kLeft };
// The end of a key's handling with no entry pending (or in the width entry):
// moves frequencyHz as `key` says, held within nine digits, and sends it
// ("FA" + 9 digits), also for keys that changed nothing. "+" and "-" move a
// megahertz; Page Up and Down 10 kHz, or the 12.5 kHz channel on 2 m and up
// (Page Up in AM, FM and C4FM, Page Down in FM narrow only);
// Right and Left 100 Hz, 10 Hz in CW. A megahertz or channel step ends
// repeater operation. In FM, Right and Left step the squelch instead and the
// frequency is not sent.
void SendClosingFrequency(Panel& panel, FrequencyKey key);
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
