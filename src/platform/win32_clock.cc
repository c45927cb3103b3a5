#include "platform/win32_clock.h"

#include <windows.h>

namespace kelvaro {

LocalDateTime Win32Clock::Now() {
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  return LocalDateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

void Win32Clock::Sleep(std::chrono::milliseconds duration) {
  if (duration.count() > 0) ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace kelvaro
