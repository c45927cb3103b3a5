// The configuration file "kelvaro.cfg": any bytes.
//
// The values must be the ones the fixed positions give, the repeater shifts
// must come out in the form the repeater commands and band records take, and
// the whole program must then start, run a short session that uses every
// configured value (bands with repeater shifts, the tuner, the power, quit)
// and shut down with only well-formed commands sent to the radio.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/startup.h"
#include "fuzz_support.h"
#include "keys/key_rules.h"
#include "radio.h"
#include "state/text.h"

namespace kelvaro::fuzz {
namespace {

// The configuration's lines: missing lines are empty.
std::vector<std::string> ConfigurationLines(std::string_view bytes) {
  std::vector<std::string> lines = FileLines(bytes, 254);
  lines.resize(12);
  return lines;
}

int Length(const std::string& s) { return static_cast<int>(s.size()); }

bool FourDigits(std::string_view s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The values each line gives by its positions.
void CheckValues(const PanelState& s, const std::vector<std::string>& l) {
  auto expect = [](int32_t got, int32_t want, const char* name) {
    FUZZ_CHECK(got == want, std::string(name) + " is " + std::to_string(got) + ", the file says " + std::to_string(want));
  };
  expect(s.comPort, IntFromText(Right(l[0], Length(l[0]) == 6 ? 2 : 1)), "comPort");
  expect(s.baudRate, IntFromText(Mid(l[1], 7)), "baudRate");
  const int n = Length(l[2]);
  expect(s.powerSetting, n >= 7 && n <= 9 ? IntFromText(Right(l[2], n - 6)) : 0, "powerSetting");
  expect(s.tunerState, IntFromText(Mid(l[4], 5, 1)), "tunerState");
  expect(s.powerOffAtExit, IntFromText(Mid(l[5], 8, 1)), "powerOffAtExit");
  expect(s.passThroughPort, IntFromText(Right(l[10], Length(l[10]) == 9 ? 2 : 1)), "passThroughPort");
  expect(s.debugLog, IntFromText(Mid(l[11], 7, 1)), "debugLog");
  expect(s.dcsEnabled, 1, "dcsEnabled");

  // Lines 7 to 10: sign position, offset start, and the line length at which
  // the offset has four digits in the file.
  struct Shift {
    int band, line, signAt, offsetAt, fourDigitLength;
  };
  const Shift shifts[] = {{kBand10m, 6, 7, 8, -1}, {kBand6m, 7, 6, 7, 10}, {kBand2m, 8, 6, 7, 10}, {kBand70cm, 9, 7, 8, 11}};
  for (const Shift& shift : shifts) {
    const std::string& line = l[shift.line];
    const std::string band = std::to_string(shift.band);
    const std::string& sign = s.currentShiftSign[shift.band].str();
    const std::string& khz = s.currentShiftKhz[shift.band].str();
    FUZZ_CHECK(sign == "+" || sign == "-", "shift sign of band " + band + " is \"" + sign + "\"");
    FUZZ_CHECK(FourDigits(khz), "shift offset of band " + band + " is \"" + khz + "\"");
    FUZZ_CHECK(s.standardShiftSign[shift.band] == sign && s.standardShiftKhz[shift.band] == khz,
               "standard shift of band " + band + " differs from the current one");
    // A "+" in the file is an upward shift; a well-formed offset is taken as it is.
    if (Mid(line, shift.signAt, 1) == "+") FUZZ_CHECK(sign == "+", "the \"+\" of band " + band + " was lost");
    const std::string offset = Length(line) == shift.fourDigitLength ? Mid(line, shift.offsetAt, 4)
                                                                      : "0" + Mid(line, shift.offsetAt, 3);
    if (FourDigits(offset)) FUZZ_CHECK(khz == offset, "offset of band " + band + " is " + khz + ", the file says " + offset);
  }
}

// A short session that touches every configured value.
void ScriptSession(FakeWindow& window) {
  auto tick = [&](int n) {
    for (int i = 0; i < n; ++i) window.script.push_back({kMsgTimer, 0});
  };
  auto press = [&](int key) {
    window.script.push_back({kMsgKeyDown, key});
    window.script.push_back({kMsgKeyUp, key});
    tick(2);
  };
  tick(6);
  // 10 m and 6 m in FM with repeater shift, then 2 m and 70 cm.
  for (int band : {'0', 'X'}) {
    press('B');
    press(band);
    for (int i = 0; i < 3; ++i) press('M');
    press('V');
  }
  for (int band : {'T', 'S'}) {
    press('B');
    press(band);
    press('V');
    press('V');
  }
  // The standard offset read out, the tuner, the power.
  press('X');
  press('O');
  press(vk::kEnter);
  press('T');
  press('T');
  press(vk::kF12);
  press('P');
  press(vk::kUp);
  press(vk::kDown);
  press('Q');
  tick(6);
}

}  // namespace
}  // namespace kelvaro::fuzz

using namespace kelvaro;
using namespace kelvaro::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkFolder();
  Vocabulary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ClearWorkFolder();
  WriteWorkFile("kelvaro.cfg", bytes);

  {
    FuzzPanel t;
    SetFixedTexts(t.panel.state);
    FUZZ_CHECK(ReadConfiguration(t.panel), "kelvaro.cfg could not be read");
    CheckValues(t.panel.state, ConfigurationLines(bytes));
  }

  FuzzPanel t;
  ftx1sim::Radio radio;
  int radioPort = 0;
  const AfterConfiguration connect = [&](Panel& panel) {
    radioPort = panel.state.comPort;
    t.ports.SetResponder(radioPort, [&radio](std::string_view b) {
      radio.Advance(50);
      return radio.Feed(b);
    });
  };
  ScriptSession(t.window);
  FUZZ_CHECK(RunProgram(t.panel, t.window, connect) == 0, "the program failed");
  FUZZ_CHECK(t.window.closed, "the window was not closed");

  const PanelState& s = t.panel.state;
  for (const std::string& command : CommandsOn(t.ports, radioPort)) {
    const std::string bad = MalformedCommand(command, false);
    FUZZ_CHECK(bad.empty(), "sent \"" + command + "\": " + bad);
  }
  CheckRecords(s);
  CheckSpokenPhrases(t);
  return 0;
}
