// The real clock on Windows: local time from GetLocalTime, waiting by Sleep.
#pragma once

#include "platform/clock.h"

namespace kelvaro {

class Win32Clock : public Clock {
 public:
  LocalDateTime Now() override;
  void Sleep(std::chrono::milliseconds duration) override;
  std::chrono::steady_clock::time_point Steady() override { return std::chrono::steady_clock::now(); }
};

}  // namespace kelvaro
