// What the system allows, on Windows: the user's name, and whether a folder
// may be written or a program run. Windows has no device owners or mode bits
// for the set-up to read: a COM port opens for whoever asks first.
#include <windows.h>

#include "platform/access.h"

namespace kelvaro {

UserFacts CurrentUser() {
  UserFacts user;
  char name[257] = {};
  DWORD size = sizeof name;
  if (GetUserNameA(name, &size)) user.name = name;
  return user;
}

bool ReadDeviceFacts(const std::filesystem::path& /*path*/, DeviceFacts* /*facts*/) { return false; }

bool MayWriteIn(const std::filesystem::path& folder, std::string* why) {
  // The folder's attributes do not tell (its read-only flag means nothing for
  // folders); making a file that goes away when closed does.
  const std::filesystem::path probe = folder / ".kelvaro-write-test";
  HANDLE file = CreateFileW(probe.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  if (why != nullptr) {
    const DWORD error = GetLastError();
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.')) {
      text[--length] = '\0';
    }
    *why = length > 0 ? std::string(text) : "Windows error " + std::to_string(error);
  }
  return false;
}

bool IsRunnable(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".cmd";
}

}  // namespace kelvaro
