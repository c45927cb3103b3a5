#include "keys/message.h"

#include "keys/key_rules.h"
#include "traffic/passthrough.h"
#include "traffic/timer_tick.h"
#include "link/cat.h"
#include "state/debug_log.h"

namespace kelvaro {
namespace {

void HandleKeyDown(Panel& panel, int code) {
  PanelState& s = panel.state;
  if (s.entry.keyHeld) return;  // auto-repeat, or a second key before the key-up
  s.entry.keyCode = code;
  s.entry.keyHeld = true;
  s.cat.passThroughSeen = false;
  if (s.config.debugLog == 1) WriteLogLine(panel, KeyLogLine(code));
  RunKeyRules(panel);
}

}  // namespace

void HandleWindowMessage(Panel& panel, const WindowMessage& message) {
  switch (message.code) {
    case kMsgClose:
      panel.state.entry.runFlag = false;
      return;
    case kMsgTimer:
      TimerTick(panel);
      break;
    case kMsgKeyDown:
      HandleKeyDown(panel, message.param);
      break;
    case kMsgKeyUp:
      panel.state.entry.keyHeld = false;
      return;
    case kMsgInput:
      ReceiveAnswers(panel);
      TakeConnectingAnswer(panel);
      break;
    default:
      return;
  }
  // The other program's commands go to the radio as soon as they are whole
  // and its answers back as soon as they are in, not only on the poll.
  if (panel.state.config.passThroughPort > 0 && !panel.state.tick.menuReadBusy) RelayPassThrough(panel);
}

}  // namespace kelvaro
