// RadioLink: what the panel knows about the traffic on the radio port.
//
// The radio answers commands one after another, each answer beginning with
// the command that asked for it ("PC;" -> "PC1050;", "EX010316;" ->
// "EX0103160100;"), except "?;", which answers a command the radio cannot
// take. The link's router (link/cat.h) keeps the commands that wait for an
// answer in the order they were sent and hands each answer to the oldest one
// it belongs to; these are its records.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

namespace kelvaro {

// Who asked. The poll's answers and the answers nobody asked for go to the
// timer tick; a key's query waits for its own; the relays pass theirs on.
enum class Asker : std::uint8_t { kKey, kPoll, kRelay, kNetwork, kNobody };

using SteadyTime = std::chrono::steady_clock::time_point;

// Whether the radio is there. Answering: polls are answered. Gone: the
// polls went unanswered for a while, or its port vanished and came back (a
// radio switched off, a cable pulled). Refused: another model answered in
// its place.
enum class RadioPresence : std::uint8_t { kAnswering, kGone, kRefused };

// A command sent to the radio that may still get an answer.
struct WaitingCommand {
  std::uint32_t ticket = 0;
  Asker asker = Asker::kNobody;
  // A set command gets no answer unless the radio refuses it ("?;").
  bool query = false;
  // A query's answer begins with this: the command as sent, without ";".
  std::string prefix;
  SteadyTime deadline{};
  std::int32_t sentNumber = 0;  // commandsSent right after it went out
  // The command as sent, ";" included: what a refusal names in the log.
  std::string sent;
};

// An answer handed to its asker, or the end of a wait without one (empty
// text). A refusal is the text "?;".
struct RoutedAnswer {
  std::uint32_t ticket = 0;
  Asker asker = Asker::kNobody;
  std::string text;
  // For the tick: commandsSent when the answer's command went out (or, for an
  // answer nobody asked for, when it arrived).
  std::int32_t sentNumber = 0;
};

struct RadioLink {
  std::string inbox;                   // bytes read but not yet ended by ";"
  std::deque<WaitingCommand> waiting;  // oldest first
  std::deque<RoutedAnswer> forTick;    // the poll's answers and unasked ones
  std::deque<RoutedAnswer> forRelay;   // the pass-through's answers, in order
  std::deque<RoutedAnswer> forKey;     // answers to a key's query
  std::deque<RoutedAnswer> forNetwork; // answers to the network clients' queries
  std::uint32_t nextTicket = 1;
  std::uint32_t relayTicket = 0;       // the pass-through's query in flight, 0 none
  // What the other program asked or set while a report was spoken, for the
  // panel to follow afterwards: the last frequency answer and the last mode
  // set (empty: none).
  std::string followFrequency;
  std::string followMode;
  // Commands that may change the radio (sets, from anyone), counted: a poll
  // answer is taken only if none went out between the poll and its handling.
  std::int32_t otherCommandsSent = 0;

  // Set whenever a whole answer arrives; the reply phase looks and clears it.
  bool heard = false;
  // The panel's own commands the radio refused ("?;"), oldest first, for the
  // debug log, kept (the last few) until they are logged; and how many
  // refusals came in all.
  std::deque<std::string> refused;
  std::uint32_t refusalCount = 0;
  RadioPresence presence = RadioPresence::kAnswering;
  // Reply phases in a row that brought no answer at all.
  std::int32_t quietReplyPhases = 0;
  // The port layer's open count when last looked at; 0 before the first look.
  std::uint32_t portOpens = 0;
  // While gone or refused: the earliest time to ask for the identity again.
  SteadyTime nextIdentityCheck{};
  // Set by the tick when the radio should be asked who it is (it answers
  // again, or its port came back); the program's loop asks and clears it.
  bool identityWanted = false;
};

}  // namespace kelvaro
