// TCP through Winsock 2: IPv4, non-blocking sockets (FIONBIO), listeners with
// SO_EXCLUSIVEADDRUSE (a port in use is refused, never shared). Windows raises
// no signal for a write to a closed connection; the call fails instead.
//
// Handles are small numbers, counted up from 1 and never given twice, each
// naming one SOCKET. Every socket has an event of its own (WSAEventSelect for
// arriving connections, arriving bytes and the peer's close), which Descriptor
// gives to the main loop to wait on. Accept and Read reset the event before
// taking what is there; Winsock sets it again when more is left. A close seen
// while bytes were still unread keeps the event set until Read has reported
// the end.
#pragma once

#include <cstdint>
#include <map>

#include "platform/tcp.h"

namespace kelvaro {

class Win32Tcp : public Tcp {
 public:
  Win32Tcp();
  ~Win32Tcp() override;
  Win32Tcp(const Win32Tcp&) = delete;
  Win32Tcp& operator=(const Win32Tcp&) = delete;

  Handle Listen(std::string_view address, int port, std::string* error) override;
  int LocalPort(Handle listener) const override;
  Handle Accept(Handle listener, std::string* peer) override;
  long Read(Handle connection, std::string* into, std::size_t maximum) override;
  long Write(Handle connection, std::string_view bytes) override;
  void Close(Handle handle) override;
  Waitable Descriptor(Handle handle) const override;
  void Wait(const std::vector<Interest>& interests, int timeoutMs) override;

 private:
  struct Entry {
    std::uintptr_t socket;  // a SOCKET
    void* event;            // a WSAEVENT
    bool listener = false;
    bool peerClosed = false;  // FD_CLOSE seen, the end not yet reported
  };

  // The entry a handle names, or nullptr.
  Entry* Find(Handle handle);
  const Entry* Find(Handle handle) const;
  // Gives the socket its own event and a handle; kNone (and the socket
  // closed) when Winsock refuses.
  Handle Adopt(std::uintptr_t socket, bool listener);

  std::map<Handle, Entry> entries_;
  Handle next_ = 1;
};

}  // namespace kelvaro
