// The COM ports the system knows, as it names them.
#pragma once

#include <string>
#include <vector>

namespace kelvaro {

// One COM port in one of the system's lists.
struct ComPortRecord {
  std::string portName;      // "COM5"
  std::string friendlyName;  // the device's name in the Device Manager; may be empty
  std::string device;        // the kernel's device ("\Device\Silabser0"); may be empty
};

struct SystemComPorts {
  // The present devices of the ports class, with their friendly names.
  std::vector<ComPortRecord> devices;
  // Every serial port the drivers have made (HARDWARE\DEVICEMAP\SERIALCOMM),
  // without names.
  std::vector<ComPortRecord> serialComm;
};

// Windows only (platform/win32_com_ports.cc).
SystemComPorts ListSystemComPorts();

}  // namespace kelvaro
