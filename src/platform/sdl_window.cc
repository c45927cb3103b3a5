#include "platform/sdl_window.h"

#include <algorithm>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KELVARO_X11_OUTPUT)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#define KELVARO_DIRECT_X11 1
#endif

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/sdl_keys.h"

namespace kelvaro {
namespace {

// The font used before any font is selected.
constexpr int kDefaultPoints = 12;
constexpr int kDefaultWeight = 400;
constexpr float kUnknownDpi = 96.0f;
// Texts remembered as standing on the panel; the panel has about twenty
// fields, so the oldest beyond this are forgotten (and simply redrawn).
constexpr std::size_t kMostPlaced = 64;
// Rendered texts kept for reuse: only short ones (a field's value, not a line
// of help), and few, so the cache stays within 256 KB.
constexpr std::size_t kMostRendered = 16;
constexpr long kMostKeptPixels = 65536;
constexpr long kLargestKeptPixels = kMostKeptPixels / 4;

const SDL_Color kText{0, 0, 0, 255};
const SDL_Color kBackground{255, 255, 255, 255};

// Characters of Windows-1252 at 0x80..0x9F; 0 where the code page has none.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    char32_t c;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (length == 4 && (c < 0x10000 || c > 0x10FFFF))) {
      return false;
    }
    i += length;
  }
  return true;
}

int PixelsFor(int points, float dpi) {
  const long pixels = std::lround(static_cast<double>(std::clamp(points, 1, 1000)) * dpi / 72.0);
  return static_cast<int>(std::max(1L, pixels));
}

}  // namespace

std::string PanelTextToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  if (IsValidUtf8(bytes)) {
    for (char c : bytes) out += c == '\0' ? ' ' : c;
    return out;
  }
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      out += ' ';
    } else if (byte < 0x80) {
      out += c;
    } else if (byte < 0xA0) {
      const char32_t mapped = kCp1252High[byte - 0x80];
      AppendUtf8(out, mapped != 0 ? mapped : U'\uFFFD');
    } else {
      AppendUtf8(out, byte);
    }
  }
  return out;
}

SdlWindow::SdlWindow() : request_{std::string(kFallbackFamilies), kDefaultPoints, kDefaultWeight} {}

SdlWindow::~SdlWindow() {
  x11_.reset();  // before the window it draws in
  ForgetRendered();
  ReleaseFonts();
  if (canvas_ != nullptr) SDL_FreeSurface(canvas_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (ttfStarted_) TTF_Quit();
  // Only the subsystems taken here: SDL counts users per subsystem, so audio
  // opened elsewhere keeps running.
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
}

namespace {

// SDL's own words for a window that did not open (no display, refused
// connection), for the operator's terminal; the caller says the rest.
bool OpenFailed(std::string* why) {
  if (why != nullptr) *why = std::string("SDL: ") + SDL_GetError();
  return false;
}

}  // namespace

bool SdlWindow::Open(std::string_view caption, int x, int y, int width, int height, std::string* why) {
  if (window_ != nullptr) return false;
  // The window surface is drawn by the CPU and copied to the X server; an
  // OpenGL texture behind it would cost memory and start-up time for nothing.
  // A setting in the environment still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The close button gives a window event; SDL must not add a quit event of
  // its own for the same click.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // An ordinary application window: the desktop's screen saver stays on.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (!sdlStarted_) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) return OpenFailed(why);
    sdlStarted_ = true;
  }
  if (!ttfStarted_) ttfStarted_ = TTF_Init() == 0;

  const std::string title(caption);
  window_ = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_SHOWN);
  if (window_ == nullptr) return OpenFailed(why);
  // Keys are read as key events only; no input method is needed.
  SDL_StopTextInput();
  SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
  SDL_EventState(SDL_TEXTINPUT, SDL_IGNORE);
  SDL_EventState(SDL_TEXTEDITING, SDL_IGNORE);

  float vertical = 0.0f;
  const int display = SDL_GetWindowDisplayIndex(window_);
  // Displays that report an absurd size (or none, as under Xvfb) count as
  // the common 96 pixels per inch.
  if (display >= 0 && SDL_GetDisplayDPI(display, nullptr, nullptr, &vertical) == 0 && vertical >= 50.0f &&
      vertical <= 400.0f) {
    dpi_ = vertical;
  } else {
    dpi_ = kUnknownDpi;
  }
  font_ = nullptr;
  chosen_.clear();  // sized for the earlier display's pixels per inch

  Uint32 format = SDL_GetWindowPixelFormat(window_);
  // The window's own format makes presenting a plain copy.
  if (format == SDL_PIXELFORMAT_UNKNOWN || SDL_ISPIXELFORMAT_FOURCC(format) || SDL_ISPIXELFORMAT_INDEXED(format) ||
      SDL_BYTESPERPIXEL(format) != 4) {
    format = SDL_PIXELFORMAT_RGB888;
  }
  if (canvas_ != nullptr) SDL_FreeSurface(canvas_);
  canvas_ = SDL_CreateRGBSurfaceWithFormat(0, std::max(1, width), std::max(1, height), 32, format);
  if (canvas_ == nullptr) {
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    return OpenFailed(why);
  }
  SDL_SetSurfaceBlendMode(canvas_, SDL_BLENDMODE_NONE);
  placed_.clear();
  ForgetRendered();  // rendered for the earlier image's format
  display_ = AskDisplayHandle();
  OpenX11Output();
  SDL_FillRect(canvas_, nullptr, SDL_MapRGB(canvas_->format, kBackground.r, kBackground.g, kBackground.b));
  Present(nullptr);
  return true;
}

bool SdlWindow::Translate(const SDL_Event& event, WindowMessage* message) {
  switch (event.type) {
    case SDL_QUIT:
      *message = {kMsgClose, 0};
      return true;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          *message = {kMsgClose, 0};
          return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          Present(nullptr);
          return false;
        default:
          return false;
      }
    case SDL_KEYDOWN: {
      if (event.key.repeat != 0) return false;
      const int code = VirtualKeyFromSdl(event.key.keysym);
      if (code == 0) return false;
      keysDown_[event.key.keysym.scancode] = code;
      *message = {kMsgKeyDown, code};
      return true;
    }
    case SDL_KEYUP: {
      int code;
      auto down = keysDown_.find(event.key.keysym.scancode);
      if (down != keysDown_.end()) {
        // The code of its key-down, even if the layout changed meanwhile.
        code = down->second;
        keysDown_.erase(down);
      } else {
        code = VirtualKeyFromSdl(event.key.keysym);
      }
      if (code == 0) return false;
      *message = {kMsgKeyUp, code};
      return true;
    }
    default:
      return false;
  }
}

int SdlWindow::AskDisplayHandle() const {
#if defined(SDL_VIDEO_DRIVER_X11)
  if (window_ == nullptr) return -1;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11 &&
      info.info.x11.display != nullptr) {
    return ConnectionNumber(info.info.x11.display);
  }
#endif
  return -1;
}

WindowMessage SdlWindow::NextMessage() {
  // Without a descriptor to sleep on (no X11, window closed) the loop looks at
  // SDL's queue this often; signals and events pushed by other threads do not
  // wake poll() either, so no sleep is longer than this.
  constexpr int kLongestSleepMs = 250;
  // The X connection is read at least this often even when poll() saw
  // nothing on it: a signal that came between two waits is only seen there.
  constexpr int kLongestUnreadMs = 1000;
  constexpr int kUnwatchedSleepMs = 10;
  // After input, the ports are looked at again this much later: the time a
  // short answer takes on the line.
  constexpr int kInputGatherMs = 4;
  for (;;) {
    const SteadyClock::time_point now = SteadyClock::now();
    if (periodMs_ > 0 && now >= nextTick_) {
      // One tick for any number of periods missed; the next one a period on.
      nextTick_ += std::chrono::milliseconds(periodMs_);
      if (nextTick_ <= now) nextTick_ = now + std::chrono::milliseconds(periodMs_);
      return {kMsgTimer, 1};
    }
    const int display = DisplayHandle();
    // Reading the X connection costs several system calls even when nothing
    // came, so it is read only when it has something, when drawing may have
    // left events in Xlib's own queue (SDL's update waits for the server's
    // answer and takes in whatever events came meanwhile; a direct update
    // can take them in while it writes), after a signal, and now and then.
    if (pumpDue_ || display < 0 || now - lastPump_ >= std::chrono::milliseconds(kLongestUnreadMs)) {
      pumpDue_ = false;
      lastPump_ = now;
      SDL_PumpEvents();
    }
    SDL_Event event;
    WindowMessage message;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
      if (Translate(event, &message)) return message;
    }

    int timeout = kLongestSleepMs;
    if (periodMs_ > 0) {
      const auto untilTick = std::chrono::ceil<std::chrono::milliseconds>(nextTick_ - now).count();
      timeout = static_cast<int>(std::clamp<long long>(untilTick, 0, kLongestSleepMs));
    }
    std::vector<pollfd>& fds = waitFor_;
    fds.clear();
    if (display >= 0) {
      fds.push_back({display, POLLIN, 0});
    } else {
      timeout = std::min(timeout, kUnwatchedSleepMs);
    }
    const std::size_t firstInput = fds.size();
    const SteadyClock::time_point beforeWait = SteadyClock::now();
    if (beforeWait >= inputsQuietUntil_) {
      for (Waitable waitable : inputs_) {
        const int handle = static_cast<int>(waitable);
        if (handle >= 0) fds.push_back({handle, POLLIN, 0});
      }
    } else {
      const auto untilQuietEnds =
          std::chrono::ceil<std::chrono::milliseconds>(inputsQuietUntil_ - beforeWait).count();
      timeout = static_cast<int>(std::clamp<long long>(untilQuietEnds, 0, timeout));
    }
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (ready < 0) pumpDue_ = true;  // a signal: SDL turns it into an event
    if (ready <= 0) continue;
    if (firstInput > 0 && fds[0].revents != 0) pumpDue_ = true;
    bool data = false, hangUp = false;
    for (std::size_t i = firstInput; i < fds.size(); ++i) {
      if (fds[i].revents & POLLIN) data = true;
      if (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) hangUp = true;
    }
    if (data || hangUp) {
      // A port whose other end has gone reports a hang-up until it is closed;
      // it is looked at again only after a while, so it cannot make the loop spin.
      if (hangUp && !data) inputsQuietUntil_ = SteadyClock::now() + std::chrono::milliseconds(100);
      // A radio sends its answer at the line rate, a few characters at a
      // time (38400 baud is a character in 0.29 ms); the rest of it is
      // taken a little later in one go rather than a message a character.
      if (data) inputsQuietUntil_ = SteadyClock::now() + std::chrono::milliseconds(kInputGatherMs);
      return {kMsgInput, 0};
    }
  }
}

void SdlWindow::StartTimer(int periodMs) {
  periodMs_ = std::max(0, periodMs);
  nextTick_ = SteadyClock::now();
}

void SdlWindow::StopTimer() { periodMs_ = 0; }

void SdlWindow::Close() {
  if (window_ == nullptr) return;
  x11_.reset();
  SDL_DestroyWindow(window_);
  window_ = nullptr;
  display_ = -1;
}

void SdlWindow::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
}

void SdlWindow::Print(std::string_view text) {
  if (canvas_ == nullptr || text.empty()) return;
  TTF_Font* font = CurrentFont();
  if (font == nullptr) return;
  int width = 0;
  // Compared as given: most prints repeat what stands there, and need no
  // conversion then.
  const auto same = std::find_if(placed_.begin(), placed_.end(), [&](const Placed& p) {
    return p.x == x_ && p.y == y_ && p.font == font && p.given == text;
  });
  if (same != placed_.end()) {
    width = same->w;
  } else {
    std::string utf8 = PanelTextToUtf8(text);
    bool kept = false;
    SDL_Surface* image = Render(font, utf8, &kept);
    if (image == nullptr) return;
    width = image->w;
    const SDL_Rect area{x_, y_, image->w, image->h};
    placed_.erase(std::remove_if(placed_.begin(), placed_.end(),
                                 [&](const Placed& p) {
                                   const SDL_Rect other{p.x, p.y, p.w, p.h};
                                   return SDL_HasIntersection(&area, &other) == SDL_TRUE;
                                 }),
                  placed_.end());
    if (placed_.size() >= kMostPlaced) placed_.erase(placed_.begin());
    placed_.push_back(Placed{x_, y_, font, std::string(text), image->w, image->h});
    const SDL_Rect changed = CopyChanged(image, area);
    if (!kept) SDL_FreeSurface(image);
    if (changed.w > 0 && changed.h > 0) Present(&changed);
  }
  // Far off to the right is as good as the end of the world; no overflow.
  x_ = static_cast<int>(std::min<long long>(static_cast<long long>(x_) + width, std::numeric_limits<int>::max() / 2));
}

SDL_Surface* SdlWindow::Render(TTF_Font* font, const std::string& utf8, bool* kept) {
  *kept = false;
  auto known = std::find_if(rendered_.begin(), rendered_.end(),
                            [&](const Rendered& r) { return r.font == font && r.text == utf8; });
  if (known != rendered_.end()) {
    std::rotate(known, known + 1, rendered_.end());
    *kept = true;
    return rendered_.back().image;
  }
  SDL_Surface* shaded = TTF_RenderUTF8_Shaded(font, utf8.c_str(), kText, kBackground);
  if (shaded == nullptr) return nullptr;
  SDL_Surface* image = SDL_ConvertSurface(shaded, canvas_->format, 0);
  if (image == nullptr) return shaded;  // no memory: drawn whole, not kept
  SDL_FreeSurface(shaded);
  const long pixels = static_cast<long>(image->w) * image->h;
  if (pixels <= kLargestKeptPixels) {
    while (!rendered_.empty() && (rendered_.size() >= kMostRendered || keptPixels_ + pixels > kMostKeptPixels)) {
      keptPixels_ -= static_cast<long>(rendered_.front().image->w) * rendered_.front().image->h;
      SDL_FreeSurface(rendered_.front().image);
      rendered_.erase(rendered_.begin());
    }
    rendered_.push_back(Rendered{font, utf8, image});
    keptPixels_ += pixels;
    *kept = true;
  }
  return image;
}

void SdlWindow::ForgetRendered() {
  for (Rendered& r : rendered_) SDL_FreeSurface(r.image);
  rendered_.clear();
  keptPixels_ = 0;
}

SDL_Rect SdlWindow::CopyChanged(SDL_Surface* image, const SDL_Rect& area) {
  const SDL_Rect bounds{0, 0, canvas_->w, canvas_->h};
  SDL_Rect clip;
  if (SDL_IntersectRect(&area, &bounds, &clip) != SDL_TRUE) return SDL_Rect{0, 0, 0, 0};
  if (image->format->format != canvas_->format->format) {
    // Not converted (no memory for it): drawn whole.
    SDL_Rect target = area;
    SDL_BlitSurface(image, nullptr, canvas_, &target);
    return target;
  }
  // Both images have the canvas's format of four bytes a pixel. Each row is
  // compared from both ends; what lies between the first and the last
  // differing pixel is copied.
  int left = clip.x + clip.w, right = clip.x - 1, top = -1, bottom = -1;
  for (int y = clip.y; y < clip.y + clip.h; ++y) {
    const auto* from = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(image->pixels) +
                                                       static_cast<std::size_t>(y - area.y) * image->pitch) +
                       (clip.x - area.x);
    auto* to = reinterpret_cast<Uint32*>(static_cast<Uint8*>(canvas_->pixels) +
                                         static_cast<std::size_t>(y) * canvas_->pitch) +
               clip.x;
    int first = 0;
    while (first < clip.w && from[first] == to[first]) ++first;
    if (first == clip.w) continue;
    int last = clip.w - 1;
    while (from[last] == to[last]) --last;
    std::memcpy(to + first, from + first, static_cast<std::size_t>(last - first + 1) * sizeof(Uint32));
    left = std::min(left, clip.x + first);
    right = std::max(right, clip.x + last);
    if (top < 0) top = y;
    bottom = y;
  }
  if (top < 0) return SDL_Rect{0, 0, 0, 0};
  return SDL_Rect{left, top, right - left + 1, bottom - top + 1};
}

void SdlWindow::SelectFont(std::string_view face, int points, int weight) {
  if (face == request_.face && points == request_.points && weight == request_.weight) return;
  request_ = FontRequest{std::string(face), points, weight};
  font_ = nullptr;
}

std::optional<std::uint32_t> SdlWindow::PixelAt(int x, int y) const {
  if (canvas_ == nullptr || x < 0 || y < 0 || x >= canvas_->w || y >= canvas_->h) return std::nullopt;
  const auto* row = static_cast<const std::uint8_t*>(canvas_->pixels) + static_cast<std::size_t>(y) * canvas_->pitch;
  const Uint32 pixel = reinterpret_cast<const Uint32*>(row)[x];
  Uint8 r, g, b;
  SDL_GetRGB(pixel, canvas_->format, &r, &g, &b);
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

TTF_Font* SdlWindow::CurrentFont() {
  if (font_ != nullptr) return font_;
  if (!ttfStarted_) return nullptr;
  // The panel switches fonts between its fields on every poll; a request met
  // before is answered without building the family list again.
  const auto requestKey = std::make_tuple(request_.face, request_.points, request_.weight);
  if (auto met = chosen_.find(requestKey); met != chosen_.end()) return font_ = met->second;
  font_ = ChooseFont();
  if (font_ != nullptr) chosen_.emplace(requestKey, font_);
  return font_;
}

TTF_Font* SdlWindow::ChooseFont() {
  const int pixels = PixelsFor(request_.points, dpi_);
  const int weightClass = request_.weight >= 600 ? 700 : 400;
  // The face asked for first, then the usual sans-serif faces; if that file
  // will not open, the usual faces alone.
  std::string families = request_.face;
  if (!families.empty()) families += ',';
  families += kFallbackFamilies;
  for (const std::string& list : {families, std::string(kFallbackFamilies)}) {
    auto key = std::make_pair(list, weightClass);
    auto known = found_.find(key);
    if (known == found_.end()) known = found_.emplace(key, fonts_.Find(list, weightClass)).first;
    if (known->second) {
      font_ = OpenFont(*known->second, pixels);
      if (font_ != nullptr) return font_;
    }
  }
  return nullptr;
}

TTF_Font* SdlWindow::OpenFont(const FontFile& file, int pixels) {
  auto key = std::make_tuple(file.path, file.index, pixels);
  auto open = opened_.find(key);
  if (open != opened_.end()) return open->second;
  // A file that fails to open is remembered as failed, not retried per print.
  TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), pixels, file.index);
  opened_.emplace(key, font);
  return font;
}

void SdlWindow::Present(const SDL_Rect* area) {
  if (window_ == nullptr || canvas_ == nullptr) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) return;
  SDL_Rect source = area != nullptr ? *area : SDL_Rect{0, 0, canvas_->w, canvas_->h};
  SDL_Rect target = source;
  if (SDL_BlitSurface(canvas_, &source, surface, &target) != 0 || target.w <= 0 || target.h <= 0) return;
  if (!SendToX11(target)) {
    SDL_UpdateWindowSurfaceRects(window_, &target, 1);
    // SDL's update waits for the server's answer and takes in whatever
    // events came meanwhile, where poll() cannot see them.
    pumpDue_ = true;
  }
  pixelsSent_ += static_cast<std::uint64_t>(target.w) * static_cast<std::uint64_t>(target.h);
}

void SdlWindow::ReleaseFonts() {
  for (auto& [key, font] : opened_) {
    if (font != nullptr) TTF_CloseFont(font);
  }
  opened_.clear();
  font_ = nullptr;
}

}  // namespace kelvaro

namespace kelvaro {

#if defined(KELVARO_DIRECT_X11)

struct SdlWindow::X11Output {
  Display* display = nullptr;
  ::Window window = 0;
  GC gc = nullptr;
  XImage* image = nullptr;  // over the panel image's pixels, not owning them
};

void SdlWindow::CloseX11Output(X11Output* output) {
  if (output == nullptr) return;
  if (output->image != nullptr) {
    output->image->data = nullptr;  // the pixels belong to the panel image
    XDestroyImage(output->image);
  }
  if (output->gc != nullptr) XFreeGC(output->display, output->gc);
  delete output;
}

void SdlWindow::OpenX11Output() {
  x11_.reset();
  if (window_ == nullptr || canvas_ == nullptr || canvas_->format->format != SDL_PIXELFORMAT_RGB888) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11 ||
      info.info.x11.display == nullptr) {
    return;
  }
  Display* display = info.info.x11.display;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0) return;
  // The panel image's pixels are 0x00RRGGBB words, which SDL's own update
  // sends as they are; the window's visual must take them so. (SDL prefers a
  // direct-colour visual where there is one, with a colour map that keeps
  // each value.)
  const Visual* visual = attributes.visual;
  if (visual == nullptr || (visual->c_class != TrueColor && visual->c_class != DirectColor) ||
      attributes.depth != 24 || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0x00FF00 || visual->blue_mask != 0x0000FF) {
    return;
  }
  std::unique_ptr<X11Output, X11OutputCloser> output(new X11Output);
  output->display = display;
  output->window = info.info.x11.window;
  output->image = XCreateImage(display, attributes.visual, 24, ZPixmap, 0, static_cast<char*>(canvas_->pixels),
                               static_cast<unsigned>(canvas_->w), static_cast<unsigned>(canvas_->h), 32,
                               canvas_->pitch);
  if (output->image == nullptr || output->image->bits_per_pixel != 32) return;
  // The words in this machine's byte order; Xlib reorders them for a server
  // that differs.
  output->image->byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
  output->gc = XCreateGC(display, output->window, 0, nullptr);
  if (output->gc == nullptr) return;
  x11_ = std::move(output);
}

bool SdlWindow::SendToX11(const SDL_Rect& area) {
  if (!x11_) return false;
  // The request carries the pixels, so nothing waits for the server; the
  // panel image may change right after.
  XPutImage(x11_->display, x11_->window, x11_->gc, x11_->image, area.x, area.y, area.x, area.y,
            static_cast<unsigned>(area.w), static_cast<unsigned>(area.h));
  XFlush(x11_->display);
  // Writing can take in events when the connection is busy.
  if (XEventsQueued(x11_->display, QueuedAlready) > 0) pumpDue_ = true;
  return true;
}

#else

struct SdlWindow::X11Output {};
void SdlWindow::CloseX11Output(X11Output* output) { delete output; }
void SdlWindow::OpenX11Output() {}
bool SdlWindow::SendToX11(const SDL_Rect&) { return false; }

#endif

}  // namespace kelvaro
