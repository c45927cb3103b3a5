// The main window's message handler.
#pragma once

#include "platform/window.h"
#include "state/panel.h"

namespace kelvaro {

// Handles one message of the main window: the close request ends the main
// loop, a key-down is accepted (one key at a time: a second key-down is
// ignored until the key-up of the first) and logged, a key-up re-arms key
// acceptance, input on the radio port is taken to whoever waits for it. After
// a tick, a key or input, the pass-through relay runs, so the other program's
// traffic moves at the radio's pace.
void HandleWindowMessage(Panel& panel, const WindowMessage& message);

}  // namespace kelvaro
