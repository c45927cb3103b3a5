#include "app/config.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "test_support.h"

namespace kelvaro {
namespace {

using testing::TestPanel;

// A complete file in the operator's usual wording; each label has the length
// the value positions imply.
const char* const kFullFile =
    "Com:5\r\n"           // 1
    "Speed:38400\r\n"     // 2
    "Power:50\r\n"        // 3
    "Ign:x\r\n"           // 4
    "Tun:2\r\n"           // 5
    "PowOff:1\r\n"        // 6
    "10m:  +100\r\n"      // 7
    "6m:  -1000\r\n"      // 8
    "2m:  -600\r\n"       // 9
    "70cm: +5000\r\n"     // 10
    "PassThr12\r\n"       // 11
    "Debug:1\r\n"         // 12
    "Extra:9\r\n";        // ignored

PanelState Read(const std::string& bytes) {
  TestPanel t;
  std::istringstream in(bytes);
  ReadConfiguration(t.panel, in);
  return t.panel.state;
}

// The lines 1..12 with one of them replaced, LF-ended.
std::string WithLine(int number, const std::string& text) {
  std::istringstream in(kFullFile);
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += (n == number ? text : line) + "\n";
  }
  return out;
}

TEST(ConfigFile, ReadsEveryLineOfACompleteFile) {
  PanelState s = Read(kFullFile);
  EXPECT_EQ(s.config.comPort, 5);
  EXPECT_EQ(s.config.baudRate, 38400);
  EXPECT_EQ(s.config.powerSetting, 50);
  EXPECT_EQ(s.config.tunerState, TunerUse::kBoth);
  EXPECT_EQ(s.config.powerOffAtExit, 1);
  EXPECT_EQ(s.config.dcsEnabled, 1);
  EXPECT_EQ(s.config.passThroughPort, 12);
  EXPECT_EQ(s.config.debugLog, 1);
  const char* signs[] = {"+", "-", "-", "+"};
  const char* khz[] = {"0100", "1000", "0600", "5000"};
  for (int band = kBand10m; band <= kBand70cm; ++band) {
    SCOPED_TRACE(band);
    EXPECT_EQ(s.config.currentShiftSign[band], signs[band - kBand10m]);
    EXPECT_EQ(s.config.currentShiftKhz[band], khz[band - kBand10m]);
    EXPECT_EQ(s.config.standardShiftSign[band], s.config.currentShiftSign[band]);
    EXPECT_EQ(s.config.standardShiftKhz[band], s.config.currentShiftKhz[band]);
  }
}

TEST(ConfigFile, LengthRulesOfPortPowerAndPassThroughLines) {
  EXPECT_EQ(Read(WithLine(1, "Port7")).config.comPort, 7);    // 5 long: last 1
  EXPECT_EQ(Read(WithLine(1, "Com:12")).config.comPort, 12);  // 6 long: last 2
  EXPECT_EQ(Read(WithLine(1, "Com: 12")).config.comPort, 2);  // 7 long: last 1
  EXPECT_EQ(Read(WithLine(3, "Power:5")).config.powerSetting, 5);
  EXPECT_EQ(Read(WithLine(3, "Power:50")).config.powerSetting, 50);
  EXPECT_EQ(Read(WithLine(3, "Power:100")).config.powerSetting, 100);
  EXPECT_EQ(Read(WithLine(3, "Power:1000")).config.powerSetting, 0);  // other lengths: 0
  EXPECT_EQ(Read(WithLine(3, "Power:")).config.powerSetting, 0);
  EXPECT_EQ(Read(WithLine(11, "PassThr3")).config.passThroughPort, 3);
  EXPECT_EQ(Read(WithLine(11, "PassThr12")).config.passThroughPort, 12);
  EXPECT_EQ(Read(WithLine(11, "PassThr 12")).config.passThroughPort, 2);
  EXPECT_EQ(Read(WithLine(2, "Speed:   4800 baud")).config.baudRate, 4800);
  EXPECT_EQ(Read(WithLine(5, "Tun:1 (off)")).config.tunerState, TunerUse::kOff);
  EXPECT_EQ(Read(WithLine(6, "PowOff:0")).config.powerOffAtExit, 0);
  EXPECT_EQ(Read(WithLine(12, "Debug:0")).config.debugLog, 0);
}

TEST(ConfigFile, RepeaterOffsetsAreHeldAsFourDigits) {
  PanelState s = Read(WithLine(7, "10m:  -1234"));  // line 7 takes 3 digits
  EXPECT_EQ(s.config.currentShiftSign[kBand10m], "-");
  EXPECT_EQ(s.config.currentShiftKhz[kBand10m], "0123");
  s = Read(WithLine(8, "6m:  +600"));
  EXPECT_EQ(s.config.currentShiftSign[kBand6m], "+");
  EXPECT_EQ(s.config.currentShiftKhz[kBand6m], "0600");
  s = Read(WithLine(9, "2m:  -1000"));
  EXPECT_EQ(s.config.currentShiftKhz[kBand2m], "1000");
  s = Read(WithLine(9, "2m:  -10000"));  // 11 long: "0" + three digits
  EXPECT_EQ(s.config.currentShiftKhz[kBand2m], "0100");
  s = Read(WithLine(10, "70cm: -760"));
  EXPECT_EQ(s.config.currentShiftKhz[kBand70cm], "0760");
  EXPECT_EQ(s.config.standardShiftKhz[kBand70cm], "0760");
}

TEST(ConfigFile, UnusableShiftSignsAndOffsetsAreHeldSafe) {
  // An unknown sign makes the radio shift down anyway; it is held as "-".
  PanelState s = Read(WithLine(7, "10m:  *100"));
  EXPECT_EQ(s.config.currentShiftSign[kBand10m], "-");
  EXPECT_EQ(s.config.currentShiftKhz[kBand10m], "0100");
  // Non-digits would end up in radio commands: no shift instead.
  s = Read(WithLine(8, "6m:  +6x0"));
  EXPECT_EQ(s.config.currentShiftSign[kBand6m], "+");
  EXPECT_EQ(s.config.currentShiftKhz[kBand6m], "0000");
  // Too few digits are padded.
  s = Read(WithLine(10, "70cm: +50"));
  EXPECT_EQ(s.config.currentShiftKhz[kBand70cm], "0050");
}

TEST(ConfigFile, LineFourHasNoEffect) {
  PanelState a = Read(WithLine(4, ""));
  PanelState b = Read(WithLine(4, std::string("Ign:\0\xff\x01 12345678", 16)));
  EXPECT_EQ(a.config.comPort, b.config.comPort);
  EXPECT_EQ(a.config.tunerState, b.config.tunerState);
  EXPECT_EQ(a.config.powerOffAtExit, b.config.powerOffAtExit);
  EXPECT_EQ(a.config.debugLog, b.config.debugLog);
}

TEST(ConfigFile, ShortFileReadsMissingLinesAsEmpty) {
  TestPanel t;
  t.panel.state.config.debugLog = 1;
  t.panel.state.config.passThroughPort = 7;
  t.panel.state.config.powerSetting = 33;
  std::istringstream in("Com:5\r\nSpeed:9600\r\n");
  ReadConfiguration(t.panel, in);
  const PanelState& s = t.panel.state;
  EXPECT_EQ(s.config.comPort, 5);
  EXPECT_EQ(s.config.baudRate, 9600);
  EXPECT_EQ(s.config.powerSetting, 0);
  EXPECT_EQ(s.config.passThroughPort, 0);
  EXPECT_EQ(s.config.debugLog, 0);
  EXPECT_EQ(s.config.dcsEnabled, 1);
  for (int band = kBand10m; band <= kBand70cm; ++band) {
    EXPECT_EQ(s.config.currentShiftSign[band], "-");
    EXPECT_EQ(s.config.currentShiftKhz[band], "0000");
  }
}

TEST(ConfigFile, AcceptsCrLfLfAndCrLineEnds) {
  std::string crlf = kFullFile;
  std::string lf, cr;
  for (char c : crlf) {
    if (c != '\r') lf += c;
    if (c != '\n') cr += c;
  }
  for (const std::string& bytes : {lf, cr}) {
    PanelState s = Read(bytes);
    EXPECT_EQ(s.config.comPort, 5);
    EXPECT_EQ(s.config.powerSetting, 50);
    EXPECT_EQ(s.config.currentShiftKhz[kBand6m], "1000");  // a length rule: no end mark kept
    EXPECT_EQ(s.config.passThroughPort, 12);
    EXPECT_EQ(s.config.debugLog, 1);
  }
  // No line end at all: one line, the rest missing.
  PanelState s = Read("Com:5");
  EXPECT_EQ(s.config.comPort, 5);
  EXPECT_EQ(s.config.baudRate, 0);
}

TEST(ConfigFile, LongLinesAreCutAndDoNotShiftLaterLines) {
  // 253 characters, "3", then more: the kept line ends in "3".
  std::string longLine = std::string(253, 'x') + "3" + std::string(100000, '9');
  PanelState s = Read(WithLine(1, longLine));
  EXPECT_EQ(s.config.comPort, 3);
  EXPECT_EQ(s.config.baudRate, 38400);
  EXPECT_EQ(s.config.debugLog, 1);
}

TEST(ConfigFile, ReadsTheFileInTheWorkingFolder) {
  TestPanel t;
  t.panel.state.config.comPort = 42;
  EXPECT_FALSE(ReadConfiguration(t.panel));  // missing: nothing changes
  EXPECT_EQ(t.panel.state.config.comPort, 42);
  EXPECT_EQ(t.panel.state.config.dcsEnabled, 0);

  std::filesystem::create_directory(t.dir.path() / "kelvaro.cfg");
  EXPECT_FALSE(ReadConfiguration(t.panel));  // a folder is no configuration
  EXPECT_EQ(t.panel.state.config.comPort, 42);
  std::filesystem::remove(t.dir.path() / "kelvaro.cfg");

  t.dir.Write("kelvaro.cfg", kFullFile);
  EXPECT_TRUE(ReadConfiguration(t.panel));
  EXPECT_EQ(t.panel.state.config.comPort, 5);
  EXPECT_EQ(t.panel.state.config.passThroughPort, 12);
}

TEST(ConfigFuzz, AnyBytesGiveWellFormedShiftPairs) {
  std::mt19937 gen(12345);
  TestPanel t;
  const std::string alphabet = std::string("\r\n\0+-0123456789 x\xff", 18);
  for (int round = 0; round < 500; ++round) {
    std::string bytes(gen() % 400, '\0');
    for (char& c : bytes) {
      c = round % 2 ? alphabet[gen() % alphabet.size()] : static_cast<char>(gen());
    }
    std::istringstream in(bytes);
    ReadConfiguration(t.panel, in);
    const PanelState& s = t.panel.state;
    for (int band = kBand10m; band <= kBand70cm; ++band) {
      ASSERT_TRUE(s.config.currentShiftSign[band] == "+" || s.config.currentShiftSign[band] == "-");
      ASSERT_EQ(s.config.currentShiftKhz[band].size(), 4u);
      ASSERT_EQ(s.config.currentShiftKhz[band].str().find_first_not_of("0123456789"), std::string::npos);
    }
    ASSERT_EQ(s.config.dcsEnabled, 1);
  }
}

}  // namespace
}  // namespace kelvaro
