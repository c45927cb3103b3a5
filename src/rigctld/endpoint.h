// A network endpoint that speaks Hamlib's rigctld protocol, so that programs
// using "Hamlib NET rigctl" (model 2: WSJT-X, fldigi, Gpredict, loggers)
// share the radio with the panel.
//
// Clients connect over TCP and send commands, one or several a line, in the
// short form ("f", "F 14250000", "fmv") or the long one ("\get_freq"), each
// optionally led by "+", ";", "|" or "," for rigctld's extended replies. Each
// client's commands are answered strictly in order, one at a time; clients
// do not wait for one another.
//
// In VFO mode (rigctld's --vfo, reported by \chk_vfo) every command that acts
// on a VFO names it first: "f VFOB", "F VFOA 14074000", "M currVFO PKTUSB -1".
// A, VFOA and Main are VFO A; B, VFOB and Sub are VFO B; currVFO and RX the
// one selected; TX the one that transmits (the other one while split is on).
// The split commands (i, I, x, X) always mean the VFO that is not selected. Every command is turned into FTX-1 CAT commands sent through
// RadioAccess, and every answer into the reply rigctld 4.5 gives, down to the
// bytes ("RPRT n" codes included). A line that is no command this radio can
// take is answered "RPRT -11" (a rigctld command this radio does not have) or
// "RPRT -1" (anything else), never with silence.
//
// Limits, so that no client can stall the panel or another client:
//   - at most kMaxClients at once. When that many are connected, the client
//     that has sent nothing for longest gives way to a new connection, if it
//     has sent nothing for EndpointOptions::idleGrace and has no command running;
//     otherwise the new connection is accepted, closed at once and logged as
//     refused. So connections that a program leaks, or that someone holds
//     open, cannot keep a real client out for longer than the grace;
//   - a line may hold kMaxLine bytes before its end; a longer line, or one
//     with bytes that are not printable text (control characters other than
//     tab and CR, or bytes from 0x7f on that are not rigctld's own one-byte
//     commands such as 0x8b get_dcd), is answered "RPRT -1" and dropped;
//   - each pass reads at most kReadChunk bytes and starts at most
//     kCommandsPerPass commands per client, and a client's unread input is
//     held to kInputLimit bytes (TCP holds the rest back), so a flood costs
//     one pass no more than that;
//   - replies that a client does not read are kept up to kMaxOutput bytes;
//     past that the client is dropped.
//
// rigctld has no authentication: anyone who can connect can tune the radio
// and make it transmit. The endpoint therefore listens on the loopback
// address unless another address is given explicitly.
//
// Blank lines and "#" comments get no reply, as with rigctld. Where rigctld
// would wait for a missing argument on the next line, the endpoint answers
// "RPRT -1" at once ("M" alone): a command never reaches into the next line.
//
// Everything runs in the caller's loop, on its thread: Poll() never blocks,
// and the radio's answers come back through OnAnswer(), called by the radio
// link. A loop that waits on several inputs polls the descriptors of
// Interests() (through Tcp::Descriptor) with its own, and runs Poll() when
// one is ready, when HasWork() is true, or at least every few tens of
// milliseconds; a loop with nothing else to wait for calls Wait(). The Tcp
// and the RadioAccess must outlive the endpoint.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tcp.h"
#include "rigctld/commands.h"

namespace kelvaro::rigctld {

// What the endpoint needs from the radio link. No call may block.
class RadioAccess {
 public:
  virtual ~RadioAccess() = default;
  // Sends one CAT command on the endpoint's behalf: its text without ";"
  // ("FA", "FA014250000", "MD02", "TX1"), exactly as given. For a query
  // (`query` true) the link calls Endpoint::OnAnswer(ticket, ...) exactly once
  // afterwards, with the radio's answer including its ";" ("FA014250000;", or
  // "?;"), or with std::nullopt when none came in time. OnAnswer may come
  // before Send returns. A set (`query` false) gets no call back.
  virtual void Send(int ticket, std::string_view command, bool query) = 0;
  // A set sent through Send changed the radio (frequency "FA"/"FB", mode
  // "MD", VFO "VS", split "ST", transmit "TX", power "PC"): the panel follows
  // it as it follows the operator's own change. Called right after the Send.
  virtual void Changed(std::string_view command) = 0;
};

// Where to listen: "PORT" (loopback, 127.0.0.1) or "ADDRESS:PORT".
struct ListenAddress {
  std::string address = "127.0.0.1";
  int port = 4532;
};
// Reads a listening address from its text; "localhost" is 127.0.0.1. Returns
// std::nullopt for anything else than an IPv4 address with a port 1..65535.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);
// True for addresses of the loopback range 127.0.0.0/8.
bool IsLoopback(std::string_view address);

struct EndpointOptions {
  bool vfoMode = false;  // commands name their VFO (rigctld's --vfo)
  // How long a client must have sent nothing before it gives way to a new
  // one while the most clients are connected.
  std::chrono::milliseconds idleGrace = std::chrono::seconds(30);
  std::function<std::chrono::steady_clock::time_point()> now;  // empty: the steady clock
};

class Endpoint {
 public:
  static constexpr int kMaxClients = 16;
  static constexpr std::size_t kMaxLine = 1024;
  static constexpr std::size_t kInputLimit = 4096;
  static constexpr std::size_t kReadChunk = 4096;
  static constexpr std::size_t kMaxOutput = 64 * 1024;
  static constexpr int kCommandsPerPass = 16;
  static constexpr int kAcceptsPerPass = 4;

  using Log = std::function<void(std::string_view line)>;
  using Options = EndpointOptions;

  // `log` gets lines such as "listening on 127.0.0.1:4532" and "client 3
  // closed", without a name before them: the caller's sink adds its own.
  Endpoint(Tcp& tcp, RadioAccess& radio, Log log, Capabilities capabilities = {}, Options options = {});
  ~Endpoint();
  Endpoint(const Endpoint&) = delete;
  Endpoint& operator=(const Endpoint&) = delete;

  // Starts listening; false (with a log line saying why) when that failed.
  // Another address than the loopback is logged with a warning.
  bool Listen(const ListenAddress& where);
  // The port listened on (the one chosen when 0 was asked for); 0 when not
  // listening.
  int port() const;

  // One pass: takes new connections, reads what clients sent, handles their
  // commands as far as the radio's answers allow, writes replies, and closes
  // clients that are done or misbehave. Never blocks.
  void Poll();
  // The radio link's answer to the query sent with `ticket`. Answers for a
  // client that has gone are ignored.
  void OnAnswer(int ticket, std::optional<std::string_view> answer);

  // What to wait for before the next pass: the listener and every client
  // (writing too, where replies wait to go out).
  std::vector<Tcp::Interest> Interests() const;
  // True when a client has lines that can run at once: the next pass should
  // come without waiting for the Interests.
  bool HasWork() const;
  // Waits up to `timeoutMs` for any of the Interests, not at all when there
  // is work (for a loop that has nothing else to wait for).
  void Wait(int timeoutMs);

  // Clients connected now.
  int clients() const { return static_cast<int>(clients_.size()); }
  // Closes every client and the listener.
  void Close();

 private:
  struct Client;
  struct Job;

  void AcceptClients();
  void Serve(Client& client);
  void ReadInput(Client& client);
  // Starts the client's next command (reading the next line when none is
  // queued); false when nothing waits.
  bool StartNext(Client& client);
  // Runs the client's command as far as it can go without waiting; with
  // `startNew`, then starts the client's next commands, up to its share.
  // An answer only finishes the command it belongs to: the next ones wait
  // for the pass, so answers that come at once cannot chain a whole flood
  // of commands into one call.
  void Advance(Client& client, bool startNew);
  void Finish(Client& client, const Step& step);
  // Takes the next complete line out of the client's input and reads its
  // commands into the client's queue (or answers a line that is no text);
  // false when no complete line waits.
  bool TakeLine(Client& client);
  void Drop(Client& client, std::string_view why);
  void Remove(Client& client);
  // Closes the client that has been idle longest past the grace, to make
  // room for a new one; false when none may go.
  bool MakeRoom();
  std::chrono::steady_clock::time_point Now() const;

  Tcp& tcp_;
  RadioAccess& radio_;
  Log log_;
  Capabilities capabilities_;
  Options options_;
  Tcp::Handle listener_ = Tcp::kNone;
  std::string listenName_;
  std::map<int, std::unique_ptr<Client>> clients_;  // by client number
  struct Waiting {
    int client;
    int index;
  };
  std::map<int, Waiting> tickets_;  // queries in flight
  int nextClient_ = 1;
  int nextTicket_ = 1;
};

}  // namespace kelvaro::rigctld
