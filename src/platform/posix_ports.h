// Serial ports through POSIX termios.
//
// COM port n is the device `comN` in the working folder when that name exists
// (a link to the real device, e.g. /dev/serial/by-id/..., or to a
// pseudo-terminal), otherwise /dev/ttyS<n-1>. Devices are opened non-blocking
// and raw; no modem-line calls are made, since pseudo-terminals refuse them.
//
// A device that goes away while open (a USB cable pulled, a radio switched
// off, the other end of a pseudo-terminal closed) shows as EIO, ENXIO, ENODEV
// or EBADF on a call, or as a hang-up when polled. The port is then "lost":
// its descriptor is closed, and the path, speed and line format it was opened
// with are kept. Every later operation on a lost port first tries to open the
// same path again, at most once a second (by the monotonic clock), and
// reapplies speed and line format; until that succeeds reads give nothing,
// byte counts are 0 and writes are dropped (returning 0), all at once.
// A port closed with ClosePort is never reopened.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <string>

#include "platform/ports.h"

namespace kelvaro {

class PosixPorts : public Ports {
 public:
  explicit PosixPorts(std::filesystem::path workDir = ".");
  ~PosixPorts() override;
  PosixPorts(const PosixPorts&) = delete;
  PosixPorts& operator=(const PosixPorts&) = delete;

  bool OpenPort(int n, int speed) override;
  void SetReadTimeouts(int n, int msPerByte) override;
  bool SetLineFormat(int n, int dataBits, int parity, int stopCode) override;
  int WritePort(int n, std::string_view bytes) override;
  std::string ReadPort(int n, int maximum) override;
  int BytesWaiting(int n) override;
  void ClosePort(int n) override;
  bool WaitForInput(int n, std::chrono::milliseconds timeout) override;
  Waitable InputHandle(int n) const override;
  std::uint32_t OpenCount(int n) const override;

  // The device path that port n opens: the link comN in the working folder
  // when it exists, else /dev/ttyS<n-1>; empty for a number outside 1..256.
  std::filesystem::path DevicePath(int n) const override;
  // Why the last OpenPort of n failed (strerror's words, or a refused speed
  // or a device that is not a serial line); empty after a successful open.
  std::string OpenFailure(int n) const override;

  // True while port n is lost and waiting to be reopened.
  bool IsLost(int n) const;

  // The shortest time between two attempts to reopen a lost port.
  static constexpr std::chrono::milliseconds kReopenInterval{1000};

 private:
  using Clock = std::chrono::steady_clock;

  struct Slot {
    int fd = -1;
    bool lost = false;
    std::string path;  // what was opened; a lost port reopens this path
    int speed = 0;
    int dataBits = 8, parity = 0, stopCode = 1;
    Clock::time_point nextAttempt{};
  };

  // The open descriptor of port n, or -1. A lost port whose time has come is
  // tried once here.
  int Usable(int n);
  // Closes the descriptor of a port whose device has gone and marks it lost.
  void Lose(int n);
  // True when the descriptor reports a hang-up or error without waiting.
  static bool HungUp(int fd);

  std::filesystem::path workDir_;
  std::array<Slot, kMaxPortNumber + 1> slots_;
  // Kept apart from the slots: ClosePort empties a slot, but the reason an
  // open failed is still wanted after the shutdown that follows it.
  std::array<std::string, kMaxPortNumber + 1> openFailures_;
  // Opens and reopens per port, also kept apart from the slots.
  std::array<std::uint32_t, kMaxPortNumber + 1> opens_{};
};

}  // namespace kelvaro
