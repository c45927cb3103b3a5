#include "platform/posix_tcp.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace kelvaro {
namespace {

std::string Describe(const char* what, int error) { return std::string(what) + ": " + ::strerror(error); }

}  // namespace

Tcp::Handle PosixTcp::Listen(std::string_view address, int port, std::string* error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  const std::string text(address);
  if (port < 0 || port > 65535 || ::inet_pton(AF_INET, text.c_str(), &where.sin_addr) != 1) {
    if (error) *error = "not an IPv4 address and port: " + text + ":" + std::to_string(port);
    return kNone;
  }
  where.sin_port = htons(static_cast<uint16_t>(port));
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = Describe("socket", errno);
    return kNone;
  }
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(fd, 16) != 0) {
    if (error) *error = Describe(("cannot listen on " + text + ":" + std::to_string(port)).c_str(), errno);
    ::close(fd);
    return kNone;
  }
  return fd;
}

int PosixTcp::LocalPort(Handle listener) const {
  sockaddr_in where{};
  socklen_t size = sizeof where;
  if (listener < 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size) != 0 ||
      where.sin_family != AF_INET) {
    return 0;
  }
  return ntohs(where.sin_port);
}

Tcp::Handle PosixTcp::Accept(Handle listener, std::string* peer) {
  if (listener < 0) return kNone;
  sockaddr_in from{};
  socklen_t size = sizeof from;
  for (;;) {
    const int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      if (peer) {
        char name[INET_ADDRSTRLEN] = "?";
        ::inet_ntop(AF_INET, &from.sin_addr, name, sizeof name);
        *peer = std::string(name) + ":" + std::to_string(ntohs(from.sin_port));
      }
      return fd;
    }
    // A connection that was reset while it waited is gone; look for the next.
    if (errno == ECONNABORTED || errno == EINTR) continue;
    return kNone;
  }
}

long PosixTcp::Read(Handle connection, std::string* into, std::size_t maximum) {
  if (connection < 0) return -1;
  if (maximum == 0) return 0;
  const std::size_t before = into->size();
  into->resize(before + maximum);
  ssize_t n;
  do {
    n = ::recv(connection, into->data() + before, maximum, 0);
  } while (n < 0 && errno == EINTR);
  into->resize(before + (n > 0 ? static_cast<std::size_t>(n) : 0));
  if (n > 0) return static_cast<long>(n);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
  return -1;  // the peer closed its end (0), or the connection broke
}

long PosixTcp::Write(Handle connection, std::string_view bytes) {
  if (connection < 0) return -1;
  if (bytes.empty()) return 0;
  ssize_t n;
  do {
    n = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<long>(n);
  if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
  return -1;
}

void PosixTcp::Close(Handle handle) {
  if (handle >= 0) ::close(handle);
}

void PosixTcp::Wait(const std::vector<Interest>& interests, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(interests.size());
  for (const Interest& interest : interests) {
    if (interest.handle < 0) continue;
    short events = 0;
    if (interest.read) events |= POLLIN;
    if (interest.write) events |= POLLOUT;
    fds.push_back({interest.handle, events, 0});
  }
  int result;
  do {
    result = ::poll(fds.data(), fds.size(), timeoutMs);
  } while (result < 0 && errno == EINTR && timeoutMs < 0);
}

}  // namespace kelvaro
