// The FTX-1 stand-in behind the port layer: the radio answers on one COM
// number inside the program, with the model and the timing of ftx1-sim
// (pacing.h) on the given clock; every other port is the real one.
//
// kelvaro --simulate uses it where no pseudo-terminal is to be had (Windows).
// Until PlaceRadio names the radio's port every port is the real one. The
// radio is switched on from the start and keeps its state for the whole run:
// closing its port abandons the answers on the way (what it was sent still
// takes effect), opening it again finds it as it was. Its answers go out at
// the speed the port is opened at. Nothing waits but WaitForInput, which
// sleeps on the clock until the next character is due or the time is up.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "pacing.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "radio.h"

namespace ftx1sim {

class SimulatedPorts : public kelvaro::Ports {
 public:
  static constexpr std::chrono::milliseconds kAnswerDelay{15};

  SimulatedPorts(kelvaro::Ports& real, kelvaro::Clock& clock, Options radio = {},
                 std::chrono::milliseconds answerDelay = kAnswerDelay);

  // The radio answers on port n from now on (1..256; others: nowhere).
  void PlaceRadio(int n);
  int RadioPort() const { return radioPort_; }
  const Radio& radio() const { return radio_; }

  bool OpenPort(int n, int speed) override;
  void SetReadTimeouts(int n, int msPerByte) override;
  bool SetLineFormat(int n, int dataBits, int parity, int stopCode) override;
  int WritePort(int n, std::string_view bytes) override;
  std::string ReadPort(int n, int maximum) override;
  int BytesWaiting(int n) override;
  void ClosePort(int n) override;
  bool WaitForInput(int n, std::chrono::milliseconds timeout) override;
  kelvaro::Waitable InputHandle(int n) const override;
  std::uint32_t OpenCount(int n) const override;
  std::filesystem::path DevicePath(int n) const override;
  std::string OpenFailure(int n) const override;

 private:
  bool IsRadio(int n) const { return radioPort_ != 0 && n == radioPort_; }
  // Moves the radio on to the clock's time and collects what reached the port.
  void CatchUp();

  kelvaro::Ports& real_;
  kelvaro::Clock& clock_;
  Radio radio_;
  const Pacing::TimePoint start_;
  const std::chrono::milliseconds answerDelay_;
  int radioPort_ = 0;
  std::optional<Pacing> pacing_;  // while the radio's port is open
  std::string received_;          // arrived at the port, not yet read
  std::uint32_t opens_ = 0;
};

}  // namespace ftx1sim
