#include "link/cat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

class CatExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    s.config.comPort = 5;
    s.config.baudRate = 38400;
    t.ports.OpenPort(5, 38400);
  }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(CatExchange, SendCommandAppendsTerminatorAndRemembersFrequencySets) {
  SendCommand(t.panel, "FA014250000");
  EXPECT_EQ(s.cat.commandText, "FA014250000;");
  EXPECT_EQ(s.cat.lastFrequencyCommand, "FA014250000;");
  SendCommand(t.panel, "FA");  // the bare query is not remembered
  EXPECT_EQ(s.cat.lastFrequencyCommand, "FA014250000;");
  EXPECT_EQ(t.ports.port(5).written, "FA014250000;FA;");
}

TEST_F(CatExchange, SplitSendsFrequencyCommandsToVfoB) {
  s.radio.splitOn = true;
  SendCommand(t.panel, "FA014250000");
  EXPECT_EQ(s.cat.commandText, "FB014250000;");
  EXPECT_EQ(s.cat.lastFrequencyCommand, "FB014250000;");
  SendCommand(t.panel, "MD02");  // other commands are untouched
  EXPECT_EQ(t.ports.port(5).written, "FB014250000;MD02;");
}

// The router on its own: which asker each answer reaches.
TEST(Router, EachAnswerGoesToTheOldestCommandItBeginsWith) {
  RadioLink link;
  auto wait = [&link](std::uint32_t ticket, Asker asker, std::string prefix) {
    const bool query = !prefix.empty();
    link.waiting.push_back(
        WaitingCommand{ticket, asker, query, std::move(prefix), SteadyTime{} + std::chrono::seconds(1), 0, ""});
  };
  wait(1, Asker::kPoll, "FA");
  wait(2, Asker::kNobody, "");  // a set command of the panel's
  wait(3, Asker::kKey, "PC");
  EXPECT_FALSE(AnswerAwaitedBeyondTick(link));
  wait(4, Asker::kRelay, "FA");
  EXPECT_TRUE(AnswerAwaitedBeyondTick(link));  // the loop wakes for the other program's answer
  // Split across reads, several in one read, one nobody asked for.
  TakeRadioBytes(link, "FA0071");
  EXPECT_TRUE(link.forTick.empty());
  TakeRadioBytes(link, "00000;PC1050;IF001;FA0");
  TakeRadioBytes(link, "14250000;");
  ASSERT_EQ(link.forTick.size(), 2u);
  EXPECT_EQ(link.forTick[0].text, "FA007100000;");
  EXPECT_EQ(link.forTick[0].ticket, 1u);
  EXPECT_EQ(link.forTick[1].text, "IF001;");  // unasked
  EXPECT_EQ(link.forTick[1].asker, Asker::kNobody);
  ASSERT_EQ(link.forKey.size(), 1u);
  EXPECT_EQ(link.forKey[0].text, "PC1050;");
  ASSERT_EQ(link.forRelay.size(), 1u);
  EXPECT_EQ(link.forRelay[0].text, "FA014250000;");
  EXPECT_TRUE(link.waiting.empty());  // the set before the answered query is done
  EXPECT_FALSE(AnswerAwaitedBeyondTick(link));
}

TEST(Router, ARefusalAnswersTheOldestWaitingCommand) {
  RadioLink link;
  const SteadyTime later = SteadyTime{} + std::chrono::seconds(1);
  link.waiting.push_back(WaitingCommand{1, Asker::kRelay, false, "", later, 0, ""});
  link.waiting.push_back(WaitingCommand{2, Asker::kKey, true, "XY", later, 0, ""});
  link.waiting.push_back(WaitingCommand{3, Asker::kNobody, false, "", later, 0, ""});
  link.waiting.push_back(WaitingCommand{4, Asker::kKey, true, "ID", later, 0, ""});
  TakeRadioBytes(link, "?;?;?;ID0840;");
  ASSERT_EQ(link.forRelay.size(), 1u);  // the other program's set was refused: it is told
  EXPECT_EQ(link.forRelay[0].text, "?;");
  ASSERT_EQ(link.forKey.size(), 2u);
  EXPECT_EQ(link.forKey[0].text, "?;");
  EXPECT_EQ(link.forKey[0].ticket, 2u);
  EXPECT_EQ(link.forKey[1].text, "ID0840;");  // the panel's own refused set is dropped
  EXPECT_TRUE(link.forTick.empty());
}

TEST(Router, WaitsEndAtTheirDeadlineAndJunkIsDropped) {
  RadioLink link;
  const SteadyTime start{};
  link.waiting.push_back(WaitingCommand{1, Asker::kKey, true, "PC", start + std::chrono::milliseconds(150), 0, ""});
  link.waiting.push_back(WaitingCommand{2, Asker::kPoll, true, "SM0", start + std::chrono::milliseconds(200), 0, ""});
  link.waiting.push_back(WaitingCommand{3, Asker::kRelay, true, "", start + std::chrono::milliseconds(150), 0, ""});
  TakeRadioBytes(link, "PC10");  // half an answer when the time runs out
  EndOverdueWaits(link, start + std::chrono::milliseconds(150));
  ASSERT_EQ(link.forKey.size(), 1u);
  EXPECT_EQ(link.forKey[0].text, "");
  ASSERT_EQ(link.forRelay.size(), 1u);  // even a query that could match nothing ends
  EXPECT_EQ(link.forRelay[0].ticket, 3u);
  ASSERT_EQ(link.waiting.size(), 1u);
  EXPECT_EQ(link.waiting[0].ticket, 2u);
  TakeRadioBytes(link, "50;");  // its rest, late: nobody waits for it
  ASSERT_EQ(link.forTick.size(), 1u);
  EXPECT_EQ(link.forTick[0].text, "PC1050;");
  TakeRadioBytes(link, std::string(300, 'x'));
  EXPECT_TRUE(link.inbox.empty());
}

TEST(Router, CommandsOfOtherProgramsAreQueriesOrSets) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"FA", true},        {"FA014250000", false}, {"MD0", true},   {"MD02", false}, {"ID", true},
      {"AI1", false},      {"AI", true},           {"SM0", true},   {"EX010316", true},
      {"EX0103160100", false}, {"CN00", true},     {"CN00012", false}, {"AB", false}, {"ZZ", true},
      {"ZZ9", true},       {"VM0", true},          {"VM000", false}, {"ZI0", false}, {"", true}};
  for (const auto& [command, query] : cases) EXPECT_EQ(IsQueryCommand(command), query) << command;
}

TEST_F(CatExchange, QueryReturnsItsOwnAnswerAsSoonAsItIsIn) {
  // A poll answer comes first, then the query's own in two pieces.
  SendFor(t.panel, "FA", Asker::kPoll, true);
  t.ports.ReceiveLater(5, "FA007100000;PC1");
  t.ports.ReceiveLater(5, "050;");
  EXPECT_EQ(Query(t.panel, "PC"), std::optional<std::string>("PC1050;"));
  EXPECT_EQ(t.ports.waits.size(), 2u);
  EXPECT_TRUE(t.clock.sleeps.empty());
  ASSERT_EQ(t.panel.link.forTick.size(), 1u);
  EXPECT_EQ(t.panel.link.forTick[0].text, "FA007100000;");
  // A refusal, or nothing, is no value.
  t.ports.ReceiveLater(5, "?;");
  EXPECT_EQ(Query(t.panel, "ZZ"), std::nullopt);
  EXPECT_EQ(Query(t.panel, "PC"), std::nullopt);
  EXPECT_EQ(t.ports.waits.back(), "wait 5 150");  // at most the length of "delay"
  EXPECT_TRUE(t.panel.link.waiting.empty());
}

TEST(CatWaits, AQueryBehindSetsWaitsLongerForThemButNoMoreThanTwice) {
  // The radio comes to the query once the sets before it are done: each set
  // on its way adds a quarter of the answer wait (150 ms), up to 150 ms.
  const std::vector<std::pair<int, std::string>> cases = {{0, "150"}, {2, "225"}, {4, "300"}, {20, "300"}};
  for (const auto& [sets, wait] : cases) {
    TestPanel t;
    t.panel.state.config.comPort = 5;
    t.ports.OpenPort(5, 38400);
    for (int i = 0; i < sets; ++i) SendCommand(t.panel, "RA00");
    EXPECT_EQ(Query(t.panel, "GT0"), std::nullopt);
    EXPECT_EQ(t.ports.waits.back(), "wait 5 " + wait) << sets << " sets";
  }
}

TEST_F(CatExchange, ClosedOrInvalidPortsAreASilentRadio) {
  s.config.comPort = 300;
  t.ports.Receive(300, "ID0840;");
  EXPECT_EQ(Query(t.panel, "ID"), std::nullopt);
  s.config.comPort = 7;  // never opened
  t.ports.Receive(7, "ID0840;");
  EXPECT_EQ(Query(t.panel, "ID"), std::nullopt);
}

TEST_F(CatExchange, PauseWaitsTheLengthOfTheDelayRecordingWithoutPlayingIt) {
  t.voice.length = std::chrono::milliseconds(180);
  PauseBriefly(t.panel);
  t.voice.missing.insert("delay.wav");
  PauseBriefly(t.panel);
  EXPECT_EQ(t.clock.sleeps, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(180),
                                                                    std::chrono::milliseconds(100)}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST_F(CatExchange, DebugLogTracesTrafficButNotEmptyReads) {
  s.config.debugLog = 1;
  s.config.versionText = "3.5a";
  t.panel.debugFile.open(t.panel.File("debug.dat"), std::ios::binary);
  SendCommand(t.panel, "FA");
  ReceiveAnswers(t.panel);  // nothing waiting: no line
  t.ports.Receive(5, "FA014250000;");
  ReceiveAnswers(t.panel);
  t.panel.debugFile.close();
  EXPECT_EQ(SplitCrLf(t.dir.Read("debug.dat")),
            (std::vector<std::string>{"TX=FA;", "RX=FA014250000;"}));
}

TEST_F(CatExchange, ARefusalNamesTheCommandThatDrewItAndEndsNoLaterQuery) {
  s.config.debugLog = 1;
  t.panel.debugFile.open(t.panel.File("debug.dat"), std::ios::binary);
  const auto half = AnswerWait(t.panel) / 2;
  SendCommand(t.panel, "PC050");
  t.clock.steady += half;
  const std::uint32_t poll = SendFor(t.panel, "FA", Asker::kPoll, true);
  // The set's own wait is over before its refusal comes: the later query
  // still waits, so the set is kept for it.
  t.clock.steady += half + std::chrono::milliseconds(1);
  ReceiveAnswers(t.panel);
  ASSERT_EQ(t.panel.link.waiting.size(), 2u);
  t.ports.Receive(5, "?;FA014250000;");
  ReceiveAnswers(t.panel);
  t.panel.debugFile.close();
  ASSERT_EQ(t.panel.link.forTick.size(), 1u);
  EXPECT_EQ(t.panel.link.forTick[0].ticket, poll);
  EXPECT_EQ(t.panel.link.forTick[0].text, "FA014250000;");
  EXPECT_EQ(t.panel.link.refusalCount, 1u);
  EXPECT_EQ(SplitCrLf(t.dir.Read("debug.dat")),
            (std::vector<std::string>{"TX=PC050;", "TX=FA;", "RX=?;", "RX=FA014250000;", "REFUSED=PC050;"}));
  // With nothing after it, a set's wait ends with its time.
  SendCommand(t.panel, "PC2050");
  t.clock.steady += AnswerWait(t.panel) + std::chrono::milliseconds(1);
  ReceiveAnswers(t.panel);
  EXPECT_TRUE(t.panel.link.waiting.empty());
}

TEST_F(CatExchange, OpeningSequenceClosesOpensAndSetsTheLineFormat) {
  t.ports.calls.clear();
  OpenPortSequence(t.panel, 5);
  EXPECT_EQ(t.ports.calls, (std::vector<std::string>{"close 5", "open 5 38400", "timeouts 5 -1",
                                                     "format 5 8 0 2"}));
  EXPECT_EQ(t.ports.port(5).stopCode, 2);
}

}  // namespace
}  // namespace kelvaro
