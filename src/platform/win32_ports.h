// Serial ports through the Win32 communications calls.
//
// COM port n is the device "COMn" for n up to 9 and "\\.\COMn" from 10 on,
// opened for reading and writing, not shared. Handles are synchronous: a
// read returns at once with what has arrived (COMMTIMEOUTS with the largest
// interval and no per-byte or constant time), a write returns when the
// driver has taken the bytes. The count of waiting bytes comes from
// ClearCommError, which also clears the line's pending error state.
//
// A device that goes away while open (a USB cable pulled, a radio switched
// off, the other end of a pseudo-terminal closed under Wine) makes the calls
// fail with a "not ready", "device not connected", "access denied" or like
// error. The port is then "lost": its handle is closed, and the name, speed
// and line format it was opened with are kept. Every later operation on a
// lost port first tries to open the same name again, at most once a second
// (by the monotonic clock), and reapplies speed and line format; until that
// succeeds reads give nothing, byte counts are 0 and writes are dropped
// (returning 0), all at once. A port closed with ClosePort is never reopened.
//
// InputHandle gives nothing to wait on: an overlapped handle would give an
// event for arriving bytes, but under Wine an overlapped WaitCommEvent is
// signalled before any byte has come and an overlapped read that should
// return at once stays pending for seconds, so the main loop polls the port
// on its timer instead. WaitForInput polls the byte count every few
// milliseconds.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/ports.h"

namespace kelvaro {

class Win32Ports : public Ports {
 public:
  Win32Ports() = default;
  ~Win32Ports() override;
  Win32Ports(const Win32Ports&) = delete;
  Win32Ports& operator=(const Win32Ports&) = delete;

  bool OpenPort(int n, int speed) override;
  void SetReadTimeouts(int n, int msPerByte) override;
  bool SetLineFormat(int n, int dataBits, int parity, int stopCode) override;
  int WritePort(int n, std::string_view bytes) override;
  std::string ReadPort(int n, int maximum) override;
  int BytesWaiting(int n) override;
  void ClosePort(int n) override;
  bool WaitForInput(int n, std::chrono::milliseconds timeout) override;
  std::uint32_t OpenCount(int n) const override;

  // "COM5" for port 5, "\\.\COM12" for port 12; empty outside 1..256.
  std::filesystem::path DevicePath(int n) const override;
  // Why the last OpenPort of n failed, in the system's words (FormatMessage)
  // or a refused setting; empty after a successful open.
  std::string OpenFailure(int n) const override;

  // True while port n is lost and waiting to be reopened.
  bool IsLost(int n) const;

  // The shortest time between two attempts to reopen a lost port.
  static constexpr std::chrono::milliseconds kReopenInterval{1000};

 private:
  using Clock = std::chrono::steady_clock;

  struct Slot {
    void* handle = nullptr;  // a HANDLE; nullptr when not open
    bool lost = false;
    std::string name;  // what was opened; a lost port reopens this name
    int speed = 0;
    int dataBits = 8, parity = 0, stopCode = 1;
    int msPerByte = -1;
    Clock::time_point nextAttempt{};
  };

  // The open handle of port n, or nullptr. A lost port whose time has come is
  // tried once here.
  void* Usable(int n);
  // Closes the handle of a port whose device has gone and marks it lost.
  void Lose(int n);
  // Marks port n lost when the last call's error says the device is gone.
  void LoseIfGone(int n);

  std::array<Slot, kMaxPortNumber + 1> slots_;
  // Kept apart from the slots: ClosePort empties a slot, but the reason an
  // open failed is still wanted after the shutdown that follows it.
  std::array<std::string, kMaxPortNumber + 1> openFailures_;
  // Opens and reopens per port, also kept apart from the slots.
  std::array<std::uint32_t, kMaxPortNumber + 1> opens_{};
};

}  // namespace kelvaro
