#include "app/locations.h"

#include "platform/access.h"

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
  for (const fs::path& program : candidates) {
    if (!program.empty() && IsRunnable(program)) return program;
  }
  return {};
}

}  // namespace kelvaro
