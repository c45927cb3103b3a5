// Shared helpers for the tests: a temporary working folder per test, and a
// panel wired to the in-memory platform fakes.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fakes.h"
#include "state/panel.h"

namespace kelvaro::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Writes a file in the folder with exactly these bytes.
  void Write(const std::string& name, const std::string& bytes) const;
  // The whole content of a file in the folder ("" when missing).
  std::string Read(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The platform fakes and a panel on them working in `folder`, with the speech
// log captured. The one fixture under the unit tests, the fuzz targets and
// the key trace; it needs no test framework.
struct PanelOnFakes {
  explicit PanelOnFakes(const std::filesystem::path& folder);
  PanelOnFakes(const PanelOnFakes&) = delete;
  PanelOnFakes& operator=(const PanelOnFakes&) = delete;
  FakePorts ports;
  FakeVoice voice;
  FakeScreen screen;
  FakeClock clock;
  FakeWindow window;
  std::ostringstream speech;
  Panel panel;

  // The phrase names spoken so far, exactly as passed, and forgets them.
  std::vector<std::string> TakeSpoken();
  // The commands written to the radio port so far, and forgets them.
  std::vector<std::string> TakeSent();

 private:
  std::size_t sentSeen_ = 0;
};

// Holds the folder of a TestPanel, so that it exists before the panel that
// works in it.
struct WithTempDir {
  TempDir dir;
};

// A panel on fakes in its own temporary folder, with the speech log captured.
struct TestPanel : WithTempDir, PanelOnFakes {
  TestPanel() : PanelOnFakes(dir.path()) {}
};

// Splits text into lines ended by CR LF; a trailing part without an end is
// returned as a last line.
std::vector<std::string> SplitCrLf(const std::string& text);

}  // namespace kelvaro::testing
