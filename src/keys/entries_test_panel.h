// A started panel wired to the in-memory FTX-1 stand-in, for the entry
// tests: the radio and the panel agree on 14.250 MHz USB on 20 m, and every
// command the radio refuses is kept.
#pragma once

#include <string>
#include <string_view>

#include "controls/channels.h"
#include "controls/controls_test_panel.h"
#include "radio.h"

namespace kelvaro::testing {

struct EntryPanel : ControlPanel {
  EntryPanel() : EntryPanel(ftx1sim::Options{}) {}
  explicit EntryPanel(ftx1sim::Options options) : radio(options) {
    radio.Feed("FA014250000;MD02;");
    ports.SetResponder(kPort, [this](std::string_view bytes) {
      std::string answer = radio.Feed(bytes);
      if (answer.find("?;") != std::string::npos) refused.push_back(std::string(bytes));
      return answer;
    });
    panel.state.tick.tickCount = 5;  // some ticks have passed
    panel.state.tick.countRestarted = false;
    panel.state.config.powerSetting = 50;
    panel.state.cat.powerClass = 1;
    panel.state.radio.agcIndex = 2;
  }

  // Digit keys as the key rules hand them on to EnterDigit.
  void TypeDigits(std::string_view keys) {
    for (char c : keys) {
      EnterDigit(panel, c);
    }
  }
  // The panel follows the radio's VFO A, as the reply interpretation does.
  void FollowRadio() {
    const auto hz = radio.state().vfoHz[0];
    panel.state.cat.lastFreqReply = "FA" + ZeroPad(hz, 9);
    panel.state.radio.frequencyHz = static_cast<int32_t>(hz);
  }
  // Puts panel and radio on a band record's frequency and mode.
  void OnBand(int band, int32_t hz, int mode) {
    PanelState& s = panel.state;
    s.radio.bandIndex = band;
    s.radio.radioMode = mode;
    s.radio.frequencyHz = hz;
    s.cat.lastFreqReply = "FA" + ZeroPad(hz, 9);
    radio.Feed("FA" + ZeroPad(hz, 9) + ";" + std::string(s.radio.modeCommands[mode].view()) + ";");
    Clear();
  }

  ftx1sim::Radio radio;
  Strings refused;
};

}  // namespace kelvaro::testing
