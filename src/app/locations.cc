#include "app/locations.h"

#include <unistd.h>

namespace kelvaro {

namespace fs = std::filesystem;

fs::path FindPhraseFolder(const fs::path& workDir, const std::vector<fs::path>& installed) {
  std::error_code ec;
  if (fs::is_directory(workDir / "wave", ec)) return workDir / "wave";
  for (const fs::path& folder : installed) {
    if (!folder.empty() && fs::is_directory(folder, ec)) return folder;
  }
  return {};
}

fs::path FindProgram(const std::vector<fs::path>& candidates) {
  std::error_code ec;
  for (const fs::path& program : candidates) {
    if (!program.empty() && fs::is_regular_file(program, ec) && ::access(program.c_str(), X_OK) == 0) {
      return program;
    }
  }
  return {};
}

}  // namespace kelvaro
