#include "platform/sdl_window.h"

#include <gtest/gtest.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KELVARO_X11_OUTPUT)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvaro {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

TEST(SdlPanelText, BytesBecomeDrawableUtf8) {
  EXPECT_EQ(PanelTextToUtf8("S9+  14.250000"), "S9+  14.250000");
  EXPECT_EQ(PanelTextToUtf8("\xC2\xA9 Kelvaro"), "\xC2\xA9 Kelvaro");  // valid UTF-8 stays
  EXPECT_EQ(PanelTextToUtf8("\xA9 Kelvaro"), "\xC2\xA9 Kelvaro");      // Latin-1
  EXPECT_EQ(PanelTextToUtf8("\x80\x81"), "\xE2\x82\xAC\xEF\xBF\xBD");    // Windows-1252 euro; a hole
  EXPECT_EQ(PanelTextToUtf8(std::string("a\0b", 3)), "a b");
  EXPECT_EQ(PanelTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");          // overlong: bytes
  EXPECT_EQ(PanelTextToUtf8("x\xE2\x82"), "x\xC3\xA2\xE2\x80\x9A");    // cut off: bytes
  EXPECT_EQ(PanelTextToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // surrogate: bytes
}

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!window.Open("*** Kelvaro v3.5a ***", 250, 100, 950, 500, nullptr)) {
      GTEST_SKIP() << "SDL cannot open a video device (no DISPLAY? run under xvfb-run -a): " << SDL_GetError();
    }
  }

  void Push(const SDL_Event& event) { ASSERT_EQ(SDL_PushEvent(const_cast<SDL_Event*>(&event)), 1); }
  void PushQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);
  }
  // As when the window was covered and shows again.
  void PushExpose() {
    SDL_Event expose{};
    expose.type = SDL_WINDOWEVENT;
    expose.window.event = SDL_WINDOWEVENT_EXPOSED;
    expose.window.windowID = SDL_GetWindowID(window.sdl_window());
    Push(expose);
  }
  void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, int repeat = 0) {
    SDL_Event key{};
    key.type = type;
    key.key.windowID = SDL_GetWindowID(window.sdl_window());
    key.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    key.key.repeat = static_cast<Uint8>(repeat);
    key.key.keysym.scancode = scancode;
    key.key.keysym.sym = sym;
    Push(key);
  }
  // Every message up to and including the next close request.
  std::vector<std::pair<int, int>> UntilClose() {
    std::vector<std::pair<int, int>> seen;
    for (;;) {
      WindowMessage m = window.NextMessage();
      seen.emplace_back(m.code, m.param);
      if (m.code == kMsgClose) return seen;
    }
  }
  bool AreaIs(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (window.PixelAt(x, y) != colour) return false;
      }
    }
    return true;
  }
  int DarkPixels(int x0, int y0, int x1, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) dark += window.PixelAt(x, y).value_or(kWhite) < 0x404040 ? 1 : 0;
    }
    return dark;
  }

  SdlWindow window;
};

TEST_F(SdlWindowTest, OpensFixedSizeWindowWithCaptionOnWhite) {
  int w = 0, h = 0, x = 0, y = 0;
  SDL_GetWindowSize(window.sdl_window(), &w, &h);
  SDL_GetWindowPosition(window.sdl_window(), &x, &y);
  EXPECT_EQ(w, 950);
  EXPECT_EQ(h, 500);
  EXPECT_EQ(x, 250);
  EXPECT_EQ(y, 100);
  EXPECT_STREQ(SDL_GetWindowTitle(window.sdl_window()), "*** Kelvaro v3.5a ***");
  EXPECT_EQ(SDL_GetWindowFlags(window.sdl_window()) & SDL_WINDOW_RESIZABLE, 0u);
  EXPECT_TRUE(AreaIs(0, 0, 950, 500, kWhite));
  EXPECT_FALSE(window.Open("again", 0, 0, 10, 10, nullptr));
}

TEST_F(SdlWindowTest, PrintDrawsOpaqueTextAndContinuesToItsRight) {
  window.SetPosition(100, 20);
  window.Print("88");
  const int end = window.PositionX();
  EXPECT_GT(end, 100);
  EXPECT_EQ(window.PositionY(), 20);
  EXPECT_GT(DarkPixels(100, 20, end, 60), 20);
  EXPECT_TRUE(AreaIs(0, 0, 950, 20, kWhite));       // nothing above the position
  EXPECT_TRUE(AreaIs(0, 20, 100, 60, kWhite));      // nor to its left
  EXPECT_TRUE(AreaIs(end, 20, 950, 60, kWhite));    // nor past the text

  // Blanks over the field erase it.
  window.SetPosition(100, 20);
  window.Print("          ");
  EXPECT_GT(window.PositionX(), end);
  EXPECT_TRUE(AreaIs(0, 0, 950, 500, kWhite));

  // Two prints in a row draw what one print of both texts draws.
  window.SetPosition(10, 100);
  window.Print("12");
  window.Print("34");
  const int split = window.PositionX();
  window.SetPosition(10, 200);
  window.Print("1234");
  EXPECT_EQ(window.PositionX(), split);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < split + 5; ++x) {
      ASSERT_EQ(window.PixelAt(x, 100 + y), window.PixelAt(x, 200 + y)) << x << "," << y;
    }
  }
}

TEST_F(SdlWindowTest, FontsSelectedBySizeAndWeight) {
  window.SetPosition(0, 0);
  window.Print("8");
  const int defaultWidth = window.PositionX();
  window.SelectFont("Ariel", 20, 20);
  window.SetPosition(0, 100);
  window.Print("8");
  const int smallWidth = window.PositionX();
  window.SelectFont("Ariel", 50, 700);
  window.SetPosition(0, 200);
  window.Print("8");
  const int largeWidth = window.PositionX();
  EXPECT_GT(defaultWidth, 0);
  EXPECT_GT(smallWidth, defaultWidth);
  EXPECT_GT(largeWidth, 2 * smallWidth);
  // A tall bold digit: ink well below the small font's height.
  EXPECT_GT(DarkPixels(0, 250, largeWidth, 300), 100);
}

TEST_F(SdlWindowTest, AnyBytesAreDrawnSafely) {
  window.SetPosition(10, 10);
  window.Print(std::string("\xFF\xFE\0abc\r\n\t\x1B", 10));
  EXPECT_GT(window.PositionX(), 10);
  window.SetPosition(2000, 2000);  // off the panel: nothing drawn, nothing breaks
  window.Print("far away");
  EXPECT_GT(window.PositionX(), 2000);
  window.SetPosition(-30, -10);
  window.Print("half off");
  EXPECT_EQ(window.PositionY(), -10);
}

TEST_F(SdlWindowTest, ExposeRepaintsFromThePanelImage) {
  window.SelectFont("Ariel", 50, 700);
  window.SetPosition(285, 150);
  window.Print("14.250000");
  SDL_Surface* screen = SDL_GetWindowSurface(window.sdl_window());
  ASSERT_NE(screen, nullptr);
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));  // as if covered

  PushExpose();
  PushQuit();
  EXPECT_EQ(UntilClose(), (std::vector<std::pair<int, int>>{{kMsgClose, 0}}));

  screen = SDL_GetWindowSurface(window.sdl_window());
  ASSERT_NE(screen, nullptr);
  int differing = 0, dark = 0;
  for (int y = 150; y < 230; ++y) {
    for (int x = 285; x < 700; ++x) {
      Uint32 pixel = reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + y * screen->pitch)[x];
      Uint8 r, g, b;
      SDL_GetRGB(pixel, screen->format, &r, &g, &b);
      const std::uint32_t rgb = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
      differing += rgb != window.PixelAt(x, y) ? 1 : 0;
      dark += rgb < 0x404040 ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(dark, 500);
}

// What the window shows over an area differs from the panel image in this
// many pixels.
int ShownDiffers(SdlWindow& window, int x0, int y0, int x1, int y1) {
  SDL_Surface* screen = SDL_GetWindowSurface(window.sdl_window());
  if (screen == nullptr) return -1;
  int differing = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      Uint32 pixel = reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) + y * screen->pitch)[x];
      Uint8 r, g, b;
      SDL_GetRGB(pixel, screen->format, &r, &g, &b);
      differing += ((std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b) != window.PixelAt(x, y) ? 1 : 0;
    }
  }
  return differing;
}

TEST_F(SdlWindowTest, OnlyChangedPixelsAreDrawnAndSent) {
  window.SelectFont("Ariel", 50, 700);
  auto sameAs = [&](int x, int y, int refX, int refY, int w, int h) {
    for (int dy = 0; dy < h; ++dy) {
      for (int dx = 0; dx < w; ++dx) {
        if (window.PixelAt(x + dx, y + dy) != window.PixelAt(refX + dx, refY + dy)) return false;
      }
    }
    return true;
  };
  // The reference: the new text printed once on blank ground.
  window.SetPosition(300, 400);
  window.Print("14.250100");
  const int refEnd = window.PositionX();

  window.SetPosition(0, 150);
  window.Print("14.250000");
  const int end = window.PositionX();
  const std::uint64_t first = window.PixelsSent();

  // The same text again at the same place: nothing drawn, nothing sent, and
  // the position moves on as before.
  window.SetPosition(0, 150);
  window.Print("14.250000");
  EXPECT_EQ(window.PixelsSent(), first);
  EXPECT_EQ(window.PositionX(), end);

  // One digit changes: the panel shows the new text, and what is sent is the
  // changed digit's part only.
  window.SetPosition(0, 150);
  window.Print("14.250100");
  const std::uint64_t digit = window.PixelsSent() - first;
  EXPECT_GT(digit, 0u);
  EXPECT_LT(digit, static_cast<std::uint64_t>(end) * 60 / 4);
  EXPECT_TRUE(sameAs(0, 150, 300, 400, refEnd - 300, 80));

  // Drawn over in part (blanks, another text) or in another font, a text is
  // drawn again in full when it is printed at its place once more.
  window.SetPosition(40, 150);
  window.Print("    ");
  window.SetPosition(0, 150);
  window.Print("14.250100");
  EXPECT_TRUE(sameAs(0, 150, 300, 400, refEnd - 300, 80));
  window.SetPosition(60, 150);
  window.Print("8");
  window.SetPosition(0, 150);
  window.Print("14.250100");
  EXPECT_TRUE(sameAs(0, 150, 300, 400, refEnd - 300, 80));
  window.SelectFont("Ariel", 20, 20);
  window.SetPosition(0, 150);
  window.Print("14.250100");
  window.SelectFont("Ariel", 50, 700);
  window.SetPosition(0, 150);
  window.Print("14.250100");
  EXPECT_TRUE(sameAs(0, 150, 300, 400, refEnd - 300, 80));

  // The window shows exactly the panel image.
  EXPECT_EQ(ShownDiffers(window, 0, 140, 950, 500), 0);
}

// What the X server holds for the window over an area differs from the panel
// image in this many pixels; nothing when the window is not on an X display.
std::optional<int> ServerDiffers(SdlWindow& window, int x0, int y0, int x1, int y1) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KELVARO_X11_OUTPUT)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window.sdl_window(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
    return std::nullopt;
  }
  // Asked after everything sent before it, so the answer shows those too.
  XImage* shown = XGetImage(info.info.x11.display, info.info.x11.window, x0, y0, static_cast<unsigned>(x1 - x0),
                            static_cast<unsigned>(y1 - y0), AllPlanes, ZPixmap);
  if (shown == nullptr) return -1;
  int differing = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t rgb = static_cast<std::uint32_t>(XGetPixel(shown, x - x0, y - y0)) & 0xFFFFFF;
      differing += rgb != window.PixelAt(x, y) ? 1 : 0;
    }
  }
  XDestroyImage(shown);
  return differing;
#else
  (void)window, (void)x0, (void)y0, (void)x1, (void)y1;
  return std::nullopt;
#endif
}

TEST_F(SdlWindowTest, AFieldFlippingBetweenValuesShowsEachExactly) {
  // As the S-meter does: a few values, each printed again and again in turn.
  window.SelectFont("Ariel", 30, 700);
  const std::vector<std::string> values{"S7  ", "S6  ", "S9", "S7  ", "S9", "S6  ", "S7  "};
  // The references: each value once on blank ground, a row apart.
  std::map<std::string, int> row;
  for (const std::string& value : values) {
    if (row.count(value) != 0) continue;
    row[value] = 260 + 60 * static_cast<int>(row.size());
    window.SetPosition(0, row[value]);
    window.Print(value);
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE("print " + std::to_string(i) + ": " + values[i]);
    window.SetPosition(500, 60);
    window.Print(values[i]);
    int differing = 0;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 200; ++x) differing += window.PixelAt(500 + x, 60 + y) != window.PixelAt(x, row[values[i]] + y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(ShownDiffers(window, 500, 60, 700, 120), 0);
    if (auto server = ServerDiffers(window, 500, 60, 700, 120)) {
      EXPECT_EQ(*server, 0);
    }
  }
  // The whole window, as the server has it, after an expose too.
  if (auto server = ServerDiffers(window, 0, 0, 950, 500)) {
    EXPECT_EQ(*server, 0);
  }
  PushExpose();
  PushQuit();
  EXPECT_EQ(UntilClose(), (std::vector<std::pair<int, int>>{{kMsgClose, 0}}));
  if (auto server = ServerDiffers(window, 0, 0, 950, 500)) {
    EXPECT_EQ(*server, 0);
  }
}

TEST_F(SdlWindowTest, KeyEventsBecomeKeyMessages) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, 1);          // a repeat: dropped
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, 1);
  PushKey(SDL_KEYUP, SDL_SCANCODE_B, SDLK_b);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_5, SDLK_CLEAR);       // NumLock off
  PushKey(SDL_KEYUP, SDL_SCANCODE_KP_5, SDLK_CLEAR);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN);  // no code: dropped
  PushKey(SDL_KEYUP, SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_EQUALS, SDLK_EQUALS);
  PushKey(SDL_KEYUP, SDL_SCANCODE_EQUALS, SDLK_EQUALS);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  // The layout changes while a key is held: its key-up keeps the code.
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_q);
  PushKey(SDL_KEYUP, SDL_SCANCODE_Q, 0x439);
  PushQuit();
  EXPECT_EQ(UntilClose(), (std::vector<std::pair<int, int>>{{kMsgKeyDown, 66},
                                                            {kMsgKeyUp, 66},
                                                            {kMsgKeyDown, 101},
                                                            {kMsgKeyUp, 101},
                                                            {kMsgKeyDown, 16},
                                                            {kMsgKeyDown, 187},
                                                            {kMsgKeyUp, 187},
                                                            {kMsgKeyUp, 16},
                                                            {kMsgKeyDown, 81},
                                                            {kMsgKeyUp, 81},
                                                            {kMsgClose, 0}}));
}

TEST_F(SdlWindowTest, CloseButtonAndQuitAreCloseRequests) {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(window.sdl_window());
  Push(close);
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
  PushQuit();
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
}

TEST_F(SdlWindowTest, TimerTicksNeverPileUp) {
  // Four periods go by without a message taken. The period is long, so that
  // the next one cannot end, even on a busy machine, before the quit is taken.
  window.StartTimer(250);
  SDL_Delay(1100);
  PushQuit();
  const auto seen = UntilClose();
  window.StopTimer();
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{kMsgTimer, 1}, {kMsgClose, 0}}));
}

Uint32 PushQuitOnce(Uint32, void*) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  return 0;
}

TEST_F(SdlWindowTest, NoTickAfterStopAndTheTimerRestarts) {
  window.StartTimer(1);
  SDL_Delay(50);  // a tick is queued by now
  window.StopTimer();
  PushQuit();
  EXPECT_EQ(UntilClose(), (std::vector<std::pair<int, int>>{{kMsgClose, 0}}));

  // Restarting while a tick of the stopped timer is still queued: that tick
  // is dropped and the new timer ticks. A late quit ends the wait should it
  // stay silent.
  window.StartTimer(1);
  SDL_Delay(50);
  window.StopTimer();
  window.StartTimer(5);
  SDL_TimerID watchdog = SDL_AddTimer(5000, PushQuitOnce, nullptr);
  EXPECT_EQ(window.NextMessage().code, kMsgTimer);
  window.StopTimer();
  SDL_RemoveTimer(watchdog);
}

TEST_F(SdlWindowTest, ClosedWindowStillTakesPrintsAndMessages) {
  window.Close();
  EXPECT_EQ(window.sdl_window(), nullptr);
  window.SetPosition(10, 10);
  window.Print("x");
  EXPECT_GT(window.PositionX(), 10);
  PushQuit();
  EXPECT_EQ(window.NextMessage().code, kMsgClose);
}

}  // namespace
}  // namespace kelvaro
