// The COM ports offered by kelvaro --setup on Windows: the system's lists
// merged into one, described and ordered with the radio's likely port first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ports.h"

namespace kelvaro {

struct ComPortChoice {
  int number = 0;     // 5 for COM5
  std::string name;   // the friendly name, or the kernel's device when the system gives none
  int likeness = 0;   // how much it looks like the radio's CAT port, 0 not at all
  bool likelyRadio() const { return likeness > 0; }
};

// The number of "COM5", "com12", "\\.\COM12"; 0 for anything else.
int ComNumberOf(std::string_view portName);

// One entry per COM number: the devices' entries with their friendly names,
// then the SERIALCOMM ports none of them has, named by their kernel device.
// The radio's likely ports come first (a name that says Yaesu or FTX; the
// Enhanced port of a CP2105 dual bridge, which is the FTX-1's CAT port; any
// other Silicon Labs CP210x bridge), then the others, each group by number.
std::vector<ComPortChoice> DescribeComPorts(const SystemComPorts& system);

}  // namespace kelvaro
