// TCP for the panel's network endpoints: IPv4 listening sockets and the
// connections they accept, all non-blocking.
//
// A handle names one listening socket or one connection for the life of the
// service; -1 names nothing. No call ever waits except Wait, and none raises a
// signal when the other end has gone (a write to a closed connection reports
// -1 instead of SIGPIPE).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/waitable.h"

namespace kelvaro {

class Tcp {
 public:
  using Handle = int;
  static constexpr Handle kNone = -1;

  // What a caller waits for on one handle: a waiting connection or bytes to
  // read (`read`), or room to write (`write`).
  struct Interest {
    Handle handle = kNone;
    bool read = true;
    bool write = false;
  };

  virtual ~Tcp() = default;

  // Listens on `address` (IPv4 dotted quad) and `port` (0 picks a free one).
  // Returns the listener's handle, or kNone with a readable reason in `error`.
  virtual Handle Listen(std::string_view address, int port, std::string* error) = 0;
  // The port a listener is bound to; 0 for anything else.
  virtual int LocalPort(Handle listener) const = 0;
  // Takes one waiting connection: its handle, with the peer as
  // "address:port" in `peer`; kNone when none waits.
  virtual Handle Accept(Handle listener, std::string* peer) = 0;
  // Appends at most `maximum` bytes that have arrived on a connection to
  // `into`. Returns the count appended, 0 when nothing waits, -1 when the peer
  // has closed its end (after everything it sent has been read) or the
  // connection broke.
  virtual long Read(Handle connection, std::string* into, std::size_t maximum) = 0;
  // Writes as much of `bytes` as fits now. Returns the count taken (0 when
  // nothing fits), or -1 when the connection is broken.
  virtual long Write(Handle connection, std::string_view bytes) = 0;
  // Closes a listener or a connection; its handle names nothing afterwards.
  virtual void Close(Handle handle) = 0;
  // What a caller waits on for a handle's input together with its other
  // inputs; kNoWaitable when there is none.
  virtual Waitable Descriptor(Handle handle) const = 0;
  // Waits up to `timeoutMs` until one of the interests can go ahead (at once
  // when one already can; a negative time-out waits without end).
  virtual void Wait(const std::vector<Interest>& interests, int timeoutMs) = 0;
};

}  // namespace kelvaro
