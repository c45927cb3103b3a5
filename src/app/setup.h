// Setting up a working folder for a radio in one step (kelvaro --setup).
//
// The set-up lists the serial devices (normally /dev/serial/by-id), asks which
// one is the radio and, optionally, which one is the pass-through port, links
// them as comN in the folder, writes kelvaro.cfg, and checks that the user may
// open the devices. It talks line by line on plain streams, so a screen reader
// in a terminal reads every question as it comes, and a script can answer
// every question with an option instead.
//
// Everything that looks at the system takes its folder or its facts as
// parameters, so tests run it against a folder of their own.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/com_ports.h"
#include "platform/access.h"

namespace kelvaro {

// The folder where the system names serial devices by their USB identity.
inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

// One serial device as the by-id folder names it.
struct SerialDevice {
  std::filesystem::path link;    // e.g. /dev/serial/by-id/usb-Silicon_Labs_...-if00-port0
  std::filesystem::path target;  // what the link leads to (/dev/ttyUSB0); empty when nothing
  std::string usbName;           // "Silicon Labs CP2105 Dual USB to UART Bridge Controller 01A2B3C4"
  int usbInterface = -1;         // 0 for "-if00", -1 when the name has none
  bool likelyRadio = false;      // the USB bridge of a Yaesu radio, its CAT interface
};

// Reads a by-id name ("usb-Vendor_Model_Serial-if00-port0") into a device
// with `link` = folder / name. Names of other forms keep their whole text as
// the USB name.
SerialDevice DescribeSerialName(const std::filesystem::path& folder, std::string_view name);

// The serial devices in `folder`: the radio's likely ports first, then the
// others, each group by name. A missing folder has none (the system removes
// it when no USB serial device is plugged in).
std::vector<SerialDevice> ListSerialDevices(const std::filesystem::path& folder);

// Empty when the user may read and write the device. Otherwise one sentence
// that says why not and how to mend it, for example that the device belongs
// to the group dialout and the command that adds the user to it.
std::string AccessAdvice(const std::filesystem::path& device, const DeviceFacts& facts,
                         const UserFacts& user);

// The same for a real device and the running user; empty as well when the
// device cannot be examined (then opening it will say why).
std::string DeviceAccessAdvice(const std::filesystem::path& device);

// The highest COM number a configuration can name (two digits).
inline constexpr int kMaxSetupPort = 99;

// A kelvaro.cfg with the example's settings, the radio on COM `radioPort` and
// the pass-through port `passThroughPort` (0 = none); lines end with CR LF.
std::string ConfigurationText(int radioPort, int passThroughPort);

// An existing kelvaro.cfg with only the radio's port (line 1) and the
// pass-through port (line 11) changed; missing lines up to the twelfth get
// the example's, lines after it stay as they are. Lines end with CR LF.
std::string ChangedConfiguration(const std::string& existing, int radioPort, int passThroughPort);

// Whether an existing kelvaro.cfg whose ports differ may be changed without
// asking (--change-config).
enum class ConfigChoice { kAsk, kChange };

// What the set-up is told by its options; everything left open is asked,
// unless `radio` is given, which makes it run without any question.
struct SetupRequest {
  std::filesystem::path folder = ".";
  std::filesystem::path serialFolder = kSerialByIdFolder;
  std::filesystem::path radio;        // the radio's device
  int radioPort = 0;                  // its COM number; 0 = ask (5 without questions)
  std::filesystem::path passThrough;  // the pass-through port's device
  bool noPassThrough = false;         // no pass-through port, do not ask
  int passThroughPort = 0;            // its COM number; 0 = ask (radio's + 1 without questions)
  ConfigChoice config = ConfigChoice::kAsk;
};

// Runs the set-up: asks on `out` and reads the answers from `in`, reports
// problems on `err`. Nothing is written until every answer is in and checked;
// then the links are put in place, and kelvaro.cfg last, replaced so that it
// is whole, old or new, whatever happens. savmem.dat and
// anything else in the folder are left alone. Returns the exit status (0 when
// the folder is set up).
int RunSetup(const SetupRequest& request, std::istream& in, std::ostream& out, std::ostream& err);

// The set-up on Windows, where a port's COM number is its name and nothing is
// linked: the radio and the pass-through port are chosen from `ports` (shown
// in their order) or given as "COMn" (`radio`, `passThrough`, which make it
// run without any question), and only kelvaro.cfg is written, as RunSetup
// writes it. --port, --pass-through-port and --serial-folder have no meaning
// there and are refused.
int RunComSetup(const SetupRequest& request, const std::vector<ComPortChoice>& ports, std::istream& in,
                std::ostream& out, std::ostream& err);

}  // namespace kelvaro
