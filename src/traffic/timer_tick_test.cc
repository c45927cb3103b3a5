#include "traffic/timer_tick.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "keys/message.h"
#include "link/cat.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

struct Ticking : ControlPanel {
  Ticking() {
    ports.SetResponder(kPort, [this](std::string_view bytes) { return radio.Feed(bytes); });
    radio.Feed("FA014250000;");
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) TimerTick(panel);
  }
  ftx1sim::Radio radio;
};

TEST(TimerTick, PollsFrequencyAndMeterInTurnAndReadsBetween) {
  Ticking t;
  PanelState& s = t.panel.state;
  s.cat.radioConnected = false;
  t.Tick();
  EXPECT_EQ(t.TakeSent(), Strings{"FA;"});
  t.Tick();  // the reply phase: the first answer announces the connection
  EXPECT_EQ(t.TakeSent(), Strings{"PA00;"});  // with the preamp applied
  EXPECT_TRUE(s.cat.radioConnected);
  EXPECT_EQ(t.TakeSpoken().back(), "connected");
  t.radio.Control("signal 120");
  t.Tick();
  EXPECT_EQ(t.TakeSent(), Strings{"SM0;"});
  t.Tick();  // the S-meter is shown, not spoken
  EXPECT_EQ(s.tick.sMeterValue, 120);
  EXPECT_EQ(t.screen.TextAt(750, 45), "S8  ");
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_EQ(s.config.waveFolder, "wave\\");
  t.radio.Control("dial +1000");
  t.Tick(2);  // the dial turned on the radio reaches the panel
  EXPECT_EQ(s.radio.frequencyHz, 14251000);
  EXPECT_EQ(s.radio.frequencyText, " 14.251000");
}

TEST(TimerTick, UntilConnectedThePollsAnswerIsTakenWhenItArrives) {
  Ticking t;
  PanelState& s = t.panel.state;
  s.cat.radioConnected = false;
  t.radio.Control("signal 120");
  HandleWindowMessage(t.panel, {kMsgInput, 0});  // nothing polled yet
  EXPECT_TRUE(t.TakeSpoken().empty());
  t.Tick();
  EXPECT_EQ(t.TakeSent(), Strings{"FA;"});
  EXPECT_TRUE(ConnectingAnswerAwaited(t.panel));
  HandleWindowMessage(t.panel, {kMsgInput, 0});  // its answer is in: no tick needed
  EXPECT_TRUE(s.cat.radioConnected);
  EXPECT_EQ(t.TakeSpoken().back(), "connected");
  EXPECT_FALSE(ConnectingAnswerAwaited(t.panel));
  t.Tick();  // the next tick polls again
  EXPECT_EQ(t.TakeSent(), (Strings{"PA00;", "SM0;"}));
  HandleWindowMessage(t.panel, {kMsgInput, 0});  // connected: the tick reads it
  EXPECT_EQ(s.tick.sMeterValue, 0);
  t.Tick();
  EXPECT_EQ(s.tick.sMeterValue, 120);
}

TEST(TimerTick, FrequencyAnswerOvertakenByAKeyIsNotTaken) {
  Ticking t;
  PanelState& s = t.panel.state;
  t.Tick(2);
  ASSERT_EQ(s.radio.frequencyHz, 14250000);
  t.Tick(2);  // the meter poll and its reading
  t.Tick();   // "FA;" is answered with 14.250 MHz ...
  SendCommand(t.panel, "BS003");  // ... but a band key goes out before it is read
  SendCommand(t.panel, "FA007100000");
  const std::string record = s.banks.bandRecords[kBand20m].str();
  t.Tick();
  EXPECT_EQ(s.radio.frequencyHz, 14250000);  // the stale answer changed nothing
  EXPECT_EQ(s.banks.bandRecords[kBand20m], record);
  t.Tick(4);  // the next frequency poll brings the new frequency
  EXPECT_EQ(s.radio.frequencyHz, 7100000);
}

TEST(TimerTick, TickCountWrapsAfterTwenty) {
  Ticking t;
  PanelState& s = t.panel.state;
  std::vector<int> counts;
  for (int i = 0; i < 22; ++i) {
    t.Tick();
    counts.push_back(s.tick.tickCount);
  }
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[19], 20);
  EXPECT_EQ(counts[20], 0);
  EXPECT_EQ(counts[21], 1);
  s.tick.menuReadBusy = true;  // quiet while a menu value is exchanged
  t.TakeSent();
  t.Tick(4);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(s.tick.tickCount, 1);
}

TEST(TimerTick, TransmittingLeavesTheMeterSlotEmptyAndHoldsThePeak) {
  Ticking t;
  PanelState& s = t.panel.state;
  s.tick.txState = TxState::kTransmitting;
  s.tick.txHoldoff = 2;
  t.Tick(8);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA;", "FA;"}));
  // Readings that arrive (from an SWR query) are held at their peak once the
  // hold-off has passed.
  for (const char* reading : {"RM6040000;", "RM6030000;", "RM6090000;", "RM6050000;"}) {
    t.ports.Receive(5, reading);
    s.tick.pollPending = true;
    t.Tick();
  }
  EXPECT_EQ(s.tick.txHoldoff, 0);
  EXPECT_EQ(s.tick.txMeterText, "090");
  EXPECT_TRUE(t.TakeSpoken().empty());  // no SWR report while transmitting
}

TEST(TimerTick, MicGainWatchPollsTheMicMeterAndReportsPeaks) {
  Ticking t;
  PanelState& s = t.panel.state;
  s.tick.micGainWatch = MicGainWatch::kStarted;
  s.tick.txState = TxState::kTransmitting;
  t.radio.Control("ptt on");
  t.Tick(3);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA;", "RM4;"}));
  t.Tick(9);
  EXPECT_GT(s.tick.meterPeak, 0);
  t.Tick(10);
  Strings spoken = t.TakeSpoken();
  ASSERT_FALSE(spoken.empty());
  EXPECT_EQ(spoken.front(), "alc");
  EXPECT_EQ(s.tick.micGainWatch, MicGainWatch::kWatching);
}

TEST(TimerTick, GarbledAndOverlongRepliesAreHarmless) {
  Ticking t;
  PanelState& s = t.panel.state;
  t.Tick(2);
  const int32_t hz = s.radio.frequencyHz;
  for (const std::string& junk : {std::string("SM"), std::string("SMxyz;"), std::string(600, 'F'),
                                  std::string("FA12;FA014250000;"), std::string("RM6"), std::string("\0\xff;", 3)}) {
    t.ports.Receive(5, junk);
    s.tick.pollPending = true;
    t.Tick();
    EXPECT_EQ(s.radio.frequencyHz, hz);
  }
  EXPECT_LE(s.cat.replyText.size(), 255u);
}

}  // namespace
}  // namespace kelvaro
