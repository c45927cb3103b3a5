// Where the program finds what is installed with it: the phrase recordings
// and the simulated radio. The program entry passes in the folders to look
// in, so the panel itself knows no install paths.
#pragma once

#include <filesystem>
#include <vector>

namespace kelvaro {

// The phrase folder to use: wave/ in the working folder when it is there (so
// a folder of the operator's own recordings wins), else the first of
// `installed` that is a folder. Empty when there is none: the panel then
// plays nothing.
std::filesystem::path FindPhraseFolder(const std::filesystem::path& workDir,
                                       const std::vector<std::filesystem::path>& installed);

// The first of `candidates` that is a file the user may run; empty when none
// is.
std::filesystem::path FindProgram(const std::vector<std::filesystem::path>& candidates);

}  // namespace kelvaro
