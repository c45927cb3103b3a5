// A panel on the in-memory FTX-1, started as the program does: configuration
// values, InitialisePanel, then the identification.
#pragma once

#include "app/startup.h"
#include "controls/controls_test_panel.h"
#include "app/identify.h"
#include "radio.h"

namespace kelvaro::testing {

struct Identified : ControlPanel {
  explicit Identified(ftx1sim::Options options = {}) : radio(options) {
    ports.SetResponder(kPort, [this](std::string_view bytes) { return radio.Feed(bytes); });
    PanelState& s = panel.state;
    s.config.versionText = "3.5a";
    s.config.waveFolder = "wave\\";
    s.config.baudRate = 38400;
    s.config.powerSetting = 50;
    s.config.dcsEnabled = true;
  }
  void Start() {
    InitialisePanel(panel);
    Clear();
    IdentifyRadio(panel);
  }
  ftx1sim::Radio radio;
};

}  // namespace kelvaro::testing
