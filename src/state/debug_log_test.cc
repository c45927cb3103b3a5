#include "state/debug_log.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

TEST(DebugLog, HeaderLinesHaveTheirExactForm) {
  TestPanel t;
  t.panel.state.config.debugLog = 1;
  t.panel.state.config.versionText = "3.5a";
  t.panel.state.config.comPort = 5;
  t.panel.state.config.baudRate = 38400;
  t.clock.now = LocalDateTime{2026, 12, 6, 3, 42, 37};
  OpenDebugLog(t.panel);
  WriteLogLine(t.panel, std::string(300, 'x'));  // cut to 254 characters
  CloseDebugLog(t.panel);
  auto lines = SplitCrLf(t.dir.Read("debug.dat"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "KELVARO 3.5a  06-12-2026   03:42:37");
  EXPECT_EQ(lines[1], "Comport= 5  Speed= 38400 Baud");
  EXPECT_EQ(lines[2], std::string(254, 'x'));
}

TEST(DebugLog, NothingIsCreatedWhenLoggingIsOff) {
  TestPanel t;
  t.panel.state.config.debugLog = 0;
  OpenDebugLog(t.panel);
  WriteLogLine(t.panel, "TX=FA;");
  EXPECT_FALSE(std::filesystem::exists(t.panel.File("debug.dat")));
}

TEST(DebugLog, AFileThatCannotBeCreatedLeavesLoggingSilentlyOff) {
  TestPanel t;
  t.panel.state.config.debugLog = 1;
  std::filesystem::create_directory(t.panel.File("debug.dat"));
  OpenDebugLog(t.panel);
  WriteLogLine(t.panel, "TX=FA;");  // must not throw or crash
  EXPECT_FALSE(t.panel.debugFile.is_open());
}

TEST(DebugLog, KeyLines) {
  EXPECT_EQ(KeyLogLine(13), "*C/R");
  EXPECT_EQ(KeyLogLine(190), "*.");
  EXPECT_EQ(KeyLogLine(110), "*.");
  EXPECT_EQ(KeyLogLine(101), "*e (5)");  // keypad 5
  EXPECT_EQ(KeyLogLine(96), "*` (0)");   // keypad 0
  EXPECT_EQ(KeyLogLine('F'), "*F");
  EXPECT_EQ(KeyLogLine('7'), "*7");
  EXPECT_EQ(KeyLogLine(112), "*p");  // F1
}

}  // namespace
}  // namespace kelvaro
