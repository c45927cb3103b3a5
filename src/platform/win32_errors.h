// The system's words for a Win32 or Winsock error code.
#pragma once

#include <string>

namespace kelvaro {

// FormatMessage's text for `error`, without the closing full stop and line
// end, so that it fits into a sentence; "system error N" when the system
// has no text for it.
std::string Win32ErrorText(unsigned long error);

}  // namespace kelvaro
