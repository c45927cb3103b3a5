#include "link/passthrough.h"

#include <algorithm>

#include "app/debug_log.h"
#include "controls/modes.h"
#include "link/cat.h"
#include "link/reply.h"

namespace kelvaro {
namespace {

// Takes what is waiting on the pass-through port into passThroughBuffer. While
// the buffer still holds a whole command nothing is read, and never more than
// the room left, so no command is cut or glued to the next one; the rest
// waits in the port.
void GatherBytes(Panel& panel) {
  PanelState& s = panel.state;
  if (Find(s.passThroughBuffer, ";") > 0) return;
  s.bytesWaiting = panel.ports.BytesWaiting(s.passThroughPort);
  if (s.bytesWaiting < 1) return;
  const int room = static_cast<int>(Text::kMax - s.passThroughBuffer.size());
  s.passThroughChunk = panel.ports.ReadPort(s.passThroughPort, std::min(255, room));
  s.passThroughBuffer += s.passThroughChunk.view();
  if (Find(s.passThroughBuffer, ";") < 1 && s.passThroughBuffer.size() >= Text::kMax) {
    // No command can end in a full buffer: start again with what comes next.
    s.passThroughBuffer.clear();
  }
}

// Writes the radio's answer back to the other program; a frequency answer
// also goes to the panel.
void ReturnAnswer(Panel& panel) {
  PanelState& s = panel.state;
  if (s.debugLog == 1) WriteLogLine(panel, "***VTX1=" + s.replyText.str());
  panel.ports.WritePort(s.passThroughPort, s.replyText);
  int end = Find(s.replyText, ";");
  int start = Find(s.replyText, "FA");
  if (start < 1) return;
  int length = end + 1 - start;
  s.replyText = length < 0 ? Mid(s.replyText, start) : Mid(s.replyText, start, length);
  if (s.replyText.size() > 5) InterpretReply(panel);
}

}  // namespace

int32_t PanelModeOfRadioCode(char code) {
  switch (code) {
    case '1': return kLsb;
    case '2': return kUsb;
    case '3': return kCw;
    case '4': return kFmWide;
    case '5': return kAm;
    case 'B': return kFmNarrow;
    case 'H': return kC4fm;
    default: return 0;
  }
}

void RelayPassThrough(Panel& panel) {
  PanelState& s = panel.state;
  GatherBytes(panel);
  int end = Find(s.passThroughBuffer, ";");
  if (end < 1) return;

  s.passThroughSeen = 1;
  if (s.debugLog == 1) WriteLogLine(panel, "***VRX1=" + s.passThroughBuffer.str());
  s.commandText = Left(s.passThroughBuffer, end - 1);
  s.passThroughBuffer = Mid(s.passThroughBuffer, end + 1);  // the next commands wait
  SendCommand(panel);

  std::string_view sent = s.commandText;
  if (Left(sent, 3) == "MD0" && CharAt(sent, 4) != ';') {
    // A mode set: the panel follows it; the radio sends no answer.
    int32_t mode = PanelModeOfRadioCode(CharAt(sent, 4));
    if (mode != 0) {
      s.radioMode = mode;
      if (mode == kFmWide) s.fmWide = 1;
      if (mode == kFmNarrow) s.fmWide = 0;
      ApplyMode(panel);
    }
  } else {
    PauseBriefly(panel);
    ReadReply(panel);
    if (!s.replyText.empty() && s.replyText != ";") ReturnAnswer(panel);
  }
  s.passThroughChunk.clear();
}

}  // namespace kelvaro
