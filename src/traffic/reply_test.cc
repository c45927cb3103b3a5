#include "traffic/reply.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

struct Replies : ControlPanel {
  void Interpret(const std::string& reply) {
    panel.state.cat.replyText = reply;
    InterpretReply(panel);
  }
};

TEST(InterpretReply, FirstAnswerAnnouncesTheConnectionOnly) {
  Replies t;
  PanelState& s = t.panel.state;
  s.cat.radioConnected = false;
  s.radio.frequencyText = "14.250000";
  s.radio.frequencyHz = 0;
  t.Interpret("FA007100000;");
  EXPECT_TRUE(s.cat.radioConnected);
  EXPECT_EQ(s.radio.frequencyHz, 0);  // the answer itself is not used
  EXPECT_EQ(s.radio.frequencyText, "14.250000");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "point", "2", "5", "mhz", "usb.wav", "preamp", "off",
                                     "connected"}));
  EXPECT_EQ(t.TakeSent(), Strings{"PA00;"});
}

TEST(InterpretReply, AcceptedAnswerUpdatesFrequencyPanelAndBandRecord) {
  Replies t;
  PanelState& s = t.panel.state;
  t.Interpret("FA014074500;");
  EXPECT_EQ(s.radio.frequencyHz, 14074500);
  EXPECT_EQ(s.radio.frequencyText, " 14.074500");
  EXPECT_EQ(s.radio.vfoAText, "A014074500");
  EXPECT_EQ(s.cat.lastFreqReply, "FA014074500");
  EXPECT_TRUE(s.cat.replyText.empty());
  EXPECT_EQ(s.banks.bandRecords[kBand20m], "02A014074500B0142000009990");
  EXPECT_EQ(t.screen.TextAt(285, 150), " 14.074500" + std::string(13, ' '));
  EXPECT_TRUE(t.TakeSpoken().empty());

  t.Interpret("FA000475000;");
  EXPECT_EQ(s.radio.frequencyText, "   .475000");
  EXPECT_EQ(s.radio.frequencyHz, 475000);

  t.Interpret("FB014260000;");
  EXPECT_EQ(s.radio.vfoBText, "B014260000");
  t.Interpret("FA007100000;FB014260000;");  // run together: only the first is used
  EXPECT_EQ(s.radio.frequencyText, "  7.100000");
  EXPECT_EQ(s.radio.vfoAText, "A007100000");
}

TEST(InterpretReply, AnswersOfAnotherShapeChangeNothing) {
  Replies t;
  PanelState& s = t.panel.state;
  t.Interpret("FA014250000;");
  const std::string record = s.banks.bandRecords[kBand20m].str();
  for (const char* bad : {"FA01425000;", "FA0142500000;", "FA01425O000;", "FA-14250000;", "FA014250000",
                          "FA", "FB;", "FA 14250000;", "FA01425000;FA014250000;"}) {
    t.Interpret(bad);
    EXPECT_EQ(s.radio.frequencyHz, 14250000) << bad;
    EXPECT_EQ(s.radio.frequencyText, " 14.250000") << bad;
    EXPECT_EQ(s.banks.bandRecords[kBand20m], record) << bad;
  }
}

TEST(InterpretReply, QuitEndsOnTheSecondAcceptedAnswer) {
  Replies t;
  PanelState& s = t.panel.state;
  s.entry.runFlag = true;
  s.entry.quitPending = 1;
  t.Interpret("FA014250000;");
  t.Interpret("garbled;");
  EXPECT_TRUE(s.entry.runFlag);
  EXPECT_EQ(s.entry.quitPending, 2);
  t.Interpret("FA014250000;");
  EXPECT_FALSE(s.entry.runFlag);
  EXPECT_EQ(s.entry.quitPending, 0);
  EXPECT_TRUE(std::filesystem::exists(t.panel.File("savmem.dat")));
}

TEST(InterpretReply, AnnouncementAfterAChannelRecall) {
  Replies t;
  PanelState& s = t.panel.state;
  s.cat.announcePending = true;
  s.radio.preampSetting = 2;
  t.Interpret("FA014250000;");
  EXPECT_FALSE(s.cat.announcePending);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"1", "4", "point", "2", "5", "mhz", "usb.wav", "preamp", "2", "on"}));
  s.cat.announcePending = true;
  s.entry.channelRecall = true;  // while U steps channels nothing of it is spoken
  t.Interpret("FA014250000;");
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(InterpretReply, OperationMarker) {
  Replies t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;
  t.Interpret("FB014250000;");
  EXPECT_EQ(t.screen.TextAt(80, 150), "B   ");
  s.radio.splitOn = false;
  s.radio.repeaterOn = RepeaterState::kOn;
  t.Interpret("FA014250000;");
  EXPECT_EQ(t.screen.TextAt(80, 150), "R   ");
}

}  // namespace
}  // namespace kelvaro
