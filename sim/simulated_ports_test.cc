#include "simulated_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fakes.h"

namespace ftx1sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr int kRadio = 5;

// The time one character takes on the line at `baud`.
nanoseconds CharacterTime(int baud) { return nanoseconds(Pacing::kBitsPerCharacter * 1000000000LL / baud); }

struct Exchange {
  const char* name;
  int baud;
  std::string sent;
  std::string answer;
  int quietDelays;  // answer delays before the first character (a set command takes one too)
  int delays;       // answer delays in all, before the last character is out
};

// The answer is not there a nanosecond before its last character is due,
// all but that character are, and at the due time the whole answer is.
TEST(SimulatedPorts, AnswersOnlyAfterTheRadioHasWorkedAndTheLineHasCarriedTheAnswer) {
  const std::vector<Exchange> exchanges = {
      {"identity", 38400, "ID;", "ID0840;", 1, 1},
      {"identity at 9600", 9600, "ID;", "ID0840;", 1, 1},
      {"set, then query", 38400, "FA014250000;FA;", "FA014250000;", 2, 2},
      {"two queries, one after the other", 38400, "ID;MD0;", "ID0840;MD01;", 1, 2},
  };
  for (const Exchange& e : exchanges) {
    SCOPED_TRACE(e.name);
    kelvaro::FakePorts real;
    kelvaro::FakeClock clock;
    SimulatedPorts ports(real, clock);
    ports.PlaceRadio(kRadio);
    ASSERT_TRUE(ports.OpenPort(kRadio, e.baud));
    const auto start = clock.steady;
    ASSERT_EQ(ports.WritePort(kRadio, e.sent), static_cast<int>(e.sent.size()));
    const auto last = start + SimulatedPorts::kAnswerDelay * e.delays +
                      CharacterTime(e.baud) * static_cast<long long>(e.answer.size());
    clock.steady = start + SimulatedPorts::kAnswerDelay * e.quietDelays - nanoseconds(1);
    EXPECT_EQ(ports.BytesWaiting(kRadio), 0);
    clock.steady = last - nanoseconds(1);
    std::string got = ports.ReadPort(kRadio, 100);
    clock.steady = last;
    EXPECT_EQ(got, e.answer.substr(0, e.answer.size() - 1));
    got += ports.ReadPort(kRadio, 100);
    EXPECT_EQ(got, e.answer);
    EXPECT_TRUE(real.calls.empty());
  }
}

// With a set time of its own a set command takes only that; a refused set
// ("?;" is an answer) and a query still take the answer delay.
TEST(SimulatedPorts, ASetTimeOfItsOwnAppliesOnlyToCommandsThatAnswerNothing) {
  struct Case {
    const char* name;
    std::string sent;
    std::string answer;
    int delays;  // answer delays before it is all out, at no line time
  };
  const std::vector<Case> cases = {
      {"set at once, then the query", "FA014250000;FA;", "FA014250000;", 1},
      {"a refused set is answered", "FA1;FA;", "?;FA007100000;", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Radio radio;
    const Pacing::TimePoint start{};
    Pacing pacing(radio, start, milliseconds(150), 0, milliseconds(0));
    pacing.Receive(c.sent, start);
    pacing.Advance(start + milliseconds(150) * c.delays - nanoseconds(1));
    std::string early = pacing.TakeSent();
    EXPECT_LT(early.size(), c.answer.size());
    pacing.Advance(start + milliseconds(150) * c.delays);
    EXPECT_EQ(early + pacing.TakeSent(), c.answer);
  }
}

TEST(SimulatedPorts, SetCommandsChangeTheRadioAndOtherPortsAreTheRealOnes) {
  kelvaro::FakePorts real;
  kelvaro::FakeClock clock;
  SimulatedPorts ports(real, clock);
  ports.PlaceRadio(kRadio);
  ASSERT_TRUE(ports.OpenPort(kRadio, 38400));
  ports.WritePort(kRadio, "FA021074000;MD02;");
  clock.steady += milliseconds(100);
  EXPECT_EQ(ports.ReadPort(kRadio, 100), "");  // set commands send nothing
  EXPECT_EQ(ports.radio().state().vfoHz[0], 21074000);
  EXPECT_EQ(ports.radio().state().mode[0], '2');

  ASSERT_TRUE(ports.OpenPort(3, 9600));
  EXPECT_EQ(ports.WritePort(3, "FA;"), 3);
  real.Receive(3, "xyz");
  EXPECT_EQ(ports.ReadPort(3, 10), "xyz");
  EXPECT_EQ(real.port(3).written, "FA;");
  EXPECT_EQ(real.calls, (std::vector<std::string>{"open 3 9600"}));
}

TEST(SimulatedPorts, WaitingSleepsOnTheClockUntilTheAnswerHasCome) {
  kelvaro::FakePorts real;
  kelvaro::FakeClock clock;
  SimulatedPorts ports(real, clock);
  ports.PlaceRadio(kRadio);
  ASSERT_TRUE(ports.OpenPort(kRadio, 38400));
  const auto start = clock.steady;
  EXPECT_FALSE(ports.WaitForInput(kRadio, milliseconds(40)));  // nothing asked: the whole time passes
  EXPECT_EQ(clock.steady - start, milliseconds(40));

  ports.WritePort(kRadio, "ID;");
  const auto asked = clock.steady;
  EXPECT_TRUE(ports.WaitForInput(kRadio, milliseconds(1000)));
  EXPECT_GE(clock.steady - asked, SimulatedPorts::kAnswerDelay + CharacterTime(38400));
  EXPECT_LT(clock.steady - asked, SimulatedPorts::kAnswerDelay + milliseconds(2));
  EXPECT_FALSE(ports.WaitForInput(kRadio - 1, milliseconds(10)));  // a port that is not open
}

TEST(SimulatedPorts, ClosingDropsTheAnswersOnTheWayButTheRadioKeepsItsState) {
  kelvaro::FakePorts real;
  kelvaro::FakeClock clock;
  SimulatedPorts ports(real, clock);
  EXPECT_FALSE(ports.WritePort(kRadio, "ID;"));  // no radio placed: the real port, not open
  ports.PlaceRadio(kRadio);
  EXPECT_EQ(ports.WritePort(kRadio, "ID;"), 0);  // not open
  ASSERT_TRUE(ports.OpenPort(kRadio, 38400));
  ports.WritePort(kRadio, "FA007074000;ID;");
  ports.ClosePort(kRadio);
  clock.steady += milliseconds(100);
  EXPECT_EQ(ports.BytesWaiting(kRadio), 0);
  ASSERT_TRUE(ports.OpenPort(kRadio, 38400));
  EXPECT_EQ(ports.OpenCount(kRadio), 2u);
  ports.WritePort(kRadio, "FA;");
  clock.steady += milliseconds(100);
  EXPECT_EQ(ports.ReadPort(kRadio, 100), "FA007074000;");
}

}  // namespace
}  // namespace ftx1sim
