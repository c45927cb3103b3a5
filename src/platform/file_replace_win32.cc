// Replacing a file on Windows: the data goes to a fresh temporary file that is
// flushed to the disk, then MoveFileEx puts it in place in one step and does
// not return before the move is on the disk.
#include <windows.h>

#include "platform/file_replace.h"

namespace kelvaro {

bool ReplaceFileSafely(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path target = path;
  std::filesystem::path temp = target;
  temp.replace_extension(".tmp");
  if (temp == target) temp += ".new";
  const std::string targetName = target.string();
  const std::string tempName = temp.string();

  // A file the user has made read-only is not replaced behind their back.
  const DWORD attributes = GetFileAttributesA(targetName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }

  // A temporary file left by an interrupted save is dropped first; CREATE_NEW
  // then makes sure the data goes into a fresh file of our own.
  DeleteFileA(tempName.c_str());
  HANDLE file = CreateFileA(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && !bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(bytes.size());
    ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) != 0 && written > 0;
    if (ok) bytes.remove_prefix(written);
  }
  if (ok) ok = FlushFileBuffers(file) != 0;
  if (CloseHandle(file) == 0) ok = false;
  if (ok) ok = MoveFileExA(tempName.c_str(), targetName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) {
    DeleteFileA(tempName.c_str());
    return false;
  }
  return true;
}

}  // namespace kelvaro
