// The network endpoint on its own, for tests with real rigctld clients: the
// endpoint on POSIX sockets with the in-memory FTX-1 stand-in behind it.
//
//   rigctld-harness [--address A] [--port N] [--seconds S] [--vfo]
//                   [--idle-seconds G]
//
// --vfo serves VFO mode; --idle-seconds sets how long a client must have been
// idle before it gives way to a new one while the most are connected.
// Prints "port N" once it listens (N is the port chosen when 0 was asked
// for), then one line for each set the panel would follow ("changed FA...")
// and each log line ("log ..."). Radio answers reach the endpoint one loop
// pass after their command, as through a real link. Ends on SIGTERM or SIGINT,
// or after S seconds (300 by default).
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix_tcp.h"
#include "rigctld/endpoint.h"
#include "sim_radio_link.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

class PrintingLink : public kelvaro::testing::SimRadioLink {
 public:
  void Changed(std::string_view command) override {
    std::printf("changed %.*s\n", static_cast<int>(command.size()), command.data());
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  kelvaro::rigctld::ListenAddress where{"127.0.0.1", 0};
  int seconds = 300;
  kelvaro::rigctld::EndpointOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--vfo") options.vfoMode = true;
    else if (option == "--address" && hasValue) where.address = argv[++i];
    else if (option == "--port" && hasValue) where.port = std::atoi(argv[++i]);
    else if (option == "--seconds" && hasValue) seconds = std::atoi(argv[++i]);
    else if (option == "--idle-seconds" && hasValue) options.idleGrace = std::chrono::seconds(std::atoi(argv[++i]));
    else {
      std::fprintf(stderr,
                   "usage: rigctld-harness [--address A] [--port N] [--seconds S] [--vfo] [--idle-seconds G]\n");
      return 2;
    }
  }
  signal(SIGTERM, RequestStop);
  signal(SIGINT, RequestStop);

  kelvaro::PosixTcp tcp;
  PrintingLink link;
  link.answerAtOnce = false;
  kelvaro::rigctld::Endpoint endpoint(tcp, link, [](std::string_view line) {
    std::printf("log %.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stdout);
  }, {}, options);
  link.Attach(&endpoint);
  if (!endpoint.Listen(where)) return 1;
  std::printf("port %d\n", endpoint.port());
  std::fflush(stdout);

  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!stopRequested && std::chrono::steady_clock::now() < end) {
    endpoint.Wait(link.held.empty() ? 50 : 0);
    endpoint.Poll();
    link.Deliver();
  }
  return 0;
}
