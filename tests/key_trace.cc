// The key trace: for each seed, a long run of random keys (held keys, ticks
// and changes on the radio itself among them) through the program's main loop
// on the platform fakes, against the in-memory FTX-1. It prints, in the order
// they happen, every message handed to the panel, every write to the radio
// with the radio's answer, every phrase played, and at the end of the seed
// the bytes of every file left in the working folder (the memory bank file).
//
// The same seeds give the same trace, so two versions of the panel that
// behave alike print the same: scripts/differential.sh compares an earlier
// tree with this one. For that the trace uses only the program's outer
// interfaces (RunProgram, the fakes, the speech log, the working folder) and
// nothing of the panel's state, and the same source builds on both trees.
//
//   key_trace [SEEDS [KEYS]]     seeds 1..SEEDS (20), KEYS keys each (2000)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "key_draw.h"
#include "platform/fakes.h"
#include "platform/window.h"
#include "radio.h"
#include "state/panel.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

constexpr int kRadioPort = 5;
// Runs of the program in one seed (Q ends the program; it is started again).
constexpr int kMaxRuns = 200;
constexpr const char* kConfiguration =
    "com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=1\r\npwroff=0\r\n"
    "10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 0\r\ndebug=0\r\n";
constexpr const char* kRadioEvents[] = {"mode USB",     "mode CW",  "mode FM", "mode AM",
                                        "signal S9+20", "signal 0", "ptt on",  "ptt off"};

// Printable ASCII as it is, everything else (and "\") as \xNN.
std::string Escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

// A fresh folder under the system's temporary folder, removed afterwards.
struct WorkFolder {
  WorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "kelvaro-trace-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("key_trace: mkdtemp");
      std::exit(2);
    }
    path = pattern;
  }
  ~WorkFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

class Trace {
 public:
  Trace(std::uint64_t seed, int keys, std::ostream& out)
      : out_(out), rng_(seed), keysLeft_(keys), radio_(ftx1sim::Options{.seed = seed}) {}

  void Run() {
    WorkFolder folder;
    std::ofstream(folder.path / "kelvaro.cfg", std::ios::binary) << kConfiguration;
    ports_.SetResponder(kRadioPort, [this](std::string_view bytes) { return Answer(bytes); });
    window_.beforeEachMessage = [this] { NextStep(); };
    for (int i = 0; i < 6; ++i) steps_.push_back(Step{{kMsgTimer, 0}, ""});

    for (int run = 1; run <= kMaxRuns && (keysLeft_ > 0 || !steps_.empty()); ++run) {
      out_ << "start " << run << "\n";
      Panel panel(ports_, voice_, screen_, clock_, folder.path);
      panel.speechLog = &speech_;
      const int code = RunProgram(panel, window_);
      FlushSpeech();
      out_ << "end " << code << "\n";
      if (code != 0) break;
    }

    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder.path)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      out_ << "file " << file.filename().string() << " " << bytes.str().size() << " bytes\n";
      std::istringstream lines(bytes.str());
      for (std::string line; std::getline(lines, line);) out_ << "| " << Escaped(line) << "\n";
    }
  }

 private:
  // A message for the window, or (with an empty message code) a change on
  // the radio itself.
  struct Step {
    WindowMessage message;
    std::string radioEvent;
  };

  // Called before the main loop takes each message: hands it the next one
  // (none when the keys are used up: the window is closed).
  void NextStep() {
    FlushSpeech();
    if (!window_.script.empty()) return;
    for (;;) {
      if (steps_.empty()) {
        if (keysLeft_ <= 0) return;
        Draw();
      }
      const Step step = steps_.front();
      steps_.pop_front();
      if (step.message.code == 0) {
        out_ << "radio " << step.radioEvent << "\n";
        radio_.Control(step.radioEvent);
        continue;
      }
      window_.script.push_back(step.message);
      if (step.message.code == kMsgTimer) {
        out_ << "tick\n";
        radio_.Advance(50);
        clock_.steady += std::chrono::milliseconds(50);
      } else {
        out_ << (step.message.code == kMsgKeyDown ? "down " : "up ") << step.message.param << "\n";
      }
      return;
    }
  }

  // The next keys as the key fuzz test draws them (a key, or a sequence in
  // an entry), each maybe still held when the next comes, with ticks after
  // it; now and then the operator turns the radio's dial or the radio
  // changes by itself.
  void Draw() {
    if (rng_() % 40 == 0) {
      const std::uint64_t pick = rng_() % (std::size(kRadioEvents) + 2);
      std::string event;
      if (pick < std::size(kRadioEvents)) {
        event = kRadioEvents[pick];
      } else {
        event = (pick % 2 ? "dial -" : "dial +") + std::to_string((rng_() % 256 + 1) * 100);
      }
      steps_.push_back(Step{{0, 0}, event});
      return;
    }
    const std::vector<int> keys =
        rng_() % 5 == 0 ? testing::DrawSequence(rng_) : std::vector<int>{testing::DrawKey(rng_)};
    for (int key : keys) {
      --keysLeft_;
      steps_.push_back(Step{{kMsgKeyDown, key}, ""});
      if (rng_() % 10 != 0) steps_.push_back(Step{{kMsgKeyUp, key}, ""});
      for (int ticks = static_cast<int>(rng_() % 4); ticks > 0; --ticks) {
        steps_.push_back(Step{{kMsgTimer, 0}, ""});
      }
    }
  }

  std::string Answer(std::string_view bytes) {
    FlushSpeech();
    const std::string answer = radio_.Feed(bytes);
    out_ << "> " << Escaped(bytes);
    if (!answer.empty()) out_ << "  < " << Escaped(answer);
    out_ << "\n";
    return answer;
  }

  void FlushSpeech() {
    std::istringstream lines(speech_.str());
    for (std::string line; std::getline(lines, line);) out_ << "say " << Escaped(line) << "\n";
    speech_.str("");
    speech_.clear();
  }

  std::ostream& out_;
  std::mt19937_64 rng_;
  int keysLeft_;
  std::deque<Step> steps_;
  ftx1sim::Radio radio_;
  FakePorts ports_;
  FakeVoice voice_;
  FakeScreen screen_;
  FakeClock clock_;
  FakeWindow window_;
  std::ostringstream speech_;
};

int Number(const char* text, int fallback) {
  if (text == nullptr) return fallback;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (*end != '\0' || n < 1 || n > 1000000) {
    std::cerr << "usage: key_trace [SEEDS [KEYS]]\n";
    std::exit(2);
  }
  return static_cast<int>(n);
}

}  // namespace
}  // namespace kelvaro

int main(int argc, char** argv) {
  const int seeds = kelvaro::Number(argc > 1 ? argv[1] : nullptr, 20);
  const int keys = kelvaro::Number(argc > 2 ? argv[2] : nullptr, 2000);
  std::ios::sync_with_stdio(false);
  for (int seed = 1; seed <= seeds; ++seed) {
    std::cout << "seed " << seed << "\n";
    kelvaro::Trace(static_cast<std::uint64_t>(seed), keys, std::cout).Run();
  }
  std::cout.flush();
  return std::cout.good() ? 0 : 1;
}
