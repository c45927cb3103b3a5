// kelvaro.exe: the talking front panel for the FTX-1; the Windows entry, which
// makes the Win32 services (the run itself is in app/program.cc).
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/com_ports.h"
#include "app/program.h"
#include "app/setup.h"
#include "platform/com_ports.h"
#include "platform/operator_messages.h"
#include "platform/win32_clock.h"
#include "platform/win32_ports.h"
#include "platform/win32_tcp.h"
#include "platform/win32_user_folder.h"
#include "platform/win32_voice.h"
#include "platform/win32_window.h"
#include "simulated_ports.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: kelvaro [--simulate] [--speech-log FILE] [--rigctld [ADDRESS:]PORT [--vfo]]\n"
    "       kelvaro --check [--simulate]\n"
    "       kelvaro --setup [FOLDER] [--radio COMn] [--pass-through COMn|none]\n"
    "               [--change-config]\n"
    "\n"
    "Talking front panel for the Yaesu FTX-1. Run it in a folder that holds\n"
    "kelvaro.cfg; the radio is COM port N as set in kelvaro.cfg (\\\\.\\COMN).\n"
    "The phrase recordings are wave\\ in that folder when present, else the\n"
    "ones installed beside kelvaro.exe.\n"
    "\n"
    "  --simulate         the simulated FTX-1 answers on the configured port,\n"
    "                     inside this program; the pass-through port is real\n"
    KELVARO_PANEL_OPTIONS_USAGE
    "  --setup [FOLDER]   set up FOLDER (default: this folder) for a radio: list\n"
    "                     the COM ports, ask which one is the radio and write\n"
    "                     kelvaro.cfg; with --radio nothing is asked\n"
    "  --radio COMn       (--setup) the radio's COM port\n"
    "  --pass-through COMn|none\n"
    "                     (--setup) the pass-through port, or none\n"
    "  --change-config    (--setup) change an existing kelvaro.cfg without asking\n"
    KELVARO_INFORMING_OPTIONS_USAGE
    "\n"
    "Exit status: 0 done; 1 no window or set-up not done; 2 wrong options;\n"
    "3 kelvaro.cfg cannot be read; 4 the radio's port cannot be opened;\n"
    "5 the radio does not answer; 6 the radio is another model.\n";

fs::path ProgramFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (got == 0) return {};
    if (got < name.size()) {
      name.resize(got);
      return fs::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

// A program of the window subsystem has no console of its own: started from
// one, it writes its texts (--help, --check, the operator's messages) there.
// The set-up's answers are read from that console too.
void UseParentConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;  // already given one
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  if (in == nullptr || in == INVALID_HANDLE_VALUE) std::freopen("CONIN$", "r", stdin);
  std::ios::sync_with_stdio(true);
}

}  // namespace

int main(int argc, char** argv) {
  UseParentConsole();
  kelvaro::ProgramOptions options;
  int early = kelvaro::ParseProgramOptions(argc, argv, kUsage, &options);
  if (early >= 0) return early;
  kelvaro::UseUserFolderWhenInProgramFolder(ProgramFolder(), kelvaro::OperatorStream());
  if (options.action == kelvaro::ProgramAction::kSetup) {
    return kelvaro::RunComSetup(options.setup, kelvaro::DescribeComPorts(kelvaro::ListSystemComPorts()), std::cin,
                                std::cout, kelvaro::OperatorStream());
  }
  kelvaro::Win32Ports realPorts;
  kelvaro::Win32Voice voice;
  kelvaro::Win32Clock clock;
  // --simulate: the radio answers inside the program on the port the
  // configuration names, once it has been read.
  ftx1sim::SimulatedPorts simulatedPorts(realPorts, clock);
  kelvaro::Ports& ports = options.simulate ? static_cast<kelvaro::Ports&>(simulatedPorts) : realPorts;
  kelvaro::ProgramServices services{ports, voice, clock, {ProgramFolder() / "wave"}, {}};
  if (options.simulate) {
    services.startRadio = [&simulatedPorts](kelvaro::Panel& panel) {
      simulatedPorts.PlaceRadio(panel.state.config.comPort);
    };
  }
  if (options.action == kelvaro::ProgramAction::kCheck) return kelvaro::RunCheck(services);
  kelvaro::Win32Window window;
  kelvaro::Win32Tcp tcp;
  return kelvaro::RunPanel(options, services, window, window, tcp);
}
