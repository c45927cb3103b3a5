// The real clock: local time from the C library, waiting by sleeping.
#pragma once

#include "platform/clock.h"

namespace kelvaro {

class PosixClock : public Clock {
 public:
  LocalDateTime Now() override;
  void Sleep(std::chrono::milliseconds duration) override;
  std::chrono::steady_clock::time_point Steady() override { return std::chrono::steady_clock::now(); }
};

}  // namespace kelvaro
