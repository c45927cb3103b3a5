#include "display/frequency_text.h"

#include "state/text.h"

namespace kelvaro {

std::string FrequencyTextOf(std::string_view command) {
  std::string mhz = Mid(command, 3, 3);
  for (int i = 0; i < 2 && Left(mhz, 1) == "0"; ++i) mhz = Mid(mhz, 2);
  return mhz + "." + Right(command, 6);
}

}  // namespace kelvaro
