// The panel window on SDL2: messages, the periodic timer and text drawing.
//
// Everything is drawn into an off-screen image of the client area, and each
// change is copied to the window at once; exposing, showing or restoring the
// window copies the whole image again, so a covered window repaints by itself.
// Drawing uses the window surface (no OpenGL), so it works under Xvfb. On an
// X display with the usual true-colour visual the changed pixels are also
// sent to the X server directly, without waiting for it (SDL's own update
// waits for the server's answer each time, which costs the process a sleep
// and a wake-up per change); elsewhere SDL's update does it.
//
// The panel reprints its fields on every poll of the radio, mostly with the
// same text. A print that repeats the text still standing at its place (same
// position, same font, not drawn over since) costs nothing; any other print
// changes only the pixels that differ and sends only their bounding box to
// the display. Short texts are kept rendered, so a field that flips between
// a few values (the S-meter) is not rendered anew each time.
//
// Messages: key-down and key-up carry the Windows virtual-key code (see
// sdl_keys.h). Key repeats are dropped. A key that has no virtual-key code is
// dropped too, down and up alike; the key-up of a key whose key-down was
// handed out is always handed out, with the same code, so a held key never
// stays held for the panel. The window's close button and SIGINT/SIGTERM
// (which SDL turns into a quit event) give the close request.
//
// The periodic timer is kept by the message loop itself: a tick is handed
// out when its time has come and no tick is waiting, so a handler that blocks
// for seconds (a spoken report) is followed by one tick, not a burst. While
// nothing is due the loop sleeps in poll() on the X connection and the
// watched port descriptors, so it costs nothing between events; the X
// connection is read only when there can be something to read.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/fontconfig_fonts.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace kelvaro {

// The bytes of a panel text as UTF-8 for drawing: valid UTF-8 stays as it is;
// otherwise every byte is read as Windows-1252 (Latin-1 with the printable
// 0x80..0x9F range), and bytes without a character there become U+FFFD. NUL
// becomes a blank, so a text never ends early.
std::string PanelTextToUtf8(std::string_view bytes);

class SdlWindow : public Window, public Screen {
 public:
  SdlWindow();
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Window. Open's width and height are those of the client area (the
  // drawing area, without the frame the window manager adds); the frame
  // cannot be resized. Prints before Open draw nothing.
  bool Open(std::string_view caption, int x, int y, int width, int height, std::string* why) override;
  WindowMessage NextMessage() override;
  void WatchInputs(std::vector<Waitable> handles) override { inputs_ = std::move(handles); }
  void StartTimer(int periodMs) override;
  void StopTimer() override;
  void Close() override;

  // Screen
  void SetPosition(int x, int y) override;
  void Print(std::string_view text) override;
  void SelectFont(std::string_view face, int points, int weight) override;

  // The colour of one pixel of the panel image as 0xRRGGBB, or nothing
  // outside the image or before Open.
  std::optional<std::uint32_t> PixelAt(int x, int y) const;
  // The text position the next print starts at.
  int PositionX() const { return x_; }
  int PositionY() const { return y_; }
  // The SDL window while it is open, for checks of its size and caption.
  SDL_Window* sdl_window() const { return window_; }
  // Pixels per inch used to size the fonts.
  float dpi() const { return dpi_; }
  // Pixels copied to the window so far (each update's rectangle counted).
  std::uint64_t PixelsSent() const { return pixelsSent_; }

 private:
  struct FontRequest {
    std::string face;
    int points = 0;
    int weight = 0;
  };

  // A text as it stands on the panel image: drawn at (x, y) in the font and
  // not drawn over since.
  struct Placed {
    int x = 0, y = 0;
    TTF_Font* font = nullptr;
    std::string given;  // as printed, before conversion to UTF-8
    int w = 0, h = 0;
  };

  // A short text rendered in the panel image's pixel format.
  struct Rendered {
    TTF_Font* font = nullptr;
    std::string text;  // UTF-8
    SDL_Surface* image = nullptr;
  };

  TTF_Font* CurrentFont();
  // Finds and opens the font of request_ (null when none will open).
  TTF_Font* ChooseFont();
  // The text rendered in the font, in the panel image's pixel format; owned
  // by the cache of short texts when `kept` comes back true, else by the
  // caller. Null when it cannot be rendered.
  SDL_Surface* Render(TTF_Font* font, const std::string& utf8, bool* kept);
  void ForgetRendered();
  // Copies the pixels of a rendered text (in the panel image's format) at
  // `area` that differ from the panel image into it; returns the bounding box
  // of those pixels (empty when none).
  SDL_Rect CopyChanged(SDL_Surface* image, const SDL_Rect& area);
  TTF_Font* OpenFont(const FontFile& file, int pixels);
  // Copies a part of the panel image (all of it when null) to the window.
  void Present(const SDL_Rect* area);
  void ReleaseFonts();
  // Direct output to the X server (see the top); null when not used.
  struct X11Output;
  static void CloseX11Output(X11Output* output);
  struct X11OutputCloser {
    void operator()(X11Output* output) const { CloseX11Output(output); }
  };
  std::unique_ptr<X11Output, X11OutputCloser> x11_;
  void OpenX11Output();
  // Sends a part of the panel image to the X server; false when not done.
  bool SendToX11(const SDL_Rect& area);

  bool sdlStarted_ = false;
  bool ttfStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Surface* canvas_ = nullptr;
  float dpi_ = 96.0f;
  int x_ = 0, y_ = 0;
  std::vector<Placed> placed_;
  std::vector<Rendered> rendered_;  // the most recently used last
  long keptPixels_ = 0;             // of all the rendered images kept
  std::uint64_t pixelsSent_ = 0;

  FontconfigFonts fonts_;
  FontRequest request_;
  TTF_Font* font_ = nullptr;  // the font of request_, once opened
  std::map<std::pair<std::string, int>, std::optional<FontFile>> found_;  // (families, weight)
  std::map<std::tuple<std::string, int, int>, TTF_Font*> opened_;         // (file, index, pixels)
  std::map<std::tuple<std::string, int, int>, TTF_Font*> chosen_;         // (face, points, weight)

  // Turns one SDL event into a message; false when it is none.
  bool Translate(const SDL_Event& event, WindowMessage* message);
  // The X connection's descriptor, -1 when the video driver is not X11 or
  // no window is open; asked of SDL once per window.
  int DisplayHandle() const { return display_; }
  int AskDisplayHandle() const;

  using SteadyClock = std::chrono::steady_clock;
  int display_ = -1;
  std::vector<pollfd> waitFor_;  // kept between waits: no allocation a wait
  int periodMs_ = 0;  // 0: the timer is stopped
  SteadyClock::time_point nextTick_{};
  std::vector<Waitable> inputs_;
  SteadyClock::time_point inputsQuietUntil_{};  // after a hang-up without data
  bool pumpDue_ = true;                         // the X connection must be read
  SteadyClock::time_point lastPump_{};
  // Key-down codes handed out, by scancode, waiting for their key-up.
  std::map<int, int> keysDown_;
};

}  // namespace kelvaro
