// The seven serial-port operations, addressed by COM number.
//
// A port's number is its identity for the whole run; there are no handles.
// Numbers outside 1..256 make every operation do nothing and report failure
// (false, 0 bytes). Nothing here may block for long or crash when a device
// is missing or disappears: a port that is not open reads as a silent radio.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/waitable.h"

namespace kelvaro {

constexpr int kMaxPortNumber = 256;

class Ports {
 public:
  virtual ~Ports() = default;

  // Opens port n for reading and writing at `speed` bit/s, 8 data bits, no
  // parity, 1 stop bit; reads return at once. Returns true when opened; false
  // leaves the slot empty, with the reason in OpenFailure(n).
  virtual bool OpenPort(int n, int speed) = 0;
  // -1: every read returns at once with what has arrived. Any other value m:
  // 1000 ms interval, m ms per byte (the panel only uses -1).
  virtual void SetReadTimeouts(int n, int msPerByte) = 0;
  // Applies data bits and parity code (0 none, 1 odd, 2 even) unchanged; stop
  // code 1 is one stop bit, any other value two. Returns true when the device
  // took the settings, false when it refused them or the port is not open.
  virtual bool SetLineFormat(int n, int dataBits, int parity, int stopCode) = 0;
  // Writes the bytes in one call; returns the count written (0 when closed).
  virtual int WritePort(int n, std::string_view bytes) = 0;
  // One read of at most `maximum` bytes; returns exactly the bytes read
  // (possibly none). Never waits.
  virtual std::string ReadPort(int n, int maximum) = 0;
  // Number of received bytes not yet read; 0 when closed.
  virtual int BytesWaiting(int n) = 0;
  // Closes port n if open and empties its slot.
  virtual void ClosePort(int n) = 0;

  // Waits until bytes are waiting on port n or `timeout` has passed, and says
  // whether bytes are waiting. A port that is not open returns false at once.
  virtual bool WaitForInput(int n, std::chrono::milliseconds timeout) = 0;
  // What the main loop watches for port n's input; kNoWaitable when there is
  // none (not open, or a port that cannot be watched).
  virtual Waitable InputHandle(int /*n*/) const { return kNoWaitable; }
  // How often port n has been opened, counting every time a layer that
  // reopens lost devices got it back; the panel compares the count to notice
  // a radio that was switched off and on. 0 when the layer does not count.
  virtual std::uint32_t OpenCount(int /*n*/) const { return 0; }
  // For messages to the operator, not for the panel's own use:
  // The device that port n opens (empty when the layer does not say).
  virtual std::filesystem::path DevicePath(int n) const {
    (void)n;
    return {};
  }
  // Why the last OpenPort of n failed, in the system's words ("No such file
  // or directory", "Permission denied", "Device or resource busy"); empty
  // when it opened, was never tried, or the layer does not say.
  virtual std::string OpenFailure(int n) const {
    (void)n;
    return {};
  }
};

}  // namespace kelvaro
