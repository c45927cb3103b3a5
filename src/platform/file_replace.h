// Replacing a file so that a crash or power loss at any moment leaves either
// the complete old file or the complete new one, never a damaged one.
#pragma once

#include <filesystem>
#include <string_view>

namespace kelvaro {

// Writes `bytes` to a temporary file beside the file at `path` ("savmem.dat"
// uses "savmem.tmp"), flushes it to the disk, renames it over the file and
// flushes the folder (POSIX; on Windows the file is renamed over with
// MoveFileEx, written through). A symbolic link at `path` is followed, so the file it
// points to is replaced and the link stays. Returns false, leaving the old
// file untouched and no temporary file behind, when any step fails (folder
// missing or read-only, the path is a folder, a file the user may not write).
bool ReplaceFileSafely(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kelvaro
