// Turning the radio's frequency answers into panel state.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Works on replyText, which begins with "FA" or "FB". The first call after
// start-up announces the connection (frequency, mode, preamp, "connected").
// Later calls take only an answer of exactly the form "FA"/"FB" + 9 digits +
// ";": they update frequencyHz, frequencyText, the VFO texts, the panel and
// the band record, count down a pending quit, and make the announcement that
// a channel recall asked for. Any other answer changes nothing.
void InterpretReply(Panel& panel);

// True when `text` begins with an answer of the accepted form.
bool IsFrequencyAnswer(std::string_view text);

}  // namespace kelvaro
