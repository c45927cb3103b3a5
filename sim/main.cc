// ftx1-sim: the FTX-1 stand-in on a pseudo-terminal.
//
//   ftx1-sim [--link PATH] [--id NNNN] [--power-class 100|10|6] [--head field|spa1]
//            [--memory-mode] [--agc-auto]
//            [--answer-delay-ms N] [--set-delay-ms N] [--baud N] [--silent]
//            [--garble P] [--seed N] [--log FILE]
//
// Opens a pseudo-terminal, links its device to PATH, prints PATH on a line of
// its own once the link exists, and answers CAT commands until SIGTERM, SIGINT
// or SIGHUP (or "quit" on standard input), which remove the link and exit 0.
// Standard input carries control lines (see Radio::Control, plus "unplug",
// "plug" and "quit"); its end does not end the program. --log writes every
// command when it is received, in the format of log_line.h. Every command the
// radio refuses is written to stderr as "ftx1-sim: refused N: COMMAND;" (N
// counts the refusals since the start); the control line "refusals" tells the
// count.
//
// Timing is a real radio's (see pacing.h): --answer-delay-ms (default 15;
// --latency-ms is another name for it) is the time the radio works on each
// command, --set-delay-ms (default: the answer delay) the time a command that
// answers nothing takes instead, --baud (default 38400) the line rate of the
// answers; 0 for both gives answers at once.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "log_line.h"
#include "pacing.h"
#include "pty_link.h"
#include "radio.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// Bytes not yet taken by the other side are kept up to this size; beyond it
// the oldest are dropped, as a serial line overruns.
constexpr std::size_t kMaxUnsent = 65536;

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  int saved = errno;
  char byte = 1;
  [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

struct ProgramOptions {
  std::string link;
  std::string logPath;
  int answerDelayMs = 15;  // from a command's ";" (or the end of the answer before) to its answer
  int setDelayMs = -1;     // a command that answers nothing; -1: the answer delay
  int baud = 38400;        // line rate of the answers, 0 unpaced
  ftx1sim::Options radio;
};

void Usage(std::FILE* to) {
  std::fputs(
      "usage: ftx1-sim [--link PATH] [--id NNNN] [--power-class 100|10|6] [--head field|spa1]\n"
      "                [--memory-mode] [--agc-auto]\n"
      "                [--answer-delay-ms N] [--set-delay-ms N] [--baud N] [--silent]\n"
      "                [--garble P] [--seed N] [--log FILE]\n"
      "  --head field|spa1    the field head (10 W, no tuner) or the SPA-1 amplifier (100 W,\n"
      "                       the default; --power-class 10 or 6 is a field head)\n"
      "  --memory-mode        start in memory-channel mode (frequency sets refused)\n"
      "  --agc-auto           start with the AGC in auto\n"
      "  --answer-delay-ms N  time the radio works on each command before it answers\n"
      "                       (default 15; --latency-ms N is the same)\n"
      "  --set-delay-ms N     time a command that answers nothing takes (default: the\n"
      "                       answer delay)\n"
      "  --baud N             line rate of the answers, 11 bits a character (default 38400)\n"
      "                       0 for both: answers at once\n"
      "commands are handled one at a time\n"
      "control lines on standard input: dial +N|-N, band B, mode M, signal N|S7|off,\n"
      "  ptt on|off, power on|off, head field|spa1, memory on|off, agc off|fast|mid|slow|auto,\n"
      "  refusals, state, unplug, plug, quit\n"
      "every command refused (\"?;\") is written to stderr\n",
      to);
}

bool ParseWhole(const std::string& text, long long low, long long high, long long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

// Returns 0 to run, 1 after --help, 2 on a bad command line.
int ParseOptions(int argc, char** argv, ProgramOptions* options) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i], value;
    bool hasValue = false;
    if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      Usage(stdout);
      return 1;
    }
    if (name == "--silent") {
      options->radio.silent = true;
      continue;
    }
    if (name == "--memory-mode") {
      options->radio.memoryMode = true;
      continue;
    }
    if (name == "--agc-auto") {
      options->radio.agcAuto = true;
      continue;
    }
    static const char* const kWithValue[] = {"--link", "--log", "--id", "--power-class", "--head",
                                             "--latency-ms", "--answer-delay-ms", "--set-delay-ms", "--baud",
                                             "--seed", "--garble"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), name) == std::end(kWithValue)) {
      std::fprintf(stderr, "ftx1-sim: unknown option %s\n", name.c_str());
      Usage(stderr);
      return 2;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "ftx1-sim: %s needs a value\n", name.c_str());
        return 2;
      }
      value = argv[++i];
    }
    long long n = 0;
    bool ok = true;
    if (name == "--link") {
      options->link = value;
      ok = !value.empty();
    } else if (name == "--log") {
      options->logPath = value;
      ok = !value.empty();
    } else if (name == "--id") {
      ok = ParseWhole(value, 0, 9999, &n);
      options->radio.id = static_cast<int>(n);
    } else if (name == "--power-class") {
      ok = ParseWhole(value, 6, 100, &n) && (n == 100 || n == 10 || n == 6);
      options->radio.powerClass = static_cast<int>(n);
    } else if (name == "--head") {
      ok = value == "field" || value == "spa1";
      options->radio.powerClass = value == "field" ? 10 : 100;
    } else if (name == "--latency-ms" || name == "--answer-delay-ms") {
      ok = ParseWhole(value, 0, 600000, &n);
      options->answerDelayMs = static_cast<int>(n);
    } else if (name == "--set-delay-ms") {
      ok = ParseWhole(value, 0, 600000, &n);
      options->setDelayMs = static_cast<int>(n);
    } else if (name == "--baud") {
      ok = ParseWhole(value, 0, 4000000, &n) && (n == 0 || n >= 300);
      options->baud = static_cast<int>(n);
    } else if (name == "--seed") {
      ok = ParseWhole(value, 0, 0x7fffffffffffffffLL, &n);
      options->radio.seed = static_cast<std::uint64_t>(n);
    } else if (name == "--garble") {
      char* end = nullptr;
      double p = value.empty() ? -1 : std::strtod(value.c_str(), &end);
      ok = end && *end == '\0' && p >= 0.0 && p <= 1.0;
      options->radio.garble = p;
    }
    if (!ok) {
      std::fprintf(stderr, "ftx1-sim: bad value for %s: %s\n", name.c_str(), value.c_str());
      return 2;
    }
  }
  return 0;
}

// With standard descriptors missing, the pseudo-terminal could be given
// number 0 and be taken for standard input.
void FillStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
}

void SayLine(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

class Program {
 public:
  explicit Program(const ProgramOptions& options)
      : options_(options),
        radio_(options.radio),
        pty_(options.link),
        pacing_(radio_, SteadyClock::now(), std::chrono::milliseconds(options.answerDelayMs), options.baud,
                options.setDelayMs < 0 ? std::nullopt
                                       : std::optional<std::chrono::milliseconds>(options.setDelayMs)) {}

  int Run() {
    if (!options_.logPath.empty()) {
      log_ = std::fopen(options_.logPath.c_str(), "w");
      if (!log_) {
        std::fprintf(stderr, "ftx1-sim: cannot write %s: %s\n", options_.logPath.c_str(), ::strerror(errno));
        return 1;
      }
    }
    pacing_.SetRefusalObserver([](int count, const std::string& command) {
      std::fprintf(stderr, "ftx1-sim: refused %d: %s\n", count, command.c_str());
      std::fflush(stderr);
    });
    radio_.SetCommandObserver([this](std::string_view command) {
      if (!log_) return;
      std::string line = ftx1sim::LogLine(std::chrono::system_clock::now(), command);
      line += '\n';
      std::fputs(line.c_str(), log_);
      std::fflush(log_);
    });
    std::string error;
    if (!pty_.Plug(&error)) {
      std::fprintf(stderr, "ftx1-sim: %s\n", error.c_str());
      return 1;
    }
    SayLine(pty_.announced());
    while (running_) Step();
    pty_.Remove();
    if (log_) std::fclose(log_);
    return 0;
  }

 private:
  // One wait for something to happen, and its handling.
  void Step() {
    std::vector<pollfd> fds;
    fds.push_back({signalPipe[0], POLLIN, 0});
    int stdinAt = -1, watchAt = -1, masterAt = -1;
    if (stdinOpen_) {
      stdinAt = static_cast<int>(fds.size());
      fds.push_back({0, POLLIN, 0});
    }
    if (pty_.plugged()) {
      if (pty_.watch() >= 0) {
        watchAt = static_cast<int>(fds.size());
        fds.push_back({pty_.watch(), POLLIN, 0});
      }
      if (SteadyClock::now() >= masterQuietUntil_) {
        masterAt = static_cast<int>(fds.size());
        short events = POLLIN;
        if (!unsent_.empty()) events |= POLLOUT;
        fds.push_back({pty_.master(), events, 0});
      }
    }
    timespec timeout{};
    int r = ::ppoll(fds.data(), fds.size(), Timeout(&timeout), nullptr);
    if (r < 0 && errno != EINTR) {
      std::fprintf(stderr, "ftx1-sim: poll: %s\n", ::strerror(errno));
      running_ = false;
      return;
    }
    if (r > 0 && fds[0].revents) {
      running_ = false;
      return;
    }
    // Open/close notices first: they decide what answers are still wanted.
    if (watchAt >= 0 && fds[static_cast<std::size_t>(watchAt)].revents && pty_.TakeOpenCloseNotices()) Abandon();
    if (masterAt >= 0) {
      short revents = fds[static_cast<std::size_t>(masterAt)].revents;
      if (revents & POLLIN) ReadCommands();
      else if (revents & (POLLHUP | POLLERR)) masterQuietUntil_ = SteadyClock::now() + std::chrono::milliseconds(100);
    }
    if (stdinAt >= 0 && fds[static_cast<std::size_t>(stdinAt)].revents) ReadControl();
    pacing_.Advance(SteadyClock::now());
    unsent_ += pacing_.TakeSent();
    SendDue();
  }

  // The wait until the next thing the radio does by itself; nullptr for none.
  const timespec* Timeout(timespec* out) const {
    auto now = SteadyClock::now();
    auto until = pacing_.NextDue();
    if (pty_.plugged() && now < masterQuietUntil_) until = std::min(until, masterQuietUntil_);
    if (until == SteadyClock::time_point::max()) return nullptr;
    auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(until - now, SteadyClock::duration(0)));
    wait = std::min<std::chrono::nanoseconds>(wait, std::chrono::seconds(60));
    out->tv_sec = static_cast<time_t>(wait.count() / 1000000000);
    out->tv_nsec = static_cast<long>(wait.count() % 1000000000);
    return out;
  }

  void ReadCommands() {
    char buffer[4096];
    ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
    if (n <= 0) {
      if (n == 0 || (errno != EAGAIN && errno != EINTR))
        masterQuietUntil_ = SteadyClock::now() + std::chrono::milliseconds(100);
      return;
    }
    pacing_.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), SteadyClock::now());
  }

  // The other side went away or came anew: answers on the way belong to
  // nobody.
  void Abandon() {
    pacing_.Abandon(SteadyClock::now());
    unsent_.clear();
  }

  void SendDue() {
    if (unsent_.size() > kMaxUnsent) unsent_.erase(0, unsent_.size() - kMaxUnsent);
    if (unsent_.empty() || !pty_.plugged()) return;
    ssize_t w = ::write(pty_.master(), unsent_.data(), unsent_.size());
    if (w > 0) unsent_.erase(0, static_cast<std::size_t>(w));
  }

  void ReadControl() {
    char buffer[1024];
    ssize_t n = ::read(0, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
      // End of the control input: the radio keeps running.
      stdinOpen_ = false;
      if (!control_.empty()) Control(control_);
      control_.clear();
      return;
    }
    control_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = control_.find('\n')) != std::string::npos) {
      std::string line = control_.substr(0, end);
      control_.erase(0, end + 1);
      Control(line);
    }
    if (control_.size() > 4096) control_.clear();
  }

  void Control(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return;
    line.erase(0, first);
    if (line == "quit") {
      running_ = false;
    } else if (line == "unplug") {
      pty_.Unplug();
      Abandon();
      SayLine("unplugged");
    } else if (line == "plug") {
      std::string error;
      if (pty_.plugged()) SayLine("already plugged in");
      else if (pty_.Plug(&error)) SayLine(pty_.announced());
      else SayLine("plug failed: " + error);
    } else {
      const auto now = SteadyClock::now();
      radio_.SetTime(pacing_.ModelTime(now));
      SayLine(radio_.Control(line));
      pacing_.QueueUnsolicited(now);
    }
  }

  const ProgramOptions& options_;
  ftx1sim::Radio radio_;
  ftx1sim::PtyLink pty_;
  ftx1sim::Pacing pacing_;
  SteadyClock::time_point masterQuietUntil_{};
  std::string unsent_;                   // on the line but not yet taken by the other side
  std::string control_;
  std::FILE* log_ = nullptr;
  bool stdinOpen_ = true;
  bool running_ = true;
};

}  // namespace

int main(int argc, char** argv) {
  FillStandardDescriptors();
  ProgramOptions options;
  if (int parsed = ParseOptions(argc, argv, &options); parsed != 0) return parsed == 1 ? 0 : 2;

  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("ftx1-sim: pipe");
    return 1;
  }
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  // Started in the background of an interactive shell, reading the terminal
  // would stop the radio; ignored, the read fails and the control input ends.
  ::signal(SIGTTIN, SIG_IGN);
  ::signal(SIGTTOU, SIG_IGN);

  Program program(options);
  return program.Run();
}
