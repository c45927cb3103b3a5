#include "app/startup.h"

#include <string>

#include "app/config.h"
#include "app/identify.h"
#include "app/network.h"
#include "app/radio_check.h"
#include "app/shutdown.h"
#include "display/frequency_text.h"
#include "display/panel_display.h"
#include "keys/message.h"
#include "traffic/passthrough.h"
#include "traffic/timer_tick.h"
#include "link/cat.h"
#include "memory/memory_banks.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "state/debug_log.h"
#include "state/radio_tables.h"
#include "platform/operator_messages.h"
#include "state/version.h"

namespace kelvaro {
namespace {

constexpr int kTimerPeriodMs = 50;
void SetFixedTexts(PanelState& s) {
  s.config.versionText = kVersion;
  s.config.titleText = "*** Kelvaro V " + s.config.versionText.str() + " ***";
  s.config.waveFolder = "wave\\";
}

// Gives every field its start value; the configuration, read before, stays.
void ResetState(PanelState& s) {
  PanelState fresh;
  fresh.config = std::move(s.config);
  s = std::move(fresh);
}

void FillFactoryContents(PanelState& s) {
  for (int band = 1; band <= kBandCount; ++band) s.banks.bandRecords[band] = BandRow(band)->defaultRecord;
  for (int mode = 1; mode <= 7; ++mode) s.radio.modeCommands[mode] = ModeCommand(mode);
  for (auto& channel : s.banks.memoryChannels) channel = "9";
}

}  // namespace

void InitialisePanel(Panel& panel) {
  PanelState& s = panel.state;
  DrawTitleAndHelp(panel);

  OpenDebugLog(panel);
  ResetState(s);
  FillFactoryContents(s);
  LoadMemoryBanks(panel);
  OpenPortSequence(panel, s.config.comPort);

  if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount) s.radio.bandIndex = kBand40m;
  s.cat.commandText = "F" + ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).vfoA;
  s.radio.frequencyText = FrequencyTextOf(s.cat.commandText);

  SendCommand(panel, "VS0");
}

int RunProgram(Panel& panel, Window& window, const AfterConfiguration& afterConfiguration, LoopService* service) {
  PanelState& s = panel.state;
  SetFixedTexts(s);
  std::string why;
  if (!window.Open("*** Kelvaro v" + s.config.versionText.str() + " ***", 250, 100, 950, 500, &why)) {
    if (!why.empty()) TellOperator(why);
    TellOperator("the window cannot be opened (is there a display?)");
    return 1;
  }
  panel.window = &window;

  // The announcement plays on while the configuration is read and the radio
  // asked who it is: the radio's first answers need not wait for its words.
  // The next phrase follows it, whatever it is.
  for (const char* phrase : {"ftx.wav", "3.wav", "point", "5"}) PlayPhraseQueued(panel, phrase);

  std::string configFailure;
  if (!ReadConfiguration(panel, &configFailure)) {
    PlayPhrase(panel, "cfgnf");
    window.Close();
    return ReportConfigurationFailure(panel, configFailure, OperatorStream());
  }
  if (afterConfiguration) afterConfiguration(panel);

  InitialisePanel(panel);
  IdentifyRadio(panel);
  // A refused radio ends the program: say which of the causes it was.
  if (panel.processEnded) return ReportRefusedRadio(panel, OperatorStream());

  // Other programs' traffic keeps moving while the panel speaks.
  if (s.config.passThroughPort > 0 || service != nullptr) {
    panel.voice.SetWhileWaiting([&panel, service] {
      RelayWhileSpeaking(panel);
      if (service != nullptr) service->WhileSpeaking();
    });
  }
  window.StartTimer(kTimerPeriodMs);
  s.entry.runFlag = true;
  while (s.entry.runFlag) {
    // Descriptors change when a port is reopened; they are asked for anew.
    // The radio's answers wake the loop only when another program waits for
    // one, or for the answer that connects the radio (the tick reads the rest
    // at its reply phase); the other program's next bytes are taken once its
    // query is answered.
    const bool relayFree = s.config.passThroughPort > 0 && panel.link.relayTicket == 0;
    const bool answerAwaited = AnswerAwaitedBeyondTick(panel.link) || ConnectingAnswerAwaited(panel);
    std::vector<Waitable> inputs{
        answerAwaited ? panel.ports.InputHandle(s.config.comPort) : kNoWaitable,
        relayFree ? panel.ports.InputHandle(s.config.passThroughPort) : kNoWaitable};
    if (service != nullptr) {
      const std::vector<Waitable> more = service->Inputs();
      inputs.insert(inputs.end(), more.begin(), more.end());
    }
    window.WatchInputs(std::move(inputs));
    HandleWindowMessage(panel, window.NextMessage());
    if (panel.link.identityWanted) ReidentifyRadio(panel, OperatorStream());
    if (service != nullptr && s.entry.runFlag) service->Service();
  }

  panel.voice.SetWhileWaiting({});
  ShutDown(panel);
  return 0;
}

}  // namespace kelvaro
