#include "platform/posix_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace kelvaro {

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir) {
  int outPipe[2];
  int inPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) return false;
  if (::pipe2(inPipe, O_CLOEXEC) != 0) {
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    return false;
  }
  std::vector<std::string> argvText{program.string()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid == 0) {
    // The child ends with the panel, even when the panel is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::dup2(inPipe[0], STDIN_FILENO);
    ::dup2(outPipe[1], STDOUT_FILENO);
    if (::chdir(workDir.c_str()) != 0) ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(inPipe[0]);
  if (pid < 0) {
    ::close(outPipe[0]);
    ::close(inPipe[1]);
    return false;
  }
  pid_ = pid;
  out_ = outPipe[0];
  in_ = inPipe[1];
  return true;
}

bool ChildProcess::ReadLine(std::string* line, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (out_ >= 0) {
    auto newline = pending_.find('\n');
    if (newline != std::string::npos) {
      *line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[256];
    ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) return false;  // the child closed its output or ended
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
  return false;
}

void ChildProcess::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }
  if (out_ >= 0) ::close(out_);
  if (in_ >= 0) ::close(in_);
  out_ = in_ = -1;
}

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : self.parent_path();
}

}  // namespace kelvaro
