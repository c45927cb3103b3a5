#include "test_support.h"

#include <fstream>
#include <random>

namespace kelvaro::testing {

TempDir::TempDir() {
  std::random_device rd;
  std::mt19937_64 gen(rd());
  for (;;) {
    path_ = std::filesystem::temp_directory_path() /
            ("kelvaro-test-" + std::to_string(gen() % 1000000000ULL));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(path_ / name, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

PanelOnFakes::PanelOnFakes(const std::filesystem::path& folder) : panel(ports, voice, screen, clock, folder) {
  panel.speechLog = &speech;
  panel.window = &window;
  panel.state.config.waveFolder = "wave\\";
}

std::vector<std::string> PanelOnFakes::TakeSpoken() {
  std::vector<std::string> out;
  std::istringstream in(speech.str());
  for (std::string line; std::getline(in, line);) out.push_back(line);
  speech.str("");
  speech.clear();
  return out;
}

std::vector<std::string> PanelOnFakes::TakeSent() {
  std::vector<std::string> all = ports.Commands(panel.state.config.comPort);
  std::vector<std::string> out(all.begin() + static_cast<long>(std::min(sentSeen_, all.size())), all.end());
  sentSeen_ = all.size();
  return out;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

}  // namespace kelvaro::testing
