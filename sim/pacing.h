// A real radio's timing around the FTX-1 model: one command at a time, each
// worked on for the answer delay, the answer put on the line a character at a
// time at the line rate.
//
// Commands are handled in the order received: the radio takes a command when
// it has finished with the one before, and works on it for the answer delay.
// A set command takes that time too and sends nothing. The answer then goes
// out at the line rate (11 bits a character, 8N2), each character when it
// would have arrived, so a reader that polls sees partial answers; the next
// command is taken when its last character is out. A set command may be given
// a time of its own (a radio that takes a setting at once). What the radio sends by
// itself (auto-information) queues behind the commands received before it and
// goes out at the line rate without a delay; when it follows a set command it
// goes out as that command's answer. A delay and a rate of 0 give answers at
// once. At most 256 received commands wait; more are dropped, as an overrun
// radio would.
//
// Time is handed in (a steady clock's time points): ftx1-sim passes the wall
// clock, the simulated port the panel's clock. The model's time is the time
// since `start`. Times follow the schedule, not the moment Advance runs, so a
// late call does not stretch it.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "radio.h"

namespace ftx1sim {

class Pacing {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // Received commands waiting for the radio; beyond this they are dropped.
  static constexpr std::size_t kMaxWaiting = 256;
  // Bits on the line per character: start, 8 data, 2 stop.
  static constexpr long long kBitsPerCharacter = 11;

  // `baud` 0: answers unpaced. `setDelay`: the time a command that answers
  // nothing takes; by default the answer delay.
  Pacing(Radio& radio, TimePoint start, std::chrono::milliseconds answerDelay, int baud,
         std::optional<std::chrono::milliseconds> setDelay = std::nullopt);

  // Called with the count of refusals and the command when the radio refuses
  // one ("?;").
  void SetRefusalObserver(std::function<void(int, const std::string&)> observer) {
    onRefused_ = std::move(observer);
  }

  // Bytes received at `now`: the commands they complete wait for the radio.
  void Receive(std::string_view bytes, TimePoint now);
  // What the radio sent by itself at `now` (after a control line) queues
  // behind the commands before it.
  void QueueUnsolicited(TimePoint now);
  // Moves the radio on to `now`: finishes the command worked on, puts the
  // characters whose time has come on the line, takes the next job when the
  // line is free.
  void Advance(TimePoint now);
  // The characters put on the line since the last call.
  std::string TakeSent();
  // When Advance next has something to do; TimePoint::max() when nothing.
  TimePoint NextDue() const;
  // The other side went away or came anew: answers on the way belong to
  // nobody. Commands already received still take effect.
  void Abandon(TimePoint now);

  // The model's time at `now`, in milliseconds since the start.
  std::int64_t ModelTime(TimePoint now) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
  }

 private:
  // Something for the radio to do, in the order it came: a received command,
  // or output the radio sends by itself.
  struct Job {
    TimePoint arrived;
    bool isCommand = true;
    Radio::Command command;
    std::string bytes;  // unsolicited output
  };

  // When character `i` of the answer being sent has fully arrived at the
  // other end.
  TimePoint CharacterDue(std::size_t i) const {
    return sendStart_ + characterTime_ * static_cast<long long>(i + 1);
  }
  void StartSending(std::string bytes, TimePoint at);
  // Carries out current_ at `at`: its answer and what it set off.
  std::string HandleCurrent(TimePoint at);

  Radio& radio_;
  const TimePoint start_;
  const std::chrono::steady_clock::duration answerDelay_;
  const std::chrono::steady_clock::duration setDelay_;
  const std::chrono::nanoseconds characterTime_;
  std::function<void(int, const std::string&)> onRefused_;
  std::deque<Job> jobs_;       // waiting for the radio, oldest first
  bool working_ = false;       // current_ is being worked on until workDone_
  Radio::Command current_;
  TimePoint workDone_{};
  bool handled_ = false;       // current_ was carried out when taken; answer_ waits
  std::string answer_;
  std::string sending_;        // the answer going out at the line rate
  std::size_t sentCount_ = 0;  // its characters already on the line
  TimePoint sendStart_{};
  TimePoint freeAt_{};         // when the radio finished its last job
  std::string sent_;           // on the line, not yet taken by TakeSent
};

}  // namespace ftx1sim
