// The pass-through port: bytes from another program, relayed to the radio.
//
// Input: one byte of choices (debug log, split, the radio garbling or not
// answering), then chunks: a control byte (bits 0-4 pick the chunk length,
// bits 5-7 the ticks that run after it arrives) and the chunk's bytes. The
// radio is the in-memory stand-in.
//
// The radio port may only see the panel's own commands (polls, and what a mode
// set from the peer makes the panel send), all well formed, and commands the
// peer sent: each a complete command of the peer's, in the order sent (a
// command longer than the relay can hold may arrive without its start, which
// the relay drops). Once the peer is quiet the relay must work through
// everything that arrived.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "keys/message.h"
#include "radio.h"

namespace kelvaro::fuzz {
namespace {

constexpr int kRadioPort = 5;
constexpr int kPeerPort = 7;
// The longest command the relay can hold before its ";" (a panel text less
// the ";").
constexpr std::size_t kLongestRelayed = Text::kMax - 1;

constexpr std::size_t kChunkLengths[32] = {1,  1,  2,  2,  3,  3,  4,   5,   6,   7,   8,   9,   10,  12,   16,   20,
                                           24, 32, 40, 48, 64, 100, 128, 200, 253, 254, 255, 256, 300, 512, 1000, 4000};

// The peer's commands in the order sent, each with its ";".
std::vector<std::string> PeerCommands(std::string_view stream) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end = stream.find(';'); end != std::string_view::npos; end = stream.find(';', start)) {
    out.emplace_back(stream.substr(start, end + 1 - start));
    start = end + 1;
  }
  return out;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Whether `sent` is the peer's command `peer` as the relay passes it on: the
// same, "FA" turned into "FB" while split is on, or the end of a command too
// long to hold.
bool IsRelayOf(const std::string& sent, const std::string& peer) {
  if (sent == peer) return true;
  if (sent.size() == peer.size() && sent.rfind("FB", 0) == 0 && peer.rfind("FA", 0) == 0 &&
      sent.compare(2, std::string::npos, peer, 2) == 0) {
    return true;
  }
  return peer.size() - 1 > kLongestRelayed && sent.size() < peer.size() && EndsWith(peer, sent);
}

void CheckRadioTraffic(FuzzPanel& t, const std::string& peerStream) {
  const std::vector<std::string> peer = PeerCommands(peerStream);
  std::size_t nextPeer = 0;
  for (const std::string& sent : CommandsOn(t.ports, kRadioPort)) {
    if (MalformedCommand(sent, false).empty()) continue;  // the panel's own (or a peer's command of that form)
    std::size_t match = nextPeer;
    while (match < peer.size() && !IsRelayOf(sent, peer[match])) ++match;
    FUZZ_CHECK(match < peer.size(), "the radio got \"" + sent + "\", which the peer did not send (or not in this order)");
    nextPeer = match + 1;
  }
}

}  // namespace
}  // namespace kelvaro::fuzz

using namespace kelvaro;
using namespace kelvaro::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkFolder();
  LoadVocabulary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Input in(data, size);
  const uint8_t choices = in.Byte();
  ftx1sim::Options options;
  options.garble = (choices & 0x06) == 0x06 ? 0.3 : (choices & 0x06) == 0x04 ? 0.05 : 0.0;
  options.silent = (choices & 0x18) == 0x18;
  options.seed = 1 + (choices >> 5);
  ftx1sim::Radio radio(options);

  ClearWorkFolder();
  FuzzPanel t;
  t.ports.SetResponder(kRadioPort, [&radio](std::string_view bytes) { return radio.Feed(bytes); });
  // A silent radio is refused: the relay never runs.
  if (!StartPanel(t, StandardConfiguration(kPeerPort, (choices & 1) != 0))) return 0;
  PanelState& s = t.panel.state;
  auto tick = [&] {
    radio.Advance(50);
    t.clock.steady += std::chrono::milliseconds(50);  // the panel's waits end as time passes
    HandleWindowMessage(t.panel, {kMsgTimer, 0});
    const std::string bad = BadFrequencyText(s.radio.frequencyText);
    FUZZ_CHECK(bad.empty(), "frequencyText \"" + s.radio.frequencyText.str() + "\": " + bad);
  };
  for (int i = 0; i < 6; ++i) tick();
  if ((choices & 0x18) == 0x08) {
    // Split on, so relayed "FA" commands go to VFO B.
    HandleWindowMessage(t.panel, {kMsgKeyDown, 'V'});
    HandleWindowMessage(t.panel, {kMsgKeyUp, 'V'});
  }

  std::string peerStream;
  while (!in.empty() && s.entry.runFlag) {
    const uint8_t control = in.Byte();
    const std::string_view chunk = in.Bytes(kChunkLengths[control & 0x1F]);
    t.ports.Receive(kPeerPort, chunk);
    peerStream += chunk;
    for (int i = control >> 5; i > 0; --i) tick();
  }

  // The peer is quiet: everything that arrived is worked through. Each send
  // phase (every second tick) relays at least one command or takes a read.
  const std::size_t limit = 2 * (peerStream.size() + 8);
  std::size_t ticks = 0;
  auto pending = [&] {
    return t.ports.BytesWaiting(kPeerPort) > 0 || s.cat.passThroughBuffer.view().find(';') != std::string_view::npos;
  };
  while (pending() && ticks < limit && s.entry.runFlag) {
    tick();
    ++ticks;
  }
  FUZZ_CHECK(!pending() || !s.entry.runFlag,
             "the relay did not work through the peer's bytes: " + std::to_string(t.ports.BytesWaiting(kPeerPort)) +
                 " waiting, buffer \"" + s.cat.passThroughBuffer.str() + "\"");

  CheckRadioTraffic(t, peerStream);
  CheckRecords(s);
  CheckSpokenPhrases(t);
  return 0;
}
