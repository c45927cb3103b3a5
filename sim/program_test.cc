// The ftx1-sim program over a real pseudo-terminal, driven through the panel's
// own serial port layer. Every wait is bounded by a deadline.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix_ports.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPatience = 5s;

// Calls `done` until it holds or the deadline passes, pausing briefly between.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience) {
  auto deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    ::poll(nullptr, 0, 2);
  }
  return true;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ftx1sim-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The stand-in as a child process, with its standard input and output on pipes.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    args.insert(args.begin(), FTX1_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, FTX1_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    ::fcntl(stdout_, F_SETFL, O_NONBLOCK);
  }
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (stdin_ >= 0) ::close(stdin_);
    if (stdout_ >= 0) ::close(stdout_);
  }

  // The next line the program prints, or "" when none comes in time.
  std::string ReadLine() {
    auto deadline = Clock::now() + kPatience;
    for (;;) {
      if (auto end = buffer_.find('\n'); end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return "";
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[512];
      ssize_t n = ::read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return "";
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  void SendControl(const std::string& line) {
    std::string text = line + "\n";
    ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseControl() {
    ::close(stdin_);
    stdin_ = -1;
  }
  void Signal(int sig) { ::kill(pid_, sig); }
  // The exit status once the program has ended, -1 if it does not end in time.
  int WaitExit() {
    int status = 0;
    bool ended = WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1, stdout_ = -1;
  std::string buffer_;
};

// Sends bytes on COM port n and collects what comes back until `answers`
// answers (";") have arrived or the deadline passes.
std::string Exchange(kelvaro::PosixPorts& ports, int n, const std::string& bytes, int answers) {
  if (!bytes.empty()) {
    EXPECT_EQ(ports.WritePort(n, bytes), static_cast<int>(bytes.size()));
  }
  std::string got;
  WaitUntil([&] {
    if (ports.BytesWaiting(n) > 0) got += ports.ReadPort(n, 255);
    return static_cast<int>(std::count(got.begin(), got.end(), ';')) >= answers;
  });
  return got;
}

std::vector<std::string> LoggedCommands(const fs::path& log) {
  std::ifstream in(log);
  std::vector<std::string> commands;
  std::string line;
  static const std::regex kLine(R"(\d{2}:\d{2}:\d{2}\.\d{3} (.*))");
  std::smatch m;
  while (std::getline(in, line)) {
    commands.push_back(std::regex_match(line, m, kLine) ? m[1].str() : "BAD: " + line);
  }
  return commands;
}

bool IsDanglingLink(const fs::path& p) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(p, ec)) && !fs::exists(p, ec);
}

TEST(SimProgram, AnswersThroughThePanelsSerialPortLayerAndLogsEveryCommand) {
  TempFolder dir;
  fs::path link = dir.path() / "com5", log = dir.path() / "sim.log";
  SimProcess sim({"--link", link.string(), "--log", log.string()});
  ASSERT_EQ(sim.ReadLine(), link.string());
  ASSERT_TRUE(fs::is_symlink(link));

  kelvaro::PosixPorts ports(dir.path());
  ASSERT_TRUE(ports.OpenPort(5, 38400));
  EXPECT_TRUE(ports.SetLineFormat(5, 8, 0, 2));
  std::string got = Exchange(ports, 5, "ID;FA;", 2);
  EXPECT_TRUE(std::regex_match(got, std::regex("ID0840;FA\\d{9};"))) << got;

  // A setting is seen by the next query; a command may come in pieces.
  EXPECT_EQ(Exchange(ports, 5, "FA014250000;FA;", 1), "FA014250000;");
  ports.WritePort(5, "F");
  ports.WritePort(5, "B");
  EXPECT_EQ(Exchange(ports, 5, ";", 1), "FB007100000;");
  EXPECT_EQ(Exchange(ports, 5, "ZZ;", 1), "?;");

  // Closed and opened again, as the panel does at every start. The port layer
  // claims the device exclusively; the stand-in releases a closed claim as soon
  // as it hears of the close (for users other than root it would otherwise
  // stay, since the stand-in keeps the device open).
  ports.ClosePort(5);
  ASSERT_TRUE(WaitUntil([&] { return ports.OpenPort(5, 38400); }));
  EXPECT_EQ(Exchange(ports, 5, "ID;FA;", 2), "ID0840;FA014250000;");

  EXPECT_EQ(LoggedCommands(log), (std::vector<std::string>{"ID;", "FA;", "FA014250000;", "FA;", "FB;", "ZZ;",
                                                           "ID;", "FA;"}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.WaitExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link is removed at exit";
}

// One read that brought bytes, with its time from just before the write.
struct Arrival {
  double ms;
  std::string bytes;
};

// Writes bytes on COM port n and records every read that brings something
// until `answers` answers have arrived or the deadline passes.
std::vector<Arrival> Timeline(kelvaro::PosixPorts& ports, int n, const std::string& bytes, int answers) {
  auto start = Clock::now();
  EXPECT_EQ(ports.WritePort(n, bytes), static_cast<int>(bytes.size()));
  std::vector<Arrival> arrivals;
  int seen = 0;
  WaitUntil([&] {
    if (ports.BytesWaiting(n) > 0) {
      std::string got = ports.ReadPort(n, 255);
      if (!got.empty()) {
        arrivals.push_back({std::chrono::duration<double, std::milli>(Clock::now() - start).count(), got});
        seen += static_cast<int>(std::count(got.begin(), got.end(), ';'));
      }
    }
    return seen >= answers;
  });
  return arrivals;
}

TEST(SimProgram, AnswersOneCommandAtATimeAfterTheDelayAtTheLineRate) {
  // Times are lower bounds only: the stand-in cannot answer earlier than its
  // schedule, however busy the machine is.
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::string write;
    std::vector<std::string> answers;
    std::vector<double> earliestMs;  // no earlier than this, each answer's first byte is read
    double doneMs;                   // nor its last byte
    bool inPieces;                   // slow enough that a reader sees parts of answers
  };
  const std::vector<Case> cases = {
      {"defaults: 15 ms, then 0.29 ms a character",
       {}, "ZZ;FA;", {"?;", "FA007100000;"}, {15.0, 30.5}, 34.0, false},
      {"a long delay: nothing before it, then the whole answer",
       {"--answer-delay-ms", "300", "--baud", "0"}, "ID;", {"ID0840;"}, {300.0}, 300.0, false},
      {"two queries in one write: the second waits for the first answer",
       {"--answer-delay-ms", "150", "--baud", "0"}, "FA;ID;", {"FA007100000;", "ID0840;"}, {150.0, 300.0}, 300.0,
       false},
      {"a set command takes the delay too",
       {"--answer-delay-ms", "150", "--baud", "0"}, "FA014250000;FA;", {"FA014250000;"}, {300.0}, 300.0, false},
      {"--latency-ms is the answer delay",
       {"--latency-ms", "150", "--baud", "0"}, "ID;", {"ID0840;"}, {150.0}, 150.0, false},
      {"300 baud: 36.7 ms a character, in pieces",
       {"--answer-delay-ms", "0", "--baud", "300"}, "ID;ZZ;", {"ID0840;", "?;"}, {36.0, 293.0}, 330.0, true},
      {"0 for both: at once", {"--answer-delay-ms", "0", "--baud", "0"}, "FA;ID;", {"FA007100000;", "ID0840;"},
       {0.0, 0.0}, 0.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    fs::path link = dir.path() / "com5";
    std::vector<std::string> args = {"--link", link.string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    SimProcess sim(args);
    ASSERT_EQ(sim.ReadLine(), link.string());
    kelvaro::PosixPorts ports(dir.path());
    ASSERT_TRUE(ports.OpenPort(5, 38400));

    auto arrivals = Timeline(ports, 5, c.write, static_cast<int>(c.answers.size()));
    std::string got, expected;
    for (const Arrival& a : arrivals) got += a.bytes;
    for (const std::string& a : c.answers) expected += a;
    ASSERT_EQ(got, expected);
    // The read that first brought a byte of each answer.
    std::size_t before = 0, read = 0, length = 0;
    for (std::size_t i = 0; i < c.answers.size(); ++i) {
      while (length + arrivals[read].bytes.size() <= before) length += arrivals[read++].bytes.size();
      EXPECT_GE(arrivals[read].ms, c.earliestMs[i]) << c.answers[i];
      before += c.answers[i].size();
    }
    EXPECT_GE(arrivals.back().ms, c.doneMs);
    if (c.inPieces) {
      EXPECT_GT(arrivals.size(), c.answers.size() + 1);
    }
  }
}

TEST(SimProgram, AutoInformationSendsDialAndBandChangesUntilSwitchedOff) {
  TempFolder dir;
  fs::path link = dir.path() / "com5";
  SimProcess sim({"--link", link.string(), "--answer-delay-ms", "5"});
  ASSERT_EQ(sim.ReadLine(), link.string());
  kelvaro::PosixPorts ports(dir.path());
  ASSERT_TRUE(ports.OpenPort(5, 38400));

  EXPECT_EQ(Exchange(ports, 5, "AI1;AI;", 1), "AI1;");
  sim.SendControl("dial +100");
  EXPECT_EQ(sim.ReadLine(), "VFO A 7.100100 MHz");
  EXPECT_EQ(Exchange(ports, 5, "", 1), "FA007100100;");
  sim.SendControl("band 20");
  EXPECT_EQ(sim.ReadLine(), "VFO A 14.200000 MHz USB");
  EXPECT_EQ(Exchange(ports, 5, "", 1), "FA014200000;");
  // A frequency set over CAT is reported as well, in its turn.
  EXPECT_EQ(Exchange(ports, 5, "ID;FA014250000;", 2), "ID0840;FA014250000;");

  EXPECT_EQ(Exchange(ports, 5, "AI0;AI;", 1), "AI0;");
  sim.SendControl("dial +100");
  EXPECT_EQ(sim.ReadLine(), "VFO A 14.250100 MHz");
  // Had the dial been reported, it would come before this answer.
  EXPECT_EQ(Exchange(ports, 5, "ID;", 1), "ID0840;");
}

TEST(SimProgram, ControlInputTurnsTheDialAndUnplugsAndPlugsTheRadio) {
  TempFolder dir;
  fs::path link = dir.path() / "com5";
  SimProcess sim({"--link", link.string()});
  ASSERT_EQ(sim.ReadLine(), link.string());
  kelvaro::PosixPorts ports(dir.path());
  ASSERT_TRUE(ports.OpenPort(5, 38400));

  sim.SendControl("dial +1000");
  EXPECT_EQ(sim.ReadLine(), "VFO A 7.101000 MHz");
  EXPECT_EQ(Exchange(ports, 5, "FA;", 1), "FA007101000;");
  sim.SendControl("signal 123");
  EXPECT_EQ(sim.ReadLine(), "signal 123");
  EXPECT_EQ(Exchange(ports, 5, "SM0;", 1), "SM0123;");

  sim.SendControl("unplug");
  EXPECT_EQ(sim.ReadLine(), "unplugged");
  EXPECT_TRUE(IsDanglingLink(link)) << "the link stays, its device is gone";
  ports.ClosePort(5);
  EXPECT_FALSE(ports.OpenPort(5, 38400));

  sim.SendControl("plug");
  EXPECT_EQ(sim.ReadLine(), link.string());
  ASSERT_TRUE(ports.OpenPort(5, 38400));
  EXPECT_EQ(Exchange(ports, 5, "FA;", 1), "FA007101000;") << "the radio kept its state";

  sim.SendControl("state");
  EXPECT_EQ(sim.ReadLine().rfind("radio on, ID0840, SPA-1 100 W, VFO mode", 0), 0u);
  sim.SendControl("quit");
  EXPECT_EQ(sim.WaitExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimProgram, EndOfControlInputKeepsItRunningAndOptionsReachTheRadio) {
  TempFolder dir;
  fs::path link = dir.path() / "com7";
  // A stale link from an earlier run is replaced.
  fs::create_symlink("/dev/pts/unplugged", link);
  SimProcess sim({"--link", link.string(), "--id", "0650", "--power-class=10", "--latency-ms", "20",
                  "--seed", "9"});
  ASSERT_EQ(sim.ReadLine(), link.string());
  sim.CloseControl();
  kelvaro::PosixPorts ports(dir.path());
  ASSERT_TRUE(ports.OpenPort(7, 38400));
  EXPECT_EQ(Exchange(ports, 7, "ID;PC;", 2), "ID0650;PC1010;");
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.WaitExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimProgram, RefusesBadCommandLinesAndForeignFiles) {
  TempFolder dir;
  fs::path file = dir.path() / "com5";
  std::ofstream(file) << "keep me";
  SimProcess sim({"--link", file.string()});
  EXPECT_EQ(sim.WaitExit(), 1);
  std::ifstream in(file);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "keep me");
  for (std::vector<std::string> args : {std::vector<std::string>{"--power-class", "50"}, {"--garble", "1.5"},
                                        {"--latency-ms", "-3"}, {"--answer-delay-ms", "x"}, {"--baud", "100"},
                                        {"--baud", "-1"}, {"--id", "12345"}, {"--frobnicate"}, {"--link"}}) {
    SimProcess bad(args);
    EXPECT_EQ(bad.WaitExit(), 2) << args[0];
  }
  SimProcess help({"--help"});
  std::string text;
  for (std::string line = help.ReadLine(); !line.empty(); line = help.ReadLine()) text += line + "\n";
  EXPECT_NE(text.find("--answer-delay-ms N"), std::string::npos) << text;
  EXPECT_NE(text.find("--baud N"), std::string::npos) << text;
  EXPECT_EQ(help.WaitExit(), 0);
}

}  // namespace
