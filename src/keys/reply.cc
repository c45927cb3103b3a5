#include "keys/reply.h"

#include "controls/settings.h"
#include "display/panel_display.h"
#include "memory/band_records.h"
#include "memory/memory_banks.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

void AnnounceConnection(Panel& panel) {
  SpeakFrequency(panel);
  SpeakMode(panel);
  ApplyPreamp(panel);
  PlayPhrase(panel, "connected");
  panel.state.radioConnected = true;
}

// "014250000" becomes " 14.250000", "000475000" "   .475000": the megahertz
// and a point, with blanks in place of leading zeros (always 10 characters).
std::string PanelFrequency(std::string_view digits) {
  std::string text = std::string(digits.substr(0, 3)) + "." + std::string(digits.substr(3, 6));
  std::size_t n = 0;
  while (n < text.size() && text[n] == '0') ++n;
  return std::string(n, ' ') + text.substr(n);
}

void ShowFrequency(Panel& panel) {
  const PanelState& s = panel.state;
  panel.screen.SetPosition(80, 150);
  if (s.splitOn && s.repeaterOn == RepeaterState::kOff) panel.screen.Print("B   ");
  panel.screen.Print(s.repeaterOn == RepeaterState::kOn ? "R   " : "    ");
  if (!s.splitOn) panel.screen.Print("    ");
  panel.screen.SetPosition(285, 150);
  panel.screen.Print(s.replyText.str() + std::string(13, ' '));
}

void SpeakPreampState(Panel& panel) {
  const PanelState& s = panel.state;
  PlayPhrase(panel, "preamp");
  if (s.preampSetting > 0) {
    PlayPhrase(panel, s.preampSetting == 1 ? "1" : "2");
    PlayPhrase(panel, "on");
  } else {
    PlayPhrase(panel, "off");
  }
}

}  // namespace

bool IsFrequencyAnswer(std::string_view text) {
  if (text.size() < 12 || (text.substr(0, 2) != "FA" && text.substr(0, 2) != "FB")) return false;
  for (std::size_t i = 2; i < 11; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return text[11] == ';';
}

void InterpretReply(Panel& panel) {
  PanelState& s = panel.state;
  if (!s.radioConnected) {
    AnnounceConnection(panel);
    return;
  }
  if (!IsFrequencyAnswer(s.replyText)) return;

  s.radioConnected = true;
  s.lastFreqReply = Left(s.replyText, 11);
  if (Left(s.lastFreqReply, 2) == "FA") s.vfoAText = "A" + Mid(s.lastFreqReply, 3, 9);
  if (Left(s.lastFreqReply, 2) == "FB") s.vfoBText = "B" + Mid(s.lastFreqReply, 3, 9);
  StoreBandRecord(panel);

  s.replyText = Mid(s.lastFreqReply, 3, 9);
  s.frequencyHz = IntFromText(s.replyText);
  s.replyText = PanelFrequency(s.replyText);
  ShowFrequency(panel);

  s.frequencyText = s.replyText;
  s.pollPending = false;
  s.replyText.clear();
  DrawStatusLine(panel);

  if (s.quitPending > 0) ++s.quitPending;
  if (s.quitPending > 2) {
    SaveMemoryBanks(panel);
    s.quitPending = 0;
    s.runFlag = false;
    return;
  }
  if (s.announcePending) {
    s.announcePending = false;
    SpeakFrequency(panel);
    SpeakMode(panel);
    if (!s.channelRecall) SpeakPreampState(panel);
  }
}

}  // namespace kelvaro
