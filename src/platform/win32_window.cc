#include "platform/win32_window.h"

#include <algorithm>
#include <cmath>

namespace kelvaro {
namespace {

constexpr UINT_PTR kTimerId = 1;

// Takes the timer messages waiting for the window off its queue.
void DropWaitingTicks(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
}
constexpr wchar_t kClassName[] = L"KelvaroPanel";
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kBackground = RGB(255, 255, 255);
// One wait takes at most this many handles besides the message queue.
constexpr std::size_t kMostInputs = MAXIMUM_WAIT_OBJECTS - 1;

bool Failed(std::string* why, const std::string& what) {
  if (why == nullptr) return false;
  const DWORD code = GetLastError();
  char* words = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<char*>(&words), 0, nullptr);
  std::string text = words != nullptr ? words : "";
  if (words != nullptr) LocalFree(words);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (code == 0) text = "the window system gave no reason";
  if (text.empty()) text = "error " + std::to_string(code);
  *why = what + ": " + text;
  return false;
}

std::wstring Widen(std::string_view text, UINT codePage, DWORD flags) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring out(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), wide);
  return out;
}

}  // namespace

std::wstring PanelTextToWide(std::string_view bytes) {
  std::wstring wide = Widen(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
  if (wide.empty() && !bytes.empty()) wide = Widen(bytes, 1252, 0);
  for (wchar_t& c : wide) {
    if (c == L'\0') c = L' ';
  }
  return wide;
}

Win32Window::~Win32Window() {
  Close();
  for (auto& [key, font] : fonts_) DeleteObject(font);
}

bool Win32Window::Open(std::string_view caption, int x, int y, int width, int height, std::string* why) {
  Close();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Win32Window::Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return Failed(why, "cannot register the window class");
  }
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, std::max(1, width), std::max(1, height)};
  AdjustWindowRect(&frame, style, FALSE);
  const std::wstring title = PanelTextToWide(caption);
  hwnd_ = CreateWindowExW(0, kClassName, title.c_str(), style, x, y, frame.right - frame.left,
                          frame.bottom - frame.top, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return Failed(why, "cannot create the window");

  width_ = std::max(1, width);
  height_ = std::max(1, height);
  HDC screen = GetDC(hwnd_);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  if (dpi_ < 50 || dpi_ > 400) dpi_ = 96;
  memory_ = CreateCompatibleDC(screen);
  ReleaseDC(hwnd_, screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = memory_ != nullptr ? CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (bitmap_ == nullptr) {
    Failed(why, "cannot make the panel's bitmap");
    Close();
    return false;
  }
  pixels_ = static_cast<const std::uint32_t*>(bits);
  oldBitmap_ = SelectObject(memory_, bitmap_);
  RECT all{0, 0, width_, height_};
  HBRUSH white = CreateSolidBrush(kBackground);
  FillRect(memory_, &all, white);
  DeleteObject(white);
  SetTextColor(memory_, kText);
  SetBkColor(memory_, kBackground);
  SetBkMode(memory_, OPAQUE);
  SetTextAlign(memory_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  // Fonts were sized for the earlier display.
  font_ = nullptr;
  for (auto& [key, font] : fonts_) DeleteObject(font);
  fonts_.clear();

  closeRequested_ = false;
  if (periodMs_ > 0) SetTimer(hwnd_, kTimerId, static_cast<UINT>(periodMs_), nullptr);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
  return true;
}

void Win32Window::ReleaseDrawing() {
  if (memory_ != nullptr) {
    if (oldFont_ != nullptr) SelectObject(memory_, oldFont_);
    if (oldBitmap_ != nullptr) SelectObject(memory_, oldBitmap_);
    DeleteDC(memory_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  memory_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  oldFont_ = nullptr;
  pixels_ = nullptr;
}

void Win32Window::Close() {
  if (hwnd_ != nullptr) {
    KillTimer(hwnd_, kTimerId);
    HWND gone = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
    DestroyWindow(gone);
  }
  ReleaseDrawing();
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    // Messages come before CreateWindowEx returns the handle.
    static_cast<Win32Window*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ != hwnd) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      closeRequested_ = true;
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC target = BeginPaint(hwnd_, &paint);
      if (memory_ != nullptr) {
        const RECT& r = paint.rcPaint;
        BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_, r.left, r.top, SRCCOPY);
      }
      EndPaint(hwnd_, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

bool Win32Window::Translate(const MSG& msg, WindowMessage* message) {
  switch (msg.message) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      // F10 and Alt come as system keys; they are the panel's keys like any
      // other (and so open no window menu). Alt+F4 is left to the system,
      // which turns it into the close request.
      if (msg.wParam == VK_F4 && (msg.lParam & (LPARAM{1} << 29)) != 0) return false;
      [[fallthrough]];
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
      if (down && (msg.lParam & (LPARAM{1} << 30)) != 0) {
        *message = {};  // auto-repeat: dropped, not dispatched
        return true;
      }
      *message = {down ? kMsgKeyDown : kMsgKeyUp, static_cast<int>(msg.wParam)};
      return true;
    }
    case WM_TIMER:
      if (msg.hwnd != hwnd_ || msg.wParam != kTimerId) return false;
      if (periodMs_ == 0) {
        *message = {};  // from a timer stopped since
        return true;
      }
      // The posted first tick and the system's may both be waiting after a
      // long phrase: one tick stands for them all.
      DropWaitingTicks(hwnd_);
      *message = {kMsgTimer, static_cast<int>(kTimerId)};
      return true;
    case WM_QUIT:
      *message = {kMsgClose, 0};
      return true;
    default:
      return false;
  }
}

WindowMessage Win32Window::NextMessage() {
  for (;;) {
    if (closeRequested_) {
      closeRequested_ = false;
      return {kMsgClose, 0};
    }
    if (hwnd_ == nullptr) return {kMsgClose, 0};
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WindowMessage message;
      if (Translate(msg, &message)) {
        if (message.code != 0) return message;
        continue;
      }
      DispatchMessageW(&msg);
      continue;
    }
    const DWORD count = static_cast<DWORD>(inputs_.size());
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(count, inputs_.empty() ? nullptr : inputs_.data(), INFINITE, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    if (woke < WAIT_OBJECT_0 + count) return {kMsgInput, 0};
    if (woke >= WAIT_ABANDONED_0 && woke < WAIT_ABANDONED_0 + count) return {kMsgInput, 0};
    if (woke == WAIT_FAILED) {
      // A handle closed under the wait: the watch is dropped until the
      // panel gives its handles again, and the input message tells it to.
      inputs_.clear();
      return {kMsgInput, 0};
    }
  }
}

void Win32Window::WatchInputs(std::vector<Waitable> handles) {
  inputs_.clear();
  for (Waitable handle : handles) {
    if (handle == kNoWaitable || handle == 0 || inputs_.size() == kMostInputs) continue;
    inputs_.push_back(reinterpret_cast<HANDLE>(handle));
  }
}

void Win32Window::StartTimer(int periodMs) {
  periodMs_ = std::max(1, periodMs);
  if (hwnd_ == nullptr) return;
  SetTimer(hwnd_, kTimerId, static_cast<UINT>(periodMs_), nullptr);
  // A system timer first fires a period from now; the first tick is posted.
  PostMessageW(hwnd_, WM_TIMER, kTimerId, 0);
}

void Win32Window::StopTimer() {
  periodMs_ = 0;
  if (hwnd_ == nullptr) return;
  KillTimer(hwnd_, kTimerId);
  DropWaitingTicks(hwnd_);
}

void Win32Window::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
}

void Win32Window::SelectFont(std::string_view face, int points, int weight) {
  face_ = std::string(face);
  points_ = std::clamp(points, 1, 1000);
  weight_ = std::clamp(weight, 1, 1000);
  font_ = nullptr;
}

HFONT Win32Window::CurrentFont() {
  if (font_ != nullptr) return font_;
  const auto key = std::make_tuple(face_, points_, weight_);
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    const int pixels = -MulDiv(points_, dpi_, 72);
    const std::wstring face = PanelTextToWide(face_.substr(0, LF_FACESIZE - 1));
    HFONT font = CreateFontW(pixels, 0, 0, 0, weight_, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
    if (font == nullptr) return nullptr;
    found = fonts_.emplace(key, font).first;
  }
  font_ = found->second;
  return font_;
}

void Win32Window::Print(std::string_view text) {
  const std::wstring wide = PanelTextToWide(text);
  if (memory_ == nullptr) {
    // No window: the position still moves, by a rough width.
    x_ += static_cast<int>(wide.size()) * MulDiv(points_, 96, 72) / 2;
    return;
  }
  if (HFONT font = CurrentFont(); font != nullptr) {
    HGDIOBJ old = SelectObject(memory_, font);
    if (oldFont_ == nullptr) oldFont_ = old;
  }
  SIZE size{};
  const int length = static_cast<int>(wide.size());
  GetTextExtentPoint32W(memory_, wide.c_str(), length, &size);
  TextOutW(memory_, x_, y_, wide.c_str(), length);
  GdiFlush();
  if (hwnd_ != nullptr && size.cx > 0) {
    RECT changed{x_, y_, x_ + size.cx, y_ + size.cy};
    InvalidateRect(hwnd_, &changed, FALSE);
  }
  x_ += size.cx;
}

std::optional<std::uint32_t> Win32Window::PixelAt(int x, int y) const {
  if (pixels_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return std::nullopt;
  GdiFlush();
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] &
         0xFFFFFF;
}

}  // namespace kelvaro
