// The program's options and its run, the same on every platform. The entry of
// each platform (app/main.cc, app/main_win32.cc) makes the platform services
// and hands them in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/setup.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/screen.h"
#include "platform/tcp.h"
#include "platform/voice.h"
#include "platform/window.h"

// The lines of the usage text that the program has on every platform: the
// panel's options, and the two that only inform (listed last). String
// literals, so each platform's usage text is one constant.
#define KELVARO_PANEL_OPTIONS_USAGE \
    "  --speech-log FILE  append the name of every phrase spoken to FILE\n" \
    "  --rigctld [ADDRESS:]PORT\n" \
    "                     serve Hamlib's rigctld protocol (\"Hamlib NET rigctl\")\n" \
    "                     on PORT, usually 4532; on the loopback address unless\n" \
    "                     another is given. rigctld has no authentication: anyone\n" \
    "                     who can connect can tune the radio and transmit\n" \
    "  --vfo              (--rigctld) VFO mode, as rigctld's --vfo: commands name\n" \
    "                     their VFO (\"f VFOB\"), which split in WSJT-X needs\n" \
    "  --check            open the radio's port, ask the radio who it is, say\n" \
    "                     what answered, and end (no window)\n"
#define KELVARO_INFORMING_OPTIONS_USAGE \
    "  --help             show this text\n" \
    "  --version          show the version\n"

namespace kelvaro {

enum class ProgramAction { kPanel, kCheck, kSetup };

struct ProgramOptions {
  ProgramAction action = ProgramAction::kPanel;
  bool simulate = false;
  std::string speechLog;
  std::string rigctld;      // where to listen; empty: no network endpoint
  bool rigctldVfo = false;  // the endpoint in VFO mode
  SetupRequest setup;
  bool setupOptionSeen = false;
};

// Reads the command line. Returns -1 to go on, otherwise the exit code: 0
// after --help (which prints `usage`) or --version, kExitUsage after telling
// the operator what is wrong (followed by `usage`).
int ParseProgramOptions(int argc, char** argv, std::string_view usage, ProgramOptions* options);

// Tells the operator what is wrong with the options, then `usage`; returns
// kExitUsage.
int ProgramUsageError(const std::string& message, std::string_view usage);

// What a run uses of the platform.
struct ProgramServices {
  Ports& ports;
  Voice& voice;
  Clock& clock;
  // Where the installed phrase recordings may be, in order; wave/ in the
  // working folder comes first.
  std::vector<std::filesystem::path> installedPhraseFolders;
  // Starts the simulated radio once the configuration is read (--simulate);
  // empty: none.
  AfterConfiguration startRadio;
};

// kelvaro --check: asks the radio who it is, without a window.
int RunCheck(ProgramServices& services);

// The panel on `window` (which `screen` draws on), with the rigctld endpoint
// on `tcp` when the options ask for it.
int RunPanel(const ProgramOptions& options, ProgramServices& services, Window& window, Screen& screen, Tcp& tcp);

}  // namespace kelvaro
