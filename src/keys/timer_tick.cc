#include "keys/timer_tick.h"

#include "controls/swr.h"
#include "keys/passthrough.h"
#include "keys/radio_return.h"
#include "keys/reply.h"
#include "link/cat.h"
#include "speech/speak.h"
#include "state/debug_log.h"

namespace kelvaro {
namespace {

void SendPhase(Panel& panel) {
  PanelState& s = panel.state;
  if (s.passThroughPort > 0) RelayPassThrough(panel);
  std::string poll = "FA";
  if (s.pollAlternate == 1) {
    poll = (s.tuneActive == 1 || s.txState != TxState::kReceiving) ? "RM6" : "SM0";
    // During the mic-gain watch the meter slot reads the mic meter, whose
    // peaks the reply phase reports.
    if (WatchesPeaks(s.micGainWatch)) poll = "RM4";
  }
  s.pollAlternate = 1 - s.pollAlternate;
  if (poll != "RM6") SendFor(panel, poll, Asker::kPoll, true);
  s.pollPending = 1;
}

// The three characters after a code found at position p, as a number.
int32_t ReadingAfter(std::string_view reply, int p) { return IntFromText(Mid(reply, p + 3, 3)); }

// One answer of the poll, or one the radio sent by itself.
void HandleAnswer(Panel& panel, const RoutedAnswer& answer) {
  PanelState& s = panel.state;
  s.replyText = answer.text;
  // A key handled between the poll and now may have changed band, frequency
  // or VFO; the answer then tells where the radio was, and taking it would put
  // the old frequency back on the panel and into the new band's record. The
  // next poll brings the current one.
  const bool current = answer.sentNumber == panel.link.otherCommandsSent;
  std::string code = Left(s.replyText, 2);
  if ((code == "FA" || code == "FB") && current) InterpretReply(panel);
  if (Left(s.replyText, 2) == "SM") {
    // Shown on the panel on every poll, but spoken only on request.
    s.sMeterValue = IntFromText(Mid(s.replyText, 4, 3));
    ShowSMeter(panel);
  }
  int p = Find(s.replyText, "RM6");
  if (p > 0) {
    std::string reading = Mid(s.replyText, p + 3, 3);
    if (s.txState != TxState::kReceiving && s.txHoldoff == 0) {
      // Peak hold while transmitting.
      if (IntFromText(reading) > IntFromText(s.txMeterText)) s.txMeterText = reading;
    } else {
      s.txMeterText = reading;
    }
    if (s.txState == TxState::kReceiving) SpeakSwr(panel);
    if (s.txHoldoff > 0) --s.txHoldoff;
  }
  p = Find(s.replyText, "RM4");
  if (p > 0 && WatchesPeaks(s.micGainWatch)) {
    int32_t reading = ReadingAfter(s.replyText, p);
    if (reading > s.meterPeak) s.meterPeak = reading;
    if (s.tickCount > 10) SpeakMeterPeak(panel);
  }
}

// Handles what arrived for the tick since the last reply phase: the poll's
// answers and those nobody asked for, in the order they came.
void ReplyPhase(Panel& panel) {
  panel.state.pollPending = 0;
  ReceiveAnswers(panel);
  const bool heard = panel.link.heard;
  panel.link.heard = false;
  // Only what is there now: answers taken while a report speaks wait for the
  // next reply phase.
  std::deque<RoutedAnswer> answers;
  answers.swap(panel.link.forTick);
  if (!WatchRadioPresence(panel, heard)) return;
  for (const RoutedAnswer& answer : answers) HandleAnswer(panel, answer);
}

}  // namespace

void TimerTick(Panel& panel) {
  PanelState& s = panel.state;
  if (s.menuReadBusy == 1) return;
  if (++s.tickCount > 20) s.tickCount = 0;
  if (s.pollPending == 1) {
    ReplyPhase(panel);
  } else {
    SendPhase(panel);
  }
}

}  // namespace kelvaro
