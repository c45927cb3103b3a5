// Something the main loop can wait on for input, the same type on every
// platform: a file descriptor on POSIX, a waitable object handle on Windows.
#pragma once

#include <cstdint>

namespace kelvaro {

using Waitable = std::intptr_t;
// Names nothing; a wait ignores it.
constexpr Waitable kNoWaitable = -1;

}  // namespace kelvaro
