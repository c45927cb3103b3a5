// The termios port layer over real pseudo-terminals: the test holds the
// controlling side of each one and links its device as comN in a temporary
// folder, as the radio stand-in does. Pulling the radio's cable is closing
// that side; plugging it back in is a new pseudo-terminal behind the same link.
#include "platform/posix_ports.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The radio's side of a pseudo-terminal.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    device_ = name;
  }
  ~Pty() { Close(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& device() const { return device_; }
  // The device disappears with the last close of this side.
  void Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void Write(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Everything the port layer has written so far.
  std::string Read() {
    std::string got;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(master_, buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<std::size_t>(n));
    return got;
  }
  // The line settings of the device, as the port layer left them.
  termios Settings() const {
    termios tio{};
    EXPECT_EQ(::tcgetattr(master_, &tio), 0);
    return tio;
  }

 private:
  int master_ = -1;
  std::string device_;
};

// Points a link at a target by renaming a new link over it, so the name
// always resolves (as a device manager or the stand-in replaces links).
void PointLink(const fs::path& link, const std::string& target) {
  fs::path temporary = link;
  temporary += ".new";
  fs::remove(temporary);
  fs::create_symlink(target, temporary);
  fs::rename(temporary, link);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return condition();
}

// Whether `operation` never waits: called again and again with 1 ms pauses
// in between, it takes less than half of the time. A busy machine stretches
// the calls and the pauses alike; an operation that waits even a millisecond
// each time takes more than half.
bool NeverWaits(const std::function<void()>& operation, Clock::duration* inCalls, Clock::duration* total,
                int calls, Clock::duration atLeast = {}) {
  *inCalls = {};
  const auto start = Clock::now();
  for (int done = 0; done < calls || Clock::now() - start < atLeast; ++done) {
    const auto before = Clock::now();
    operation();
    *inCalls += Clock::now() - before;
    std::this_thread::sleep_for(1ms);
  }
  *total = Clock::now() - start;
  return *inCalls * 2 < *total;
}

long Ms(Clock::duration d) { return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); }

// Reads what arrives on port n within the time limit.
std::string ReadFor(PosixPorts& ports, int n, std::size_t length, std::chrono::milliseconds limit) {
  std::string got;
  WaitUntil(
      [&] {
        if (ports.BytesWaiting(n) > 0) got += ports.ReadPort(n, 255);
        return got.size() >= length;
      },
      limit);
  return got;
}

class PosixPortsTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
  fs::path link = dir.path() / "com5";
  PosixPorts ports{dir.path()};
};

TEST_F(PosixPortsTest, TalksThroughTheComLinkAndReadsWithoutWaiting) {
  Pty radio;
  PointLink(link, radio.device());
  EXPECT_EQ(ports.DevicePath(5), link);
  EXPECT_EQ(ports.DevicePath(6), fs::path("/dev/ttyS5"));
  ASSERT_TRUE(ports.OpenPort(5, 38400));
  EXPECT_TRUE(ports.SetLineFormat(5, 8, 0, 2));
  termios tio = radio.Settings();
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(tio.c_cflag & PARENB, 0u);

  Clock::duration inCalls, total;
  EXPECT_TRUE(NeverWaits(
      [&] {
        EXPECT_EQ(ports.BytesWaiting(5), 0);
        EXPECT_EQ(ports.ReadPort(5, 255), "");
      },
      &inCalls, &total, 200))
      << "an empty port answers at once: " << Ms(inCalls) << " ms of " << Ms(total) << " ms in the calls";

  EXPECT_EQ(ports.WritePort(5, "FA;"), 3);
  EXPECT_TRUE(WaitUntil([&] { return radio.Read() == "FA;"; }, 10s));
  radio.Write("FA007100000;");
  EXPECT_EQ(ReadFor(ports, 5, 12, 10s), "FA007100000;");
  EXPECT_FALSE(ports.IsLost(5));
}

TEST_F(PosixPortsTest, NumbersOutsideTheTableDoNothing) {
  for (int n : {0, -1, 257, 300}) {
    EXPECT_FALSE(ports.OpenPort(n, 38400));
    EXPECT_FALSE(ports.SetLineFormat(n, 8, 0, 2));
    EXPECT_EQ(ports.WritePort(n, "FA;"), 0);
    EXPECT_EQ(ports.ReadPort(n, 255), "");
    EXPECT_EQ(ports.BytesWaiting(n), 0);
    EXPECT_FALSE(ports.IsLost(n));
    ports.ClosePort(n);
  }
}

// The device disappearing is seen by each kind of operation on its own.
TEST_F(PosixPortsTest, EachOperationNoticesThatTheOtherEndClosed) {
  const std::function<void(PosixPorts&)> operations[] = {
      [](PosixPorts& p) { EXPECT_EQ(p.BytesWaiting(5), 0); },
      [](PosixPorts& p) { EXPECT_EQ(p.ReadPort(5, 255), ""); },
      [](PosixPorts& p) { EXPECT_EQ(p.WritePort(5, "FA;"), 0); },
  };
  for (const auto& operation : operations) {
    Pty radio;
    PointLink(link, radio.device());
    ASSERT_TRUE(ports.OpenPort(5, 38400));
    EXPECT_FALSE(ports.IsLost(5));
    radio.Close();
    operation(ports);
    EXPECT_TRUE(ports.IsLost(5));
  }
}

TEST_F(PosixPortsTest, ALostPortAnswersAtOnceAndTriesToReopenAboutOnceASecond) {
  Pty radio;
  PointLink(link, radio.device());
  ASSERT_TRUE(ports.OpenPort(5, 38400));
  const auto beforeLoss = Clock::now();
  radio.Close();
  EXPECT_EQ(ports.BytesWaiting(5), 0);
  ASSERT_TRUE(ports.IsLost(5));

  // Meanwhile the link leads to a file that is no terminal: every attempt to
  // reopen opens it (and gives up), which the test counts.
  fs::path notATerminal = dir.path() / "not-a-terminal";
  std::ofstream(notATerminal) << "x";
  int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Closes are watched too: identical events in a row would be merged.
  ASSERT_GE(::inotify_add_watch(watch, notATerminal.c_str(), IN_OPEN | IN_CLOSE), 0);
  PointLink(link, notATerminal.string());

  // The panel's timer asks every 50 ms; here it asks as fast as it can, 500
  // times and for 2.5 s at least.
  Clock::duration inCalls, total;
  const bool neverWaits = NeverWaits(
      [&] {
        EXPECT_EQ(ports.BytesWaiting(5), 0);
        EXPECT_EQ(ports.ReadPort(5, 255), "");
        EXPECT_EQ(ports.WritePort(5, "FA;"), 0);
        ports.SetReadTimeouts(5, -1);
      },
      &inCalls, &total, 500, 2500ms);
  const long sinceLoss = Ms(Clock::now() - beforeLoss);
  int opens = 0;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + n;) {
      auto* event = reinterpret_cast<inotify_event*>(p);
      if (event->mask & IN_OPEN) ++opens;
      p += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  EXPECT_TRUE(neverWaits) << "no operation on a lost port waits: " << Ms(inCalls) << " ms of " << Ms(total)
                          << " ms in the calls";
  EXPECT_GE(opens, 1) << "the port is tried again";
  EXPECT_LE(opens, sinceLoss / 1000) << "at most one attempt a second, not one per call (" << sinceLoss << " ms)";
  EXPECT_TRUE(ports.IsLost(5));
}

TEST_F(PosixPortsTest, ANewDeviceBehindTheSameLinkIsTakenWithSpeedAndLineFormat) {
  auto radio = std::make_unique<Pty>();
  PointLink(link, radio->device());
  ASSERT_TRUE(ports.OpenPort(5, 9600));
  EXPECT_TRUE(ports.SetLineFormat(5, 8, 0, 2));
  const std::uint32_t opens = ports.OpenCount(5);
  const auto beforeLoss = Clock::now();
  radio->Close();
  EXPECT_EQ(ports.WritePort(5, "FA;"), 0);
  ASSERT_TRUE(ports.IsLost(5));

  // Plugged straight back in, as a new pseudo-terminal (a new device) at the
  // same link; its settings are a fresh terminal's.
  Pty back;
  PointLink(link, back.device());
  termios fresh = back.Settings();
  ASSERT_NE(cfgetospeed(&fresh), static_cast<speed_t>(B9600));
  // Still lost until the next attempt is due (when the call came before its
  // second was up, which a busy machine may prevent).
  EXPECT_EQ(ports.BytesWaiting(5), 0);
  if (Clock::now() < beforeLoss + PosixPorts::kReopenInterval) {
    EXPECT_TRUE(ports.IsLost(5));
  }

  ASSERT_TRUE(WaitUntil(
      [&] {
        ports.BytesWaiting(5);
        return !ports.IsLost(5);
      },
      10s));
  EXPECT_GE(Clock::now() - beforeLoss, PosixPorts::kReopenInterval) << "the attempt came before its second was up";
  EXPECT_EQ(ports.OpenCount(5), opens + 1) << "the panel is told that its radio came back";

  termios tio = back.Settings();
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_NE(tio.c_cflag & CSTOPB, 0u) << "the line format is set again";
  EXPECT_EQ(tio.c_lflag & ECHO, 0u) << "raw again";

  EXPECT_EQ(ports.WritePort(5, "ID;"), 3);
  EXPECT_TRUE(WaitUntil([&] { return back.Read() == "ID;"; }, 10s));
  back.Write("ID0840;");
  EXPECT_EQ(ReadFor(ports, 5, 7, 10s), "ID0840;");
}

TEST_F(PosixPortsTest, ALineFormatSetWhileLostIsAppliedWhenTheDeviceReturns) {
  Pty radio;
  PointLink(link, radio.device());
  ASSERT_TRUE(ports.OpenPort(5, 38400));
  radio.Close();
  EXPECT_EQ(ports.BytesWaiting(5), 0);
  ASSERT_TRUE(ports.IsLost(5));
  // (A pseudo-terminal keeps 8 data bits and no parity whatever it is told;
  // the stop bits show what was applied.)
  EXPECT_FALSE(ports.SetLineFormat(5, 8, 0, 2)) << "nothing took the settings yet";

  Pty back;
  PointLink(link, back.device());
  ASSERT_TRUE(WaitUntil(
      [&] {
        ports.BytesWaiting(5);
        return !ports.IsLost(5);
      },
      10s));
  termios tio = back.Settings();
  EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
}

TEST_F(PosixPortsTest, AFailedOpenSaysWhyInTheSystemsWordsUntilAnOpenSucceeds) {
  Pty radio;
  struct Case {
    const char* what;
    std::function<void()> arrange;
    int speed;
    std::string failure;
  } cases[] = {
      {"link to nothing", [&] { PointLink(link, "/dev/serial/by-id/usb-gone-if00-port0"); }, 38400,
       "No such file or directory"},
      {"a plain file", [&] { fs::remove(link); dir.Write("com5", "x"); }, 38400, "not a serial device"},
      {"a speed no line takes", [&] { fs::remove(link); PointLink(link, radio.device()); }, 12345,
       "the speed 12345 bit/s is not one a serial line can take"},
      {"opened", [] {}, 38400, ""},
  };
  for (const Case& c : cases) {
    c.arrange();
    EXPECT_EQ(ports.OpenPort(5, c.speed), c.failure.empty()) << c.what;
    EXPECT_EQ(ports.OpenFailure(5), c.failure) << c.what;
    ports.ClosePort(5);
    EXPECT_EQ(ports.OpenFailure(5), c.failure) << c.what << ": kept after the port is closed";
  }
  EXPECT_EQ(ports.DevicePath(5), link);
  EXPECT_EQ(ports.OpenFailure(6), "");  // never tried
  EXPECT_EQ(ports.DevicePath(0), fs::path());
  EXPECT_EQ(ports.OpenFailure(300), "there is no port number 300 (ports are 1 to 256)");

  if (::geteuid() != 0) {  // root passes both the exclusive claim and the mode bits
    ASSERT_TRUE(ports.OpenPort(5, 38400));
    PosixPorts another(dir.path());
    EXPECT_FALSE(another.OpenPort(5, 38400));
    EXPECT_EQ(another.OpenFailure(5), "Device or resource busy");
    ports.ClosePort(5);
    dir.Write("com8", "x");
    fs::permissions(dir.path() / "com8", fs::perms::owner_read);
    EXPECT_FALSE(ports.OpenPort(8, 38400));
    EXPECT_EQ(ports.OpenFailure(8), "Permission denied");
  }
}

TEST_F(PosixPortsTest, ClosedPortsAndPortsThatNeverOpenedStayClosed) {
  {
    Pty radio;
    PointLink(link, radio.device());
    ASSERT_TRUE(ports.OpenPort(5, 38400));
    ports.ClosePort(5);
    EXPECT_FALSE(ports.IsLost(5));
  }
  Pty back5;
  PointLink(link, back5.device());

  // A port lost first and then closed is not reopened either.
  fs::path link6 = dir.path() / "com6";
  {
    Pty gone;
    PointLink(link6, gone.device());
    ASSERT_TRUE(ports.OpenPort(6, 38400));
  }
  EXPECT_EQ(ports.BytesWaiting(6), 0);
  ASSERT_TRUE(ports.IsLost(6));
  ports.ClosePort(6);
  EXPECT_FALSE(ports.IsLost(6));
  Pty back6;
  PointLink(link6, back6.device());

  // A port whose device was missing at the open is not a lost one.
  fs::path link7 = dir.path() / "com7";
  PointLink(link7, "/dev/pts/unplugged");
  EXPECT_FALSE(ports.OpenPort(7, 38400));
  EXPECT_FALSE(ports.IsLost(7));
  Pty back7;
  PointLink(link7, back7.device());

  // Well past the time a lost port would have been reopened.
  const auto start = Clock::now();
  while (Clock::now() - start < 1500ms) {
    for (int n : {5, 6, 7}) {
      EXPECT_EQ(ports.WritePort(n, "FA;"), 0);
      EXPECT_EQ(ports.BytesWaiting(n), 0);
    }
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(ports.ReadPort(5, 255), "");
  EXPECT_EQ(back5.Read(), "");
  EXPECT_EQ(back6.Read(), "");
  EXPECT_EQ(back7.Read(), "");
}

}  // namespace
}  // namespace kelvaro
