#include "display/panel_display.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;

class StatusLine : public ::testing::Test {
 protected:
  std::string Field(int x) { return t.screen.TextAt(x, 250); }
  TestPanel t;
  PanelState& s = t.panel.state;
};

TEST_F(StatusLine, AllOffIsBlanksOfFixedWidths) {
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(40), std::string(14, ' '));
  EXPECT_EQ(Field(170), std::string(4, ' '));
  EXPECT_EQ(Field(240), std::string(4, ' '));
  EXPECT_EQ(Field(310), std::string(3, ' '));
  EXPECT_EQ(Field(360), std::string(9, ' '));
  EXPECT_EQ(Field(460), std::string(8, ' '));
  EXPECT_EQ(Field(550), std::string(7, ' '));
  EXPECT_EQ(Field(620), std::string(5, ' '));
  EXPECT_EQ(Field(780), std::string(30, ' '));
  // Ten fields: the monitor's blanks follow the field at 620 without a position.
  ASSERT_EQ(t.screen.draws.size(), 10u);
  EXPECT_EQ(t.screen.draws[8].text, std::string(11, ' '));
  EXPECT_NE(t.screen.draws[8].x, 690);
  // Small font for the line, large font selected again afterwards.
  EXPECT_EQ(t.screen.draws[0].font, "Ariel/20/20");
  EXPECT_EQ(t.screen.font, "Ariel/50/700");
}

TEST_F(StatusLine, SettingsThatAreOnShowTheirNames) {
  s.radio.preampSetting = 2;
  s.radio.attenuatorOn = true;
  s.radio.blankerOn = true;
  s.radio.reductionOn = true;
  s.radio.notchOn = true;
  s.radio.contourOn = true;
  s.radio.processorOn = true;
  s.radio.radioMode = kUsb;
  s.radio.voxOn = true;
  s.radio.monitorOn = true;
  s.radio.toneCode = "088";
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(40), "preamp2");
  EXPECT_EQ(Field(170), "att");
  EXPECT_EQ(Field(240), "nb");
  EXPECT_EQ(Field(310), "nr");
  EXPECT_EQ(Field(360), "notch");
  EXPECT_EQ(Field(460), "Cont.");
  EXPECT_EQ(Field(550), "spc");
  EXPECT_EQ(Field(620), "vox");
  EXPECT_EQ(Field(690), "mon");
  EXPECT_EQ(Field(780), "ctcss=088" + std::string(13, ' '));

  s.radio.preampSetting = 0;  // switching the preamp off erases its text
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(40), std::string(14, ' '));
}

TEST_F(StatusLine, ModeDecidesProcessorAndBreakInOrVox) {
  s.radio.processorOn = true;
  s.radio.breakInOn = true;
  s.radio.voxOn = true;
  s.radio.radioMode = kCw;
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(550), std::string(7, ' '));  // "spc" only in LSB and USB
  EXPECT_EQ(Field(620), "bin ");               // CW shows break-in, ignores VOX
  s.radio.radioMode = kLsb;
  s.radio.voxOn = false;
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(550), "spc");
  EXPECT_EQ(Field(620), std::string(5, ' '));  // LSB ignores break-in
  s.radio.radioMode = kAm;
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(550), std::string(7, ' '));
}

TEST_F(StatusLine, ToneFieldTellsCtcssFromDcs) {
  s.radio.toneCode = "754";
  s.entry.dcsTone = true;
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(780), "dcs=754" + std::string(14, ' '));
  s.entry.dcsTone = false;
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(780), std::string(28, ' '));
  s.radio.toneCode = "000";
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(780), std::string(30, ' '));
  s.radio.toneCode = "499";
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(780), "ctcss=499" + std::string(13, ' '));
  s.radio.toneCode = "";  // a tone being typed has no characters yet
  DrawStatusLine(t.panel);
  EXPECT_EQ(Field(780), "ctcss=" + std::string(13, ' '));
}

}  // namespace
}  // namespace kelvaro
