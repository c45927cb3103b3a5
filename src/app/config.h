// The operator's settings file "kelvaro.cfg": read once at start-up, never
// written.
//
// Every line has a fixed place and a label of fixed length that is ignored;
// each value is cut from fixed character positions, partly depending on the
// line's length (see config.cc).
#pragma once

#include <istream>

#include "state/panel.h"

namespace kelvaro {

// Reads "kelvaro.cfg" from panel.workDir into the panel state. Returns false,
// changing nothing, when the file cannot be opened (missing, unreadable, or
// not a plain file).
bool ReadConfiguration(Panel& panel);

// Reads the twelve configuration lines from any stream. Lines end with CR LF,
// LF or CR; a line longer than a panel text is cut to 254 characters; lines
// after the twelfth are ignored; missing lines read as empty. Any bytes are
// accepted.
void ReadConfiguration(Panel& panel, std::istream& in);

}  // namespace kelvaro
