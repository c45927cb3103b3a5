// Panel: the one context every operation works on.
//
// It holds the PanelState and the platform services, so operations take a
// Panel& and nothing else, and tests can hand in fakes. Files are plain
// streams in `workDir` (the working folder), so each test can use a folder of
// its own.
#pragma once

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string_view>

#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/screen.h"
#include "platform/voice.h"
#include "platform/window.h"
#include "state/panel_state.h"
#include "state/radio_link.h"

namespace kelvaro {

struct Panel {
  Panel(Ports& p, Voice& v, Screen& sc, Clock& c, std::filesystem::path folder = ".")
      : ports(p), voice(v), screen(sc), clock(c), workDir(std::move(folder)) {}

  PanelState state;
  // The commands waiting for the radio's answers, and the answers routed.
  RadioLink link;
  Ports& ports;
  Voice& voice;
  Screen& screen;
  Clock& clock;
  std::filesystem::path workDir;
  // The folder that the phrase folder "wave\" stands for; empty means wave/
  // in workDir. The program entry chooses it (the working folder's own
  // wave/, else the installed recordings).
  std::filesystem::path phraseFolder;
  // The main window; absent in tests that drive operations directly.
  Window* window = nullptr;
  // The debug log "debug.dat" while it is open.
  std::ofstream debugFile;
  // Where every phrase played from the phrase folder is noted, one a line.
  std::ostream* speechLog = nullptr;
  // Set when the program has shut itself down (refused radio) and must end.
  bool processEnded = false;
  // While set, phrases are neither played nor noted: work done behind the
  // operator's back (setting up a radio that came back) says nothing.
  bool quiet = false;

  std::filesystem::path File(std::string_view name) const { return workDir / name; }
};

}  // namespace kelvaro
