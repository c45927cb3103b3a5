// The panel window on Win32: a real window procedure, the message queue with
// the periodic timer, and text drawn with GDI.
//
// Messages: WM_KEYDOWN and WM_KEYUP carry their virtual-key codes, and so do
// the system keys (F10, Alt) but Alt+F4; a key-down with the previous-state
// bit set (lParam bit 30, auto-repeat) is dropped.
// WM_CLOSE (the close button, Alt+F4) and WM_QUIT are the close request; the
// window is not destroyed by them, the program decides. The periodic timer is
// the window's SetTimer id 1: the system makes a WM_TIMER only when the queue
// is otherwise empty and never holds more than one, so a handler that blocks
// for seconds is followed by one tick, not a burst. Between messages the
// thread sleeps in MsgWaitForMultipleObjectsEx on the queue and the watched
// handles; a signalled handle ends the wait as kMsgInput.
//
// Text: everything is drawn into a memory bitmap (a 32-bit DIB section, so it
// can be read back) the size of the client area, opaque black on white, and
// the changed rectangle is invalidated; WM_PAINT copies the bitmap to the
// window, so a covered window repaints by itself. Fonts come from CreateFont
// with the face asked for ("Ariel" is substituted by the system). Texts are
// bytes: valid UTF-8 is drawn as such, anything else as Windows-1252.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/screen.h"
#include "platform/window.h"

namespace kelvaro {

// The panel's bytes as UTF-16 for drawing (see the top); NUL becomes a blank.
std::wstring PanelTextToWide(std::string_view bytes);

class Win32Window : public Window, public Screen {
 public:
  Win32Window() = default;
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Window. Width and height are those of the client area; the frame cannot
  // be resized. Prints before Open draw nothing. After Close, NextMessage
  // returns the close request at once.
  bool Open(std::string_view caption, int x, int y, int width, int height, std::string* why) override;
  WindowMessage NextMessage() override;
  void WatchInputs(std::vector<Waitable> handles) override;
  void StartTimer(int periodMs) override;
  void StopTimer() override;
  void Close() override;

  // Screen
  void SetPosition(int x, int y) override;
  void Print(std::string_view text) override;
  void SelectFont(std::string_view face, int points, int weight) override;

  // The colour of one pixel of the memory bitmap as 0xRRGGBB, or nothing
  // outside it or before Open.
  std::optional<std::uint32_t> PixelAt(int x, int y) const;
  int PositionX() const { return x_; }
  int PositionY() const { return y_; }
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Turns a message taken from the queue into a panel message; false when it
  // is none (then it is dispatched).
  bool Translate(const MSG& msg, WindowMessage* message);
  HFONT CurrentFont();
  void ReleaseDrawing();

  HWND hwnd_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  const std::uint32_t* pixels_ = nullptr;  // the DIB's, top-down rows
  int width_ = 0, height_ = 0;
  int dpi_ = 96;
  int x_ = 0, y_ = 0;
  std::string face_ = "Ariel";
  int points_ = 12, weight_ = 400;
  HFONT font_ = nullptr;  // of face_, points_, weight_, once made
  std::map<std::tuple<std::string, int, int>, HFONT> fonts_;
  int periodMs_ = 0;  // 0: stopped
  bool closeRequested_ = false;
  std::vector<HANDLE> inputs_;
};

}  // namespace kelvaro
