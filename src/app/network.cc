#include "app/network.h"

#include "traffic/passthrough.h"
#include "link/cat.h"
#include "speech/phrase.h"

namespace kelvaro {

void NetworkLink::Send(int ticket, std::string_view command, bool query) {
  const std::uint32_t sent = SendFor(panel_, command, Asker::kNetwork, query);
  if (query) tickets_[sent] = ticket;
}

void NetworkLink::Changed(std::string_view command) {
  if (speaking_) {
    changedMeanwhile_.emplace_back(command);
  } else {
    Follow(command);
  }
}

void NetworkLink::Follow(std::string_view command) {
  PanelState& s = panel_.state;
  if (command.substr(0, 3) == "MD0") {
    FollowModeSet(panel_, command);
  } else if (command == "TX1" && s.tick.txState == TxState::kReceiving) {
    PlayPhrase(panel_, "tx");
    PlayPhrase(panel_, "on");
    s.tick.txState = TxState::kTransmitting;
    s.tick.txHoldoff = 2;
    s.tick.tunerArmed = false;
  } else if (command == "TX0" && s.tick.txState != TxState::kReceiving) {
    s.tick.txState = TxState::kReceiving;
    PlayPhrase(panel_, "tx");
    PlayPhrase(panel_, "off");
  }
}

std::vector<Waitable> NetworkLink::Inputs() {
  std::vector<Waitable> handles;
  if (endpoint_ == nullptr) return handles;
  // Only what the endpoint would read now: a client it holds back (its input
  // full while a command waits for the radio) must not wake the loop again
  // and again.
  for (const Tcp::Interest& interest : endpoint_->Interests()) {
    if (interest.read) handles.push_back(tcp_.Descriptor(interest.handle));
  }
  return handles;
}

void NetworkLink::Service() {
  if (endpoint_ == nullptr) return;
  std::vector<std::string> changed;
  changed.swap(changedMeanwhile_);
  for (const std::string& command : changed) Follow(command);
  Serve();
}

void NetworkLink::WhileSpeaking() {
  if (endpoint_ == nullptr || speaking_) return;
  const KeepExchangeTexts kept(panel_.state);
  speaking_ = true;
  Serve();
  speaking_ = false;
}

void NetworkLink::Serve() {
  ReceiveAnswers(panel_);
  // A few rounds at most: answers that come at once let the next command go.
  for (int round = 0; round < 4; ++round) {
    while (!panel_.link.forNetwork.empty()) {
      RoutedAnswer answer = std::move(panel_.link.forNetwork.front());
      panel_.link.forNetwork.pop_front();
      auto ticket = tickets_.find(answer.ticket);
      if (ticket == tickets_.end()) continue;
      const int endpointTicket = ticket->second;
      tickets_.erase(ticket);
      if (answer.text.empty()) {
        endpoint_->OnAnswer(endpointTicket, std::nullopt);
      } else {
        endpoint_->OnAnswer(endpointTicket, std::string_view(answer.text));
      }
    }
    endpoint_->Poll();
    if (!endpoint_->HasWork() && panel_.link.forNetwork.empty()) break;
  }
}

}  // namespace kelvaro
