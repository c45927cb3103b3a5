// The debug log "debug.dat": a trace of keys and radio traffic.
#pragma once

#include <string_view>

#include "state/panel.h"

namespace kelvaro {

// Creates "debug.dat" (replacing an earlier one) and writes its two header
// lines. Does nothing unless debugLog is 1; a file that cannot be created
// leaves logging silently off.
void OpenDebugLog(Panel& panel);
// Appends the text (cut to 254 characters) and CR LF; nothing when the log is
// not open.
void WriteLogLine(Panel& panel, std::string_view text);
// The log line of an accepted key-down ("*C/R", "*.", "*e (5)", "*F").
std::string KeyLogLine(int keyCode);
void CloseDebugLog(Panel& panel);

}  // namespace kelvaro
