#include "traffic/passthrough.h"

#include <algorithm>

#include "controls/modes.h"
#include "traffic/reply.h"
#include "link/cat.h"
#include "state/debug_log.h"
#include "state/radio_tables.h"

namespace kelvaro {
namespace {

// Takes what is waiting on the pass-through port into passThroughBuffer. While
// the buffer still holds a whole command nothing is read, and never more than
// the room left, so no command is cut or glued to the next one; the rest
// waits in the port.
void GatherBytes(Panel& panel) {
  PanelState& s = panel.state;
  if (Find(s.cat.passThroughBuffer, ";") > 0) return;
  if (panel.ports.BytesWaiting(s.config.passThroughPort) < 1) return;
  const int room = static_cast<int>(Text::kMax - s.cat.passThroughBuffer.size());
  s.cat.passThroughChunk = panel.ports.ReadPort(s.config.passThroughPort, std::min(255, room));
  s.cat.passThroughBuffer += s.cat.passThroughChunk.view();
  if (Find(s.cat.passThroughBuffer, ";") < 1 && s.cat.passThroughBuffer.size() >= Text::kMax) {
    // No command can end in a full buffer: start again with what comes next.
    s.cat.passThroughBuffer.clear();
  }
}

}  // namespace

// The radio sends no answer to a mode set: the panel follows what was sent,
// as the M key would, but leaves the radio's mode and frequency alone.
void FollowModeSet(Panel& panel, std::string_view sent) {
  PanelState& s = panel.state;
  if (Left(sent, 3) != "MD0" || CharAt(sent, 4) == ';') return;
  // A data mode counts as the voice mode under it; a mode the panel has
  // nothing near is left alone.
  const RadioMode* row = RadioModeOfCode(CharAt(sent, 4));
  if (row == nullptr || row->panelMode == 0) return;
  const int32_t mode = row->panelMode;
  s.radio.radioMode = mode;
  if (mode == kFmWide) s.radio.fmWide = true;
  if (mode == kFmNarrow) s.radio.fmWide = false;
  FollowMode(panel);
}

namespace {

// A frequency answer the other program asked for: the panel takes it.
void FollowFrequencyAnswer(Panel& panel, const std::string& answer) {
  panel.state.cat.replyText = answer;
  InterpretReply(panel);
}

// The most commands relayed in one pass, so a flood cannot hold the panel:
// set commands go one after another, a query waits for its answer (which
// may come in this pass from a quick radio) before the next command goes.
constexpr int kMostPerPass = 16;

}  // namespace

namespace {

// Moves the other program's traffic: its answers back, its next commands out.
// With `follow` the panel follows a mode set or a frequency answer at once;
// without (while a report is spoken) that waits in relayFollows.
void RelayTraffic(Panel& panel, bool follow) {
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
      if (answer.text.empty()) continue;
      if (s.config.debugLog == 1) WriteLogLine(panel, "***VTX1=" + answer.text);
      panel.ports.WritePort(s.config.passThroughPort, answer.text);
      if (answer.text.size() > 5 && answer.text.compare(0, 2, "FA") == 0) {
        if (follow) {
          FollowFrequencyAnswer(panel, answer.text);
        } else {
          link.followFrequency = answer.text;
        }
      }
    }
    if (link.relayTicket != 0) break;  // one query of theirs in flight at a time

    GatherBytes(panel);
    int end = Find(s.cat.passThroughBuffer, ";");
    if (end < 1) break;
    s.cat.passThroughSeen = true;
    if (s.config.debugLog == 1) WriteLogLine(panel, "***VRX1=" + s.cat.passThroughBuffer.str());
    const std::string command = Left(s.cat.passThroughBuffer, end - 1);
    s.cat.passThroughBuffer = Mid(s.cat.passThroughBuffer, end + 1);  // the next commands wait
    const bool query = IsQueryCommand(command);
    const std::uint32_t ticket = SendFor(panel, command, Asker::kRelay, query);
    if (query) link.relayTicket = ticket;
    if (follow) {
      FollowModeSet(panel, s.cat.commandText.view());
    } else if (Left(s.cat.commandText, 3) == "MD0" && CharAt(s.cat.commandText, 4) != ';') {
      link.followMode = s.cat.commandText.str();
    }
  }
  s.cat.passThroughChunk.clear();
}

}  // namespace

void RelayPassThrough(Panel& panel) {
  RadioLink& link = panel.link;
  // The frequency first: a mode change sends the panel's frequency again.
  if (!link.followFrequency.empty()) {
    const std::string answer = std::move(link.followFrequency);
    link.followFrequency.clear();
    FollowFrequencyAnswer(panel, answer);
  }
  if (!link.followMode.empty()) {
    const std::string mode = std::move(link.followMode);
    link.followMode.clear();
    FollowModeSet(panel, mode);
  }
  RelayTraffic(panel, true);
}

void RelayWhileSpeaking(Panel& panel) {
  PanelState& s = panel.state;
  if (s.config.passThroughPort <= 0 || s.tick.menuReadBusy) return;
  const KeepExchangeTexts kept(s);
  RelayTraffic(panel, false);
}

}  // namespace kelvaro
