#include "platform/win32_user_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>
#include <system_error>

namespace kelvaro {

namespace fs = std::filesystem;

namespace {

// A folder's name for a message, as UTF-8: a user's name need not fit the
// ANSI code page, in which path::string() would throw.
std::string Shown(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

fs::path UserFolder() {
  PWSTR documents = nullptr;
  fs::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &documents))) {
    folder = fs::path(documents) / "Kelvaro";
  }
  CoTaskMemFree(documents);
  return folder;
}

void UseUserFolderWhenInProgramFolder(const fs::path& program_folder, std::ostream& err) {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (ec || program_folder.empty() || !fs::equivalent(here, program_folder, ec) || ec) return;
  if (fs::exists(here / "kelvaro.cfg", ec)) return;
  const fs::path folder = UserFolder();
  if (folder.empty()) {
    err << "kelvaro: Windows gives no Documents folder; working in " << Shown(here) << "\n";
    return;
  }
  fs::create_directories(folder, ec);
  if (ec) {
    err << "kelvaro: cannot make " << Shown(folder) << ": " << ec.message() << "\n";
    return;
  }
  const fs::path config = folder / "kelvaro.cfg";
  const fs::path example = program_folder / "examples" / "kelvaro.cfg";
  if (!fs::exists(config, ec) && fs::exists(example, ec)) {
    // skip_existing: should another start have made it meanwhile, it stays.
    fs::copy_file(example, config, fs::copy_options::skip_existing, ec);
    if (ec) err << "kelvaro: cannot copy " << Shown(example) << " to " << Shown(config) << ": " << ec.message() << "\n";
  }
  fs::current_path(folder, ec);
  if (ec) err << "kelvaro: cannot work in " << Shown(folder) << ": " << ec.message() << "\n";
}

}  // namespace kelvaro
