#include "keys/message.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

TEST(MessageRouting, CloseRequestEndsTheLoop) {
  TestPanel t;
  t.panel.state.runFlag = 1;
  HandleWindowMessage(t.panel, {kMsgClose, 0});
  EXPECT_EQ(t.panel.state.runFlag, 0);
}

TEST(KeyDownAcceptance, OneKeyAtATimeUntilItsKeyUp) {
  TestPanel t;
  PanelState& s = t.panel.state;
  s.debugLog = 1;
  t.panel.debugFile.open(t.panel.File("debug.dat"), std::ios::binary);
  s.passThroughSeen = 1;
  HandleWindowMessage(t.panel, {kMsgKeyDown, 'F'});
  EXPECT_EQ(s.keyCode, 'F');
  EXPECT_EQ(s.keyHeld, 1);
  EXPECT_EQ(s.passThroughSeen, 0);
  HandleWindowMessage(t.panel, {kMsgKeyDown, 'G'});  // ignored: F is still down
  EXPECT_EQ(s.keyCode, 'F');
  HandleWindowMessage(t.panel, {kMsgKeyUp, 'F'});
  EXPECT_EQ(s.keyHeld, 0);
  HandleWindowMessage(t.panel, {kMsgKeyDown, 101});  // keypad 5
  EXPECT_EQ(s.keyCode, 101);
  t.panel.debugFile.close();
  EXPECT_EQ(SplitCrLf(t.dir.Read("debug.dat")), (std::vector<std::string>{"*F", "*e (5)"}));
}

}  // namespace
}  // namespace kelvaro
