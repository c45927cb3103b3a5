// The configuration file "kelvaro.cfg": any bytes.
//
// The values read must have the properties any file gives them (each from
// its own line, within the range of the characters it is cut from, the same
// whatever the line ends, read back the same once written the way an operator
// writes them), the repeater shifts must come out in the form the repeater
// commands and band records take, and the whole program must then start, run
// a short session that uses every configured value (bands with repeater
// shifts, the tuner, the power, quit) and shut down with only well-formed
// commands sent to the radio.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/radio_check.h"
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

std::string Joined(const std::vector<std::string>& lines, std::string_view end) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end);
  return text;
}

std::string Padded(int32_t n, int width) {
  std::string digits = std::to_string(n);
  return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0') + digits;
}

std::string Shift(const PanelState& s, int band) {
  return s.config.currentShiftSign[band].str() + s.config.currentShiftKhz[band].str();
}

// A repeater shift line: label, sign and the offset in three digits ("6m  =-600"),
// or in four where the line takes four ("6m  =-1000"); "" when the offset
// needs four and the line takes three.
std::string ShiftLine(const PanelState& s, int band, const char* label, bool fourDigits) {
  const std::string khz = s.config.currentShiftKhz[band].str();
  if (khz.size() != 4) return "";
  if (khz[0] == '0') return label + s.config.currentShiftSign[band].str() + khz.substr(1);
  return fourDigits ? label + s.config.currentShiftSign[band].str() + khz : "";
}

// Every value the configuration gives, the line it comes from, and how an
// operator writes it (the form of examples/kelvaro.cfg).
struct Field {
  const char* name;
  std::size_t line;  // 0 is the first line
  int width;         // the number is cut from at most this many characters; 0: not a bounded number
  std::string empty; // the value of an empty line
  std::string (*value)(const PanelState&);
  std::string (*written)(const PanelState&);  // "" when the value has no written form
};

const Field kFields[] = {
    {"COM port", 0, 2, "0", [](const PanelState& s) { return std::to_string(s.config.comPort); },
     [](const PanelState& s) {
       return s.config.comPort >= 0 && s.config.comPort <= 99 ? "com=" + Padded(s.config.comPort, 2) : "";
     }},
    {"speed", 1, 0, "0", [](const PanelState& s) { return std::to_string(s.config.baudRate); },
     [](const PanelState& s) { return s.config.baudRate >= 0 ? "speed=" + std::to_string(s.config.baudRate) : ""; }},
    {"power", 2, 3, "0", [](const PanelState& s) { return std::to_string(s.config.powerSetting); },
     [](const PanelState& s) {
       return s.config.powerSetting >= 0 && s.config.powerSetting <= 999 ? "power=" + Padded(s.config.powerSetting, 3)
                                                                         : "";
     }},
    {"tuner", 4, 1, "0", [](const PanelState& s) { return std::to_string(static_cast<int>(s.config.tunerState)); },
     [](const PanelState& s) {
       const int tuner = static_cast<int>(s.config.tunerState);
       return tuner >= 0 && tuner <= 9 ? "tun=" + Padded(tuner, 1) : "";
     }},
    {"power off at exit", 5, 1, "0", [](const PanelState& s) { return std::to_string(s.config.powerOffAtExit); },
     [](const PanelState& s) {
       return s.config.powerOffAtExit >= 0 && s.config.powerOffAtExit <= 9
                  ? "pwroff=" + Padded(s.config.powerOffAtExit, 1)
                  : "";
     }},
    {"10 m shift", 6, 0, "-0000", [](const PanelState& s) { return Shift(s, kBand10m); },
     [](const PanelState& s) { return ShiftLine(s, kBand10m, "10m  =", false); }},
    {"6 m shift", 7, 0, "-0000", [](const PanelState& s) { return Shift(s, kBand6m); },
     [](const PanelState& s) { return ShiftLine(s, kBand6m, "6m  =", true); }},
    {"2 m shift", 8, 0, "-0000", [](const PanelState& s) { return Shift(s, kBand2m); },
     [](const PanelState& s) { return ShiftLine(s, kBand2m, "2m  =", true); }},
    {"70 cm shift", 9, 0, "-0000", [](const PanelState& s) { return Shift(s, kBand70cm); },
     [](const PanelState& s) {
       const std::string khz = s.config.currentShiftKhz[kBand70cm].str();
       return khz.size() == 4 ? "70cm =" + s.config.currentShiftSign[kBand70cm].str() + khz : "";
     }},
    {"pass-through port", 10, 2, "0", [](const PanelState& s) { return std::to_string(s.config.passThroughPort); },
     [](const PanelState& s) -> std::string {
       // Two digits are read from a line of nine characters.
       if (s.config.passThroughPort >= 0 && s.config.passThroughPort <= 9)
         return "vport= " + Padded(s.config.passThroughPort, 1);
       return s.config.passThroughPort >= 10 && s.config.passThroughPort <= 99
                  ? "vport= " + Padded(s.config.passThroughPort, 2)
                  : "";
     }},
    {"debug log", 11, 1, "0", [](const PanelState& s) { return std::to_string(s.config.debugLog); },
     [](const PanelState& s) {
       return s.config.debugLog >= 0 && s.config.debugLog <= 9 ? "debug=" + Padded(s.config.debugLog, 1) : "";
     }},
};

using Values = std::array<std::string, std::size(kFields)>;

Values ValuesOf(const PanelState& s) {
  Values values;
  for (std::size_t f = 0; f < values.size(); ++f) values[f] = kFields[f].value(s);
  return values;
}

Values Read(FuzzPanel& t, const std::string& text) {
  std::istringstream in(text);
  ReadConfiguration(t.panel, in);
  return ValuesOf(t.panel.state);
}

void ExpectValue(const Values& got, const Values& want, std::size_t f, const std::string& when) {
  FUZZ_CHECK(got[f] == want[f],
             when + ": " + kFields[f].name + " is " + got[f] + ", expected " + want[f]);
}

// Properties of the values read from any file, checked without reading the
// file the way the reader does: each value comes from its own line only and
// lies in the range of the characters it is cut from; line ends and lines
// after the twelfth change nothing; an empty line gives 0 or no shift; and
// the values, written back the way an operator writes them, read the same.
void CheckValues(const PanelState& s, const std::vector<std::string>& lines) {
  const Values values = ValuesOf(s);
  for (std::size_t f = 0; f < values.size(); ++f) {
    const Field& field = kFields[f];
    if (field.width == 0) continue;
    long limit = 1;
    for (int i = 0; i < field.width; ++i) limit *= 10;
    const long n = std::stol(values[f]);
    FUZZ_CHECK(n > -limit / 10 && n < limit,
               std::string(field.name) + " " + values[f] + " does not fit in " + std::to_string(field.width) + " characters");
  }
  FUZZ_CHECK(s.config.dcsEnabled, "DCS is off after reading the configuration");
  for (int band = kBand10m; band <= kBand70cm; ++band) {
    const std::string& sign = s.config.currentShiftSign[band].str();
    const std::string& khz = s.config.currentShiftKhz[band].str();
    const std::string name = std::to_string(band);
    FUZZ_CHECK(sign == "+" || sign == "-", "shift sign of band " + name + " is \"" + sign + "\"");
    FUZZ_CHECK(khz.size() == 4 && khz.find_first_not_of("0123456789") == std::string::npos,
               "shift offset of band " + name + " is \"" + khz + "\"");
    FUZZ_CHECK(s.config.standardShiftSign[band] == sign && s.config.standardShiftKhz[band] == khz,
               "standard shift of band " + name + " differs from the current one");
  }

  FuzzPanel reader;
  std::vector<std::string> more = lines;
  more.push_back("debug=1");
  const Values rejoined = Read(reader, Joined(more, "\n"));
  for (std::size_t f = 0; f < values.size(); ++f) ExpectValue(rejoined, values, f, "the lines ended by LF, a 13th added");

  for (std::size_t blank = 0; blank < lines.size(); ++blank) {
    std::vector<std::string> changed = lines;
    changed[blank].clear();
    const Values got = Read(reader, Joined(changed, "\r"));
    Values want = values;
    for (std::size_t f = 0; f < values.size(); ++f) {
      if (kFields[f].line == blank) want[f] = kFields[f].empty;
    }
    for (std::size_t f = 0; f < values.size(); ++f) ExpectValue(got, want, f, "line " + std::to_string(blank + 1) + " emptied");
  }

  std::vector<std::string> written(lines.size());
  written[3] = "mic=0";
  for (const Field& field : kFields) written[field.line] = field.written(s);
  const Values again = Read(reader, Joined(written, "\r\n"));
  for (std::size_t f = 0; f < values.size(); ++f) {
    if (!written[kFields[f].line].empty()) ExpectValue(again, values, f, "written back as \"" + written[kFields[f].line] + "\"");
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
  LoadVocabulary();
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
    radioPort = panel.state.config.comPort;
    t.ports.SetResponder(radioPort, [&radio](std::string_view b) {
      radio.Advance(50);
      return radio.Feed(b);
    });
  };
  ScriptSession(t.window);
  const int code = RunProgram(t.panel, t.window, connect);
  // A port number outside 1..256 is no port: the radio is silent and refused.
  const bool portUsable = radioPort >= 1 && radioPort <= kMaxPortNumber;
  FUZZ_CHECK(portUsable ? code == kExitOk : (code == kExitNoAnswer || code == kExitPortNotOpened),
             "the program ended with status " + std::to_string(code) + " on COM " + std::to_string(radioPort));
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
