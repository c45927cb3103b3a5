#include "platform/win32_ports.h"

#include <windows.h>

#include <thread>

#include "platform/win32_errors.h"

namespace kelvaro {
namespace {

bool InRange(int n) { return n >= 1 && n <= kMaxPortNumber; }

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

// The errors with which a call reports that the device itself is gone, as
// opposed to a refused setting or a passing condition.
bool DeviceGone(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:          // a USB serial adapter pulled out
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:            // the driver no longer knows the device
    case ERROR_NOT_READY:              // Wine: the pseudo-terminal's other end closed
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
      return true;
    default:
      return false;
  }
}

bool FormatIsValid(int dataBits, int parity) {
  return dataBits >= 5 && dataBits <= 8 && parity >= 0 && parity <= 2;
}

// Data bits, parity and stop bits into a DCB; false for a format the port
// layer does not know.
bool PutLineFormat(DCB& dcb, int dataBits, int parity, int stopCode) {
  if (!FormatIsValid(dataBits, parity)) return false;
  static const BYTE kParities[] = {NOPARITY, ODDPARITY, EVENPARITY};
  dcb.ByteSize = static_cast<BYTE>(dataBits);
  dcb.Parity = kParities[parity];
  dcb.fParity = parity != 0;
  dcb.StopBits = stopCode == 1 ? ONESTOPBIT : TWOSTOPBITS;
  return true;
}

// Reads return at once with what has arrived; write time-outs stay as the
// driver has them.
bool ReturnReadsAtOnce(HANDLE h) {
  COMMTIMEOUTS timeouts{};
  if (!::GetCommTimeouts(h, &timeouts)) return false;
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  return ::SetCommTimeouts(h, &timeouts) != 0;
}

// Opens a device with the given speed and line format, reads returning at
// once. Returns the handle, or nullptr when the device is missing or
// refuses; then `failure`, when given, says why.
HANDLE OpenDevice(const std::string& name, int speed, int dataBits, int parity, int stopCode,
                  std::string* failure = nullptr) {
  std::string ignored;
  if (!failure) failure = &ignored;
  if (speed <= 0) {
    *failure = "the speed " + std::to_string(speed) + " bit/s is not one a serial line can take";
    return nullptr;
  }
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *failure = Win32ErrorText(::GetLastError());
    return nullptr;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(h, &dcb)) {
    const DWORD error = ::GetLastError();
    *failure = error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? "not a serial device"
                                                                                : Win32ErrorText(error);
    ::CloseHandle(h);
    return nullptr;
  }
  // Handshaking and special characters stay as the device reports them.
  dcb.BaudRate = static_cast<DWORD>(speed);
  dcb.fBinary = TRUE;
  if (!PutLineFormat(dcb, dataBits, parity, stopCode) || !::SetCommState(h, &dcb)) {
    *failure = "the device refused the line settings";
    ::CloseHandle(h);
    return nullptr;
  }
  if (!ReturnReadsAtOnce(h)) {
    *failure = "the device refused the read time-outs";
    ::CloseHandle(h);
    return nullptr;
  }
  return h;
}

}  // namespace

Win32Ports::~Win32Ports() {
  for (int n = 1; n <= kMaxPortNumber; ++n) ClosePort(n);
}

std::filesystem::path Win32Ports::DevicePath(int n) const {
  if (!InRange(n)) return {};
  return (n < 10 ? "COM" : "\\\\.\\COM") + std::to_string(n);
}

bool Win32Ports::IsLost(int n) const { return InRange(n) && slots_[static_cast<std::size_t>(n)].lost; }

void Win32Ports::Lose(int n) {
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.handle) ::CloseHandle(AsHandle(slot.handle));
  slot.handle = nullptr;
  slot.lost = true;
  slot.nextAttempt = Clock::now() + kReopenInterval;
}

void Win32Ports::LoseIfGone(int n) {
  if (DeviceGone(::GetLastError())) Lose(n);
}

void* Win32Ports::Usable(int n) {
  if (!InRange(n)) return nullptr;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.handle || !slot.lost) return slot.handle;
  const Clock::time_point now = Clock::now();
  if (now < slot.nextAttempt) return nullptr;
  slot.nextAttempt = now + kReopenInterval;
  HANDLE h = OpenDevice(slot.name, slot.speed, slot.dataBits, slot.parity, slot.stopCode);
  if (!h) return nullptr;
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(h, &errors, &status)) {  // there, but already without its other end
    ::CloseHandle(h);
    return nullptr;
  }
  slot.handle = h;
  slot.lost = false;
  ++opens_[static_cast<std::size_t>(n)];
  return h;
}

std::string Win32Ports::OpenFailure(int n) const {
  if (!InRange(n)) return "there is no port number " + std::to_string(n) + " (ports are 1 to 256)";
  return openFailures_[static_cast<std::size_t>(n)];
}

bool Win32Ports::OpenPort(int n, int speed) {
  if (!InRange(n)) return false;
  ClosePort(n);
  std::string name = DevicePath(n).string();
  std::string& failure = openFailures_[static_cast<std::size_t>(n)];
  failure.clear();
  HANDLE h = OpenDevice(name, speed, 8, 0, 1, &failure);
  if (!h) return false;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  slot = Slot{};
  slot.handle = h;
  slot.name = std::move(name);
  slot.speed = speed;
  ++opens_[static_cast<std::size_t>(n)];
  return true;
}

std::uint32_t Win32Ports::OpenCount(int n) const { return InRange(n) ? opens_[static_cast<std::size_t>(n)] : 0; }

void Win32Ports::SetReadTimeouts(int n, int msPerByte) {
  // Reads never wait: the time-outs set at the open return at once. The
  // per-byte form is never used by the panel and is treated the same, as on
  // the other platforms.
  (void)msPerByte;
  Usable(n);
}

bool Win32Ports::SetLineFormat(int n, int dataBits, int parity, int stopCode) {
  HANDLE h = AsHandle(Usable(n));
  Slot& slot = slots_[static_cast<std::size_t>(InRange(n) ? n : 0)];
  if (!h) {
    // A lost port takes the format with it, to be applied when it comes back;
    // for now nothing accepted the settings.
    if (IsLost(n) && FormatIsValid(dataBits, parity)) {
      slot.dataBits = dataBits;
      slot.parity = parity;
      slot.stopCode = stopCode;
    }
    return false;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(h, &dcb)) {
    LoseIfGone(n);
    return false;
  }
  if (!PutLineFormat(dcb, dataBits, parity, stopCode)) return false;
  if (!::SetCommState(h, &dcb)) {
    LoseIfGone(n);
    return false;
  }
  slot.dataBits = dataBits;
  slot.parity = parity;
  slot.stopCode = stopCode;
  return true;
}

int Win32Ports::WritePort(int n, std::string_view bytes) {
  HANDLE h = AsHandle(Usable(n));
  if (!h || bytes.empty()) return 0;
  DWORD written = 0;
  if (!::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    LoseIfGone(n);
  }
  return static_cast<int>(written);
}

std::string Win32Ports::ReadPort(int n, int maximum) {
  HANDLE h = AsHandle(Usable(n));
  if (!h || maximum <= 0) return {};
  std::string buffer(static_cast<std::size_t>(maximum), '\0');
  DWORD got = 0;
  if (!::ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
    LoseIfGone(n);
    got = 0;
  } else if (got == 0) {
    // A device that has gone may read as empty rather than fail (Wine's
    // pseudo-terminals do); the line state tells.
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(h, &errors, &status)) LoseIfGone(n);
  }
  buffer.resize(got);
  return buffer;
}

int Win32Ports::BytesWaiting(int n) {
  HANDLE h = AsHandle(Usable(n));
  if (!h) return 0;
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(h, &errors, &status)) {
    LoseIfGone(n);
    return 0;
  }
  return static_cast<int>(status.cbInQue);
}

void Win32Ports::ClosePort(int n) {
  if (!InRange(n)) return;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.handle) ::CloseHandle(AsHandle(slot.handle));
  slot = Slot{};
}

bool Win32Ports::WaitForInput(int n, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if (!Usable(n)) return false;
    if (BytesWaiting(n) > 0) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace kelvaro
