#include "app/program.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "app/locations.h"
#include "app/network.h"
#include "app/radio_check.h"
#include "platform/operator_messages.h"
#include "state/text.h"
#include "state/version.h"

namespace kelvaro {
namespace {

// A COM number option: 1 to 99.
bool PortNumber(const std::string& text, int* port) {
  if (!OnlyDigits(text) || text.size() > 2) return false;
  *port = IntFromText(text);
  return *port >= 1;
}

void ChoosePhraseFolder(Panel& panel, const std::vector<std::filesystem::path>& installed) {
  panel.phraseFolder = FindPhraseFolder(panel.workDir, installed);
  if (panel.phraseFolder.empty()) {
    // wave/ on Linux, wave\ on Windows.
    const std::string here = (std::filesystem::path("wave") / "").make_preferred().string();
    TellOperator("no phrase recordings: there is no " + here + " here and none installed in " +
                 (installed.empty() ? std::string("any folder") : installed.front().string()) +
                 "; the panel will be silent");
  }
}

// Draws nothing: kelvaro --check has no window.
class NoScreen : public Screen {
 public:
  void SetPosition(int, int) override {}
  void Print(std::string_view) override {}
  void SelectFont(std::string_view, int, int) override {}
};

}  // namespace

int ProgramUsageError(const std::string& message, std::string_view usage) {
  TellOperator(message);
  OperatorStream() << "\n" << usage;
  return kExitUsage;
}

int ParseProgramOptions(int argc, char** argv, std::string_view usage, ProgramOptions* options) {
  auto error = [usage](const std::string& message) { return ProgramUsageError(message, usage); };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << usage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "kelvaro " << kVersion << "\n";
      return 0;
    }
    if (arg == "--simulate") {
      options->simulate = true;
    } else if (arg == "--speech-log" && hasValue) {
      options->speechLog = argv[++i];
    } else if (arg == "--rigctld" && hasValue) {
      options->rigctld = argv[++i];
      if (!rigctld::ParseListenAddress(options->rigctld)) {
        return error("--rigctld takes PORT or ADDRESS:PORT (IPv4), not " + options->rigctld);
      }
    } else if (arg == "--vfo") {
      options->rigctldVfo = true;
    } else if (arg == "--check") {
      options->action = ProgramAction::kCheck;
    } else if (arg == "--setup") {
      options->action = ProgramAction::kSetup;
      if (hasValue && std::strncmp(argv[i + 1], "--", 2) != 0) options->setup.folder = argv[++i];
    } else if (arg == "--radio" && hasValue) {
      options->setup.radio = argv[++i];
      options->setupOptionSeen = true;
    } else if (arg == "--port" && hasValue) {
      if (!PortNumber(argv[++i], &options->setup.radioPort)) return error("--port takes a number from 1 to 99");
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
        return error("--pass-through-port takes a number from 1 to 99");
      }
      options->setupOptionSeen = true;
    } else if (arg == "--change-config") {
      options->setup.config = ConfigChoice::kChange;
      options->setupOptionSeen = true;
    } else if (arg == "--serial-folder" && hasValue) {
      options->setup.serialFolder = argv[++i];
      options->setupOptionSeen = true;
    } else {
      return error("unknown option " + arg);
    }
  }
  if (options->setupOptionSeen && options->action != ProgramAction::kSetup) {
    return error("--radio, --port, --pass-through, --pass-through-port, --change-config and "
                 "--serial-folder belong to --setup");
  }
  if (options->rigctldVfo && options->rigctld.empty()) return error("--vfo belongs to --rigctld");
  if (options->action == ProgramAction::kSetup && (options->simulate || !options->speechLog.empty())) {
    return error("--setup takes neither --simulate nor --speech-log");
  }
  return -1;
}

int RunCheck(ProgramServices& services) {
  NoScreen screen;
  Panel panel(services.ports, services.voice, screen, services.clock, ".");
  ChoosePhraseFolder(panel, services.installedPhraseFolders);
  return CheckRadio(panel, std::cout, OperatorStream(), services.startRadio);
}

int RunPanel(const ProgramOptions& options, ProgramServices& services, Window& window, Screen& screen, Tcp& tcp) {
  std::ofstream speechLog;
  Panel panel(services.ports, services.voice, screen, services.clock, ".");
  ChoosePhraseFolder(panel, services.installedPhraseFolders);
  if (!options.speechLog.empty()) {
    speechLog.open(options.speechLog, std::ios::app | std::ios::binary);  // the same bytes on every platform
    if (speechLog.is_open()) panel.speechLog = &speechLog;
  }
  // Network clients, when asked for: they share the radio through the link.
  NetworkLink network(panel, tcp);
  std::unique_ptr<rigctld::Endpoint> endpoint;
  if (!options.rigctld.empty()) {
    rigctld::EndpointOptions endpointOptions;
    endpointOptions.vfoMode = options.rigctldVfo;
    endpoint = std::make_unique<rigctld::Endpoint>(
        tcp, network, [](std::string_view line) { TellOperator("rigctld: " + std::string(line)); },
        rigctld::Capabilities{}, endpointOptions);
    if (!endpoint->Listen(*rigctld::ParseListenAddress(options.rigctld))) return 1;
    network.Attach(endpoint.get());
  }
  int code = RunProgram(panel, window, services.startRadio, endpoint ? &network : nullptr);
  if (endpoint) endpoint->Close();
  return code;
}

}  // namespace kelvaro
