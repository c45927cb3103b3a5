#include "app/config.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelvaro {
namespace {

bool ReadLine(std::streambuf* in, std::string& line) { return ReadTextLine(in, line, Text::kMax); }

int Length(const std::string& line) { return static_cast<int>(line.size()); }

// The shift sign as the repeater controls use it. Anything but "+" already
// makes the radio shift downwards ("OS02"), so an unknown sign is held as
// "-": the band records and the commands built from it then stay well formed.
Text ShiftSign(const std::string& sign) { return sign == "+" ? "+" : "-"; }

// The offset in kHz, always four digits. Fewer digits (a short or missing
// line) are padded with leading zeros; characters that are not digits would
// end up inside radio commands and band records, so such an offset is held
// as "0000" (no shift) instead.
Text ShiftKhz(const std::string& offset) {
  for (char c : offset) {
    if (c < '0' || c > '9') return "0000";
  }
  if (offset.size() >= 4) return Left(offset, 4);
  return std::string(4 - offset.size(), '0') + offset;
}

}  // namespace

bool ReadConfiguration(Panel& panel, std::string* failure) {
  std::filesystem::path path = panel.File("kelvaro.cfg");
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (failure) *failure = std::strerror(EISDIR);
    return false;
  }
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    // The stream leaves the reason of the failed open in errno.
    if (failure) *failure = std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  ReadConfiguration(panel, file);
  return true;
}

void ReadConfiguration(Panel& panel, std::istream& in) { ReadConfiguration(panel.state, in); }

void ReadConfiguration(PanelState& s, std::istream& in) {
  std::streambuf* buffer = in.rdbuf();
  std::string line;

  // Line 1: COM port of the radio; two digits only when the line is 6 long.
  ReadLine(buffer, line);
  s.config.comPort = IntFromText(Right(line, Length(line) == 6 ? 2 : 1));

  // Line 2: serial speed, from position 7 on.
  ReadLine(buffer, line);
  s.config.baudRate = IntFromText(Mid(line, 7));

  // Line 3: transmit power; the line's length says how many digits it has.
  ReadLine(buffer, line);
  switch (Length(line)) {
    case 7: s.config.powerSetting = IntFromText(Right(line, 1)); break;
    case 8: s.config.powerSetting = IntFromText(Right(line, 2)); break;
    case 9: s.config.powerSetting = IntFromText(Right(line, 3)); break;
    default: s.config.powerSetting = 0; break;
  }

  // Line 4 is not used.
  ReadLine(buffer, line);

  // Line 5: antenna tuner preference.
  ReadLine(buffer, line);
  s.config.tunerState = static_cast<TunerUse>(IntFromText(Mid(line, 5, 1)));

  // Line 6: switch the radio off when the program ends.
  ReadLine(buffer, line);
  s.config.powerOffAtExit = IntFromText(Mid(line, 8, 1));
  s.config.dcsEnabled = true;

  // Lines 7 to 10: repeater shift of 10 m, 6 m, 2 m and 70 cm.
  ReadLine(buffer, line);
  s.config.currentShiftSign[kBand10m] = ShiftSign(Mid(line, 7, 1));
  s.config.currentShiftKhz[kBand10m] = ShiftKhz("0" + Mid(line, 8, 3));

  for (int band : {kBand6m, kBand2m}) {
    ReadLine(buffer, line);
    s.config.currentShiftSign[band] = ShiftSign(Mid(line, 6, 1));
    s.config.currentShiftKhz[band] = ShiftKhz(Length(line) == 10 ? Mid(line, 7, 4) : "0" + Mid(line, 7, 3));
  }

  ReadLine(buffer, line);
  s.config.currentShiftSign[kBand70cm] = ShiftSign(Mid(line, 7, 1));
  s.config.currentShiftKhz[kBand70cm] = ShiftKhz(Length(line) == 11 ? Mid(line, 8, 4) : "0" + Mid(line, 8, 3));

  // Line 11: pass-through port, 0 = none; two digits only when 9 long.
  s.config.passThroughPort = 0;
  ReadLine(buffer, line);
  s.config.passThroughPort = IntFromText(Right(line, Length(line) == 9 ? 2 : 1));

  // The standard shifts, which the repeater controls restore later.
  for (int band = kBand10m; band <= kBand70cm; ++band) {
    s.config.standardShiftSign[band] = s.config.currentShiftSign[band];
    s.config.standardShiftKhz[band] = s.config.currentShiftKhz[band];
  }

  // Line 12: debug log switch.
  s.config.debugLog = 0;
  ReadLine(buffer, line);
  s.config.debugLog = IntFromText(Mid(line, 7, 1));
}

}  // namespace kelvaro
