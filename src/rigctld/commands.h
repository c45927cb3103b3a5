// The rigctld commands of the network endpoint, as a table: each command's
// short and long names, its arguments, the FTX-1 CAT commands it takes, and
// how the radio's answers become rigctld's reply.
//
// A command runs in steps. The first step is given no answers; each step
// either sends CAT commands and waits for the answers of the queries among
// them (the next step gets those, in order), or ends with the reply. A last
// step may still send sets (they have no answers).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::rigctld {

// What \dump_state tells clients about the radio's transmitter.
struct Capabilities {
  int maxWatts = 100;  // 100 with the 100 W amplifier, 10 (or 6) for the field head alone
};

struct Command;

// One command of a client line, read.
struct Request {
  const Command* command = nullptr;  // nullptr: see `error`
  std::vector<std::string> args;
  // In VFO mode: the VFO the command names ("VFOA", "Sub", "currVFO", ...),
  // for the commands that take one; empty otherwise.
  std::string vfo;
  bool vfoMode = false;  // the line was read in VFO mode
  // 0: rigctld's normal replies. Otherwise the extended replies, each record
  // ended by this character ('\n' for a "+" prefix).
  char separator = 0;
  // The RPRT code for what is not a command this endpoint runs (-1 unknown
  // or malformed, -11 a rigctld command this radio lacks).
  int error = 0;
};

// One CAT command: text without ";", and whether the radio answers it.
struct CatCommand {
  std::string text;
  bool query = false;
};

// A value of a reply. In extended replies it is written "key: value", or the
// value alone when the key is empty.
struct Record {
  std::string key;
  std::string value;
};

// Answers of a step's queries, in order; std::nullopt where none came.
using Answers = std::vector<std::optional<std::string>>;

struct Step {
  std::vector<CatCommand> send;
  bool done = false;
  int code = 0;                  // the RPRT code when done
  std::vector<Record> records;   // the values when done with code 0
  std::optional<std::string> reply;  // when set: the whole reply, as is
  bool close = false;            // close the connection after the reply
};

// Reads one line (without its line end) into its commands, in order, as
// rigctld does: "f m v", "fmv" (short commands without arguments may be
// written together), "+f +m +v" (each its own prefix), "F 14074000 f".
// A command takes its arguments from the words after it; in VFO mode
// (`vfoMode`, rigctld's --vfo) a command that acts on a VFO takes the VFO
// first ("f VFOB", "F VFOA 14074000"). A word that is no command ends the
// line with a request whose error is -1; a command this radio lacks takes
// the rest of the line with it (-11). Blank lines and "#" comments give none.
std::vector<Request> ParseLine(std::string_view line, bool vfoMode = false);
// True for the bytes above 0x7f that rigctld takes as short commands of its
// own (0x8b get_dcd, 0x88 get_powerstat, ...) and this endpoint runs.
bool IsCommandByte(char byte);
// A command's long name ("get_freq").
const char* CommandName(const Command& command);
// Runs step `stage` (0 first) of a request that names a command.
Step RunStep(const Request& request, int stage, const Answers& answers, const Capabilities& capabilities);
// The bytes of the reply that ends a request.
std::string FormatReply(const Request& request, const Step& step);

// The reply to \dump_state, in the form Hamlib 4.5's NET rigctl client reads.
std::string DumpState(const Capabilities& capabilities);
// The text of \dump_caps (before its RPRT line): what loggers such as CQRLOG
// read from it, the mode and VFO lists and the "Can ..." flags.
std::string DumpCaps(const Capabilities& capabilities);

// STRENGTH, in dB relative to S9, of a raw S-meter reading (0..255).
int StrengthOfReading(int reading);

}  // namespace kelvaro::rigctld
