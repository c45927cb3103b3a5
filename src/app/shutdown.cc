#include "app/shutdown.h"

#include "link/cat.h"
#include "memory/memory_banks.h"
#include "speech/phrase.h"
#include "state/debug_log.h"

namespace kelvaro {

void ShutDown(Panel& panel) {
  PanelState& s = panel.state;
  if (panel.window) panel.window->StopTimer();
  SaveMemoryBanks(panel);
  if (panel.window) panel.window->Close();
  if (s.config.powerOffAtExit == 1) {
    SendCommand(panel, "PS0");
    PauseBriefly(panel);  // time for the radio to take it before the port closes
  }
  panel.ports.ClosePort(s.config.comPort);
  CloseDebugLog(panel);
}

void EndAfterRefusal(Panel& panel) {
  PlayPhrase(panel, "rnftx.wav");
  ShutDown(panel);
  panel.processEnded = true;
}

}  // namespace kelvaro
