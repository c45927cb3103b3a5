#include "app/com_ports.h"

#include <algorithm>
#include <map>

#include "state/text.h"

namespace kelvaro {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// A dual bridge has two ports: the Enhanced one carries the radio's CAT
// commands, the Standard one its other functions.
int Likeness(const std::string& friendlyName) {
  const std::string name = Lower(friendlyName);
  if (Contains(name, "yaesu") || Contains(name, "ftx")) return 3;
  if (Contains(name, "silicon labs") && Contains(name, "cp210")) {
    if (Contains(name, "enhanced")) return 2;
    if (Contains(name, "standard")) return 0;
    return 1;
  }
  return 0;
}

}  // namespace

int ComNumberOf(std::string_view portName) {
  if (portName.substr(0, 4) == "\\\\.\\") portName.remove_prefix(4);
  if (portName.size() < 4 || Lower(portName.substr(0, 3)) != "com") return 0;
  const std::string digits(portName.substr(3));
  if (!OnlyDigits(digits) || digits.size() > 3 || digits[0] == '0') return 0;
  return IntFromText(digits);
}

std::vector<ComPortChoice> DescribeComPorts(const SystemComPorts& system) {
  std::map<int, ComPortChoice> byNumber;
  for (const ComPortRecord& record : system.devices) {
    const int n = ComNumberOf(record.portName);
    if (n == 0 || byNumber.count(n) != 0) continue;
    byNumber[n] = {n, record.friendlyName.empty() ? record.portName : record.friendlyName,
                   Likeness(record.friendlyName)};
  }
  for (const ComPortRecord& record : system.serialComm) {
    const int n = ComNumberOf(record.portName);
    if (n == 0 || byNumber.count(n) != 0) continue;
    byNumber[n] = {n, record.device.empty() ? record.portName : record.device, 0};
  }
  std::vector<ComPortChoice> ports;
  for (auto& [n, port] : byNumber) ports.push_back(std::move(port));
  std::stable_sort(ports.begin(), ports.end(),
                   [](const ComPortChoice& a, const ComPortChoice& b) { return a.likeness > b.likeness; });
  return ports;
}

}  // namespace kelvaro
