// The line format of the stand-in's command log (ftx1-sim --log FILE).
//
// One line per command received, in the order received, each flushed at once:
//
//   HH:MM:SS.mmm COMMAND;
//
// local time of arrival with milliseconds, one blank, then the command as
// received with its ";" (blanks and line ends around it removed; any other
// byte outside printable ASCII written as \xNN), e.g. "12:00:00.123 FA;".
// A command too long for the radio is cut after 64 characters and written
// with "..." before its ";". The file is emptied when the program starts.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace ftx1sim {

std::string LogLine(std::chrono::system_clock::time_point when, std::string_view command);

}  // namespace ftx1sim
