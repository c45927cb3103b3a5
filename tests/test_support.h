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

// A panel on fakes in its own temporary folder, with the speech log captured.
struct TestPanel {
  TestPanel();
  TempDir dir;
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

// Splits text into lines ended by CR LF; a trailing part without an end is
// returned as a last line.
std::vector<std::string> SplitCrLf(const std::string& text);

}  // namespace kelvaro::testing
