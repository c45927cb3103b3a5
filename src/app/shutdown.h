// The one way the program ends: after the main loop, and after the radio
// refused its identity at start.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Stops the timer, saves the band records and memory channels (and the
// memory report), closes the window, sends "PS0" when the configuration asks
// for it and gives the radio time to take it, closes the radio port and the
// debug log. The window steps are skipped when the panel has no window.
void ShutDown(Panel& panel);

// The end after a refused identity: "rnftx.wav", then ShutDown; the process
// is marked as ended.
void EndAfterRefusal(Panel& panel);

}  // namespace kelvaro
