// TCP through POSIX sockets: IPv4, non-blocking, SO_REUSEADDR on listeners
// (a restarted panel gets its port back at once), MSG_NOSIGNAL on every
// send. Handles are the sockets' descriptors.
#pragma once

#include "platform/tcp.h"

namespace kelvaro {

class PosixTcp : public Tcp {
 public:
  PosixTcp() = default;
  PosixTcp(const PosixTcp&) = delete;
  PosixTcp& operator=(const PosixTcp&) = delete;

  Handle Listen(std::string_view address, int port, std::string* error) override;
  int LocalPort(Handle listener) const override;
  Handle Accept(Handle listener, std::string* peer) override;
  long Read(Handle connection, std::string* into, std::size_t maximum) override;
  long Write(Handle connection, std::string_view bytes) override;
  void Close(Handle handle) override;
  Waitable Descriptor(Handle handle) const override { return handle; }
  void Wait(const std::vector<Interest>& interests, int timeoutMs) override;
};

}  // namespace kelvaro
