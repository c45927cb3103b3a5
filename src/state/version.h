// The program's version: the window title, --version, the debug log header,
// the bank file's tag line and the Debian package (CMakeLists.txt reads it
// from here).
#pragma once

namespace kelvaro {

inline constexpr char kVersion[] = "3.5a";

}  // namespace kelvaro
