// The operator's own working folder on Windows. The installer puts kelvaro.exe
// under Program Files, which an operator cannot write to, and its Start-menu
// shortcut starts the program there; kelvaro.cfg, savmem.dat and the reports
// belong in a folder of the operator's own instead.
#pragma once

#include <filesystem>
#include <ostream>

namespace kelvaro {

// When the working folder is the program's folder and there is no kelvaro.cfg
// in it (so not a copy run in place from a folder of its own), makes
// Documents\Kelvaro the working folder: created when missing, and given a
// copy of the example configuration (examples\kelvaro.cfg beside the program)
// when it has no kelvaro.cfg. An operator's kelvaro.cfg is never replaced.
// Says on `err` what went wrong and leaves the working folder as it was when
// the folder cannot be made.
void UseUserFolderWhenInProgramFolder(const std::filesystem::path& program_folder, std::ostream& err);

// Documents\Kelvaro of the user running the program; empty when Windows
// gives no Documents folder.
std::filesystem::path UserFolder();

}  // namespace kelvaro
