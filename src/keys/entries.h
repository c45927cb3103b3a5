// The multi-key entries and the keys with a sequence of their own: frequency,
// tone and menu entry; the X prefix, repeater offsets and the frequency
// readout; transmit, tune, tuner mode, mic gain and keyer speed.
//
// The key rules call these in their place in the chain. Where a step may let
// the key go on to later rules, it returns true for "continue" and false for
// "stop"; the others always stop (or always continue) as their comment says.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// --- Frequency, tone and menu entry ---
// E: opens the frequency entry (the key then goes on through the rules).
void StartFrequencyEntry(Panel& panel);
// "." or the keypad point: the point of the frequency entry (stop).
void FrequencyEntryPoint(Panel& panel);
// Enter while a frequency entry number exists: checks and sends it (stop).
void SendTypedFrequency(Panel& panel);
// I: tone off, or the start of a tone entry; "wrong" "mode" outside FM (stop).
void ToggleTone(Panel& panel);
// Enter while a tone is being typed: checks and sends it (stop).
void SendTypedTone(Panel& panel);
// Clears a tone flag left standing without a tone (continue).
void ClearToneFlag(Panel& panel);
// D: switches between FM and C4FM, keeping the tone (stop).
void SwitchDigitalFm(Panel& panel);
// N: opens the menu entry (stop).
void StartMenuEntry(Panel& panel);
// Enter after the menu number (stop).
void EndMenuNumber(Panel& panel);
// Enter after the menu value: writes it, or reads and speaks the setting (stop).
void SendMenuValue(Panel& panel);

// --- X prefix, repeater offset and frequency readout ---
// X: opens or closes the extended-command prefix (stop).
void ToggleExtendedPrefix(Panel& panel);
// Any key that means nothing after X: the prefix closes silently (stop).
void CloseExtendedPrefix(Panel& panel);
// C after X: antenna 1 / 2 (stop).
void SwitchAntenna(Panel& panel);
// The key after an antenna switch, but S: the prefix closes and the key goes
// on with its ordinary meaning (continue).
void CloseAntennaPrefix(Panel& panel);
// S after X: swaps VFO A and B (stop).
void SwapVfos(Panel& panel);
// A after X: steps the AGC (stop).
void StepAgc(Panel& panel);
// O after X: starts the repeater offset entry on bands 10 and above (stop).
void StartOffsetEntry(Panel& panel);
// "+" or "-" in the offset entry (stop).
void OffsetSign(Panel& panel);
// Enter after the offset digits: stores the band's standard offset; false
// (stop) when the entry is invalid, true (continue) otherwise.
bool StoreTypedOffset(Panel& panel);
// Enter before a sign: reads out the band's standard offset; false (stop) in
// repeater operation, true (continue) otherwise.
bool ReadStandardOffset(Panel& panel);
// F: speaks the frequency (or, after X, the transmit frequency or VFO A) and
// the mode (stop).
void FrequencyReadout(Panel& panel);

// --- Transmit, tune, tuner mode, mic gain and keyer speed ---
// Q: "quit". Before the radio answered the program ends at once; after, the
// transmitter goes off ("TX0") and the reply handling ends the program once
// the radio has answered (stop).
void QuitPanel(Panel& panel);
// Space: transmit on/off (stop).
void ToggleTransmit(Panel& panel);
// T: tune on/off: tuner run, carrier, or both by tunerState (stop).
void ToggleTune(Panel& panel);
// F12: steps how T uses the antenna tuner (stop).
void CycleTunerMode(Panel& panel);
// F11: starts the mic-gain watch (stop).
void StartMicGainWatch(Panel& panel);
// Any key but Up and Down while the watch runs: ends it with the final gain.
void EndMicGainWatch(Panel& panel);
// K: enters the keyer speed entry (true: continue) or leaves it (false: stop).
bool ToggleKeyerEntry(Panel& panel);
// Any key but K, Up and Down in the keyer entry: leaves it silently.
void LeaveKeyerEntry(Panel& panel);

}  // namespace kelvaro
