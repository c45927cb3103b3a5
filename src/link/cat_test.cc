#include "link/cat.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

class CatExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    s.comPort = 5;
    s.baudRate = 38400;
    t.ports.OpenPort(5, 38400);
  }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(CatExchange, SendCommandAppendsTerminatorAndRemembersFrequencySets) {
  s.commandText = "FA014250000";
  SendCommand(t.panel);
  EXPECT_EQ(s.commandText, "FA014250000;");
  EXPECT_EQ(s.lastFrequencyCommand, "FA014250000;");
  s.commandText = "FA";  // the bare query is not remembered
  SendCommand(t.panel);
  EXPECT_EQ(s.lastFrequencyCommand, "FA014250000;");
  EXPECT_EQ(t.ports.port(5).written, "FA014250000;FA;");
}

TEST_F(CatExchange, SplitSendsFrequencyCommandsToVfoB) {
  s.splitOn = 1;
  s.commandText = "FA014250000";
  SendCommand(t.panel);
  EXPECT_EQ(s.commandText, "FB014250000;");
  EXPECT_EQ(s.lastFrequencyCommand, "FB014250000;");
  s.commandText = "MD02";  // other commands are untouched
  SendCommand(t.panel);
  EXPECT_EQ(t.ports.port(5).written, "FB014250000;MD02;");
}

TEST_F(CatExchange, ReadReplyTakesWhatArrivedUpTo255Bytes) {
  t.ports.Receive(5, "FA014250000;ID0840;");
  ReadReply(t.panel);
  EXPECT_EQ(s.replyText, "FA014250000;ID0840;");
  EXPECT_EQ(s.bytesWaiting, 19);
  EXPECT_EQ(Find(s.replyText, "ID"), 13);

  t.ports.Receive(5, std::string(300, 'x'));
  ReadReply(t.panel);
  EXPECT_EQ(s.replyText.size(), 255u);
  EXPECT_EQ(s.bytesWaiting, 255);
  ReadReply(t.panel);  // the rest comes with the next read
  EXPECT_EQ(s.bytesWaiting, 45);
  ReadReply(t.panel);
  EXPECT_TRUE(s.replyText.empty());
  EXPECT_EQ(s.bytesWaiting, 0);
}

TEST_F(CatExchange, ClosedOrInvalidPortsAreASilentRadio) {
  s.comPort = 300;
  s.commandText = "ID";
  SendCommand(t.panel);
  t.ports.Receive(300, "ID0840;");
  ReadReply(t.panel);
  EXPECT_TRUE(s.replyText.empty());
  s.comPort = 7;  // never opened
  t.ports.Receive(7, "ID0840;");
  ReadReply(t.panel);
  EXPECT_TRUE(s.replyText.empty());
}

TEST_F(CatExchange, PauseWaitsItselfWhenTheDelayRecordingIsMissing) {
  PauseBriefly(t.panel);
  EXPECT_TRUE(t.clock.sleeps.empty());
  EXPECT_EQ(t.TakeSpoken(), std::vector<std::string>{"delay"});
  t.voice.missing.insert("delay.wav");
  PauseBriefly(t.panel);
  ASSERT_EQ(t.clock.sleeps.size(), 1u);
  EXPECT_EQ(t.clock.sleeps[0].count(), 100);
}

TEST_F(CatExchange, DebugLogTracesTrafficButNotEmptyReads) {
  s.debugLog = 1;
  s.versionText = "3.5a";
  t.panel.debugFile.open(t.panel.File("debug.dat"), std::ios::binary);
  s.commandText = "FA";
  SendCommand(t.panel);
  ReadReply(t.panel);  // nothing waiting: no line
  t.ports.Receive(5, "FA014250000;");
  ReadReply(t.panel);
  t.panel.debugFile.close();
  EXPECT_EQ(SplitCrLf(t.dir.Read("debug.dat")),
            (std::vector<std::string>{"TX=FA;", "RX=FA014250000;"}));
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
