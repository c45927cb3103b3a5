// The operator's settings file "kelvaro.cfg": read once at start-up, never
// written.
//
// Every line has a fixed place and a label of fixed length that is ignored;
// each value is cut from fixed character positions, partly depending on the
// line's length (see config.cc).
#pragma once

#include <istream>
#include <string>

#include "state/panel.h"

namespace kelvaro {

// Reads "kelvaro.cfg" from panel.workDir into the panel state. Returns false,
// changing nothing, when the file cannot be opened (missing, unreadable, or
// a folder); then `failure`, when given, holds the reason in the system's
// words ("No such file or directory", "Permission denied", "Is a directory").
bool ReadConfiguration(Panel& panel, std::string* failure = nullptr);

// Reads the twelve configuration lines from any stream. Lines end with CR LF,
// LF or CR; a line longer than a panel text is cut to 254 characters; lines
// after the twelfth are ignored; missing lines read as empty. Any bytes are
// accepted.
void ReadConfiguration(Panel& panel, std::istream& in);
// The same on a panel state alone.
void ReadConfiguration(PanelState& s, std::istream& in);

}  // namespace kelvaro
