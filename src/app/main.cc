// kelvaro: the talking front panel for the FTX-1.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "app/startup.h"
#include "platform/posix_clock.h"
#include "platform/posix_ports.h"
#include "platform/posix_process.h"
#include "platform/sdl_voice.h"
#include "platform/sdl_window.h"

namespace {

constexpr const char* kUsage =
    "Usage: kelvaro [--simulate] [--speech-log FILE]\n"
    "\n"
    "Talking front panel for the Yaesu FTX-1. Run it in a folder that holds\n"
    "kelvaro.cfg and the phrase folder wave/; the radio is COM port N as set in\n"
    "kelvaro.cfg, which is the link comN in that folder when present (for\n"
    "example comN -> /dev/serial/by-id/...), else /dev/ttyS<N-1>.\n"
    "\n"
    "  --simulate         start the simulated FTX-1 (ftx1-sim) on the configured\n"
    "                     port and run the panel against it\n"
    "  --speech-log FILE  append the name of every phrase spoken to FILE\n"
    "  --help             show this text\n"
    "  --version          show the version\n";

struct Options {
  bool simulate = false;
  std::string speechLog;
};

// Returns -1 to go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "kelvaro 3.5a\n";
      return 0;
    }
    if (arg == "--simulate") {
      options->simulate = true;
    } else if (arg == "--speech-log" && i + 1 < argc) {
      options->speechLog = argv[++i];
    } else {
      std::cerr << "kelvaro: unknown option " << arg << "\n\n" << kUsage;
      return 2;
    }
  }
  return -1;
}

// Starts ftx1-sim on the configured radio port, linked as comN in the
// working folder, and waits until the link exists.
void StartSimulatedRadio(kelvaro::ChildProcess& radio, const kelvaro::Panel& panel) {
  std::string link = "com" + std::to_string(panel.state.comPort);
  auto program = kelvaro::ProgramFolder() / "ftx1-sim";
  if (!radio.Start(program, {"--link", link}, panel.workDir)) {
    std::cerr << "kelvaro: could not start " << program << "\n";
    return;
  }
  std::string line;
  if (!radio.ReadLine(&line, std::chrono::seconds(5))) {
    std::cerr << "kelvaro: the simulated radio did not start\n";
  }
}

int Run(const Options& options) {
  std::ofstream speechLog;
  kelvaro::PosixPorts ports(".");
  kelvaro::SdlVoice voice;
  kelvaro::SdlWindow window;
  kelvaro::PosixClock clock;
  kelvaro::Panel panel(ports, voice, window, clock, ".");
  if (!options.speechLog.empty()) {
    speechLog.open(options.speechLog, std::ios::app);
    if (speechLog.is_open()) panel.speechLog = &speechLog;
  }

  kelvaro::ChildProcess radio;
  kelvaro::AfterConfiguration startRadio;
  if (options.simulate) {
    startRadio = [&radio](kelvaro::Panel& p) { StartSimulatedRadio(radio, p); };
  }
  int code = kelvaro::RunProgram(panel, window, startRadio);
  radio.Stop();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int early = ParseOptions(argc, argv, &options);
  if (early >= 0) return early;
  // Without any display SDL would fall back to an invisible window that can
  // never get a key; asking for X11 makes that fail plainly instead.
  if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  int code = Run(options);
  SDL_Quit();
  return code;
}
