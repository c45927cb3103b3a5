#include "rigctld/endpoint.h"

#include <algorithm>

#include "state/text.h"

namespace kelvaro::rigctld {

struct Endpoint::Job {
  Request request;
  int stage = 0;
  Answers answers;  // of the queries of the last step sent
  int missing = 0;  // answers still to come
};

struct Endpoint::Client {
  int number = 0;
  Tcp::Handle socket = Tcp::kNone;
  std::string peer;
  std::string input;         // received bytes not yet taken as lines
  bool discarding = false;   // inside a line past the limit: dropped up to its end
  bool inputEnded = false;   // the client closed its end (its last lines still run)
  bool closing = false;      // "q": close once the replies are out
  bool badInputLogged = false;
  bool busy = false;         // being advanced: answers are only recorded
  std::chrono::steady_clock::time_point lastHeard;  // when it last sent something
  std::deque<Request> queued;  // the commands of its line still to run
  std::optional<Job> job;
  std::string output;        // replies not yet written

  // No command of its own runs or waits, queued or in a whole unread line.
  bool NothingToRun() const { return !job && queued.empty() && input.find('\n') == std::string::npos; }
};

namespace {

// Text a client may send: printable ASCII, tab and CR, and rigctld's
// one-byte commands.
bool IsText(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char ch) {
    unsigned char c = static_cast<unsigned char>(ch);
    return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\r' || IsCommandByte(ch);
  });
}

bool ParseByte(std::string_view text, int* value) {
  if (text.empty() || text.size() > 3 || !OnlyDigits(text)) return false;
  *value = IntFromText(text);
  return *value <= 255;
}

bool IsDottedQuad(std::string_view text) {
  int parts = 0, value = 0;
  while (true) {
    std::size_t dot = text.find('.');
    if (!ParseByte(text.substr(0, dot), &value)) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return parts == 4;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
  ListenAddress where;
  std::string_view port = text;
  std::size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    std::string_view address = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (address == "localhost") address = "127.0.0.1";
    if (!IsDottedQuad(address)) return std::nullopt;
    where.address = std::string(address);
  }
  if (port.empty() || port.size() > 5 || !OnlyDigits(port)) return std::nullopt;
  where.port = IntFromText(port);
  if (where.port < 1 || where.port > 65535) return std::nullopt;
  return where;
}

bool IsLoopback(std::string_view address) { return IsDottedQuad(address) && address.substr(0, 4) == "127."; }

Endpoint::Endpoint(Tcp& tcp, RadioAccess& radio, Log log, Capabilities capabilities, Options options)
    : tcp_(tcp), radio_(radio), log_(std::move(log)), capabilities_(capabilities), options_(std::move(options)) {}

std::chrono::steady_clock::time_point Endpoint::Now() const {
  return options_.now ? options_.now() : std::chrono::steady_clock::now();
}

Endpoint::~Endpoint() { Close(); }

bool Endpoint::Listen(const ListenAddress& where) {
  if (listener_ != Tcp::kNone) tcp_.Close(listener_);
  std::string error;
  listener_ = tcp_.Listen(where.address, where.port, &error);
  if (listener_ == Tcp::kNone) {
    if (log_) log_(error);
    return false;
  }
  listenName_ = where.address + ":" + std::to_string(port());
  if (log_) {
    log_("listening on " + listenName_ + (options_.vfoMode ? " in VFO mode" : ""));
    if (!IsLoopback(where.address)) {
      log_(listenName_ +
           " can be reached from other machines, and rigctld has no authentication: anyone who can "
           "connect can tune the radio and make it transmit");
    }
  }
  return true;
}

int Endpoint::port() const { return listener_ == Tcp::kNone ? 0 : tcp_.LocalPort(listener_); }

void Endpoint::Poll() {
  AcceptClients();
  std::vector<int> numbers;
  numbers.reserve(clients_.size());
  for (const auto& [number, client] : clients_) numbers.push_back(number);
  for (int number : numbers) {
    auto found = clients_.find(number);
    if (found != clients_.end()) Serve(*found->second);
  }
}

void Endpoint::AcceptClients() {
  if (listener_ == Tcp::kNone) return;
  for (int i = 0; i < kAcceptsPerPass; ++i) {
    std::string peer;
    Tcp::Handle socket = tcp_.Accept(listener_, &peer);
    if (socket == Tcp::kNone) return;
    if (static_cast<int>(clients_.size()) >= kMaxClients && !MakeRoom()) {
      tcp_.Close(socket);
      if (log_) log_("refused " + peer + ": " + std::to_string(kMaxClients) + " clients are connected already");
      continue;
    }
    auto client = std::make_unique<Client>();
    client->number = nextClient_++;
    client->socket = socket;
    client->peer = peer;
    client->lastHeard = Now();
    if (log_) log_("client " + std::to_string(client->number) + " connected from " + peer);
    clients_[client->number] = std::move(client);
  }
}

void Endpoint::Serve(Client& client) {
  ReadInput(client);
  Advance(client, true);
  if (!client.output.empty()) {
    long written = tcp_.Write(client.socket, client.output);
    if (written < 0) return Drop(client, "the connection broke");
    client.output.erase(0, static_cast<std::size_t>(written));
  }
  if (client.output.size() > kMaxOutput) {
    return Drop(client, "it does not read its replies (" + std::to_string(client.output.size()) + " bytes waiting)");
  }
  if ((client.closing || (client.inputEnded && client.NothingToRun())) && client.output.empty()) {
    if (log_) log_("client " + std::to_string(client.number) + " closed");
    Remove(client);
  }
}

void Endpoint::ReadInput(Client& client) {
  if (client.inputEnded || client.closing || client.input.size() >= kInputLimit) return;
  long n = tcp_.Read(client.socket, &client.input, std::min(kReadChunk, kInputLimit - client.input.size()));
  if (n > 0) client.lastHeard = Now();
  if (n >= 0) return;
  client.inputEnded = true;
  // A last line without its end still counts.
  if (!client.input.empty() && client.input.back() != '\n') client.input += '\n';
}

bool Endpoint::StartNext(Client& client) {
  if (client.queued.empty() && !TakeLine(client)) return false;
  if (client.queued.empty()) return true;  // a line with nothing to run
  Request request = std::move(client.queued.front());
  client.queued.pop_front();
  if (request.error) {
    Step failed;
    failed.done = true;
    failed.code = request.error;
    client.output += FormatReply(request, failed);
    return true;
  }
  client.job = Job{std::move(request), 0, {}, 0};
  return true;
}

bool Endpoint::TakeLine(Client& client) {
  std::string& in = client.input;
  std::size_t end = in.find('\n');
  if (client.discarding) {
    if (end == std::string::npos) {
      in.clear();
      return false;
    }
    in.erase(0, end + 1);
    client.discarding = false;
    end = in.find('\n');
  }
  std::string problem;
  if (end == std::string::npos) {
    if (in.size() <= kMaxLine) return false;
    // Too long to be a command: answered now, its bytes dropped up to its end.
    in.clear();
    client.discarding = true;
    problem = "a line longer than " + std::to_string(kMaxLine) + " bytes";
  } else {
    std::string line = in.substr(0, end);
    in.erase(0, end + 1);
    if (line.size() > kMaxLine) {
      problem = "a line longer than " + std::to_string(kMaxLine) + " bytes";
    } else if (!IsText(line)) {
      problem = "bytes that are not text";
    } else {
      for (Request& request : ParseLine(line, options_.vfoMode)) client.queued.push_back(std::move(request));
      return true;
    }
  }
  client.output += "RPRT -1\n";
  if (!client.badInputLogged && log_) {
    log_("client " + std::to_string(client.number) + " sent " + problem + "; answered RPRT -1");
  }
  client.badInputLogged = true;
  return true;
}

void Endpoint::Advance(Client& client, bool startNew) {
  if (client.busy) return;
  client.busy = true;
  int started = 0;
  for (;;) {
    if (client.job) {
      Job& job = *client.job;
      if (job.missing > 0) break;
      Step step = RunStep(job.request, job.stage, job.answers, capabilities_);
      ++job.stage;
      if (!step.done && job.stage > 8) {
        // Every command ends within a few steps; this one would run on.
        step = Step{};
        step.done = true;
        step.code = -7;
      }
      const auto queries = step.done ? 0 : std::count_if(step.send.begin(), step.send.end(),
                                                         [](const CatCommand& c) { return c.query; });
      job.answers.assign(static_cast<std::size_t>(queries), std::nullopt);
      job.missing = static_cast<int>(queries);
      int index = 0;
      for (const CatCommand& command : step.send) {
        if (!command.query) {
          radio_.Send(0, command.text, false);
          radio_.Changed(command.text);
        } else if (!step.done) {
          const int ticket = nextTicket_++;
          tickets_[ticket] = Waiting{client.number, index++};
          radio_.Send(ticket, command.text, true);
        }
      }
      if (step.done) Finish(client, step);
      continue;
    }
    if (!startNew || client.closing || started >= kCommandsPerPass || !StartNext(client)) break;
    ++started;
  }
  client.busy = false;
}

void Endpoint::Finish(Client& client, const Step& step) {
  client.output += FormatReply(client.job->request, step);
  if (step.close) client.closing = true;
  client.job.reset();
}

void Endpoint::OnAnswer(int ticket, std::optional<std::string_view> answer) {
  auto waiting = tickets_.find(ticket);
  if (waiting == tickets_.end()) return;
  const Waiting w = waiting->second;
  tickets_.erase(waiting);
  auto found = clients_.find(w.client);
  if (found == clients_.end()) return;
  Client& client = *found->second;
  if (!client.job || w.index >= static_cast<int>(client.job->answers.size())) return;
  if (answer) client.job->answers[static_cast<std::size_t>(w.index)] = std::string(*answer);
  --client.job->missing;
  if (client.job->missing > 0 || client.busy) return;
  // The reply goes out now rather than on the next pass.
  Advance(client, false);
  if (!client.output.empty()) {
    long written = tcp_.Write(client.socket, client.output);
    if (written < 0) return Drop(client, "the connection broke");
    client.output.erase(0, static_cast<std::size_t>(written));
  }
}

void Endpoint::Drop(Client& client, std::string_view why) {
  if (log_) log_("client " + std::to_string(client.number) + " (" + client.peer + ") dropped: " + std::string(why));
  Remove(client);
}

bool Endpoint::MakeRoom() {
  const auto now = Now();
  Client* oldest = nullptr;
  for (const auto& [number, c] : clients_) {
    if (c->NothingToRun() && now - c->lastHeard >= options_.idleGrace &&
        (!oldest || c->lastHeard < oldest->lastHeard)) {
      oldest = c.get();
    }
  }
  if (!oldest) return false;
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - oldest->lastHeard).count();
  Drop(*oldest, "idle for " + std::to_string(seconds) + " s, it gives way to a new client");
  return true;
}

void Endpoint::Remove(Client& client) {
  tcp_.Close(client.socket);
  for (auto it = tickets_.begin(); it != tickets_.end();) {
    it = it->second.client == client.number ? tickets_.erase(it) : std::next(it);
  }
  clients_.erase(client.number);
}

std::vector<Tcp::Interest> Endpoint::Interests() const {
  std::vector<Tcp::Interest> interests;
  if (listener_ != Tcp::kNone) interests.push_back({listener_, true, false});
  for (const auto& [number, c] : clients_) {
    const bool read = !c->inputEnded && !c->closing && c->input.size() < kInputLimit;
    if (read || !c->output.empty()) interests.push_back({c->socket, read, !c->output.empty()});
  }
  return interests;
}

bool Endpoint::HasWork() const {
  for (const auto& [number, c] : clients_) {
    if (!c->job && !c->closing && (!c->queued.empty() || c->input.find('\n') != std::string::npos)) return true;
    if ((c->closing || c->inputEnded) && c->output.empty() && !c->job) return true;
  }
  return false;
}

void Endpoint::Wait(int timeoutMs) {
  tcp_.Wait(Interests(), HasWork() ? 0 : timeoutMs);
}

void Endpoint::Close() {
  for (auto& [number, client] : clients_) tcp_.Close(client->socket);
  clients_.clear();
  tickets_.clear();
  if (listener_ != Tcp::kNone) tcp_.Close(listener_);
  listener_ = Tcp::kNone;
}

}  // namespace kelvaro::rigctld
