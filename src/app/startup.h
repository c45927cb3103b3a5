// The program's main sequence: start-up, the main loop and shutdown.
#pragma once

#include <functional>

#include "platform/window.h"
#include "state/panel.h"

namespace kelvaro {

class LoopService;

// Called once the configuration has been read, before any port is opened
// (the simulated radio is started there).
using AfterConfiguration = std::function<void(Panel&)>;

// Prints the fixed texts, creates the debug log, gives every field its start
// value, fills and loads the band records and memory channels, opens the
// radio port and selects VFO A.
void InitialisePanel(Panel& panel);

// Runs the whole program on the given window: announcement, configuration
// ("cfgnf" and the end when it is missing), InitialisePanel, the radio's
// identity check, the 50 ms timer and the message loop, then the shutdown
// (timer, save, window, "PS0" when configured, port, debug log).
// Returns the process exit code.
// `service`, when given, is waited on and served in the loop as well.
int RunProgram(Panel& panel, Window& window, const AfterConfiguration& afterConfiguration = {},
               LoopService* service = nullptr);

}  // namespace kelvaro
