// The panel's one window as a source of messages.
//
// The main loop takes one message at a time and hands it to the message
// handler. Codes follow the window system the panel was designed on.
#pragma once

#include <string_view>
#include <vector>

#include "platform/waitable.h"

namespace kelvaro {

constexpr int kMsgKeyDown = 0x100;
constexpr int kMsgKeyUp = 0x101;
constexpr int kMsgTimer = 0x113;
constexpr int kMsgClose = 0x8002;
// Bytes (or a hang-up) on one of the watched input handles.
constexpr int kMsgInput = 0x0401;

struct WindowMessage {
  int code = 0;
  int param = 0;  // the virtual-key code for key messages
};

class Window {
 public:
  virtual ~Window() = default;

  // Opens the window (not resizable) and shows it. Returns false on failure,
  // with the window system's words for it in `*why` (when given).
  virtual bool Open(std::string_view caption, int x, int y, int width, int height, std::string* why) = 0;
  // Waits for the next message and returns it. Key-repeat events are not
  // key-downs of their own; at most one timer message is ever pending. While
  // waiting, input on a watched handle also ends the wait, as kMsgInput.
  virtual WindowMessage NextMessage() = 0;
  // The handles (of the ports and connections) NextMessage also waits on;
  // kNoWaitable entries are ignored. They stay watched until the next call.
  virtual void WatchInputs(std::vector<Waitable> handles) { (void)handles; }
  // Starts (or restarts) the periodic timer. Its first tick is due at once:
  // the panel's first poll then follows the start-up without a period's wait.
  virtual void StartTimer(int periodMs) = 0;
  virtual void StopTimer() = 0;
  virtual void Close() = 0;
};

}  // namespace kelvaro
