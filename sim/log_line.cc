#include "log_line.h"

#include <cstdio>
#include <ctime>

namespace ftx1sim {

std::string LogLine(std::chrono::system_clock::time_point when, std::string_view command) {
  using namespace std::chrono;
  std::time_t seconds = system_clock::to_time_t(when);
  long long ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
  if (ms < 0) ms += 1000;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03lld ", local.tm_hour, local.tm_min,
                local.tm_sec, ms);
  std::string line = stamp;
  for (char c : command) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f && c != '\\') {
      line += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
      line += escaped;
    }
  }
  return line;
}

}  // namespace ftx1sim
