// The CAT link to the radio: sending commands and getting each answer to the
// one who asked.
//
// Everyone who talks to the radio shares one port: the keys' queries, the
// timer's poll, the start-up, the pass-through relay. The radio answers one
// command after another, each answer beginning with the command that asked
// ("PC;" -> "PC1050;"), and "?;" for a command it cannot take. So the link
// keeps the commands that wait for an answer in the order they went out,
// cuts what arrives at ";" and hands each answer to the oldest command it
// begins with; "?;" goes to the oldest command still waiting (a set command
// counts: its refusal is its only answer). What nobody waits for goes to the
// timer tick, so a frequency answer the radio sends by itself still updates
// the panel.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/panel.h"

namespace kelvaro {

// Sends `command` (without its ";") to the radio port with ";" appended; in
// split operation a command beginning "FA" goes out as "FB". Afterwards
// commandText holds the command as sent; frequency set commands are
// remembered in lastFrequencyCommand (and, as the radio's frequency until it
// answers, in lastFreqReply); the debug log gets "TX=" + the command. A set
// command waits for nothing.
void SendCommand(Panel& panel, std::string_view command);

// Sends a query and waits for its answer: returns it ("PC1050;", ";" included)
// as soon as it is complete; nothing when the radio refused the command ("?;")
// or did not answer within AnswerWait. Answers for others that arrive
// meanwhile are kept for them.
std::optional<std::string> Query(Panel& panel, std::string_view command);

// Sends a command on behalf of `asker` without waiting (a network client's
// command goes out exactly as given, without the split rewrite). A query's answer (or
// the end of its wait, as an empty text) is later found in the asker's queue
// of panel.link; a set command's refusal too. Returns the command's ticket.
std::uint32_t SendFor(Panel& panel, std::string_view command, Asker asker, bool query);

// Reads what has arrived on the radio port (the debug log gets "RX=" + each
// answer once it is whole) and hands every complete answer to its asker; waits whose time is up
// end without an answer. Never waits itself.
void ReceiveAnswers(Panel& panel);

// The longest wait for an answer: the length of the "delay" recording, or
// 100 ms when it cannot be played.
std::chrono::milliseconds AnswerWait(Panel& panel);
// Waits AnswerWait: time for the radio to carry out a command that has no
// answer (switching off, ending a carrier).
void PauseBriefly(Panel& panel);

// Keeps the panel's command and reply texts as they were
// for the life of the object: traffic moved while an operation speaks must
// not change what that operation works on.
class KeepExchangeTexts {
 public:
  explicit KeepExchangeTexts(PanelState& s) : s_(s), command_(s.cat.commandText.str()), reply_(s.cat.replyText.str()) {}
  ~KeepExchangeTexts() {
    s_.cat.commandText = command_;
    s_.cat.replyText = reply_;
  }
  KeepExchangeTexts(const KeepExchangeTexts&) = delete;
  KeepExchangeTexts& operator=(const KeepExchangeTexts&) = delete;

 private:
  PanelState& s_;
  std::string command_, reply_;
};

// The opening sequence of a port: close, open at baudRate, reads return at
// once, then portDataBits, portParity, portStopBits. The result of the open is
// not reported: a port that did not open reads as silent.
void OpenPortSequence(Panel& panel, int port);

// --- The router itself, on the link's records alone (for tests) ---

// Takes bytes read from the radio: every answer they complete goes to its
// asker. Bytes that never reach a ";" are dropped once they could not be an
// answer any more (more than 255 of them). Returns the answers completed (and
// any bytes dropped), as read, for the debug log.
std::vector<std::string> TakeRadioBytes(RadioLink& link, std::string_view bytes);
// Ends the waits whose deadline has passed: a key's or a relay's query gets
// an empty answer, the rest are forgotten.
void EndOverdueWaits(RadioLink& link, SteadyTime now);
// Whether anyone but the tick waits for an answer: a relayed or network
// query. The tick reads its poll's answers, and those nobody asked for, at
// its reply phase, so the main loop need not wake for them.
bool AnswerAwaitedBeyondTick(const RadioLink& link);
// Whether a command from another program is a query the radio answers (a
// known code with nothing after its selector, or a code not known here, whose
// answer or refusal is waited for), rather than a set command.
bool IsQueryCommand(std::string_view command);

}  // namespace kelvaro
