#include "platform/posix_ports.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kelvaro {
namespace {

bool InRange(int n) { return n >= 1 && n <= kMaxPortNumber; }

bool SpeedConstant(int speed, speed_t* out) {
  static const struct {
    int bps;
    speed_t constant;
  } kSpeeds[] = {{300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
                 {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
                 {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
                 {921600, B921600}};
  for (const auto& s : kSpeeds) {
    if (s.bps == speed) {
      *out = s.constant;
      return true;
    }
  }
  return false;
}

// The errors with which a call reports that the device itself is gone, as
// opposed to a passing condition (EAGAIN, EINTR) or a refused setting.
bool DeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

bool FormatIsValid(int dataBits, int parity) {
  return dataBits >= 5 && dataBits <= 8 && parity >= 0 && parity <= 2;
}

// Data bits, parity and stop bits into a termios; false for a format the
// port layer does not know.
bool PutLineFormat(termios& tio, int dataBits, int parity, int stopCode) {
  if (!FormatIsValid(dataBits, parity)) return false;
  static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
  tio.c_cflag |= kSizes[dataBits - 5];
  if (parity == 1) tio.c_cflag |= PARENB | PARODD;
  if (parity == 2) tio.c_cflag |= PARENB;
  if (stopCode != 1) tio.c_cflag |= CSTOPB;
  return true;
}

void CloseDescriptor(int fd) {
  ::ioctl(fd, TIOCNXCL);  // the exclusive claim would outlive the close on a pty
  ::close(fd);
}

// The system's own words for an error (one thread uses the ports).
std::string SystemReason(int error) { return ::strerror(error); }

// Opens a device raw and non-blocking with the given speed and line format.
// Returns the descriptor, or -1 when the device is missing or refuses; then
// `failure`, when given, says why.
int OpenDevice(const std::string& path, int speed, int dataBits, int parity, int stopCode,
               std::string* failure = nullptr) {
  std::string ignored;
  if (!failure) failure = &ignored;
  speed_t constant;
  if (!SpeedConstant(speed, &constant)) {
    *failure = "the speed " + std::to_string(speed) + " bit/s is not one a serial line can take";
    return -1;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *failure = SystemReason(errno);
    return -1;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    *failure = errno == ENOTTY ? "not a serial device" : SystemReason(errno);
    ::close(fd);
    return -1;
  }
  ::ioctl(fd, TIOCEXCL);  // not shared with other programs (where allowed)
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, constant);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (!PutLineFormat(tio, dataBits, parity, stopCode) || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
    *failure = "the device refused the line settings";
    CloseDescriptor(fd);
    return -1;
  }
  return fd;
}

}  // namespace

PosixPorts::PosixPorts(std::filesystem::path workDir) : workDir_(std::move(workDir)) {}

PosixPorts::~PosixPorts() {
  for (int n = 1; n <= kMaxPortNumber; ++n) ClosePort(n);
}

std::filesystem::path PosixPorts::DevicePath(int n) const {
  if (!InRange(n)) return {};
  std::filesystem::path link = workDir_ / ("com" + std::to_string(n));
  std::error_code ec;
  // A link counts even while its target is gone (a radio switched off).
  if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) return link;
  return "/dev/ttyS" + std::to_string(n - 1);
}

bool PosixPorts::IsLost(int n) const { return InRange(n) && slots_[static_cast<std::size_t>(n)].lost; }

bool PosixPorts::HungUp(int fd) {
  pollfd p{fd, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void PosixPorts::Lose(int n) {
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.fd >= 0) CloseDescriptor(slot.fd);
  slot.fd = -1;
  slot.lost = true;
  slot.nextAttempt = Clock::now() + kReopenInterval;
}

int PosixPorts::Usable(int n) {
  if (!InRange(n)) return -1;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.fd >= 0 || !slot.lost) return slot.fd;
  const Clock::time_point now = Clock::now();
  if (now < slot.nextAttempt) return -1;
  slot.nextAttempt = now + kReopenInterval;
  int fd = OpenDevice(slot.path, slot.speed, slot.dataBits, slot.parity, slot.stopCode);
  if (fd < 0) return -1;
  if (HungUp(fd)) {  // there, but already without its other end
    CloseDescriptor(fd);
    return -1;
  }
  slot.fd = fd;
  slot.lost = false;
  ++opens_[static_cast<std::size_t>(n)];
  return fd;
}

std::string PosixPorts::OpenFailure(int n) const {
  if (!InRange(n)) return "there is no port number " + std::to_string(n) + " (ports are 1 to 256)";
  return openFailures_[static_cast<std::size_t>(n)];
}

bool PosixPorts::OpenPort(int n, int speed) {
  if (!InRange(n)) return false;
  ClosePort(n);
  std::string path = DevicePath(n).string();
  std::string& failure = openFailures_[static_cast<std::size_t>(n)];
  failure.clear();
  int fd = OpenDevice(path, speed, 8, 0, 1, &failure);
  if (fd < 0) return false;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  slot = Slot{};
  slot.fd = fd;
  slot.path = std::move(path);
  slot.speed = speed;
  ++opens_[static_cast<std::size_t>(n)];
  return true;
}

std::uint32_t PosixPorts::OpenCount(int n) const { return InRange(n) ? opens_[static_cast<std::size_t>(n)] : 0; }

void PosixPorts::SetReadTimeouts(int n, int msPerByte) {
  // Reads never wait: the descriptor is non-blocking with VMIN = VTIME = 0.
  // The per-byte form is never used by the panel and is treated the same.
  (void)msPerByte;
  Usable(n);
}

bool PosixPorts::SetLineFormat(int n, int dataBits, int parity, int stopCode) {
  int fd = Usable(n);
  if (fd < 0) {
    // A lost port takes the format with it, to be applied when it comes back;
    // for now nothing accepted the settings.
    if (IsLost(n) && FormatIsValid(dataBits, parity)) {
      Slot& slot = slots_[static_cast<std::size_t>(n)];
      slot.dataBits = dataBits;
      slot.parity = parity;
      slot.stopCode = stopCode;
    }
    return false;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    if (DeviceGone(errno)) Lose(n);
    return false;
  }
  if (!PutLineFormat(tio, dataBits, parity, stopCode)) return false;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    if (DeviceGone(errno)) Lose(n);
    return false;
  }
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  slot.dataBits = dataBits;
  slot.parity = parity;
  slot.stopCode = stopCode;
  return true;
}

int PosixPorts::WritePort(int n, std::string_view bytes) {
  int fd = Usable(n);
  if (fd < 0 || bytes.empty()) return 0;
  std::size_t done = 0;
  // A full output buffer gets a short grace period, never an indefinite wait.
  auto deadline = Clock::now() + std::chrono::milliseconds(200);
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && DeviceGone(errno)) {
      Lose(n);
      break;
    }
    if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Clock::now() < deadline) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 20);
      continue;
    }
    break;
  }
  return static_cast<int>(done);
}

std::string PosixPorts::ReadPort(int n, int maximum) {
  int fd = Usable(n);
  if (fd < 0 || maximum <= 0) return {};
  std::string buffer(static_cast<std::size_t>(maximum), '\0');
  ssize_t r;
  do {
    r = ::read(fd, buffer.data(), buffer.size());
  } while (r < 0 && errno == EINTR);
  if (r < 0 && DeviceGone(errno)) {
    Lose(n);
  } else if (r == 0 && HungUp(fd)) {
    // A hung-up terminal reads as empty rather than failing.
    Lose(n);
  }
  buffer.resize(r > 0 ? static_cast<std::size_t>(r) : 0);
  return buffer;
}

int PosixPorts::BytesWaiting(int n) {
  int fd = Usable(n);
  if (fd < 0) return 0;
  auto count = [this, n, fd]() {
    int bytes = 0;
    if (::ioctl(fd, FIONREAD, &bytes) != 0) {
      if (DeviceGone(errno)) Lose(n);
      return 0;
    }
    return bytes < 0 ? 0 : bytes;
  };
  // Bytes already counted need nothing more (a hung-up terminal refuses the
  // count with EIO). When none are, a poll makes the terminal layer take in
  // what the line has delivered meanwhile, which the count alone misses, and
  // tells a hang-up.
  const int counted = count();
  if (counted > 0 || slots_[static_cast<std::size_t>(n)].fd < 0) return counted;
  pollfd p{fd, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  if (r <= 0) return 0;
  if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    Lose(n);
    return 0;
  }
  return (p.revents & POLLIN) != 0 ? count() : 0;
}

void PosixPorts::ClosePort(int n) {
  if (!InRange(n)) return;
  Slot& slot = slots_[static_cast<std::size_t>(n)];
  if (slot.fd >= 0) CloseDescriptor(slot.fd);
  slot = Slot{};
}

bool PosixPorts::WaitForInput(int n, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    int fd = Usable(n);
    if (fd < 0) return false;
    if (BytesWaiting(n) > 0) return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno != EINTR) return false;
    // A hang-up is seen (and the port lost) by the next BytesWaiting.
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return BytesWaiting(n) > 0;
  }
}

Waitable PosixPorts::InputHandle(int n) const {
  if (!InRange(n)) return kNoWaitable;
  return slots_[static_cast<std::size_t>(n)].fd;
}

}  // namespace kelvaro
