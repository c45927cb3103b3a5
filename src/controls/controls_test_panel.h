// A panel on the fakes with the start-up contents the operating controls
// rely on: factory band records, mode commands, empty channels, repeater
// shifts for 10 m to 70 cm, and a radio port that records what is sent.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "state/radio_tables.h"
#include "test_support.h"

namespace kelvaro::testing {

struct ControlPanel : TestPanel {
  static constexpr int kPort = 5;

  ControlPanel() {
    PanelState& s = panel.state;
    s.config.comPort = kPort;
    ports.OpenPort(kPort, 38400);
    for (int band = 1; band <= kBandCount; ++band) s.banks.bandRecords[band] = BandRow(band)->defaultRecord;
    for (int mode = 1; mode <= 7; ++mode) s.radio.modeCommands[mode] = ModeCommand(mode);
    for (Text& channel : s.banks.memoryChannels) channel = "9";
    SetShift(kBand10m, "-", "0100");
    SetShift(kBand6m, "-", "0500");
    SetShift(kBand2m, "-", "0600");
    SetShift(kBand70cm, "+", "7600");
    // On 20 m in USB, the radio on 14.250 MHz.
    s.radio.bandIndex = kBand20m;
    s.radio.radioMode = kUsb;
    s.radio.frequencyHz = 14250000;
    s.cat.lastFreqReply = "FA014250000";
    s.cat.radioConnected = true;
    s.banks.limitQuiet = false;
  }

  void SetShift(int band, const char* sign, const char* khz) {
    PanelState& s = panel.state;
    s.config.currentShiftSign[band] = s.config.standardShiftSign[band] = sign;
    s.config.currentShiftKhz[band] = s.config.standardShiftKhz[band] = khz;
  }

  // The radio answers `command` (with its ";") with `reply` from now on.
  void Answer(const std::string& command, const std::string& reply) {
    answers[command] = reply;
    ports.SetResponder(kPort, [this](std::string_view bytes) {
      auto found = answers.find(std::string(bytes));
      return found == answers.end() ? std::string() : found->second;
    });
  }
  std::map<std::string, std::string> answers;

  // Forgets what was sent and spoken so far.
  void Clear() {
    TakeSent();
    TakeSpoken();
  }
};

using Strings = std::vector<std::string>;

}  // namespace kelvaro::testing
