// The Win32 port layer under Wine. Most cases need the radio stand-in behind
// a COM port: tests/windows/test_win32_ports.sh starts ftx1-sim with its
// pseudo-terminal linked as a Wine dosdevices entry, and names the port in
// KELVARO_TEST_COM and the stand-in's control input (a FIFO, as a Windows
// path) in KELVARO_TEST_SIM_CONTROL. Without them those cases are skipped.
#include "platform/win32_ports.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32_errors.h"

namespace kelvaro {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int RadioPort() {
  const char* text = std::getenv("KELVARO_TEST_COM");
  return text ? std::atoi(text) : 0;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return condition();
}

// Reads what arrives on port n until `length` bytes have come (bounded).
std::string ReadFor(Win32Ports& ports, int n, std::size_t length) {
  std::string got;
  WaitUntil(
      [&] {
        if (ports.WaitForInput(n, 100ms)) got += ports.ReadPort(n, 255);
        return got.size() >= length;
      },
      10s);
  return got;
}

// The line settings of the device as a second handle reads them, as
// "speed data-bits parity stop-bits-code" (Wine does not keep other openers
// out of a pseudo-terminal, and both handles share its one set of settings).
std::string DeviceSettings(const std::string& name) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "not opened";
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const bool ok = ::GetCommState(h, &dcb) != 0;
  ::CloseHandle(h);
  if (!ok) return "no settings";
  return std::to_string(dcb.BaudRate) + " " + std::to_string(dcb.ByteSize) + " " + std::to_string(dcb.Parity) +
         " " + (dcb.StopBits == ONESTOPBIT ? "1" : dcb.StopBits == TWOSTOPBITS ? "2" : "other");
}

// Tells the stand-in to switch the radio off ("unplug") or on ("plug"),
// through its control FIFO.
void TellStandIn(const std::string& line) {
  const char* path = std::getenv("KELVARO_TEST_SIM_CONTROL");
  ASSERT_NE(path, nullptr) << "KELVARO_TEST_SIM_CONTROL names the stand-in's control input";
  HANDLE h = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot open " << path << ": " << Win32ErrorText(::GetLastError());
  const std::string text = line + "\n";
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(h);
  ASSERT_TRUE(ok && written == text.size()) << "cannot write to " << path;
}

TEST(Win32PortsNames, NamesNumbersOutsideTheTableAndAMissingDevice) {
  Win32Ports ports;
  EXPECT_EQ(ports.DevicePath(5).string(), "COM5");
  EXPECT_EQ(ports.DevicePath(9).string(), "COM9");
  EXPECT_EQ(ports.DevicePath(12).string(), "\\\\.\\COM12");
  EXPECT_EQ(ports.DevicePath(256).string(), "\\\\.\\COM256");
  for (int n : {0, -1, 257, 300}) {
    EXPECT_EQ(ports.DevicePath(n).string(), "") << n;
    EXPECT_FALSE(ports.OpenPort(n, 38400)) << n;
    EXPECT_FALSE(ports.SetLineFormat(n, 8, 0, 2)) << n;
    EXPECT_EQ(ports.WritePort(n, "FA;"), 0) << n;
    EXPECT_EQ(ports.ReadPort(n, 255), "") << n;
    EXPECT_EQ(ports.BytesWaiting(n), 0) << n;
    EXPECT_FALSE(ports.WaitForInput(n, 0ms)) << n;
    EXPECT_EQ(ports.OpenCount(n), 0u) << n;
    ports.ClosePort(n);
  }
  EXPECT_EQ(ports.OpenFailure(300), "there is no port number 300 (ports are 1 to 256)");

  ASSERT_FALSE(ports.OpenPort(201, 38400));  // no dosdevices entry com201
  const std::string reason = ports.OpenFailure(201);
  EXPECT_EQ(reason, Win32ErrorText(ERROR_FILE_NOT_FOUND));  // in the system's words
  EXPECT_NE(reason.back(), '\n');
  ports.ClosePort(201);
  EXPECT_EQ(ports.OpenFailure(201), reason) << "kept after the port is closed";
  EXPECT_FALSE(ports.IsLost(201)) << "a port that never opened is not a lost one";
  EXPECT_EQ(ports.OpenCount(201), 0u);
  EXPECT_EQ(ports.OpenFailure(202), "");  // never tried
}

class Win32PortsRadioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (n <= 0) GTEST_SKIP() << "no stand-in: KELVARO_TEST_COM is not set (tests/windows/test_win32_ports.sh sets it)";
  }
  int n = RadioPort();
  Win32Ports ports;
};

TEST_F(Win32PortsRadioTest, TalksToTheStandInWithTheLineFormatApplied) {
  ASSERT_TRUE(ports.OpenPort(n, 38400)) << ports.OpenFailure(n);
  EXPECT_EQ(ports.OpenFailure(n), "");
  EXPECT_EQ(ports.OpenCount(n), 1u);
  const std::string device = ports.DevicePath(n).string();
  EXPECT_EQ(DeviceSettings(device), "38400 8 0 1") << "8N1 at the open";

  ports.SetReadTimeouts(n, -1);
  EXPECT_TRUE(ports.SetLineFormat(n, 8, 0, 2));
  EXPECT_EQ(DeviceSettings(device), "38400 8 0 2");
  EXPECT_FALSE(ports.SetLineFormat(n, 9, 0, 2)) << "no such format";

  // Nothing sent, nothing waiting, and the reads say so without waiting for
  // bytes (a read that waited would hang here, the stand-in being silent).
  EXPECT_EQ(ports.BytesWaiting(n), 0);
  EXPECT_EQ(ports.ReadPort(n, 255), "");
  EXPECT_FALSE(ports.WaitForInput(n, 0ms));

  EXPECT_EQ(ports.WritePort(n, "ID;"), 3);
  ASSERT_TRUE(ports.WaitForInput(n, 10s));
  EXPECT_GT(ports.BytesWaiting(n), 0);
  EXPECT_EQ(ReadFor(ports, n, 7), "ID0840;");
  EXPECT_EQ(ports.BytesWaiting(n), 0);
  EXPECT_FALSE(ports.IsLost(n));
}

TEST_F(Win32PortsRadioTest, ARadioSwitchedOffReadsAsSilentAndIsTakenBackWithItsLineFormat) {
  ASSERT_TRUE(ports.OpenPort(n, 38400)) << ports.OpenFailure(n);
  const std::uint32_t opens = ports.OpenCount(n);
  TellStandIn("unplug");
  ASSERT_TRUE(WaitUntil(
      [&] {
        EXPECT_EQ(ports.BytesWaiting(n), 0);
        return ports.IsLost(n);
      },
      10s))
      << "the vanished device is noticed";

  // Lost: silent, writes dropped, no waiting for input; a line format given
  // now is kept for the device's return.
  EXPECT_EQ(ports.ReadPort(n, 255), "");
  EXPECT_EQ(ports.WritePort(n, "ID;"), 0);
  EXPECT_FALSE(ports.WaitForInput(n, 10s));
  EXPECT_FALSE(ports.SetLineFormat(n, 8, 0, 2)) << "nothing took the settings yet";
  EXPECT_TRUE(ports.IsLost(n));
  EXPECT_EQ(ports.OpenCount(n), opens);

  TellStandIn("plug");
  ASSERT_TRUE(WaitUntil(
      [&] {
        ports.BytesWaiting(n);
        return !ports.IsLost(n);
      },
      10s))
      << "the radio switched on again is taken back";
  EXPECT_EQ(ports.OpenCount(n), opens + 1) << "the panel is told that its radio came back";
  EXPECT_EQ(DeviceSettings(ports.DevicePath(n).string()), "38400 8 0 2") << "the format given while lost is applied";

  EXPECT_EQ(ports.WritePort(n, "ID;"), 3);
  EXPECT_EQ(ReadFor(ports, n, 7), "ID0840;");
}

}  // namespace
}  // namespace kelvaro
