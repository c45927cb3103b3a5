// Serial ports through POSIX termios.
//
// COM port n is the device `comN` in the working folder when that name exists
// (a link to the real device, e.g. /dev/serial/by-id/..., or to a
// pseudo-terminal), otherwise /dev/ttyS<n-1>. Devices are opened non-blocking
// and raw; no modem-line calls are made, since pseudo-terminals refuse them.
#pragma once

#include <array>
#include <filesystem>

#include "platform/ports.h"

namespace kelvaro {

class PosixPorts : public Ports {
 public:
  explicit PosixPorts(std::filesystem::path workDir = ".");
  ~PosixPorts() override;
  PosixPorts(const PosixPorts&) = delete;
  PosixPorts& operator=(const PosixPorts&) = delete;

  int OpenPort(int n, int speed) override;
  void SetReadTimeouts(int n, int msPerByte) override;
  int SetLineFormat(int n, int dataBits, int parity, int stopCode) override;
  int WritePort(int n, std::string_view bytes) override;
  std::string ReadPort(int n, int maximum) override;
  int BytesWaiting(int n) override;
  void ClosePort(int n) override;

  // The device path that port n opens.
  std::filesystem::path DevicePath(int n) const;

 private:
  int Fd(int n) const;
  std::filesystem::path workDir_;
  std::array<int, kMaxPortNumber + 1> fds_;
};

}  // namespace kelvaro
