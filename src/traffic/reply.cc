#include "traffic/reply.h"

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
  panel.state.cat.radioConnected = true;
}

// "014250000" becomes " 14.250000", "000475000" "   .475000": the megahertz
// and a point, with blanks in place of leading zeros (always 10 characters).
std::string PanelFrequency(std::string_view digits) {
  std::string text = std::string(digits.substr(0, 3)) + "." + std::string(digits.substr(3, 6));
  std::size_t n = 0;
  while (n < text.size() && text[n] == '0') ++n;
  return std::string(n, ' ') + text.substr(n);
}

void SpeakPreampState(Panel& panel) {
  const PanelState& s = panel.state;
  PlayPhrase(panel, "preamp");
  if (s.radio.preampSetting > 0) {
    PlayPhrase(panel, s.radio.preampSetting == 1 ? "1" : "2");
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
  if (!s.cat.radioConnected) {
    AnnounceConnection(panel);
    return;
  }
  if (!IsFrequencyAnswer(s.cat.replyText)) return;

  s.cat.radioConnected = true;
  s.cat.lastFreqReply = Left(s.cat.replyText, 11);
  if (Left(s.cat.lastFreqReply, 2) == "FA") s.radio.vfoAText = "A" + Mid(s.cat.lastFreqReply, 3, 9);
  if (Left(s.cat.lastFreqReply, 2) == "FB") s.radio.vfoBText = "B" + Mid(s.cat.lastFreqReply, 3, 9);
  StoreBandRecord(panel);

  s.cat.replyText = Mid(s.cat.lastFreqReply, 3, 9);
  s.radio.frequencyHz = IntFromText(s.cat.replyText);
  s.cat.replyText = PanelFrequency(s.cat.replyText);
  DrawFrequency(panel);

  s.radio.frequencyText = s.cat.replyText;
  s.tick.pollPending = false;
  s.cat.replyText.clear();
  DrawStatusLine(panel);

  if (s.entry.quitPending > 0) ++s.entry.quitPending;
  if (s.entry.quitPending > 2) {
    SaveMemoryBanks(panel);
    s.entry.quitPending = 0;
    s.entry.runFlag = false;
    return;
  }
  if (s.cat.announcePending) {
    s.cat.announcePending = false;
    SpeakFrequency(panel);
    SpeakMode(panel);
    if (!s.entry.channelRecall) SpeakPreampState(panel);
  }
}

}  // namespace kelvaro
