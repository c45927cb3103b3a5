// A child process that the panel starts and stops (the simulated radio).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvaro {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args` in `workDir`, its standard output on a pipe
  // and its standard input on a pipe that stays open (so it is not at its
  // end). Returns false when it could not be started.
  bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
             const std::filesystem::path& workDir);
  // Waits up to `timeout` for one line on the child's standard output.
  // Returns false on a time-out or when the child ended first.
  bool ReadLine(std::string* line, std::chrono::milliseconds timeout);
  // Asks the child to end (SIGTERM), waits for it a moment, then kills it.
  void Stop();
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int in_ = -1;
  std::string pending_;
};

// The folder of the running program (where ftx1-sim is built beside it).
std::filesystem::path ProgramFolder();

}  // namespace kelvaro
