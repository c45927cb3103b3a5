// A radio that goes away and comes back: the tick notices, the program's loop
// identifies it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/radio_check.h"
#include "traffic/radio_return.h"

#include "keys/message.h"
#include "traffic/timer_tick.h"
#include "app/identified_test_panel.h"

namespace kelvaro {
namespace {

using testing::Identified;
using testing::Strings;

struct Returning : Identified {
  // Started, and connected by the first poll's answer.
  Returning() {
    Start();
    startSetUp = TakeSent();
    startSetUp.erase(startSetUp.begin());  // "ID;"
    Tick(2);
    EXPECT_EQ(TakeSpoken().back(), "connected");
    Clear();
  }
  // Ticks 50 ms apart, each followed by what the program's loop does next.
  void Tick(int n) {
    for (int i = 0; i < n; ++i) {
      clock.steady += std::chrono::milliseconds(50);
      TimerTick(panel);
      if (panel.link.identityWanted) ReidentifyRadio(panel, errors);
    }
  }
  void Key(int code) {
    HandleWindowMessage(panel, {kMsgKeyDown, code});
    HandleWindowMessage(panel, {kMsgKeyUp, code});
  }
  // Two ticks make one poll and its reply phase.
  void Polls(int n) { Tick(2 * n); }
  Strings startSetUp;
  std::ostringstream errors;
};

long Count(const Strings& list, const std::string& item) { return std::count(list.begin(), list.end(), item); }

TEST(RadioReturn, ARadioThatComesBackIsSetUpSilentlyAndAnnouncedOnce) {
  struct Case {
    const char* how;
    bool switchedOffAtItsSwitch;  // else its port vanished and came back
  };
  for (const Case c : {Case{"switched off and on at its own switch", true}, Case{"port came back", false}}) {
    SCOPED_TRACE(c.how);
    Returning t;
    PanelState& s = t.panel.state;
    if (c.switchedOffAtItsSwitch) {
      t.radio.Control("power off");
      t.Polls(kQuietPhasesUntilGone - 1);
      EXPECT_TRUE(s.cat.radioConnected) << "gone too soon";
      t.Polls(1);
      EXPECT_FALSE(s.cat.radioConnected);
      t.Key('J');  // the operator hears that the radio is not there
      EXPECT_EQ(t.TakeSpoken(), Strings{"nc"});
      t.Polls(5);
      EXPECT_EQ(Count(t.TakeSent(), "ID;"), 0) << "a silent radio is not asked who it is";
      t.radio.Control("power on");
    } else {
      ++t.ports.port(Identified::kPort).opens;
    }
    t.radio.Control("dial +5000");
    t.TakeSent();
    t.Polls(1);
    // After the poll that found it, the same set-up as at start, saying nothing.
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    sent.erase(sent.begin());
    Strings expected{"ID;"};
    expected.insert(expected.end(), t.startSetUp.begin(), t.startSetUp.end());
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(t.TakeSpoken().empty());
    EXPECT_EQ(t.radio.state().vfoHz[0], 7100000) << "the current band's frequency is sent again";
    t.Polls(10);
    const Strings spoken = t.TakeSpoken();
    EXPECT_EQ(Count(spoken, "connected"), 1);
    EXPECT_EQ(spoken.front(), "7");  // the frequency first, as at start
    EXPECT_TRUE(s.cat.radioConnected);
    EXPECT_EQ(s.radio.frequencyHz, 7100000);
  }
}

TEST(RadioReturn, AnotherModelIsRefusedOnceAndAskedAgainUntilTheFtx1IsBack) {
  Returning t;
  PanelState& s = t.panel.state;
  auto reports = [&t] {
    const std::string text = t.errors.str();
    EXPECT_NE(text.find("(identity 0650)"), std::string::npos) << text;
    return std::count(text.begin(), text.end(), '\n');
  };
  ftx1sim::Options other;
  other.id = 650;
  ftx1sim::Radio foreign(other);
  t.ports.SetResponder(Identified::kPort, [&](std::string_view bytes) { return foreign.Feed(bytes); });
  ++t.ports.port(Identified::kPort).opens;
  t.Polls(1);
  Strings sent = t.TakeSent();
  EXPECT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent.back(), "ID;");
  EXPECT_EQ(t.TakeSpoken(), Strings{"rnftx.wav"});
  EXPECT_EQ(reports(), 2);  // which model, and that the panel waits
  EXPECT_FALSE(s.cat.radioConnected);
  const std::int64_t foreignHz = foreign.state().vfoHz[0];

  t.Polls(3);  // it answers the polls, but is asked again only after a while
  EXPECT_EQ(Count(t.TakeSent(), "ID;"), 0);
  t.clock.steady += kIdentityRetry;
  t.Polls(1);
  EXPECT_EQ(Count(t.TakeSent(), "ID;"), 1);
  EXPECT_TRUE(t.TakeSpoken().empty()) << "refused once, not on every question";
  EXPECT_EQ(reports(), 2);
  EXPECT_EQ(foreign.state().vfoHz[0], foreignHz) << "nothing is set on another model";

  t.ports.SetResponder(Identified::kPort, [&](std::string_view bytes) { return t.radio.Feed(bytes); });
  ++t.ports.port(Identified::kPort).opens;
  t.Polls(6);
  EXPECT_EQ(Count(t.TakeSpoken(), "connected"), 1);
  EXPECT_TRUE(s.cat.radioConnected);
}

TEST(RadioReturn, AQuitThatWaitsForAnswersEndsWhenTheRadioIsGone) {
  Returning t;
  PanelState& s = t.panel.state;
  s.entry.runFlag = true;
  t.radio.Control("power off");
  t.Key('Q');
  EXPECT_EQ(s.entry.quitPending, 1);
  t.Polls(kQuietPhasesUntilGone);
  EXPECT_FALSE(s.entry.runFlag);
}

}  // namespace
}  // namespace kelvaro
