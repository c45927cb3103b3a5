#include "traffic/timer_tick.h"

#include <algorithm>

#include "controls/swr.h"
#include "display/panel_display.h"
#include "traffic/passthrough.h"
#include "traffic/radio_return.h"
#include "traffic/reply.h"
#include "link/cat.h"
#include "speech/speak.h"
#include "state/debug_log.h"

namespace kelvaro {
namespace {

void SendPhase(Panel& panel) {
  PanelState& s = panel.state;
  if (s.config.passThroughPort > 0) RelayPassThrough(panel);
  std::string poll = "FA";
  if (s.tick.pollAlternate) {
    poll = (s.tick.tuneActive || s.tick.txState != TxState::kReceiving) ? "RM6" : "SM0";
    // During the mic-gain watch the meter slot reads the mic meter, whose
    // peaks the reply phase reports.
    if (WatchesPeaks(s.tick.micGainWatch)) poll = "RM4";
  }
  s.tick.pollAlternate = !s.tick.pollAlternate;
  if (poll != "RM6") SendFor(panel, poll, Asker::kPoll, true);
  s.tick.pollPending = true;
}

// The three characters after a code found at position p, as a number.
int32_t ReadingAfter(std::string_view reply, int p) { return IntFromText(Mid(reply, p + 3, 3)); }

// One answer of the poll, or one the radio sent by itself.
void HandleAnswer(Panel& panel, const RoutedAnswer& answer) {
  PanelState& s = panel.state;
  s.cat.replyText = answer.text;
  // A key handled between the poll and now may have changed band, frequency
  // or VFO; the answer then tells where the radio was, and taking it would put
  // the old frequency back on the panel and into the new band's record. The
  // next poll brings the current one.
  const bool current = answer.sentNumber == panel.link.otherCommandsSent;
  std::string code = Left(s.cat.replyText, 2);
  if ((code == "FA" || code == "FB") && current) InterpretReply(panel);
  if (Left(s.cat.replyText, 2) == "SM") {
    // Shown on the panel on every poll, but spoken only on request.
    s.tick.sMeterValue = IntFromText(Mid(s.cat.replyText, 4, 3));
    DrawSMeter(panel);
  }
  int p = Find(s.cat.replyText, "RM6");
  if (p > 0) {
    std::string reading = Mid(s.cat.replyText, p + 3, 3);
    if (s.tick.txState != TxState::kReceiving && s.tick.txHoldoff == 0) {
      // Peak hold while transmitting.
      if (IntFromText(reading) > IntFromText(s.tick.txMeterText)) s.tick.txMeterText = reading;
    } else {
      s.tick.txMeterText = reading;
    }
    if (s.tick.txState == TxState::kReceiving) SpeakSwr(panel);
    if (s.tick.txHoldoff > 0) --s.tick.txHoldoff;
  }
  p = Find(s.cat.replyText, "RM4");
  if (p > 0 && WatchesPeaks(s.tick.micGainWatch)) {
    int32_t reading = ReadingAfter(s.cat.replyText, p);
    if (reading > s.tick.meterPeak) s.tick.meterPeak = reading;
    if (s.tick.tickCount > 10) SpeakMeterPeak(panel);
  }
}

// Handles what arrived for the tick since the last reply phase: the poll's
// answers and those nobody asked for, in the order they came.
void ReplyPhase(Panel& panel) {
  panel.state.tick.pollPending = false;
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

bool ConnectingAnswerAwaited(const Panel& panel) {
  const PanelState& s = panel.state;
  return !s.cat.radioConnected && s.tick.pollPending && !s.tick.menuReadBusy;
}

void TakeConnectingAnswer(Panel& panel) {
  if (!ConnectingAnswerAwaited(panel)) return;
  const auto& answers = panel.link.forTick;
  if (std::any_of(answers.begin(), answers.end(), [](const RoutedAnswer& a) { return a.asker == Asker::kPoll; })) {
    ReplyPhase(panel);
  }
}

void TimerTick(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tick.menuReadBusy) return;
  if (++s.tick.tickCount > 20) s.tick.tickCount = 0;
  s.tick.countRestarted = false;
  if (s.tick.pollPending) {
    ReplyPhase(panel);
  } else {
    SendPhase(panel);
  }
}

}  // namespace kelvaro
