#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <system_error>

#include "app/config.h"
#include "app/identify.h"
#include "app/startup.h"
#include "memory/records.h"
#include "state/version.h"

namespace kelvaro::fuzz {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderPrefix = "kelvaro-fuzz-";

void RemoveWorkFolder() {
  std::error_code ec;
  fs::remove_all(WorkFolder(), ec);
}

// A run that ended in a crash leaves its folder behind; the next run removes
// the folders of processes that are gone.
void RemoveStaleFolders(const fs::path& base) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(base, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kFolderPrefix, 0) != 0) continue;
    const std::string pid = name.substr(kFolderPrefix.size());
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ignored;
    if (!fs::exists("/proc/" + pid, ignored)) fs::remove_all(entry.path(), ignored);
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** fuzz check failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

const fs::path& WorkFolder() {
  static const fs::path folder = [] {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (::access("/dev/shm", W_OK) == 0 && fs::is_directory("/dev/shm", ec)) base = "/dev/shm";
    RemoveStaleFolders(base);
    fs::path path = base / (std::string(kFolderPrefix) + std::to_string(::getpid()));
    fs::create_directories(path, ec);
    if (ec) Fail("cannot create the working folder " + path.string());
    return path;
  }();
  // Registered once the folder's name exists, so the removal runs before the
  // name is destroyed at exit.
  static const bool removedAtExit = std::atexit(RemoveWorkFolder) == 0;
  (void)removedAtExit;
  return folder;
}

void ClearWorkFolder() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(WorkFolder(), ec)) {
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}

void WriteWorkFile(std::string_view name, std::string_view bytes) {
  std::ofstream out(WorkFolder() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good(), "cannot write " + std::string(name));
}

bool ReadWorkFile(std::string_view name, std::string* bytes) {
  std::ifstream in(WorkFolder() / name, std::ios::binary);
  if (!in.is_open()) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return true;
}

std::string StandardConfiguration(int passThroughPort, bool debugLog) {
  std::string vport = passThroughPort > 9 ? std::to_string(passThroughPort) : " " + std::to_string(passThroughPort);
  return "com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=1\r\npwroff=0\r\n"
         "10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\n"
         "vport=" + vport + "\r\ndebug=" + (debugLog ? "1" : "0") + "\r\n";
}

void SetFixedTexts(PanelState& s) {
  s.config.versionText = kVersion;
  s.config.titleText = "*** Kelvaro V " + std::string(kVersion) + " ***";
  s.config.waveFolder = "wave\\";
}

bool StartPanel(FuzzPanel& t, const std::string& configuration) {
  SetFixedTexts(t.panel.state);
  std::istringstream in(configuration);
  ReadConfiguration(t.panel, in);
  InitialisePanel(t.panel);
  IdentifyRadio(t.panel);
  if (t.panel.processEnded) return false;
  t.panel.state.entry.runFlag = true;
  return true;
}

std::vector<std::string> CommandsOn(FakePorts& ports, int port) {
  if (port < 1 || port > kMaxPortNumber) return {};
  return ports.Commands(port);
}

std::vector<std::string> NewCommandsOn(FakePorts& ports, int port, std::size_t* seen) {
  std::vector<std::string> out;
  if (port < 1 || port > kMaxPortNumber) return out;
  const std::string& written = ports.port(port).written;
  for (std::size_t end = written.find(';', *seen); end != std::string::npos; end = written.find(';', *seen)) {
    out.push_back(written.substr(*seen, end + 1 - *seen));
    *seen = end + 1;
  }
  return out;
}

std::string BadFrequencyText(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return "no point";
  if (text.size() != point + 7) return "not six digits after the point";
  for (char c : text.substr(point + 1)) {
    if (!IsDigit(c)) return "not six digits after the point";
  }
  const std::string_view mhz = text.substr(0, point);
  std::size_t blanks = 0;
  while (blanks < mhz.size() && mhz[blanks] == ' ') ++blanks;
  for (char c : mhz.substr(blanks)) {
    if (!IsDigit(c)) return "megahertz not digits";
  }
  if (blanks > 0) {
    // The panel form: always three places before the point, blanks for the
    // leading zeros.
    if (mhz.size() != 3) return "panel form not 10 characters";
    if (blanks < mhz.size() && mhz[blanks] == '0') return "a leading zero after the blanks";
    return "";
  }
  if (mhz.empty() || mhz.size() > 3) return "megahertz not 1 to 3 digits";
  if (mhz.size() > 1 && mhz[0] == '0') return "a leading zero";
  return "";
}

void CheckRecords(const PanelState& s) {
  for (int band = 1; band <= kBandCount; ++band) {
    FUZZ_CHECK(IsBandRecord(s.banks.bandRecords[band]),
               "band record " + std::to_string(band) + " lost its layout: \"" + s.banks.bandRecords[band].str() + "\"");
  }
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const Text& record = s.banks.memoryChannels[channel];
    FUZZ_CHECK(record == "9" || IsChannelRecord(record),
               "memory channel " + std::to_string(channel) + " lost its layout: \"" + record.str() + "\"");
  }
}

void CheckSpokenPhrases(FuzzPanel& t) {
  for (const std::string& name : t.TakeSpoken()) {
    FUZZ_CHECK(IsRecording(name), "a phrase without a recording was played: \"" + name + "\"");
  }
}

void LoadVocabulary() {
  FUZZ_CHECK(!Vocabulary().empty(), "cannot read " KELVARO_VOICE_DIR "/vocabulary.tsv");
}

std::vector<std::string> FileLines(std::string_view bytes, std::size_t max) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
      open = false;
      continue;
    }
    open = true;
    if (line.size() < max) line.push_back(c);
  }
  if (open) lines.push_back(line);
  return lines;
}

}  // namespace kelvaro::fuzz
