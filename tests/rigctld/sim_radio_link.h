// A radio link for the network endpoint's tests: the in-memory FTX-1 stand-in
// answers every command. Answers to queries go back to the endpoint at once
// (inside Send, as a link may do) or are held until Deliver(), as a real link
// hands them over on a later pass.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "radio.h"
#include "rigctld/endpoint.h"

namespace kelvaro::testing {

class SimRadioLink : public rigctld::RadioAccess {
 public:
  explicit SimRadioLink(ftx1sim::Options options = {}) : radio(options) {}

  void Attach(rigctld::Endpoint* endpoint) { endpoint_ = endpoint; }

  void Send(int ticket, std::string_view command, bool query) override {
    const std::string text = std::string(command) + ";";
    sent += text;
    std::string answer = radio.Feed(text);
    auto forced = answers.find(text);
    if (forced != answers.end()) answer = forced->second;
    if (!query) {
      if (!answer.empty()) unclaimed.push_back(answer);
      return;
    }
    std::optional<std::string> reply;
    if (!answer.empty()) reply = answer;
    if (answerAtOnce && endpoint_) {
      endpoint_->OnAnswer(ticket, reply ? std::optional<std::string_view>(*reply) : std::nullopt);
    } else {
      held.emplace_back(ticket, std::move(reply));
    }
  }

  void Changed(std::string_view command) override { changed.emplace_back(command); }

  // Hands every held answer to the endpoint, oldest first; returns how many.
  int Deliver() {
    int count = 0;
    while (!held.empty() && endpoint_) {
      auto [ticket, reply] = std::move(held.front());
      held.pop_front();
      endpoint_->OnAnswer(ticket, reply ? std::optional<std::string_view>(*reply) : std::nullopt);
      ++count;
    }
    return count;
  }
  // The commands sent since the last call, each with its ";".
  std::string TakeSent() {
    std::string taken;
    taken.swap(sent);
    return taken;
  }

  ftx1sim::Radio radio;
  bool answerAtOnce = true;
  // Answers that replace the radio's own for a command ("FA;" -> "?;").
  std::map<std::string, std::string> answers;
  std::string sent;
  std::vector<std::string> changed;
  std::vector<std::string> unclaimed;  // answers to sets, which nobody asked for
  std::deque<std::pair<int, std::optional<std::string>>> held;

 private:
  rigctld::Endpoint* endpoint_ = nullptr;
};

}  // namespace kelvaro::testing
