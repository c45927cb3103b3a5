// TCP kept in memory, for tests. The test plays the clients: it connects to a
// listener, sends bytes, takes what the service wrote, closes its end, and can
// stop reading (a client whose window is full).
#pragma once

#include <cstddef>
#include <deque>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/tcp.h"

namespace kelvaro {

class FakeTcp : public Tcp {
 public:
  struct Connection {
    std::string peer;           // "127.0.0.1:<n>", as Accept reports it
    bool accepted = false;
    std::string toService;      // sent by the client, not yet read by the service
    std::string fromService;    // written by the service, not yet taken by the client
    bool clientClosed = false;  // the client closed its end
    bool serviceClosed = false; // the service closed the connection
    bool broken = false;        // the connection broke: reads and writes fail
    // How many more bytes the service's writes may place before the client
    // takes them (the client's receive window plus the service's send buffer).
    std::size_t room = std::numeric_limits<std::size_t>::max();
  };

  Handle Listen(std::string_view address, int port, std::string* error) override;
  int LocalPort(Handle listener) const override;
  Handle Accept(Handle listener, std::string* peer) override;
  long Read(Handle connection, std::string* into, std::size_t maximum) override;
  long Write(Handle connection, std::string_view bytes) override;
  void Close(Handle handle) override;
  Waitable Descriptor(Handle) const override { return kNoWaitable; }
  void Wait(const std::vector<Interest>&, int) override { ++waits; }

  // The client's side. Connect returns the new connection's handle (the same
  // one Accept hands to the service), or kNone when nothing listens there.
  Handle Connect(std::string_view address, int port);
  void Send(Handle connection, std::string_view bytes) { connections_.at(connection).toService += bytes; }
  // Takes what the service has written so far.
  std::string Take(Handle connection);
  void CloseClient(Handle connection) { connections_.at(connection).clientClosed = true; }
  Connection& connection(Handle handle) { return connections_.at(handle); }
  bool IsOpen(Handle handle) const;

  // Addresses and ports on which Listen fails ("address:port").
  std::set<std::string> refused;
  // Connections taken by Accept and not yet closed by the service.
  int OpenConnections() const;
  int waits = 0;

 private:
  struct Listener {
    std::string address;
    int port = 0;
    std::deque<Handle> waiting;
  };
  std::map<Handle, Listener> listeners_;
  std::map<Handle, Connection> connections_;
  Handle next_ = 3;
  int nextPeerPort_ = 40000;
  int nextFreePort_ = 50000;
};

}  // namespace kelvaro
