// The rigctld endpoint wired to the panel: network clients' CAT commands go
// through the radio link like everyone else's, and the panel follows what
// they change.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "rigctld/endpoint.h"
#include "state/panel.h"

namespace kelvaro {

// Something more the main loop waits on and serves after every message.
class LoopService {
 public:
  virtual ~LoopService() = default;
  // Descriptors to wake the loop (-1 entries are ignored).
  virtual std::vector<Waitable> Inputs() = 0;
  // Runs after every message; never waits.
  virtual void Service() = 0;
  // Runs every few milliseconds while a phrase is spoken: traffic moves, but
  // nothing may be spoken or change what the speaking operation works on.
  virtual void WhileSpeaking() = 0;
};

// The radio side of the endpoint and its place in the main loop. A mode set
// by a client is followed like the pass-through's (without sending the
// band's stored frequency); a transmit on or off is said as the transmit key
// says it ("tx" "on", "tx" "off"), so the operator always hears when the
// radio transmits; frequency changes reach the panel through the poll.
class NetworkLink : public rigctld::RadioAccess, public LoopService {
 public:
  NetworkLink(Panel& panel, Tcp& tcp) : panel_(panel), tcp_(tcp) {}
  void Attach(rigctld::Endpoint* endpoint) { endpoint_ = endpoint; }

  void Send(int ticket, std::string_view command, bool query) override;
  void Changed(std::string_view command) override;
  std::vector<Waitable> Inputs() override;
  void Service() override;
  void WhileSpeaking() override;

 private:
  // What a client changed, for the panel to follow.
  void Follow(std::string_view command);
  void Serve();

  Panel& panel_;
  Tcp& tcp_;
  rigctld::Endpoint* endpoint_ = nullptr;
  std::map<std::uint32_t, int> tickets_;  // the link's ticket -> the endpoint's
  bool speaking_ = false;
  std::vector<std::string> changedMeanwhile_;  // followed once the phrase has ended
};

}  // namespace kelvaro
