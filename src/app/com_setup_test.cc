// kelvaro --setup on Windows, over COM port lists as the system reports them
// for real USB bridges.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/com_ports.h"
#include "app/config.h"
#include "app/setup.h"
#include "state/panel_state.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// An FTX-1 (a CP2105 dual bridge), a CH340 cable, a motherboard port and a
// Bluetooth port; one FTDI port the SetupAPI list misses, known only to
// SERIALCOMM.
const SystemComPorts kRadioAndOthers = {
    {{"COM4", "USB-SERIAL CH340 (COM4)", ""},
     {"COM6", "Silicon Labs Dual CP2105 USB to UART Bridge: Standard COM Port (COM6)", ""},
     {"COM5", "Silicon Labs Dual CP2105 USB to UART Bridge: Enhanced COM Port (COM5)", ""},
     {"COM1", "Communications Port (COM1)", ""},
     {"COM12", "Standard Serial over Bluetooth link (COM12)", ""}},
    {{"COM1", "", "\\Device\\Serial0"},
     {"COM5", "", "\\Device\\Silabser0"},
     {"COM8", "", "\\Device\\VCP0"}},
};

TEST(ComPorts, OnePerNumberNamedAndTheRadiosCatPortFirst) {
  struct Case {
    const char* name;
    SystemComPorts system;
    std::vector<int> order;
    std::vector<std::string> names;
    std::vector<bool> likely;
  };
  const std::vector<Case> cases = {
      {"dual bridge among others",
       kRadioAndOthers,
       {5, 1, 4, 6, 8, 12},
       {"Silicon Labs Dual CP2105 USB to UART Bridge: Enhanced COM Port (COM5)", "Communications Port (COM1)",
        "USB-SERIAL CH340 (COM4)", "Silicon Labs Dual CP2105 USB to UART Bridge: Standard COM Port (COM6)",
        "\\Device\\VCP0", "Standard Serial over Bluetooth link (COM12)"},
       {true, false, false, false, false, false}},
      {"single CP210x bridge after a radio that names itself",
       {{{"COM3", "Silicon Labs CP210x USB to UART Bridge (COM3)", ""},
         {"COM9", "Yaesu FTX-1 CAT (COM9)", ""},
         {"COM7", "Prolific USB-to-Serial Comm Port (COM7)", ""}},
        {}},
       {9, 3, 7},
       {"Yaesu FTX-1 CAT (COM9)", "Silicon Labs CP210x USB to UART Bridge (COM3)",
        "Prolific USB-to-Serial Comm Port (COM7)"},
       {true, true, false}},
      {"names missing: SERIALCOMM only, odd names left out",
       {{{"COM2", "", ""}, {"LPT1", "Printer Port (LPT1)", ""}},
        {{"COM3", "", "\\Device\\Silabser0"}, {"COM03", "", "\\Device\\Odd"}, {"\\\\.\\COM10", "", ""}}},
       {2, 3, 10},
       {"COM2", "\\Device\\Silabser0", "\\\\.\\COM10"},
       {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> order;
    std::vector<std::string> names;
    std::vector<bool> likely;
    for (const ComPortChoice& port : DescribeComPorts(c.system)) {
      order.push_back(port.number);
      names.push_back(port.name);
      likely.push_back(port.likelyRadio());
    }
    EXPECT_EQ(order, c.order);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(likely, c.likely);
  }
}

PanelState ReadBack(const fs::path& file) {
  PanelState s;
  std::ifstream in(file, std::ios::binary);
  ReadConfiguration(s, in);
  return s;
}

TEST(ComSetup, AnswersOrOptionsGiveTheConfigurationsPorts) {
  struct Case {
    const char* name;
    SetupRequest request;
    std::string answers;
    int status;
    int radioPort, passThroughPort;  // in the kelvaro.cfg written; 0 0: none written
    std::string said;                // a part of what the set-up says
  };
  auto given = [](const char* radio, const char* passThrough) {
    SetupRequest r;
    r.radio = radio;
    r.passThrough = passThrough;
    return r;
  };
  SetupRequest none;
  none.noPassThrough = true;
  SetupRequest port7 = given("COM5", "");
  port7.radioPort = 7;
  const std::vector<Case> cases = {
      {"Enter takes the radio's likely port", {}, "\n\n", 0, 5, 0, "1: Silicon Labs Dual CP2105 USB to UART Bridge: "
                                                                   "Enhanced COM Port (COM5), probably the radio\n"},
      {"another radio and a pass-through port", {}, "3\n1\n", 0, 4, 5, "The radio: COM4\n"},
      {"the radio cannot be its own pass-through port", {}, "1\n1\n2\n", 0, 5, 1, "That is the radio"},
      {"a port known only to SERIALCOMM", {}, "5\n\n", 0, 8, 0, "5: COM8, \\Device\\VCP0\n"},
      {"no pass-through asked with none", none, "2\n", 0, 1, 0, "COM ports:\n"},
      {"the input ends", {}, "2\n", 1, 0, 0, "pass-through port"},
      {"--radio asks nothing", given("COM3", ""), "", 0, 3, 0, "Wrote "},
      {"--radio and --pass-through", given("com11", "COM12"), "", 0, 11, 12, "Wrote "},
      {"--radio not a COM port", given("/dev/ttyUSB0", ""), "", 1, 0, 0, ""},
      {"--radio beyond COM99", given("COM100", ""), "", 1, 0, 0, ""},
      {"the same port twice", given("COM3", "COM3"), "", 1, 0, 0, ""},
      {"--port has no meaning", port7, "", 1, 0, 0, ""},
  };
  const fs::path base = fs::path(testing::TempDir()) / "kelvaro-com-setup";
  const std::vector<ComPortChoice> ports = DescribeComPorts(kRadioAndOthers);
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetupRequest request = c.request;
    request.folder = base / std::to_string(index++);
    fs::remove_all(request.folder);
    std::istringstream in(c.answers);
    std::ostringstream out, err;
    EXPECT_EQ(RunComSetup(request, ports, in, out, err), c.status) << err.str();
    EXPECT_NE(out.str().find(c.said), std::string::npos) << out.str();
    const fs::path config = request.folder / "kelvaro.cfg";
    if (c.radioPort == 0) {
      EXPECT_FALSE(fs::exists(config));
      EXPECT_NE(err.str().find("nothing was written"), std::string::npos) << err.str();
      continue;
    }
    ASSERT_TRUE(fs::exists(config));
    PanelState s = ReadBack(config);
    EXPECT_EQ(s.config.comPort, c.radioPort);
    EXPECT_EQ(s.config.passThroughPort, c.passThroughPort);
    EXPECT_EQ(std::distance(fs::directory_iterator(request.folder), fs::directory_iterator()), 1);  // no links
  }
  fs::remove_all(base);
}

}  // namespace
}  // namespace kelvaro
