// The rigctld endpoint: bytes from network clients.
//
// Input: one byte of choices (the radio's answers inside Send or a pass
// later, a radio that never answers, a client that reads nothing until the
// end), then chunks: a control byte (bits 0-1 the client, bits 2-6 the chunk
// length, bit 7 one more pass after it) and the chunk's bytes. Three clients
// are connected before the first chunk; at the end they close their ends.
//
// The radio may only get commands of the forms the endpoint builds, and may
// refuse none of its sets (values are checked before they are sent). Replies
// are text lines. One pass starts no more than its share of commands. Once
// the clients have closed their ends and read everything, every connection
// is closed and no query is left waiting.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/fake_tcp.h"
#include "rigctld/endpoint.h"
#include "rigctld/sim_radio_link.h"
#include "state/radio_tables.h"

namespace kelvaro::fuzz {
namespace {

constexpr int kClients = 3;
constexpr std::size_t kChunkLengths[32] = {1,  1,  2,  2,  3,  3,  4,   5,   6,   7,    8,    9,    10,   12,   16,   20,
                                           24, 32, 40, 48, 64, 100, 128, 200, 500, 1000, 1023, 1024, 1025, 1100, 2000, 4000};

bool Digits(std::string_view s, std::size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Why `command` (with its ";") is none of the forms the endpoint sends.
std::string Malformed(std::string_view command) {
  if (command.empty() || command.back() != ';') return "no \";\"";
  std::string_view c = command.substr(0, command.size() - 1);
  for (std::string_view query : {"VS", "FA", "FB", "MD0", "MD1", "ST", "TX", "SM0", "SM1", "SQ0", "PC", "PS"})
    if (c == query) return "";
  std::string_view code = c.substr(0, 2), value = c.size() > 2 ? c.substr(2) : std::string_view();
  if ((code == "FA" || code == "FB") && Digits(value, 9)) return "";
  if (code == "MD" && value.size() == 2 && (value[0] == '0' || value[0] == '1')) {
    // Only the modes clients may set.
    for (const RadioMode& mode : RadioModes())
      if (mode.hamlibBit != 0 && mode.code == value[1]) return "";
  }
  if ((code == "VS" || code == "ST" || code == "TX") && (value == "0" || value == "1")) return "";
  // The power with the head digit: 1 the field head, 2 the SPA-1.
  if (code == "PC" && value.size() == 4 && (value[0] == '1' || value[0] == '2') && Digits(value.substr(1), 3)) return "";
  return "not a command the endpoint sends";
}

void CheckReplies(const std::string& replies) {
  for (char c : replies) {
    const unsigned char u = static_cast<unsigned char>(c);
    // \dump_caps separates its names and values with a tab, as rigctld does.
    FUZZ_CHECK(c == '\n' || c == '\t' || (u >= 0x20 && u < 0x7f), "a reply byte that is not text: " + std::to_string(u));
  }
  FUZZ_CHECK(replies.empty() || replies.back() == '\n', "a reply that does not end its line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Input in(data, size);
  const uint8_t choices = in.Byte();
  ftx1sim::Options options;
  options.silent = (choices & 0x06) == 0x06;
  FakeTcp tcp;
  testing::SimRadioLink link(options);
  link.answerAtOnce = (choices & 1) != 0;
  rigctld::Endpoint endpoint(tcp, link, nullptr);
  link.Attach(&endpoint);
  FUZZ_CHECK(endpoint.Listen({"127.0.0.1", 4532}), "no listening");

  Tcp::Handle clients[kClients];
  for (Tcp::Handle& c : clients) c = tcp.Connect("127.0.0.1", 4532);
  const bool deaf = (choices & 0x08) != 0;  // the last client reads nothing until the end
  if (deaf) tcp.connection(clients[kClients - 1]).room = 0;
  std::string replies[kClients];
  std::size_t sentSeen = 0;

  auto pass = [&] {
    endpoint.Poll();
    const std::string sent = link.sent.substr(sentSeen);
    std::size_t commands = 0;
    for (std::size_t start = 0, end; (end = sent.find(';', start)) != std::string::npos; start = end + 1) {
      const std::string command = sent.substr(start, end + 1 - start);
      const std::string why = Malformed(command);
      FUZZ_CHECK(why.empty(), "the radio got \"" + command + "\": " + why);
      ++commands;
    }
    // Per client and pass: at most its share of commands, each of at most
    // three queries and one set, plus the one that was waiting for answers.
    FUZZ_CHECK(commands <= kClients * (rigctld::Endpoint::kCommandsPerPass + 1) * 4,
               "one pass sent " + std::to_string(commands) + " commands");
    sentSeen = link.sent.size();
    link.Deliver();
    FUZZ_CHECK(link.unclaimed.empty(), "the radio refused a set: " + link.unclaimed.front());
    for (int i = 0; i < kClients; ++i) {
      if (!(deaf && i == kClients - 1)) replies[i] += tcp.Take(clients[i]);
    }
    FUZZ_CHECK(endpoint.clients() <= kClients, "more clients than connected");
  };

  pass();
  while (!in.empty()) {
    const uint8_t control = in.Byte();
    const Tcp::Handle client = clients[(control & 0x03) % kClients];
    tcp.Send(client, in.Bytes(kChunkLengths[(control >> 2) & 0x1F]));
    pass();
    if (control & 0x80) pass();
  }

  // The clients are done: they close their ends and read what is left.
  for (Tcp::Handle c : clients) tcp.CloseClient(c);
  tcp.connection(clients[kClients - 1]).room = std::numeric_limits<std::size_t>::max();
  replies[kClients - 1] += tcp.Take(clients[kClients - 1]);
  for (int i = 0; i < 3000 && tcp.OpenConnections() > 0; ++i) pass();
  FUZZ_CHECK(tcp.OpenConnections() == 0, "a connection stayed open after its client left");
  FUZZ_CHECK(endpoint.clients() == 0, "the endpoint still counts clients");
  FUZZ_CHECK(link.held.empty(), "answers were left undelivered");
  for (const std::string& r : replies) CheckReplies(r);
  return 0;
}

}  // namespace kelvaro::fuzz
