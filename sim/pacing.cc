#include "pacing.h"

#include <algorithm>

namespace ftx1sim {

Pacing::Pacing(Radio& radio, TimePoint start, std::chrono::milliseconds answerDelay, int baud,
               std::optional<std::chrono::milliseconds> setDelay)
    : radio_(radio),
      start_(start),
      answerDelay_(answerDelay),
      setDelay_(setDelay.value_or(answerDelay)),
      characterTime_(baud > 0 ? std::chrono::nanoseconds(kBitsPerCharacter * 1000000000LL / baud)
                              : std::chrono::nanoseconds(0)),
      freeAt_(start) {}

void Pacing::Receive(std::string_view bytes, TimePoint now) {
  radio_.SetTime(ModelTime(now));
  for (auto& command : radio_.Receive(bytes)) {
    if (jobs_.size() >= kMaxWaiting) continue;
    jobs_.push_back({now, true, std::move(command), {}});
  }
}

void Pacing::QueueUnsolicited(TimePoint now) {
  std::string bytes = radio_.TakeUnsolicited();
  if (!bytes.empty()) jobs_.push_back({now, false, {}, std::move(bytes)});
}

void Pacing::StartSending(std::string bytes, TimePoint at) {
  sending_ = std::move(bytes);
  sentCount_ = 0;
  sendStart_ = at;
}

void Pacing::Advance(TimePoint now) {
  for (;;) {
    if (sentCount_ < sending_.size()) {
      while (sentCount_ < sending_.size() && CharacterDue(sentCount_) <= now) sent_ += sending_[sentCount_++];
      if (sentCount_ < sending_.size()) return;
      freeAt_ = CharacterDue(sending_.size() - 1);
      sending_.clear();
      sentCount_ = 0;
      continue;
    }
    if (working_) {
      if (workDone_ > now) return;
      working_ = false;
      std::string answer = handled_ ? std::move(answer_) : HandleCurrent(now);
      answer_.clear();
      freeAt_ = workDone_;
      if (!answer.empty()) StartSending(std::move(answer), workDone_);
      continue;
    }
    if (jobs_.empty()) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    auto begin = std::max(freeAt_, job.arrived);
    if (job.isCommand) {
      current_ = std::move(job.command);
      working_ = true;
      handled_ = setDelay_ != answerDelay_;
      if (handled_) {
        // Whether the command answers decides how long it takes, so it is
        // carried out as the radio takes it.
        answer_ = HandleCurrent(begin);
        workDone_ = begin + (answer_.empty() ? setDelay_ : answerDelay_);
      } else {
        workDone_ = begin + answerDelay_;
      }
    } else {
      StartSending(std::move(job.bytes), begin);
    }
  }
}

std::string Pacing::HandleCurrent(TimePoint at) {
  radio_.SetTime(ModelTime(at));
  const int refusedBefore = radio_.Refusals();
  std::string answer = radio_.Handle(current_);
  if (radio_.Refusals() != refusedBefore && onRefused_) onRefused_(radio_.Refusals(), current_.text);
  return answer + radio_.TakeUnsolicited();  // what the command set off follows its answer
}

std::string Pacing::TakeSent() {
  std::string out;
  out.swap(sent_);
  return out;
}

Pacing::TimePoint Pacing::NextDue() const {
  if (sentCount_ < sending_.size()) return CharacterDue(sentCount_);
  if (working_) return workDone_;
  if (!jobs_.empty()) return std::max(freeAt_, jobs_.front().arrived);
  return TimePoint::max();
}

void Pacing::Abandon(TimePoint now) {
  radio_.SetTime(ModelTime(now));
  if (working_ && !handled_) radio_.Handle(current_);
  for (const Job& job : jobs_)
    if (job.isCommand) radio_.Handle(job.command);
  radio_.TakeUnsolicited();
  working_ = false;
  answer_.clear();
  jobs_.clear();
  sending_.clear();
  sentCount_ = 0;
  sent_.clear();
  freeAt_ = now;
}

}  // namespace ftx1sim
