// In-memory stand-ins for the platform services, for tests.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/screen.h"
#include "platform/voice.h"
#include "platform/window.h"

namespace kelvaro {

// Ports kept in memory. A test (or an in-memory radio) supplies what a port
// "receives"; everything written is kept per port.
class FakePorts : public Ports {
 public:
  struct Port {
    bool open = false;
    int speed = 0;
    int dataBits = 0, parity = 0, stopCode = 0;
    std::string written;   // every byte written since the start
    std::string incoming;  // bytes waiting to be read
    std::uint32_t opens = 0;  // OpenCount; a test adds one for a port that came back
  };

  bool OpenPort(int n, int speed) override;
  void SetReadTimeouts(int n, int msPerByte) override;
  bool SetLineFormat(int n, int dataBits, int parity, int stopCode) override;
  int WritePort(int n, std::string_view bytes) override;
  std::string ReadPort(int n, int maximum) override;
  int BytesWaiting(int n) override;
  void ClosePort(int n) override;
  // Hands out the next chunk of `later` for port n, if any, as if it had just
  // arrived; never waits.
  bool WaitForInput(int n, std::chrono::milliseconds timeout) override;
  std::uint32_t OpenCount(int n) const override;

  // Makes bytes arrive on port n (whether or not it is open; a closed port
  // never shows them).
  void Receive(int n, std::string_view bytes) { ports_[n].incoming += bytes; }
  // Called with every write on port n; what it returns arrives on port n.
  void SetResponder(int n, std::function<std::string(std::string_view)> responder) {
    responders_[n] = std::move(responder);
  }
  // Bytes that arrive on port n only while someone waits for input: each
  // wait takes the next chunk (an answer that comes in pieces, or late).
  void ReceiveLater(int n, std::string_view chunk) { later_[n].emplace_back(chunk); }
  // The waits for input, in order ("wait 5 150").
  std::vector<std::string> waits;
  std::filesystem::path DevicePath(int n) const override;
  std::string OpenFailure(int n) const override;

  // Ports that refuse to open, and the reason each gives (by default "No
  // such file or directory").
  std::set<int> unavailable;
  std::map<int, std::string> failureReasons;
  // The device each port stands for (none by default).
  std::map<int, std::filesystem::path> devices;
  // The operations in order, e.g. "close 5", "open 5 38400", "timeouts 5 -1",
  // "format 5 8 0 2", for checking opening sequences.
  std::vector<std::string> calls;

  Port& port(int n) { return ports_[n]; }
  // The commands written to port n, split after each ";".
  std::vector<std::string> Commands(int n);

 private:
  std::map<int, Port> ports_;
  std::map<int, std::function<std::string(std::string_view)>> responders_;
  std::map<int, std::deque<std::string>> later_;
};

// Records the files played instead of playing them; every play is instant.
class FakeVoice : public Voice {
 public:
  bool PlaySync(const std::filesystem::path& file) override;
  bool PlayAsync(const std::filesystem::path& file) override;
  // `length` for every file that is not missing.
  std::optional<std::chrono::milliseconds> Length(const std::filesystem::path& file) override;
  std::chrono::milliseconds length{150};

  // File names (without folder) that count as missing; with `allMissing` set
  // every file is missing (a machine without a phrase folder).
  std::set<std::string> missing;
  bool allMissing = false;
  // The full paths of the files played, in order, async ones included.
  std::vector<std::string> played;
  std::vector<bool> wasAsync;
};

// Keeps what was printed where, and the font each print used.
class FakeScreen : public Screen {
 public:
  struct Draw {
    int x = 0, y = 0;
    std::string font;  // "face/points/weight", empty before the first selection
    std::string text;
  };
  void SetPosition(int x, int y) override {
    x_ = x;
    y_ = y;
  }
  void Print(std::string_view text) override;
  void SelectFont(std::string_view face, int points, int weight) override;

  // The text of the last print that started at (x, y), or "" when none did.
  std::string TextAt(int x, int y) const;
  std::vector<Draw> draws;
  std::string font;

 private:
  int x_ = 0, y_ = 0;
};

class FakeClock : public Clock {
 public:
  LocalDateTime Now() override { return now; }
  void Sleep(std::chrono::milliseconds duration) override {
    sleeps.push_back(duration);
    steady += duration;
  }
  std::chrono::steady_clock::time_point Steady() override { return steady; }

  LocalDateTime now{2026, 12, 6, 3, 42, 37};
  std::vector<std::chrono::milliseconds> sleeps;
  std::chrono::steady_clock::time_point steady{};
};

// Hands out scripted messages; when the script has run out it asks to close.
class FakeWindow : public Window {
 public:
  bool Open(std::string_view caption, int x, int y, int width, int height, std::string* why) override;
  WindowMessage NextMessage() override;
  void StartTimer(int periodMs) override { timerPeriod = periodMs; }
  void StopTimer() override { timerPeriod = 0; }
  void Close() override { closed = true; }

  std::deque<WindowMessage> script;
  std::string caption;
  int x = 0, y = 0, width = 0, height = 0;
  int timerPeriod = 0;
  bool opened = false, closed = false;
  // Called before each message is handed out (a test can act between them).
  std::function<void()> beforeEachMessage;
};

}  // namespace kelvaro
