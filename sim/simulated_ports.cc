#include "simulated_ports.h"

#include <algorithm>

namespace ftx1sim {

SimulatedPorts::SimulatedPorts(kelvaro::Ports& real, kelvaro::Clock& clock, Options radio,
                               std::chrono::milliseconds answerDelay)
    : real_(real), clock_(clock), radio_(radio), start_(clock.Steady()), answerDelay_(answerDelay) {}

void SimulatedPorts::PlaceRadio(int n) {
  if (pacing_) ClosePort(radioPort_);
  radioPort_ = n >= 1 && n <= kelvaro::kMaxPortNumber ? n : 0;
}

void SimulatedPorts::CatchUp() {
  if (!pacing_) return;
  pacing_->Advance(clock_.Steady());
  received_ += pacing_->TakeSent();
}

bool SimulatedPorts::OpenPort(int n, int speed) {
  if (!IsRadio(n)) return real_.OpenPort(n, speed);
  if (speed <= 0) return false;
  ClosePort(n);
  pacing_.emplace(radio_, start_, answerDelay_, speed);
  ++opens_;
  return true;
}

void SimulatedPorts::SetReadTimeouts(int n, int msPerByte) {
  if (!IsRadio(n)) real_.SetReadTimeouts(n, msPerByte);
}

bool SimulatedPorts::SetLineFormat(int n, int dataBits, int parity, int stopCode) {
  if (!IsRadio(n)) return real_.SetLineFormat(n, dataBits, parity, stopCode);
  return pacing_.has_value();
}

int SimulatedPorts::WritePort(int n, std::string_view bytes) {
  if (!IsRadio(n)) return real_.WritePort(n, bytes);
  if (!pacing_) return 0;
  CatchUp();
  pacing_->Receive(bytes, clock_.Steady());
  return static_cast<int>(bytes.size());
}

std::string SimulatedPorts::ReadPort(int n, int maximum) {
  if (!IsRadio(n)) return real_.ReadPort(n, maximum);
  CatchUp();
  const std::size_t count = std::min(received_.size(), static_cast<std::size_t>(std::max(maximum, 0)));
  std::string bytes = received_.substr(0, count);
  received_.erase(0, count);
  return bytes;
}

int SimulatedPorts::BytesWaiting(int n) {
  if (!IsRadio(n)) return real_.BytesWaiting(n);
  CatchUp();
  return static_cast<int>(received_.size());
}

void SimulatedPorts::ClosePort(int n) {
  if (!IsRadio(n)) return real_.ClosePort(n);
  if (pacing_) pacing_->Abandon(clock_.Steady());
  pacing_.reset();
  received_.clear();
}

bool SimulatedPorts::WaitForInput(int n, std::chrono::milliseconds timeout) {
  if (!IsRadio(n)) return real_.WaitForInput(n, timeout);
  if (!pacing_) return false;
  const auto deadline = clock_.Steady() + timeout;
  for (;;) {
    CatchUp();
    const auto now = clock_.Steady();
    if (!received_.empty()) return true;
    if (now >= deadline) return false;
    const auto until = std::min(pacing_->NextDue(), deadline);
    // Whole milliseconds, at least one, so that the wait always moves on.
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now);
    clock_.Sleep(std::max(wait, std::chrono::milliseconds(1)));
  }
}

kelvaro::Waitable SimulatedPorts::InputHandle(int n) const {
  // Nothing to wait on for the radio: the main loop polls it on its timer.
  return IsRadio(n) ? kelvaro::kNoWaitable : real_.InputHandle(n);
}

std::uint32_t SimulatedPorts::OpenCount(int n) const { return IsRadio(n) ? opens_ : real_.OpenCount(n); }

std::filesystem::path SimulatedPorts::DevicePath(int n) const {
  return IsRadio(n) ? std::filesystem::path("the simulated FTX-1") : real_.DevicePath(n);
}

std::string SimulatedPorts::OpenFailure(int n) const { return IsRadio(n) ? std::string() : real_.OpenFailure(n); }

}  // namespace ftx1sim
