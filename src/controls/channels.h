// Digit entry and the 100 memory channels.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Takes the digit key `digitKey` (48..57) and does what the entry state says:
// bank number, channel store or recall, a digit of a frequency, tone, menu
// number or value, or repeater offset, or a band at the band prompt. Any
// other key does nothing.
void EnterDigit(Panel& panel, int digitKey);

// U: recalls the next stored channel of the bank last recalled ("channel",
// then as the slot's digit in the go-to mode). Each slot is tried once: a
// bank with nothing stored speaks "invalid" and is left; with no bank
// selected, "ncs".
void RecallNextStoredChannel(Panel& panel);
// C: the next digit stores the panel's state in that channel ("sch").
void StartChannelSelect(Panel& panel);
// G: the next digit recalls that channel ("gch").
void StartChannelGoTo(Panel& panel);
// B in a channel mode: the next digit is a bank number ("bank").
void StartBankDigit(Panel& panel);
// Leaves the channel mode, and a bank digit still awaited.
void EndChannelMode(Panel& panel);
// A channel step is over: channelRecall ends, and unless keepBank the memory
// bank is left (memoryBank 99).
void EndChannelStep(Panel& panel, bool keepBank);

}  // namespace kelvaro
