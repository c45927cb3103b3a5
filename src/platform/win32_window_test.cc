#include "platform/win32_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace kelvaro {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    // wine-test.sh gives the tests a display, so a window must open.
    if (!window.Open("Kelvaro test", 10, 10, 640, 360, &why)) FAIL() << "no window: " << why;
  }

  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    ASSERT_TRUE(PostMessageW(window.hwnd(), message, wParam, lParam));
  }

  int DarkPixels(int x0, int y0, int x1, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) dark += window.PixelAt(x, y).value_or(kWhite) < 0x404040 ? 1 : 0;
    return dark;
  }

  Win32Window window;
};

TEST(Win32PanelText, BytesBecomeWideText) {
  const std::vector<std::pair<std::string, std::wstring>> cases = {
      {"14.250", L"14.250"},
      {"\xC2\xB0", L"\u00B0"},     // UTF-8 stays UTF-8
      {"\xB0" "C", L"\u00B0C"},    // else Windows-1252
      {"\x80", L"\u20AC"},
      {std::string("a\0b", 3), L"a b"},
  };
  for (const auto& [bytes, wide] : cases) EXPECT_EQ(PanelTextToWide(bytes), wide) << bytes;
}

TEST_F(Win32WindowTest, KeysCarryTheirCodesAndRepeatsAreDropped) {
  constexpr LPARAM kRepeat = LPARAM{1} << 30;
  Post(WM_KEYDOWN, 'F', 1);
  Post(WM_KEYDOWN, 'F', kRepeat | 1);
  Post(WM_KEYDOWN, 'F', kRepeat | 1);
  Post(WM_KEYUP, 'F', (LPARAM{3} << 30) | 1);
  Post(WM_KEYDOWN, VK_SPACE, 1);
  Post(WM_SYSKEYDOWN, VK_F10, 1);
  Post(WM_SYSKEYDOWN, VK_F10, kRepeat | 1);
  Post(WM_SYSKEYUP, VK_F10, (LPARAM{3} << 30) | 1);
  // Alt+F4 is the system's: it closes.
  Post(WM_SYSKEYDOWN, VK_F4, (LPARAM{1} << 29) | 1);
  std::vector<std::pair<int, int>> seen;
  for (;;) {
    const WindowMessage message = window.NextMessage();
    seen.emplace_back(message.code, message.param);
    if (message.code == kMsgClose) break;
  }
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{
                      {kMsgKeyDown, 70}, {kMsgKeyUp, 70}, {kMsgKeyDown, 32}, {kMsgKeyDown, 121}, {kMsgKeyUp, 121},
                      {kMsgClose, 0}}));
  // The close request leaves the window to the program.
  EXPECT_TRUE(IsWindow(window.hwnd()));
}

TEST_F(Win32WindowTest, TimerTicksNeverPileUpDuringALongWait) {
  HANDLE marker = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  window.WatchInputs({reinterpret_cast<Waitable>(marker)});
  // Three periods go by without a message taken (a long phrase). The period
  // is long, so the next one cannot end before the marker is seen.
  window.StartTimer(1000);
  Sleep(3300);
  SetEvent(marker);
  EXPECT_EQ(window.NextMessage().code, kMsgTimer);
  EXPECT_EQ(window.NextMessage().code, kMsgInput);
  window.StopTimer();
  CloseHandle(marker);
}

TEST_F(Win32WindowTest, NoTickAfterStop) {
  window.StartTimer(1);
  Sleep(50);
  window.StopTimer();
  Post(WM_CLOSE);
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
  // And it starts again.
  window.StartTimer(5);
  EXPECT_EQ(window.NextMessage().code, kMsgTimer);
  window.StopTimer();
}

TEST_F(Win32WindowTest, AWatchedHandleWakesTheWait) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE quiet = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  window.WatchInputs({kNoWaitable, reinterpret_cast<Waitable>(quiet), reinterpret_cast<Waitable>(ready)});
  // Set while NextMessage sleeps; a close request later ends the wait should
  // the handle not wake it, so a failure does not hang.
  const HWND hwnd = window.hwnd();
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread setter([&] {
    Sleep(100);
    SetEvent(ready);
    if (WaitForSingleObject(done, 10000) == WAIT_TIMEOUT) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(window.NextMessage().code, kMsgInput);
  SetEvent(done);
  setter.join();
  // Handles no longer watched do not wake it.
  window.WatchInputs({});
  Post(WM_CLOSE);
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
  CloseHandle(done);
  CloseHandle(ready);
  CloseHandle(quiet);
}

TEST_F(Win32WindowTest, TextIsDrawnOpaqueIntoTheBitmap) {
  EXPECT_EQ(window.PixelAt(5, 5), kWhite);
  EXPECT_EQ(window.PixelAt(640, 0), std::nullopt);
  window.SelectFont("Ariel", 24, 700);
  window.SetPosition(100, 20);
  window.Print("8888");
  const int end = window.PositionX();
  EXPECT_GT(end, 100);
  EXPECT_GT(DarkPixels(100, 20, end, 70), 20);
  EXPECT_EQ(DarkPixels(0, 0, 100, 360), 0);

  // Blanks over the digits clear what they cover.
  window.SetPosition(100, 20);
  window.Print("    ");
  EXPECT_EQ(DarkPixels(100, 20, window.PositionX(), 70), 0);

  // A window painted anew (as when uncovered) shows the bitmap.
  window.SetPosition(100, 100);
  window.Print("8888");
  ASSERT_TRUE(RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
  HDC shown = GetDC(window.hwnd());
  int differing = 0, dark = 0;
  for (int y = 100; y < 150; ++y) {
    for (int x = 100; x < end; ++x) {
      const COLORREF c = GetPixel(shown, x, y);
      const std::uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      differing += rgb != window.PixelAt(x, y) ? 1 : 0;
      dark += rgb < 0x404040 ? 1 : 0;
    }
  }
  ReleaseDC(window.hwnd(), shown);
  EXPECT_EQ(differing, 0);
  EXPECT_GT(dark, 20);

  // Size and weight are those selected.
  window.SelectFont("Ariel", 12, 400);
  window.SetPosition(0, 200);
  window.Print("8888");
  EXPECT_LT(window.PositionX(), end - 100);
}

TEST_F(Win32WindowTest, AClosedWindowTakesPrintsAndReportsClose) {
  window.Close();
  EXPECT_EQ(window.hwnd(), nullptr);
  window.SetPosition(10, 10);
  window.Print("x");
  EXPECT_GT(window.PositionX(), 10);
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
}

}  // namespace
}  // namespace kelvaro
