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
void ReturnAnswer(Panel& panel, const std::string& answer) {
  PanelState& s = panel.state;
  if (s.debugLog == 1) WriteLogLine(panel, "***VTX1=" + answer);
  panel.ports.WritePort(s.passThroughPort, answer);
  if (answer.size() > 5 && answer.compare(0, 2, "FA") == 0) {
    s.replyText = answer;
    InterpretReply(panel);
  }
}

// A mode set from the other program: the panel follows it (the radio sends
// no answer to it).
void FollowModeSet(Panel& panel, std::string_view sent) {
  PanelState& s = panel.state;
  if (Left(sent, 3) != "MD0" || CharAt(sent, 4) == ';') return;
  int32_t mode = PanelModeOfRadioCode(CharAt(sent, 4));
  if (mode == 0) return;
  s.radioMode = mode;
  if (mode == kFmWide) s.fmWide = 1;
  if (mode == kFmNarrow) s.fmWide = 0;
  ApplyMode(panel);
}

// The most commands relayed in one pass, so a flood cannot hold the panel:
// set commands go one after another, a query waits for its answer (which
// may come in this pass from a quick radio) before the next command goes.
constexpr int kMostPerPass = 16;

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
  RadioLink& link = panel.link;
  for (int pass = 0; pass < kMostPerPass; ++pass) {
    ReceiveAnswers(panel);
    while (!link.forRelay.empty()) {
      RoutedAnswer answer = std::move(link.forRelay.front());
      link.forRelay.pop_front();
      if (answer.ticket == link.relayTicket) link.relayTicket = 0;
      // A query the radio did not answer in time gets nothing back, as the
      // other program would see from the radio itself.
      if (!answer.text.empty()) ReturnAnswer(panel, answer.text);
    }
    if (link.relayTicket != 0) break;  // one query of theirs in flight at a time

    GatherBytes(panel);
    int end = Find(s.passThroughBuffer, ";");
    if (end < 1) break;
    s.passThroughSeen = 1;
    if (s.debugLog == 1) WriteLogLine(panel, "***VRX1=" + s.passThroughBuffer.str());
    const std::string command = Left(s.passThroughBuffer, end - 1);
    s.passThroughBuffer = Mid(s.passThroughBuffer, end + 1);  // the next commands wait
    const bool query = IsQueryCommand(command);
    const std::uint32_t ticket = SendFor(panel, command, Asker::kRelay, query);
    if (query) link.relayTicket = ticket;
    FollowModeSet(panel, s.commandText.view());
  }
  s.passThroughChunk.clear();
}

}  // namespace kelvaro
