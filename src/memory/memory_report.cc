// The readable list of stored memory channels, "memory.txt".
#include <array>
#include <string>
#include <string_view>

#include "platform/file_replace.h"
#include "memory/memory_banks.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

// Mode names by mode digit, each with its two leading blanks.
constexpr std::array<std::string_view, 8> kModePieces = {
    "", "  LSB", "  USB", "  CW", "  AM", "  FMN", "  C4FM", "  FMW",
};

// The six digits after the megahertz, with trailing zeros dropped but at
// least one digit kept: "250000" gives "25", "000000" gives "0".
std::string Fraction(std::string_view six) {
  std::size_t last = six.find_last_not_of('0');
  std::size_t keep = (last == std::string_view::npos || last == 0) ? 1 : last + 1;
  return std::string(six.substr(0, keep));
}

// A nine-digit frequency in Hz written as megahertz without leading zeros,
// "." and the fraction.
std::string Megahertz(std::string_view hz) {
  return Digits(IntFromText(hz.substr(0, 3))) + "." + Fraction(hz.substr(3, 6));
}

// One stored channel: slot, VFO A, VFO B (not for a repeater channel), mode,
// repeater shift, split, tone. The record has been checked for its layout.
std::string SlotLine(int slot, std::string_view text) {
  const ChannelRecord record = ParseChannelRecord(text);
  const char flag = record.flag;
  std::string line = "Slot " + Digits(slot) + " A=" + Megahertz(record.VfoADigits());
  if (flag != '5') line += "  B=" + Megahertz(record.VfoBDigits());
  line += kModePieces[static_cast<std::size_t>(record.mode - '0')];
  if (flag == '5') {
    line += "  Repeater";
    line += record.ShiftSign() == '+' ? "  +" : "  -";
    line += Digits(IntFromText(record.ShiftKhz())) + "Khz";
  }
  line += flag == '1' ? "  split" : "       ";
  const std::string tone = record.tone;
  if (tone != "999") line += (tone[0] > '4' ? "   DCS=" : "   CTCSS=") + tone;
  return line;
}

}  // namespace

void WriteMemoryReport(Panel& panel) {
  const PanelState& s = panel.state;
  std::string text = "Memory Bank Information\r\n  \r\n";
  bool anyStored = false;
  for (int bank = 0; bank < 10; ++bank) {
    bool bankShown = false;
    for (int slot = 0; slot < 10; ++slot) {
      // Only channels with their full layout are listed: a record that does
      // not have it is not a usable channel.
      std::string_view record = s.banks.memoryChannels[bank * 10 + slot].view();
      if (!IsChannelRecord(record)) continue;
      if (!bankShown) {
        text += "  \r\nBank" + Digits(bank) + "\r\n";
        bankShown = true;
      }
      text += SlotLine(slot, record) + "\r\n";
      anyStored = true;
    }
  }
  if (!anyStored) text += "Empty\r\n";
  ReplaceFileSafely(panel.File("memory.txt"), text);
}

}  // namespace kelvaro
