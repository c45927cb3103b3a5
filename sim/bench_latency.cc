// ftx1-sim-bench: how long the stand-in takes to answer over its pseudo-terminal.
//
//   ftx1-sim-bench [--count N] [--sim PATH]
//
// Starts ftx1-sim, opens its device raw, and times exchanges from the write of
// the ";" that completes a query to the arrival of the answer's ";". First
// with the radio's timing off (--answer-delay-ms 0 --baud 0): that round trip
// (through the pseudo-terminal both ways) bounds the time the stand-in itself
// takes. Three cases: "FA;" written at once; "FA" first and its ";" later;
// and a burst of ten queries in one write. Then with the default timing
// (15 ms a command, 38400 baud), N/50 times each: "FA;" (15 ms + 12
// characters, about 18.4 ms), a set and a query in one write (about 33.4 ms),
// and the burst of ten (about 170 ms).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Reads until `answers` ";" arrived; false after a second without progress.
bool AwaitAnswers(int fd, int answers) {
  char buffer[512];
  while (answers > 0) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) <= 0) return false;
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    answers -= static_cast<int>(std::count(buffer, buffer + n, ';'));
  }
  return true;
}

void Report(const char* name, std::vector<double> us) {
  std::sort(us.begin(), us.end());
  auto at = [&](double q) { return us[std::min(us.size() - 1, static_cast<std::size_t>(q * us.size()))]; };
  std::printf("%-28s n=%zu  min %6.1f  median %6.1f  p99 %6.1f  p99.9 %6.1f  max %7.1f  (microseconds)\n", name,
              us.size(), us.front(), at(0.5), at(0.99), at(0.999), us.back());
}

}  // namespace

int main(int argc, char** argv) {
  int count = 5000;
  std::string sim = FTX1_SIM_PATH;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--count") == 0) count = std::max(10, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--sim") == 0) sim = argv[i + 1];
  }
  char folder[] = "/tmp/ftx1-sim-bench-XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  std::string link = std::string(folder) + "/com1";

  // Starts the stand-in with extra options and opens its device; -1 on failure.
  pid_t pid = -1;
  auto start = [&](std::vector<std::string> extra) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> args = {sim, "--link", link};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv2;
    for (auto& a : args) argv2.push_back(a.data());
    argv2.push_back(nullptr);
    int spawned = ::posix_spawn(&pid, sim.c_str(), &actions, nullptr, argv2.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
      std::fprintf(stderr, "cannot start %s\n", sim.c_str());
      ::close(out[0]);
      return -1;
    }
    char line[512] = {};
    pollfd p{out[0], POLLIN, 0};
    bool announced = ::poll(&p, 1, 5000) > 0 && ::read(out[0], line, sizeof line - 1) > 0;
    ::close(out[0]);
    if (!announced) {
      std::fprintf(stderr, "the stand-in did not announce its link\n");
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return -1;
    }
    int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
  };
  auto stop = [&](int fd) {
    ::close(fd);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  };

  int fd = start({"--answer-delay-ms", "0", "--baud", "0"});
  if (fd < 0) return 1;
  auto time = [&](const char* first, const char* last, int answers) {
    if (first[0]) [[maybe_unused]] ssize_t w = ::write(fd, first, std::strlen(first));
    auto begin = Clock::now();
    [[maybe_unused]] ssize_t w = ::write(fd, last, std::strlen(last));
    bool ok = AwaitAnswers(fd, answers);
    double us = std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
    return ok ? us : -1.0;
  };
  for (int i = 0; i < 200; ++i) time("", "FA;", 1);  // warm-up

  std::vector<double> whole, split, burst;
  for (int i = 0; i < count; ++i) {
    whole.push_back(time("", "FA;", 1));
    split.push_back(time("FA", ";", 1));
    if (i % 10 == 0) burst.push_back(time("", "FA;SM0;ID;AG0;PC;ML0;ML1;GT0;VX;BI;", 10));
  }
  stop(fd);

  fd = start({});
  if (fd < 0) return 1;
  std::vector<double> timedWhole, timedSetQuery, timedBurst;
  for (int i = 0; i < std::max(10, count / 50); ++i) {
    timedWhole.push_back(time("", "FA;", 1));
    timedSetQuery.push_back(time("", "FA007100000;FA;", 1));
    timedBurst.push_back(time("", "FA;SM0;ID;AG0;PC;ML0;ML1;GT0;VX;BI;", 10));
  }
  stop(fd);

  bool failed = false;
  for (const auto* run : {&whole, &split, &burst, &timedWhole, &timedSetQuery, &timedBurst})
    failed = failed || std::count(run->begin(), run->end(), -1.0) > 0;
  std::printf("timing off (--answer-delay-ms 0 --baud 0):\n");
  Report("FA; in one write", whole);
  Report("FA then ; (from the ;)", split);
  Report("ten queries in one write", burst);
  std::printf("default timing (15 ms a command, 38400 baud):\n");
  Report("FA; in one write", timedWhole);
  Report("set and query in one write", timedSetQuery);
  Report("ten queries in one write", timedBurst);

  std::filesystem::remove_all(folder);
  if (failed) std::printf("some answers did not arrive\n");
  return failed ? 1 : 0;
}
