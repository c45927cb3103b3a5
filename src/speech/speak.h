// Spoken reports built from phrases: numbers, frequencies, meters, modes and
// bands. None of these sends a command.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// The frequency in frequencyText, digit by digit, with its prefix ("repeater",
// "tx", "vfob"), "point" and "mhz"; "nc" when no radio has answered; silent
// while a memory channel is being stepped to.
void SpeakFrequency(Panel& panel);
// "bw" and the receive width of widthIndex in the current mode.
void SpeakWidth(Panel& panel);
// powerSetting and "watts".
void SpeakPower(Panel& panel);
// keyerSpeed and "wpm".
void SpeakKeyerSpeed(Panel& panel);
// The S-meter reading in S-units: "s", the unit, "plus" above S9.
void SpeakSMeter(Panel& panel);
// The standing-wave ratio of a raw SWR meter reading (0..255): the whole
// number, "point", the tenth and "21".
void SpeakSwrRatio(Panel& panel, int reading);
// meterPeak as a number, after "alc" at the first report of a mic-gain watch.
void SpeakMeterPeak(Panel& panel);
// The current mode's phrases; nothing while a channel is being stepped to.
void SpeakMode(Panel& panel);
// The current band in metres ("un" for general coverage).
void SpeakBand(Panel& panel);

}  // namespace kelvaro
