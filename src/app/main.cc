// kelvaro: the talking front panel for the FTX-1.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/locations.h"
#include "app/network.h"
#include "app/radio_check.h"
#include "app/setup.h"
#include "app/startup.h"
#include "platform/operator_messages.h"
#include "platform/posix_clock.h"
#include "platform/posix_ports.h"
#include "platform/posix_process.h"
#include "platform/posix_tcp.h"
#include "platform/screen.h"
#include "platform/sdl_voice.h"
#include "platform/sdl_window.h"
#include "state/text.h"
#include "state/version.h"

#ifndef KELVARO_INSTALL_BINDIR
#define KELVARO_INSTALL_BINDIR "/usr/local/bin"
#endif
#ifndef KELVARO_INSTALL_DATADIR
#define KELVARO_INSTALL_DATADIR "/usr/local/share"
#endif

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: kelvaro [--simulate] [--speech-log FILE] [--rigctld [ADDRESS:]PORT [--vfo]]\n"
    "       kelvaro --check [--simulate]\n"
    "       kelvaro --setup [FOLDER] [--radio DEVICE] [--port N]\n"
    "               [--pass-through DEVICE|none] [--pass-through-port N]\n"
    "               [--change-config] [--serial-folder FOLDER]\n"
    "\n"
    "Talking front panel for the Yaesu FTX-1. Run it in a folder that holds\n"
    "kelvaro.cfg; the radio is COM port N as set in kelvaro.cfg, which is the\n"
    "link comN in that folder when present (for example comN ->\n"
    "/dev/serial/by-id/...), else /dev/ttyS<N-1>. The phrase recordings are\n"
    "wave/ in that folder when present, else the installed ones.\n"
    "\n"
    "  --simulate         start the simulated FTX-1 (ftx1-sim) on the configured\n"
    "                     port and run the panel against it\n"
    "  --speech-log FILE  append the name of every phrase spoken to FILE\n"
    "  --rigctld [ADDRESS:]PORT\n"
    "                     serve Hamlib's rigctld protocol (\"Hamlib NET rigctl\")\n"
    "                     on PORT, usually 4532; on the loopback address unless\n"
    "                     another is given. rigctld has no authentication: anyone\n"
    "                     who can connect can tune the radio and transmit\n"
    "  --vfo              (--rigctld) VFO mode, as rigctld's --vfo: commands name\n"
    "                     their VFO (\"f VFOB\"), which split in WSJT-X needs\n"
    "  --check            open the radio's port, ask the radio who it is, say\n"
    "                     what answered, and end (no window)\n"
    "  --setup [FOLDER]   set up FOLDER (default: this folder) for a radio: ask\n"
    "                     which serial device is the radio, link it as comN and\n"
    "                     write kelvaro.cfg; with --radio nothing is asked\n"
    "  --radio DEVICE     (--setup) the radio's serial device\n"
    "  --port N           (--setup) the radio's COM number, 1 to 99 (default 5)\n"
    "  --pass-through DEVICE|none\n"
    "                     (--setup) the pass-through port's device, or none\n"
    "  --pass-through-port N\n"
    "                     (--setup) the pass-through port's COM number\n"
    "  --change-config    (--setup) change an existing kelvaro.cfg without asking\n"
    "  --serial-folder FOLDER\n"
    "                     (--setup) list the devices in FOLDER instead of\n"
    "                     /dev/serial/by-id\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 done; 1 no window or set-up not done; 2 wrong options;\n"
    "3 kelvaro.cfg cannot be read; 4 the radio's port cannot be opened;\n"
    "5 the radio does not answer; 6 the radio is another model.\n";

enum class Action { kPanel, kCheck, kSetup };

struct Options {
  Action action = Action::kPanel;
  bool simulate = false;
  std::string speechLog;
  std::string rigctld;  // where to listen; empty: no network endpoint
  bool rigctldVfo = false;  // the endpoint in VFO mode
  kelvaro::SetupRequest setup;
  bool setupOptionSeen = false;
};

int UsageError(const std::string& message) {
  kelvaro::TellOperator(message);
  kelvaro::OperatorStream() << "\n" << kUsage;
  return kelvaro::kExitUsage;
}

// A COM number option: 1 to 99.
bool PortNumber(const std::string& text, int* port) {
  if (!kelvaro::OnlyDigits(text) || text.size() > 2) return false;
  *port = kelvaro::IntFromText(text);
  return *port >= 1;
}

// Returns -1 to go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "kelvaro " << kelvaro::kVersion << "\n";
      return 0;
    }
    if (arg == "--simulate") {
      options->simulate = true;
    } else if (arg == "--speech-log" && hasValue) {
      options->speechLog = argv[++i];
    } else if (arg == "--rigctld" && hasValue) {
      options->rigctld = argv[++i];
      if (!kelvaro::rigctld::ParseListenAddress(options->rigctld)) {
        return UsageError("--rigctld takes PORT or ADDRESS:PORT (IPv4), not " + options->rigctld);
      }
    } else if (arg == "--vfo") {
      options->rigctldVfo = true;
    } else if (arg == "--check") {
      options->action = Action::kCheck;
    } else if (arg == "--setup") {
      options->action = Action::kSetup;
      if (hasValue && std::strncmp(argv[i + 1], "--", 2) != 0) options->setup.folder = argv[++i];
    } else if (arg == "--radio" && hasValue) {
      options->setup.radio = argv[++i];
      options->setupOptionSeen = true;
    } else if (arg == "--port" && hasValue) {
      if (!PortNumber(argv[++i], &options->setup.radioPort)) return UsageError("--port takes a number from 1 to 99");
      options->setupOptionSeen = true;
    } else if (arg == "--pass-through" && hasValue) {
      std::string device = argv[++i];
      if (device == "none") {
        options->setup.noPassThrough = true;
      } else {
        options->setup.passThrough = device;
      }
      options->setupOptionSeen = true;
    } else if (arg == "--pass-through-port" && hasValue) {
      if (!PortNumber(argv[++i], &options->setup.passThroughPort)) {
        return UsageError("--pass-through-port takes a number from 1 to 99");
      }
      options->setupOptionSeen = true;
    } else if (arg == "--change-config") {
      options->setup.config = kelvaro::ConfigChoice::kChange;
      options->setupOptionSeen = true;
    } else if (arg == "--serial-folder" && hasValue) {
      options->setup.serialFolder = argv[++i];
      options->setupOptionSeen = true;
    } else {
      return UsageError("unknown option " + arg);
    }
  }
  if (options->setupOptionSeen && options->action != Action::kSetup) {
    return UsageError("--radio, --port, --pass-through, --pass-through-port, --change-config and "
                      "--serial-folder belong to --setup");
  }
  if (options->rigctldVfo && options->rigctld.empty()) return UsageError("--vfo belongs to --rigctld");
  if (options->action == Action::kSetup && (options->simulate || !options->speechLog.empty())) {
    return UsageError("--setup takes neither --simulate nor --speech-log");
  }
  return -1;
}

// The installed phrase recordings, beside the program first (so an install
// under any prefix finds its own), then where this build installs them, then
// the build folder.
std::vector<fs::path> InstalledPhraseFolders() {
  const fs::path self = kelvaro::ProgramFolder();
  return {(self / ".." / "share" / "kelvaro" / "wave").lexically_normal(),
          fs::path(KELVARO_INSTALL_DATADIR) / "kelvaro" / "wave", self / "wave"};
}

void ChoosePhraseFolder(kelvaro::Panel& panel) {
  panel.phraseFolder = kelvaro::FindPhraseFolder(panel.workDir, InstalledPhraseFolders());
  if (panel.phraseFolder.empty()) {
    kelvaro::TellOperator("no phrase recordings: there is no wave/ here and none installed in " +
                          InstalledPhraseFolders().front().string() + "; the panel will be silent");
  }
}

// Starts ftx1-sim on the configured radio port, linked as comN in the
// working folder, and waits until the link exists.
void StartSimulatedRadio(kelvaro::ChildProcess& radio, const kelvaro::Panel& panel) {
  std::string link = "com" + std::to_string(panel.state.config.comPort);
  fs::path program = kelvaro::FindProgram(
      {kelvaro::ProgramFolder() / "ftx1-sim", fs::path(KELVARO_INSTALL_BINDIR) / "ftx1-sim"});
  if (program.empty()) {
    kelvaro::TellOperator(std::string("the simulated radio ftx1-sim is neither beside this program nor in ") +
                          KELVARO_INSTALL_BINDIR);
    return;
  }
  if (!radio.Start(program, {"--link", link}, panel.workDir)) {
    kelvaro::TellOperator("could not start \"" + program.string() + "\"");
    return;
  }
  std::string line;
  if (!radio.ReadLine(&line, std::chrono::seconds(5))) {
    kelvaro::TellOperator("the simulated radio did not start");
  }
}

// Draws nothing: kelvaro --check has no window.
class NoScreen : public kelvaro::Screen {
 public:
  void SetPosition(int, int) override {}
  void Print(std::string_view) override {}
  void SelectFont(std::string_view, int, int) override {}
};

int Run(const Options& options) {
  std::ofstream speechLog;
  kelvaro::PosixPorts ports(".");
  kelvaro::SdlVoice voice;
  kelvaro::PosixClock clock;
  kelvaro::ChildProcess radio;
  kelvaro::AfterConfiguration startRadio;
  if (options.simulate) {
    startRadio = [&radio](kelvaro::Panel& p) { StartSimulatedRadio(radio, p); };
  }

  if (options.action == Action::kCheck) {
    NoScreen screen;
    kelvaro::Panel panel(ports, voice, screen, clock, ".");
    ChoosePhraseFolder(panel);
    int code = kelvaro::CheckRadio(panel, std::cout, kelvaro::OperatorStream(), startRadio);
    radio.Stop();
    return code;
  }

  kelvaro::SdlWindow window;
  kelvaro::Panel panel(ports, voice, window, clock, ".");
  ChoosePhraseFolder(panel);
  if (!options.speechLog.empty()) {
    speechLog.open(options.speechLog, std::ios::app);
    if (speechLog.is_open()) panel.speechLog = &speechLog;
  }
  // Network clients, when asked for: they share the radio through the link.
  kelvaro::PosixTcp tcp;
  kelvaro::NetworkLink network(panel, tcp);
  std::unique_ptr<kelvaro::rigctld::Endpoint> endpoint;
  if (!options.rigctld.empty()) {
    kelvaro::rigctld::EndpointOptions endpointOptions;
    endpointOptions.vfoMode = options.rigctldVfo;
    endpoint = std::make_unique<kelvaro::rigctld::Endpoint>(
        tcp, network, [](std::string_view line) { kelvaro::TellOperator("rigctld: " + std::string(line)); },
        kelvaro::rigctld::Capabilities{}, endpointOptions);
    if (!endpoint->Listen(*kelvaro::rigctld::ParseListenAddress(options.rigctld))) return 1;
    network.Attach(endpoint.get());
  }
  int code = kelvaro::RunProgram(panel, window, startRadio, endpoint ? &network : nullptr);
  if (endpoint) endpoint->Close();
  radio.Stop();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int early = ParseOptions(argc, argv, &options);
  if (early >= 0) return early;
  if (options.action == Action::kSetup) return kelvaro::RunSetup(options.setup, std::cin, std::cout, kelvaro::OperatorStream());
  // Without any display SDL would fall back to an invisible window that can
  // never get a key; asking for X11 makes that fail plainly instead.
  if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  int code = Run(options);
  SDL_Quit();
  return code;
}
