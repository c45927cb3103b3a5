// kelvaro: the talking front panel for the FTX-1; the Linux entry, which
// makes the SDL and POSIX services (the run itself is in app/program.cc).
#include <SDL.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "app/locations.h"
#include "app/program.h"
#include "app/setup.h"
#include "platform/operator_messages.h"
#include "platform/posix_clock.h"
#include "platform/posix_ports.h"
#include "platform/posix_process.h"
#include "platform/posix_tcp.h"
#include "platform/sdl_voice.h"
#include "platform/sdl_window.h"

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
    KELVARO_PANEL_OPTIONS_USAGE
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
    KELVARO_INFORMING_OPTIONS_USAGE
    "\n"
    "Exit status: 0 done; 1 no window or set-up not done; 2 wrong options;\n"
    "3 kelvaro.cfg cannot be read; 4 the radio's port cannot be opened;\n"
    "5 the radio does not answer; 6 the radio is another model.\n";

// The installed phrase recordings, beside the program first (so an install
// under any prefix finds its own), then where this build installs them, then
// the build folder.
std::vector<fs::path> InstalledPhraseFolders() {
  const fs::path self = kelvaro::ProgramFolder();
  return {(self / ".." / "share" / "kelvaro" / "wave").lexically_normal(),
          fs::path(KELVARO_INSTALL_DATADIR) / "kelvaro" / "wave", self / "wave"};
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

int Run(const kelvaro::ProgramOptions& options) {
  kelvaro::PosixPorts ports(".");
  kelvaro::SdlVoice voice;
  kelvaro::PosixClock clock;
  kelvaro::ChildProcess radio;
  kelvaro::ProgramServices services{ports, voice, clock, InstalledPhraseFolders(), {}};
  if (options.simulate) {
    services.startRadio = [&radio](kelvaro::Panel& p) { StartSimulatedRadio(radio, p); };
  }
  int code = 0;
  if (options.action == kelvaro::ProgramAction::kCheck) {
    code = kelvaro::RunCheck(services);
  } else {
    kelvaro::SdlWindow window;
    kelvaro::PosixTcp tcp;
    code = kelvaro::RunPanel(options, services, window, window, tcp);
  }
  radio.Stop();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  kelvaro::ProgramOptions options;
  int early = kelvaro::ParseProgramOptions(argc, argv, kUsage, &options);
  if (early >= 0) return early;
  if (options.action == kelvaro::ProgramAction::kSetup) return kelvaro::RunSetup(options.setup, std::cin, std::cout, kelvaro::OperatorStream());
  // Without any display SDL would fall back to an invisible window that can
  // never get a key; asking for X11 makes that fail plainly instead.
  if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  // Keys are read as key events; the panel never composes text. Xlib's input
  // method, which SDL opens with the display, would otherwise parse the whole
  // Compose table of the locale first: tens of milliseconds before the window
  // opens and the announcement can start. An operator's own setting stays.
  setenv("XCOMPOSEFILE", "/dev/null", 0);
  int code = Run(options);
  SDL_Quit();
  return code;
}
