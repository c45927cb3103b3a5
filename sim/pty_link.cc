#include "pty_link.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace ftx1sim {
namespace {

// Device names under /dev/pts are numbers, so this one never exists.
constexpr const char* kUnpluggedTarget = "/dev/pts/unplugged";

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string ReadLink(const std::string& path) {
  char buffer[4096];
  ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

PtyLink::~PtyLink() { Remove(); }

bool PtyLink::Plug(std::string* error) {
  Unplug();
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    *error = std::string("cannot open a pseudo-terminal: ") + ::strerror(errno);
    CloseFd(master_);
    return false;
  }
  device_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
    *error = "cannot open " + device_ + ": " + ::strerror(errno);
    Unplug();
    return false;
  }
  // Raw from the start: with echo on, our answers would come back as commands.
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, B38400);
  ::tcsetattr(slave_, TCSANOW, &tio);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 && ::inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE) < 0) CloseFd(watch_);
  if (!link_.empty() && !PointLink(device_, error)) {
    Unplug();
    return false;
  }
  return true;
}

void PtyLink::Unplug() {
  CloseFd(watch_);
  CloseFd(slave_);
  CloseFd(master_);
  if (!link_.empty() && !linkTarget_.empty()) {
    std::string ignored;
    PointLink(kUnpluggedTarget, &ignored);
  }
}

void PtyLink::Remove() {
  CloseFd(watch_);
  CloseFd(slave_);
  CloseFd(master_);
  struct stat st{};
  if (!link_.empty() && !linkTarget_.empty() && ::lstat(link_.c_str(), &st) == 0 &&
      S_ISLNK(st.st_mode) && ReadLink(link_) == linkTarget_) {
    ::unlink(link_.c_str());
  }
  linkTarget_.clear();
}

bool PtyLink::PointLink(const std::string& target, std::string* error) {
  struct stat st{};
  if (::lstat(link_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    *error = link_ + " exists and is not a symbolic link; not replacing it";
    return false;
  }
  // Made beside the link and renamed over it, so the name always resolves.
  std::string temporary = link_ + ".ftx1-sim-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0 ||
      ::rename(temporary.c_str(), link_.c_str()) != 0) {
    *error = "cannot link " + link_ + " to " + target + ": " + ::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  linkTarget_ = target;
  return true;
}

bool PtyLink::TakeOpenCloseNotices() {
  if (watch_ < 0) return false;
  alignas(inotify_event) char buffer[4096];
  bool any = false, closed = false;
  for (;;) {
    ssize_t n = ::read(watch_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (char* p = buffer; p < buffer + n;) {
      auto* event = reinterpret_cast<inotify_event*>(p);
      any = true;
      if (event->mask & IN_CLOSE) closed = true;
      p += sizeof(inotify_event) + event->len;
    }
  }
  if (any && slave_ >= 0) {
    if (closed) ::ioctl(slave_, TIOCNXCL);
    ::tcflush(slave_, TCIFLUSH);
  }
  return any;
}

}  // namespace ftx1sim
