#include "platform/posix_ports.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

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

}  // namespace

PosixPorts::PosixPorts(std::filesystem::path workDir) : workDir_(std::move(workDir)) {
  fds_.fill(-1);
}

PosixPorts::~PosixPorts() {
  for (int n = 1; n <= kMaxPortNumber; ++n) ClosePort(n);
}

std::filesystem::path PosixPorts::DevicePath(int n) const {
  std::filesystem::path link = workDir_ / ("com" + std::to_string(n));
  std::error_code ec;
  // A link counts even while its target is gone (a radio switched off).
  if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) return link;
  return "/dev/ttyS" + std::to_string(n - 1);
}

int PosixPorts::Fd(int n) const { return InRange(n) ? fds_[static_cast<std::size_t>(n)] : -1; }

int PosixPorts::OpenPort(int n, int speed) {
  if (!InRange(n)) return 0;
  ClosePort(n);
  int fd = ::open(DevicePath(n).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  termios tio{};
  speed_t constant;
  if (::tcgetattr(fd, &tio) != 0 || !SpeedConstant(speed, &constant)) {
    ::close(fd);
    return 0;
  }
  ::ioctl(fd, TIOCEXCL);  // not shared with other programs (where allowed)
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, constant);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    ::close(fd);
    return 0;
  }
  fds_[static_cast<std::size_t>(n)] = fd;
  return 1;
}

void PosixPorts::SetReadTimeouts(int n, int msPerByte) {
  // Reads never wait: the descriptor is non-blocking with VMIN = VTIME = 0.
  // The per-byte form is never used by the panel and is treated the same.
  (void)n;
  (void)msPerByte;
}

int PosixPorts::SetLineFormat(int n, int dataBits, int parity, int stopCode) {
  int fd = Fd(n);
  if (fd < 0) return 1;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return 1;
  tcflag_t size;
  switch (dataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return 1;
  }
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
  tio.c_cflag |= size;
  if (parity == 1) tio.c_cflag |= PARENB | PARODD;
  else if (parity == 2) tio.c_cflag |= PARENB;
  else if (parity != 0) return 1;
  if (stopCode != 1) tio.c_cflag |= CSTOPB;
  return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : 1;
}

int PosixPorts::WritePort(int n, std::string_view bytes) {
  int fd = Fd(n);
  if (fd < 0 || bytes.empty()) return 0;
  std::size_t done = 0;
  // A full output buffer gets a short grace period, never an indefinite wait.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
        std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 20);
      continue;
    }
    break;
  }
  return static_cast<int>(done);
}

std::string PosixPorts::ReadPort(int n, int maximum) {
  int fd = Fd(n);
  if (fd < 0 || maximum <= 0) return {};
  std::string buffer(static_cast<std::size_t>(maximum), '\0');
  ssize_t r;
  do {
    r = ::read(fd, buffer.data(), buffer.size());
  } while (r < 0 && errno == EINTR);
  buffer.resize(r > 0 ? static_cast<std::size_t>(r) : 0);
  return buffer;
}

int PosixPorts::BytesWaiting(int n) {
  int fd = Fd(n);
  if (fd < 0) return 0;
  int count = 0;
  if (::ioctl(fd, FIONREAD, &count) != 0 || count < 0) return 0;
  return count;
}

void PosixPorts::ClosePort(int n) {
  int fd = Fd(n);
  if (fd < 0) return;
  ::ioctl(fd, TIOCNXCL);  // the exclusive claim would outlive the close on a pty
  ::close(fd);
  fds_[static_cast<std::size_t>(n)] = -1;
}

}  // namespace kelvaro
