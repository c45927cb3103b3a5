#include "platform/fake_tcp.h"

#include <algorithm>

namespace kelvaro {

Tcp::Handle FakeTcp::Listen(std::string_view address, int port, std::string* error) {
  const std::string where = std::string(address) + ":" + std::to_string(port);
  bool taken = false;
  for (const auto& [handle, listener] : listeners_) taken = taken || (port != 0 && listener.port == port);
  if (refused.count(where) || taken) {
    if (error) *error = "cannot listen on " + where;
    return kNone;
  }
  const Handle handle = next_++;
  listeners_[handle] = Listener{std::string(address), port == 0 ? nextFreePort_++ : port, {}};
  return handle;
}

int FakeTcp::LocalPort(Handle listener) const {
  auto found = listeners_.find(listener);
  return found == listeners_.end() ? 0 : found->second.port;
}

Tcp::Handle FakeTcp::Accept(Handle listener, std::string* peer) {
  auto found = listeners_.find(listener);
  if (found == listeners_.end() || found->second.waiting.empty()) return kNone;
  const Handle handle = found->second.waiting.front();
  found->second.waiting.pop_front();
  Connection& c = connections_.at(handle);
  c.accepted = true;
  if (peer) *peer = c.peer;
  return handle;
}

long FakeTcp::Read(Handle connection, std::string* into, std::size_t maximum) {
  auto found = connections_.find(connection);
  if (found == connections_.end()) return -1;
  Connection& c = found->second;
  if (c.broken || c.serviceClosed) return -1;
  if (c.toService.empty()) return c.clientClosed ? -1 : 0;
  const std::size_t n = std::min(maximum, c.toService.size());
  into->append(c.toService, 0, n);
  c.toService.erase(0, n);
  return static_cast<long>(n);
}

long FakeTcp::Write(Handle connection, std::string_view bytes) {
  auto found = connections_.find(connection);
  if (found == connections_.end()) return -1;
  Connection& c = found->second;
  if (c.broken || c.serviceClosed) return -1;
  const std::size_t n = std::min(bytes.size(), c.room);
  c.fromService.append(bytes.substr(0, n));
  c.room -= n;
  return static_cast<long>(n);
}

void FakeTcp::Close(Handle handle) {
  if (listeners_.erase(handle)) return;
  auto found = connections_.find(handle);
  if (found != connections_.end()) found->second.serviceClosed = true;
}

Tcp::Handle FakeTcp::Connect(std::string_view address, int port) {
  for (auto& [handle, listener] : listeners_) {
    if (listener.port != port || (listener.address != address && listener.address != "0.0.0.0")) continue;
    const Handle c = next_++;
    connections_[c].peer = std::string(address) + ":" + std::to_string(nextPeerPort_++);
    listener.waiting.push_back(c);
    return c;
  }
  return kNone;
}

std::string FakeTcp::Take(Handle connection) {
  Connection& c = connections_.at(connection);
  std::string taken;
  taken.swap(c.fromService);
  if (c.room != std::numeric_limits<std::size_t>::max()) c.room += taken.size();
  return taken;
}

bool FakeTcp::IsOpen(Handle handle) const {
  auto found = connections_.find(handle);
  return found != connections_.end() && !found->second.serviceClosed;
}

int FakeTcp::OpenConnections() const {
  return static_cast<int>(std::count_if(connections_.begin(), connections_.end(), [](const auto& entry) {
    return entry.second.accepted && !entry.second.serviceClosed;
  }));
}

}  // namespace kelvaro
