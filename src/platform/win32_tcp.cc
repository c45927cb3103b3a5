#include "platform/win32_tcp.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>
#include <thread>

#include "platform/win32_errors.h"

namespace kelvaro {
namespace {

// Winsock is started once for the process and left running until it ends.
void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  });
}

std::string Describe(const std::string& what, int error) { return what + ": " + Win32ErrorText(static_cast<unsigned long>(error)); }

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }

}  // namespace

Win32Tcp::Win32Tcp() { StartWinsock(); }

Win32Tcp::~Win32Tcp() {
  while (!entries_.empty()) Close(entries_.begin()->first);
}

Win32Tcp::Entry* Win32Tcp::Find(Handle handle) {
  auto it = entries_.find(handle);
  return it == entries_.end() ? nullptr : &it->second;
}

const Win32Tcp::Entry* Win32Tcp::Find(Handle handle) const {
  auto it = entries_.find(handle);
  return it == entries_.end() ? nullptr : &it->second;
}

Tcp::Handle Win32Tcp::Adopt(std::uintptr_t raw, bool listener) {
  const SOCKET s = static_cast<SOCKET>(raw);
  u_long on = 1;
  WSAEVENT event = ::WSACreateEvent();
  const long events = listener ? FD_ACCEPT : FD_READ | FD_CLOSE;
  if (event == WSA_INVALID_EVENT) {
    ::closesocket(s);
    return kNone;
  }
  // WSAEventSelect makes the socket non-blocking too; FIONBIO says so plainly.
  if (::WSAEventSelect(s, event, events) != 0 || ::ioctlsocket(s, FIONBIO, &on) != 0) {
    ::WSACloseEvent(event);
    ::closesocket(s);
    return kNone;
  }
  const Handle handle = next_++;
  entries_[handle] = Entry{raw, event, listener, false};
  return handle;
}

Tcp::Handle Win32Tcp::Listen(std::string_view address, int port, std::string* error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  const std::string text(address);
  if (port < 0 || port > 65535 || ::inet_pton(AF_INET, text.c_str(), &where.sin_addr) != 1) {
    if (error) *error = "not an IPv4 address and port: " + text + ":" + std::to_string(port);
    return kNone;
  }
  where.sin_port = htons(static_cast<u_short>(port));
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    if (error) *error = Describe("socket", ::WSAGetLastError());
    return kNone;
  }
  const BOOL on = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(s, 16) != 0) {
    if (error) *error = Describe("cannot listen on " + text + ":" + std::to_string(port), ::WSAGetLastError());
    ::closesocket(s);
    return kNone;
  }
  const Handle handle = Adopt(static_cast<std::uintptr_t>(s), true);
  if (handle == kNone && error) *error = "cannot watch the listener on " + text + ":" + std::to_string(port);
  return handle;
}

int Win32Tcp::LocalPort(Handle listener) const {
  const Entry* entry = Find(listener);
  if (!entry || !entry->listener) return 0;
  sockaddr_in where{};
  int size = sizeof where;
  if (::getsockname(static_cast<SOCKET>(entry->socket), reinterpret_cast<sockaddr*>(&where), &size) != 0 ||
      where.sin_family != AF_INET) {
    return 0;
  }
  return ntohs(where.sin_port);
}

Tcp::Handle Win32Tcp::Accept(Handle listener, std::string* peer) {
  Entry* entry = Find(listener);
  if (!entry || !entry->listener) return kNone;
  // Winsock sets the event again while further connections wait.
  ::WSAResetEvent(static_cast<WSAEVENT>(entry->event));
  for (;;) {
    sockaddr_in from{};
    int size = sizeof from;
    const SOCKET s = ::accept(static_cast<SOCKET>(entry->socket), reinterpret_cast<sockaddr*>(&from), &size);
    if (s == INVALID_SOCKET) {
      // A connection that was reset while it waited is gone; look for the next.
      if (::WSAGetLastError() == WSAECONNRESET) continue;
      return kNone;
    }
    // The new socket took over the listener's event selection; Adopt gives it
    // its own.
    const Handle handle = Adopt(static_cast<std::uintptr_t>(s), false);
    if (handle == kNone) continue;
    if (peer) {
      char name[INET_ADDRSTRLEN] = "?";
      ::inet_ntop(AF_INET, &from.sin_addr, name, sizeof name);
      *peer = std::string(name) + ":" + std::to_string(ntohs(from.sin_port));
    }
    return handle;
  }
}

long Win32Tcp::Read(Handle connection, std::string* into, std::size_t maximum) {
  Entry* entry = Find(connection);
  if (!entry || entry->listener) return -1;
  if (maximum == 0) return 0;
  const SOCKET s = static_cast<SOCKET>(entry->socket);
  WSANETWORKEVENTS seen{};
  // Resets the event; recv below has Winsock set it again when bytes remain.
  if (::WSAEnumNetworkEvents(s, static_cast<WSAEVENT>(entry->event), &seen) == 0 &&
      (seen.lNetworkEvents & FD_CLOSE) != 0) {
    entry->peerClosed = true;
  }
  const std::size_t before = into->size();
  into->resize(before + maximum);
  const int n = ::recv(s, into->data() + before, static_cast<int>(maximum), 0);
  const int error = n < 0 ? ::WSAGetLastError() : 0;
  into->resize(before + (n > 0 ? static_cast<std::size_t>(n) : 0));
  if (n > 0) {
    // FD_CLOSE comes once: the waiter must come back for the end.
    if (entry->peerClosed) ::WSASetEvent(static_cast<WSAEVENT>(entry->event));
    return n;
  }
  if (n < 0 && WouldBlock(error)) return 0;
  return -1;  // the peer closed its end (0), or the connection broke
}

long Win32Tcp::Write(Handle connection, std::string_view bytes) {
  Entry* entry = Find(connection);
  if (!entry || entry->listener) return -1;
  if (bytes.empty()) return 0;
  const int n = ::send(static_cast<SOCKET>(entry->socket), bytes.data(), static_cast<int>(bytes.size()), 0);
  if (n >= 0) return n;
  return WouldBlock(::WSAGetLastError()) ? 0 : -1;
}

void Win32Tcp::Close(Handle handle) {
  auto it = entries_.find(handle);
  if (it == entries_.end()) return;
  ::closesocket(static_cast<SOCKET>(it->second.socket));
  ::WSACloseEvent(static_cast<WSAEVENT>(it->second.event));
  entries_.erase(it);
}

Waitable Win32Tcp::Descriptor(Handle handle) const {
  const Entry* entry = Find(handle);
  return entry ? reinterpret_cast<Waitable>(entry->event) : kNoWaitable;
}

void Win32Tcp::Wait(const std::vector<Interest>& interests, int timeoutMs) {
  fd_set reads, writes, errors;
  FD_ZERO(&reads);
  FD_ZERO(&writes);
  FD_ZERO(&errors);
  bool any = false;
  for (const Interest& interest : interests) {
    const Entry* entry = Find(interest.handle);
    if (!entry || reads.fd_count >= FD_SETSIZE) continue;
    const SOCKET s = static_cast<SOCKET>(entry->socket);
    // An end already seen but not yet reported can go ahead at once.
    if (entry->peerClosed && interest.read) return;
    if (interest.read) FD_SET(s, &reads);
    if (interest.write) FD_SET(s, &writes);
    FD_SET(s, &errors);
    any = true;
  }
  if (!any) {
    // Nothing to watch: the time passes all the same, as a poll of no
    // descriptors does.
    if (timeoutMs < 0) {
      ::Sleep(INFINITE);
    } else if (timeoutMs > 0) {
      ::Sleep(static_cast<DWORD>(timeoutMs));
    }
    return;
  }
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  ::select(0, &reads, &writes, &errors, timeoutMs < 0 ? nullptr : &limit);
}

}  // namespace kelvaro
