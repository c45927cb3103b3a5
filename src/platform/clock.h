// Local time and waiting.
#pragma once

#include <chrono>

namespace kelvaro {

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;

  virtual LocalDateTime Now() = 0;
  // Waits the given time (the fake returns at once and records it).
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
  // A clock that only goes forward, for deadlines (the fake moves it by its
  // sleeps and by hand).
  virtual std::chrono::steady_clock::time_point Steady() = 0;
};

}  // namespace kelvaro
