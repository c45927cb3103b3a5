// The SWR report against the radio port's answers.
#include "controls/swr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;
using Phrases = std::vector<std::string>;

class SpeakSwrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.config.comPort = 5;
    t.ports.OpenPort(5, 38400);
    s.config.tunerState = TunerUse::kOff;
    s.tick.txState = TxState::kTransmitting;
  }
  // The radio answers "RM6;" with `answer`.
  void Answer(const std::string& answer) {
    t.ports.SetResponder(5, [answer](std::string_view sent) {
      return sent == "RM6;" ? answer : std::string();
    });
  }
  Phrases Ask() {
    SpeakSwr(t.panel);
    return t.TakeSpoken();
  }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(SpeakSwrTest, ReadingToRatio) {
  const struct {
    int reading;
    const char* whole;
    const char* tenth;
  } cases[] = {{0, "1", "0"},   {49, "1", "0"},   {50, "1", "0"},   {85, "1", "5"},   {119, "1", "9"},
               {120, "2", "0"}, {159, "2", "3"},  {160, "3", "0"},  {165, "3", "2"},  {179, "3", "9"},
               {180, "4", "0"}, {181, "4", "0"},  {182, "4", "1"},  {185, "4", "2"},  {199, "4", "8"},
               {200, "gt5", "0"}, {255, "gt5", "0"}, {999, "gt5", "0"}};
  for (const auto& c : cases) {
    char answer[16];
    std::snprintf(answer, sizeof answer, "RM6%03d000;", c.reading);
    Answer(answer);
    EXPECT_EQ(Ask(), (Phrases{"swr", c.whole, "point", c.tenth, "21"})) << c.reading;
    EXPECT_EQ(t.TakeSent(), (std::vector<std::string>{"RM6;"})) << c.reading;
  }
}

TEST_F(SpeakSwrTest, AnswerFoundAmongOthers) {
  t.ports.Receive(5, "FA014250000;");  // a poll answer still waiting
  Answer("RM6085000;");
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
  EXPECT_EQ(s.cat.commandText, "RM6;");
  EXPECT_EQ(s.entry.swrText, "085");
}

TEST_F(SpeakSwrTest, NoReadingIsSaidAsSuchNeverAsOnePointZero) {
  for (const char* answer : {"", "RM6", "RM608", "RM608;", "RM6 85000;", "RM6-85000;", "RM6a85000;",
                                   "SM0085;", "RM4085000;"}) {
    Answer(answer);
    EXPECT_EQ(Ask(), (Phrases{"swr", "nc"})) << '"' << answer << '"';
    EXPECT_EQ(t.TakeSent(), (std::vector<std::string>{"RM6;"}));
  }
  // A radio port that never opened reads as silence.
  s.config.comPort = 7;
  EXPECT_EQ(Ask(), (Phrases{"swr", "nc"}));
}

TEST_F(SpeakSwrTest, SilentWhileTunerStateZeroAndReceiving) {
  Answer("RM6085000;");
  s.config.tunerState = TunerUse::kOn;
  s.tick.txState = TxState::kReceiving;
  EXPECT_TRUE(Ask().empty());
  EXPECT_TRUE(t.TakeSent().empty());
  s.tick.txState = TxState::kTransmitting;  // transmitting
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
  s.tick.txState = TxState::kReceiving;
  s.config.tunerState = TunerUse::kBoth;
  EXPECT_EQ(Ask(), (Phrases{"swr", "1", "point", "5", "21"}));
}

}  // namespace
}  // namespace kelvaro
