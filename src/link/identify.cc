#include "link/identify.h"

#include "app/debug_log.h"
#include "link/cat.h"
#include "memory/memory_banks.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

// The shortened shutdown after a refused identity.
void EndAfterRefusal(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "rnftx.wav");
  if (panel.window) panel.window->StopTimer();
  SaveMemoryBanks(panel);
  if (panel.window) panel.window->Close();
  if (s.powerOffAtExit == 1) {
    s.commandText = "PS0";
    SendCommand(panel);
    PauseBriefly(panel);
  }
  panel.ports.ClosePort(s.comPort);
  CloseDebugLog(panel);
  panel.processEnded = true;
}

}  // namespace

void IdentifyRadio(Panel& panel) {
  PanelState& s = panel.state;
  s.commandText = "ID";
  SendCommand(panel);
  PauseBriefly(panel);
  ReadReply(panel);
  s.scratchInt = Find(s.replyText, "ID");
  s.radioId = 0;
  if (s.scratchInt > 0) s.radioId = IntFromText(Mid(s.replyText, s.scratchInt + 2, 4));
  if (s.radioId != 840) {
    EndAfterRefusal(panel);
    return;
  }
}

}  // namespace kelvaro
