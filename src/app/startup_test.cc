#include "app/startup.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::SplitCrLf;
using testing::TestPanel;

constexpr const char* kConfig =
    "com=05\r\n"
    "speed=38400\r\n"
    "power=050\r\n"
    "x=00\r\n"
    "tun=0\r\n"
    "pwroff=1\r\n"
    "10m = -100\r\n"
    "6m = -500\r\n"
    "2m = -600\r\n"
    "70cm= +7600\r\n"
    "vport= 0\r\n"
    "debug=1\r\n";

class Startup : public ::testing::Test {
 protected:
  // A radio that answers the identity query with `id`.
  void RadioAnswers(std::string id) {
    t.ports.SetResponder(5, [id](std::string_view bytes) {
      return bytes == "ID;" ? id : std::string();
    });
  }
  std::vector<std::string> Sent() { return t.ports.Commands(5); }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(Startup, WithoutConfigurationOnlyTheAnnouncementAndCfgnf) {
  ::testing::internal::CaptureStderr();
  int code = RunProgram(t.panel, t.window);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 3);  // a failure, told apart from the others by its status
  EXPECT_EQ(t.TakeSpoken(), (std::vector<std::string>{"ftx.wav", "3.wav", "point", "5", "cfgnf"}));
  EXPECT_TRUE(t.ports.calls.empty());  // no port opened
  EXPECT_FALSE(std::filesystem::exists(t.panel.File("debug.dat")));
  EXPECT_FALSE(std::filesystem::exists(t.panel.File("savmem.dat")));
  EXPECT_TRUE(t.window.opened);
  EXPECT_TRUE(t.window.closed);
  EXPECT_EQ(t.window.caption, "*** Kelvaro v3.5a ***");
  EXPECT_EQ(t.window.x, 250);
  EXPECT_EQ(t.window.y, 100);
  EXPECT_EQ(t.window.width, 950);
  EXPECT_EQ(t.window.height, 500);
}

TEST_F(Startup, RefusedIdentityShutsDownWithRnftx) {
  t.dir.Write("kelvaro.cfg", kConfig);
  RadioAnswers("ID0650;");
  ::testing::internal::CaptureStderr();
  int code = RunProgram(t.panel, t.window);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 6);
  EXPECT_TRUE(t.panel.processEnded);
  // VS0 first, then the identity query; PS0 because line 6 asks for it.
  EXPECT_EQ(Sent(), (std::vector<std::string>{"VS0;", "ID;", "PS0;"}));
  auto spoken = t.TakeSpoken();
  ASSERT_GE(spoken.size(), 2u);
  EXPECT_EQ(spoken.back(), "rnftx.wav");
  // The radio is given time to take "PS0" before the port closes.
  EXPECT_EQ(t.clock.sleeps, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(150)});
  EXPECT_EQ(t.window.timerPeriod, 0);  // the timer never ran
  EXPECT_TRUE(t.window.closed);
  EXPECT_FALSE(t.ports.port(5).open);
  EXPECT_EQ(SplitCrLf(t.dir.Read("savmem.dat")).size(), 115u);
  EXPECT_TRUE(std::filesystem::exists(t.panel.File("memory.txt")));
}

TEST_F(Startup, SilentRadioIsRefusedToo) {
  t.dir.Write("kelvaro.cfg", kConfig);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(t.panel, t.window), 5);
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(t.panel.processEnded);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"VS0;", "ID;", "PS0;"}));
}

TEST_F(Startup, AcceptedRadioRunsTheLoopUntilCloseThenShutsDownInOrder) {
  t.dir.Write("kelvaro.cfg", kConfig);
  RadioAnswers("ID0840;");
  t.window.script = {{kMsgTimer, 0}, {kMsgKeyDown, 'J'}, {kMsgKeyUp, 'J'}, {kMsgClose, 0}};
  int code = RunProgram(t.panel, t.window);
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(t.panel.processEnded);
  EXPECT_EQ(t.window.timerPeriod, 0);  // stopped at shutdown
  auto sent = Sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "VS0;");
  EXPECT_EQ(sent[1], "ID;");
  EXPECT_EQ(sent.back(), "PS0;");
  EXPECT_FALSE(t.ports.port(5).open);
  EXPECT_EQ(t.ports.port(5).stopCode, 2);  // 8 data bits, no parity, 2 stop bits
  EXPECT_EQ(t.ports.port(5).speed, 38400);
  auto log = SplitCrLf(t.dir.Read("debug.dat"));
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[1], "Comport= 5  Speed= 38400 Baud");
  EXPECT_EQ(log[2], "TX=VS0;");
  EXPECT_EQ(log[3], "TX=ID;");
  EXPECT_EQ(log[4], "RX=ID0840;");
  EXPECT_NE(std::find(log.begin(), log.end(), "*J"), log.end());
  EXPECT_EQ(log.back(), "TX=PS0;");
  EXPECT_EQ(SplitCrLf(t.dir.Read("savmem.dat")).size(), 115u);
}

TEST_F(Startup, InitialisePanelGivesStartValuesAndTheBandsFrequency) {
  t.dir.Write("kelvaro.cfg", kConfig);
  s.config.versionText = "3.5a";
  s.config.comPort = 5;
  s.config.baudRate = 38400;
  s.radio.frequencyHz = 123;  // anything left from before is reset
  s.banks.memoryBank = 3;
  InitialisePanel(t.panel);
  EXPECT_EQ(s.radio.frequencyText, "7.100000");
  EXPECT_EQ(s.radio.bandIndex, 4);
  EXPECT_EQ(s.radio.frequencyHz, 0);
  EXPECT_EQ(s.banks.memoryBank, 99);
  EXPECT_EQ(s.radio.toneCode, "999");
  EXPECT_EQ(s.entry.freqEntryNumber, 999);
  EXPECT_EQ(s.radio.modeCommands[5], "MD0B");
  EXPECT_EQ(s.banks.memoryChannels[42], "9");
  EXPECT_EQ(s.banks.bandRecords[12], "05A145000000B1450000009990");
  EXPECT_EQ(Sent(), std::vector<std::string>{"VS0;"});
  EXPECT_EQ(t.screen.TextAt(140, 380),
            "b=Band  f=Freq  e=Entry m=Mode  w=Filter width p=Power a=af gain r=RF gain q=Quit  s=SMeter/swr");
  EXPECT_EQ(t.screen.TextAt(140, 405),
            "F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch F6=Speech Proc.");
}

TEST_F(Startup, StoredBandGivesTheStartFrequencyAndBandZeroMeans40m) {
  std::string savmem = "KELVARO v1.0a 3.5a 60\r\n";  // band 6, NR off
  for (int i = 1; i <= 14; ++i) {
    savmem += (i == 6 ? std::string("02A014074500B0142000009991")
                      : std::string(i == 4 ? "01A007100000B0071000009990" : "01A001900000B0019000009990")) +
              "\r\n";
  }
  for (int i = 0; i < 100; ++i) savmem += "9\r\n";
  t.dir.Write("savmem.dat", savmem);
  s.config.comPort = 5;
  InitialisePanel(t.panel);
  EXPECT_EQ(s.radio.bandIndex, 6);
  EXPECT_EQ(s.radio.frequencyText, "14.074500");

  savmem.replace(0, savmem.find("\r\n"), "KELVARO v1.0a 3.5a");  // no band stored
  t.dir.Write("savmem.dat", savmem);
  InitialisePanel(t.panel);
  EXPECT_EQ(s.radio.bandIndex, 4);
  EXPECT_EQ(s.radio.frequencyText, "7.100000");
}

}  // namespace
}  // namespace kelvaro
