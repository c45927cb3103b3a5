#include "keys/message.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

TEST(MessageRouting, CloseRequestEndsTheLoop) {
  TestPanel t;
  t.panel.state.entry.runFlag = true;
  HandleWindowMessage(t.panel, {kMsgClose, 0});
  EXPECT_FALSE(t.panel.state.entry.runFlag);
}

TEST(KeyDownAcceptance, OneKeyAtATimeUntilItsKeyUp) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.config.debugLog = 1;
  t.panel.debugFile.open(t.panel.File("debug.dat"), std::ios::binary);
  s.cat.passThroughSeen = true;
  HandleWindowMessage(t.panel, {kMsgKeyDown, 'F'});
  EXPECT_EQ(s.entry.keyCode, 'F');
  EXPECT_TRUE(s.entry.keyHeld);
  EXPECT_FALSE(s.cat.passThroughSeen);
  HandleWindowMessage(t.panel, {kMsgKeyDown, 'G'});  // ignored: F is still down
  EXPECT_EQ(s.entry.keyCode, 'F');
  HandleWindowMessage(t.panel, {kMsgKeyUp, 'F'});
  EXPECT_FALSE(s.entry.keyHeld);
  HandleWindowMessage(t.panel, {kMsgKeyDown, 101});  // keypad 5
  EXPECT_EQ(s.entry.keyCode, 101);
  t.panel.debugFile.close();
  EXPECT_EQ(SplitCrLf(t.dir.Read("debug.dat")), (std::vector<std::string>{"*F", "*e (5)"}));
}

}  // namespace
}  // namespace kelvaro
