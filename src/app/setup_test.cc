// The set-up against a folder of fake serial devices: links named as the
// system names USB serial devices, leading (through a link the test can take
// away, as unplugging does) to /dev/null, which is a character device.
#include "app/setup.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <functional>
#include <sstream>

#include "app/config.h"
#include "state/panel_state.h"
#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr const char* kRadioName = "usb-Silicon_Labs_CP2105_Dual_USB_to_UART_Bridge_Controller_01A2B3C4-if00-port0";
constexpr const char* kRadioSecond = "usb-Silicon_Labs_CP2105_Dual_USB_to_UART_Bridge_Controller_01A2B3C4-if01-port0";
constexpr const char* kOtherName = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

// The configuration as the program reads it.
PanelState ReadBack(const fs::path& file) {
  PanelState s;
  std::ifstream in(file, std::ios::binary);
  ReadConfiguration(s, in);
  return s;
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// Gives `text`, but runs `action` first, when the reader first asks for input.
class ActingInput : public std::streambuf {
 public:
  ActingInput(std::string text, std::function<void()> action) : text_(std::move(text)), action_(std::move(action)) {}

 protected:
  int_type underflow() override {
    if (action_) {
      action_();
      action_ = nullptr;
      setg(text_.data(), text_.data(), text_.data() + text_.size());
    }
    return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
  }

 private:
  std::string text_;
  std::function<void()> action_;
};

class Setup : public ::testing::Test {
 protected:
  Setup() {
    fs::create_directory(byId());
    fs::create_directory(devices());
  }
  fs::path byId() const { return dir.path() / "by-id"; }
  fs::path devices() const { return dir.path() / "dev"; }
  fs::path folder() const { return dir.path() / "radio"; }

  // A device as the system would add it: dev/ttyUSBn (standing for the
  // device node) and its by-id link.
  fs::path Plug(const std::string& name, int number) {
    fs::path node = devices() / ("ttyUSB" + std::to_string(number));
    fs::create_symlink("/dev/null", node);
    fs::create_symlink(node, byId() / name);
    return byId() / name;
  }

  // Runs the set-up with `answers` typed at the terminal.
  int Run(const SetupRequest& request, const std::string& answers) {
    std::istringstream in(answers);
    out.str("");
    err.str("");
    return RunSetup(request, in, out, err);
  }

  SetupRequest Request() const {
    SetupRequest r;
    r.folder = folder();
    r.serialFolder = byId();
    return r;
  }

  // Names in the set-up folder, sorted.
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
      names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  std::ostringstream out, err;
};

TEST(SerialNames, UsbNameInterfaceAndWhetherItLooksLikeTheRadio) {
  struct Case {
    const char* name;
    const char* usbName;
    int usbInterface;
    bool likelyRadio;
  } cases[] = {
      {kRadioName, "Silicon Labs CP2105 Dual USB to UART Bridge Controller 01A2B3C4", 0, true},
      {kRadioSecond, "Silicon Labs CP2105 Dual USB to UART Bridge Controller 01A2B3C4", 1, false},
      {"usb-Silicon_Labs_CP2102N_USB_to_UART_Bridge_Controller_9a1b-if00-port0",
       "Silicon Labs CP2102N USB to UART Bridge Controller 9a1b", 0, true},
      {"usb-YAESU_FTX-1_0001-if00", "YAESU FTX-1 0001", 0, true},
      {kOtherName, "FTDI FT232R USB UART A50285BI", 0, false},
      {"usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
       "Prolific Technology Inc. USB-Serial Controller", 0, false},
      {"pci-serial0", "pci-serial0", -1, false},
      {"usb-odd-ifxx-port0", "odd-ifxx", -1, false},
  };
  for (const Case& c : cases) {
    SerialDevice d = DescribeSerialName("/dev/serial/by-id", c.name);
    EXPECT_EQ(d.usbName, c.usbName) << c.name;
    EXPECT_EQ(d.usbInterface, c.usbInterface) << c.name;
    EXPECT_EQ(d.likelyRadio, c.likelyRadio) << c.name;
    EXPECT_EQ(d.link, fs::path("/dev/serial/by-id") / c.name);
  }
}

TEST_F(Setup, ListingPutsTheRadiosBridgeFirstAndFollowsTheLinks) {
  Plug(kOtherName, 0);
  Plug(kRadioSecond, 2);
  Plug(kRadioName, 1);
  std::vector<SerialDevice> list = ListSerialDevices(byId());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].link.filename(), kRadioName);
  EXPECT_EQ(list[1].link.filename(), kRadioSecond);  // the same bridge, second interface
  EXPECT_EQ(list[2].link.filename(), kOtherName);
  EXPECT_EQ(list[0].target, fs::path("/dev/null"));
  EXPECT_TRUE(ListSerialDevices(dir.path() / "missing").empty());
}

TEST(DeviceAccess, GroupMembershipDecidesAndTheAdviceSaysHowToJoin) {
  const DeviceFacts dialout{0660, 0, 20, "dialout"};
  struct Case {
    const char* what;
    DeviceFacts device;
    UserFacts user;
    const char* advice;  // "" when allowed
  } cases[] = {
      {"member", dialout, {1000, "op", {1000, 20}, {1000, 20}}, ""},
      {"root", dialout, {0, "root", {0}, {0}}, ""},
      {"owner", {0600, 1000, 5, "tty"}, {1000, "op", {1000}, {1000}}, ""},
      {"open to all", {0666, 0, 5, "tty"}, {1000, "op", {1000}, {1000}}, ""},
      {"not a member", dialout, {1000, "op", {1000, 24}, {1000, 24}},
       "/dev/ttyUSB0 belongs to the group dialout, and op is not in it. To join it: "
       "sudo usermod -aG dialout op, then log out and in again."},
      {"joined after login", dialout, {1000, "op", {1000}, {1000, 20}},
       "/dev/ttyUSB0 belongs to the group dialout, which op joined after this login began: "
       "log out and in again (or run: newgrp dialout)."},
      {"group may only read", {0640, 0, 20, "dialout"}, {1000, "op", {1000}, {1000}},
       "op may not read and write /dev/ttyUSB0 (mode 0640); the system's administrator can allow it."},
      {"member but group may only read", {0640, 0, 20, "dialout"}, {1000, "op", {20}, {20}},
       "op may not read and write /dev/ttyUSB0 (mode 0640); the system's administrator can allow it."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AccessAdvice("/dev/ttyUSB0", c.device, c.user), c.advice) << c.what;
  }
}

TEST(SetupConfiguration, ReadsBackToThePortsChosenAndTheExamplesSettings) {
  PanelState example;
  {
    std::ifstream in(std::string(KELVARO_EXAMPLES_DIR) + "/kelvaro.cfg", std::ios::binary);
    ASSERT_TRUE(in.is_open());
    ReadConfiguration(example, in);
  }
  for (int radio = 1; radio <= kMaxSetupPort; ++radio) {
    for (int passThrough : {0, 1, 6, 9, 10, 42, 99}) {
      PanelState s;
      std::istringstream in(ConfigurationText(radio, passThrough));
      ReadConfiguration(s, in);
      ASSERT_EQ(s.config.comPort, radio) << radio << " " << passThrough;
      ASSERT_EQ(s.config.passThroughPort, passThrough) << radio << " " << passThrough;
      ASSERT_EQ(s.config.baudRate, example.config.baudRate);
      ASSERT_EQ(s.config.powerSetting, example.config.powerSetting);
      ASSERT_EQ(s.config.tunerState, example.config.tunerState);
      ASSERT_EQ(s.config.powerOffAtExit, example.config.powerOffAtExit);
      ASSERT_EQ(s.config.debugLog, example.config.debugLog);
      for (int band = kBand10m; band <= kBand70cm; ++band) {
        ASSERT_EQ(s.config.currentShiftSign[band], example.config.currentShiftSign[band]);
        ASSERT_EQ(s.config.currentShiftKhz[band], example.config.currentShiftKhz[band]);
      }
    }
  }
  // With the example's own ports the text is the example, byte for byte.
  std::ifstream in(std::string(KELVARO_EXAMPLES_DIR) + "/kelvaro.cfg", std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  EXPECT_EQ(ConfigurationText(example.config.comPort, example.config.passThroughPort), all.str());
}

TEST(SetupConfiguration, ChangingKeepsTheOperatorsOtherLines) {
  const std::string mine = "com=03\nspeed=9600\npower=100\nmic=0\ntun=1\npwroff=1\n";  // short, LF only
  std::string changed = ChangedConfiguration(mine, 12, 7);
  PanelState s;
  std::istringstream in(changed);
  ReadConfiguration(s, in);
  EXPECT_EQ(s.config.comPort, 12);
  EXPECT_EQ(s.config.passThroughPort, 7);
  EXPECT_EQ(s.config.baudRate, 9600);
  EXPECT_EQ(s.config.powerSetting, 100);
  EXPECT_EQ(s.config.tunerState, TunerUse::kOff);
  EXPECT_EQ(s.config.powerOffAtExit, 1);
  EXPECT_EQ(s.config.currentShiftKhz[kBand70cm], "5000");  // filled in from the example
  EXPECT_EQ(changed.substr(0, 20), "com=12\r\nspeed=9600\r\n");

  const std::string longer = ConfigurationText(5, 0) + "a note of my own\r\n";
  EXPECT_EQ(ChangedConfiguration(longer, 5, 0), longer);
}

TEST_F(Setup, OptionsAloneLinkTheRadioAndWriteTheConfiguration) {
  fs::path radio = Plug(kRadioName, 0);
  fs::path other = Plug(kOtherName, 1);
  SetupRequest r = Request();
  r.radio = radio;
  r.radioPort = 12;
  r.passThrough = other;
  ASSERT_EQ(Run(r, ""), 0) << err.str();  // nothing typed: nothing asked
  EXPECT_EQ(fs::read_symlink(folder() / "com12"), radio);
  EXPECT_EQ(fs::read_symlink(folder() / "com13"), other);  // the radio's number + 1
  PanelState s = ReadBack(folder() / "kelvaro.cfg");
  EXPECT_EQ(s.config.comPort, 12);
  EXPECT_EQ(s.config.passThroughPort, 13);
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"com12", "com13", "kelvaro.cfg"}));
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(out.str().find("kelvaro --check"), std::string::npos);

  // Only the radio, default number.
  fs::remove_all(folder());
  r = Request();
  r.radio = radio;
  ASSERT_EQ(Run(r, ""), 0) << err.str();
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"com5", "kelvaro.cfg"}));
  EXPECT_EQ(FileText(folder() / "kelvaro.cfg"), ConfigurationText(5, 0));
}

TEST_F(Setup, ScriptedDialogueAsksForEachChoiceAndTakesTheListedNumbers) {
  Plug(kOtherName, 0);
  fs::path radio = Plug(kRadioName, 1);
  fs::path second = Plug(kRadioSecond, 2);
  // Radio: Enter (the first listed, the radio's bridge); COM 7; pass-through:
  // the radio's own number first (refused), then 2; its COM number: Enter (8).
  ASSERT_EQ(Run(Request(), "\n7\n1\n2\n\n"), 0) << err.str();
  const std::string said = out.str();
  EXPECT_NE(said.find("1: Silicon Labs CP2105 Dual USB to UART Bridge Controller 01A2B3C4, interface 0, "
                      "/dev/null, probably the radio\n"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("3: FTDI FT232R USB UART A50285BI, interface 0, /dev/null\n"), std::string::npos);
  EXPECT_NE(said.find("That is the radio"), std::string::npos);
  EXPECT_EQ(fs::read_symlink(folder() / "com7"), radio);
  EXPECT_EQ(fs::read_symlink(folder() / "com8"), second);
  PanelState s = ReadBack(folder() / "kelvaro.cfg");
  EXPECT_EQ(s.config.comPort, 7);
  EXPECT_EQ(s.config.passThroughPort, 8);
  for (const char* question : {"Which one is the radio?", "Which COM number shall the radio have?",
                               "Type the number of its", "Which COM number shall the pass-through port have?"}) {
    EXPECT_NE(said.find(question), std::string::npos) << question;
  }
}

TEST_F(Setup, WrongAnswersAreAskedAgainAndTheEndOfInputWritesNothing) {
  Plug(kRadioName, 0);
  struct Case {
    const char* answers;
    int status;
    const char* said;  // what the dialogue must have said
  } cases[] = {
      {"4\nx\n-1\n1\n100\n0\n5\n", 0, "\"4\" is not the number 1."},
      {"1\n100\n", 1, "\"100\" is not a number from 1 to 99."},
      {"one\n", 1, "\"one\" is not the number 1."},
      {"", 1, "Which one is the radio?"},
      {"1\n", 1, "Which COM number"},
  };
  for (const Case& c : cases) {
    fs::remove_all(folder());
    EXPECT_EQ(Run(Request(), c.answers), c.status) << c.answers;
    EXPECT_NE(out.str().find(c.said), std::string::npos) << c.answers << "\n" << out.str();
    if (c.status == 0) {
      EXPECT_EQ(ReadBack(folder() / "kelvaro.cfg").config.comPort, 5);
    } else {
      EXPECT_NE(err.str().find("nothing was written"), std::string::npos) << c.answers;
      EXPECT_FALSE(fs::exists(folder())) << c.answers;
    }
  }
}

TEST_F(Setup, BadSituationsSayWhatIsWrongAndWriteNothing) {
  SetupRequest r = Request();
  EXPECT_EQ(Run(r, "1\n"), 1);
  EXPECT_NE(err.str().find("there are no serial devices in " + byId().string()), std::string::npos) << err.str();

  // The device goes away while the question is on the screen.
  fs::path radio = Plug(kRadioName, 0);
  std::ostringstream said, problems;
  ActingInput typed("1\n5\n", [&] { fs::remove(devices() / "ttyUSB0"); });
  std::istream in(&typed);
  EXPECT_EQ(RunSetup(r, in, said, problems), 1);
  EXPECT_NE(problems.str().find(radio.string() + " is not there (unplugged or switched off?)"), std::string::npos)
      << problems.str();
  EXPECT_FALSE(fs::exists(folder()));

  // Named by option but not a device at all, or not there.
  dir.Write("notes.txt", "x");
  r.radio = dir.path() / "notes.txt";
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("notes.txt is not a serial device"), std::string::npos) << err.str();
  r.radio = dir.path() / "nothing";
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("nothing is not there"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(folder()));

  // The folder is a file; a file stands where the link should go.
  r.radio = Plug(kOtherName, 1);
  r.folder = dir.path() / "notes.txt";
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("notes.txt: it is not a folder"), std::string::npos) << err.str();
  r.folder = folder();
  fs::create_directory(folder());
  dir.Write("radio/com5", "not a link");
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("com5 is there and is not a link"), std::string::npos) << err.str();
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"com5"});

  // The same number for both ports, or the same device.
  fs::remove(folder() / "com5");
  r.passThrough = r.radio;
  r.passThroughPort = 6;
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("cannot be the same device"), std::string::npos);
  r.passThrough = radio;
  r.passThroughPort = 5;
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("cannot have the radio's COM number 5"), std::string::npos);
  EXPECT_TRUE(FolderNames().empty());
}

TEST_F(Setup, RerunningKeepsTheBankFileAndAsksBeforeChangingTheConfiguration) {
  fs::path radio = Plug(kRadioName, 0);
  SetupRequest r = Request();
  r.radio = radio;
  r.radioPort = 3;
  ASSERT_EQ(Run(r, ""), 0) << err.str();
  dir.Write("radio/savmem.dat", "the operator's channels");
  // The operator changed the power since.
  std::string mine = FileText(folder() / "kelvaro.cfg");
  mine.replace(mine.find("power=050"), 9, "power=010");
  dir.Write("radio/kelvaro.cfg", mine);

  // Same ports again: nothing to ask, the file stays as it is.
  ASSERT_EQ(Run(r, ""), 0) << err.str();
  EXPECT_EQ(FileText(folder() / "kelvaro.cfg"), mine);
  EXPECT_NE(out.str().find("it stays as it is"), std::string::npos);

  // Another port without questions and without --change-config: refused.
  r.radioPort = 4;
  EXPECT_EQ(Run(r, ""), 1);
  EXPECT_NE(err.str().find("--change-config"), std::string::npos) << err.str();
  EXPECT_EQ(FileText(folder() / "kelvaro.cfg"), mine);
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder() / "com4")));

  // In the dialogue: "no" leaves everything, "yes" changes lines 1 and 11 only.
  SetupRequest asked = Request();
  asked.noPassThrough = true;
  EXPECT_EQ(Run(asked, "1\n4\nmaybe\nno\n"), 1);
  EXPECT_NE(out.str().find("has the radio on COM 3 and no pass-through port. Change it to the radio on COM 4 and no "
                            "pass-through port?"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("Please answer yes or no."), std::string::npos);
  EXPECT_EQ(FileText(folder() / "kelvaro.cfg"), mine);
  EXPECT_EQ(Run(asked, "1\n4\nyes\n"), 0) << err.str();
  PanelState s = ReadBack(folder() / "kelvaro.cfg");
  EXPECT_EQ(s.config.comPort, 4);
  EXPECT_EQ(s.config.powerSetting, 10);  // the operator's own line stays
  EXPECT_EQ(FileText(folder() / "savmem.dat"), "the operator's channels");
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"com3", "com4", "kelvaro.cfg", "savmem.dat"}));

  // And by option.
  r.radioPort = 9;
  r.config = ConfigChoice::kChange;
  ASSERT_EQ(Run(r, ""), 0) << err.str();
  EXPECT_EQ(ReadBack(folder() / "kelvaro.cfg").config.comPort, 9);
}

TEST_F(Setup, AFolderThatCannotBeWrittenIsReportedBeforeAnyQuestion) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write in any folder (the install test covers this as another user)";
  Plug(kRadioName, 0);
  fs::create_directory(folder());
  fs::permissions(folder(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Run(Request(), "1\n5\n"), 1);
  EXPECT_NE(err.str().find("cannot set up " + folder().string() + ": Permission denied"), std::string::npos)
      << err.str();
  EXPECT_EQ(out.str(), "");
  fs::permissions(folder(), fs::perms::owner_all);
  EXPECT_TRUE(FolderNames().empty());
}

}  // namespace
}  // namespace kelvaro
