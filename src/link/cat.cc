#include "link/cat.h"

#include <chrono>

#include "app/debug_log.h"
#include "speech/phrase.h"

namespace kelvaro {

void SendCommand(Panel& panel) {
  PanelState& s = panel.state;
  if (s.splitOn == 1 && Left(s.commandText, 2) == "FA") {
    s.commandText = "FB" + Mid(s.commandText, 3);
  }
  s.commandText += ";";
  std::string_view sent = s.commandText;
  if ((Left(sent, 2) == "FA" || Left(sent, 2) == "FB") && sent.size() > 5) {
    s.lastFrequencyCommand = sent;
    // The radio is now where this command put it: a band record stored before
    // its next answer arrives belongs to this frequency, not the one before.
    if (sent.size() == 12 && OnlyDigits(sent.substr(2, 9))) s.lastFreqReply = Left(sent, 11);
  }
  panel.ports.WritePort(s.comPort, sent);
  s.commandsSent = static_cast<int32_t>(static_cast<uint32_t>(s.commandsSent) + 1u);
  if (s.debugLog == 1) WriteLogLine(panel, "TX=" + s.commandText.str());
}

void PauseBriefly(Panel& panel) {
  if (!PlayPhrase(panel, "delay")) panel.clock.Sleep(std::chrono::milliseconds(100));
}

void ReadReply(Panel& panel) {
  PanelState& s = panel.state;
  s.replyText.clear();
  s.bytesWaiting = panel.ports.BytesWaiting(s.comPort);
  if (s.bytesWaiting >= 1) {
    s.replyText = panel.ports.ReadPort(s.comPort, 255);
    s.bytesWaiting = static_cast<int32_t>(s.replyText.size());
  }
  if (s.debugLog == 1 && !s.replyText.empty()) WriteLogLine(panel, "RX=" + s.replyText.str());
}

void OpenPortSequence(Panel& panel, int port) {
  const PanelState& s = panel.state;
  panel.ports.ClosePort(port);
  panel.ports.OpenPort(port, s.baudRate);
  panel.ports.SetReadTimeouts(port, -1);
  panel.ports.SetLineFormat(port, s.portDataBits, s.portParity, s.portStopBits);
}

}  // namespace kelvaro
