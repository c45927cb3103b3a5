// Key sequences through the message handler against the in-memory FTX-1.
//
// Input: one byte of choices (garbled answers, the radio's power class, the
// debug log), then operations:
//   0x00-0xBF  a key pressed and released (one of the keys the panel knows)
//   0xC0-0xDF  1 to 32 timer ticks
//   0xE0-0xE7  a key pressed and held (the next byte picks it)
//   0xE8-0xEF  the held key released
//   0xF0-0xF3  a key with any code 0..255 (the next byte) pressed and released
//   0xF4-0xF7  a key with an odd code (negative, beyond 255, the close code)
//   0xF8-0xFB  the operator turns the radio's dial (the next byte: how far)
//   0xFC-0xFF  something changes on the radio itself (mode, signal, PTT)
//
// Every command sent must have one of the panel's command forms (and, while
// the radio answers cleanly, values in the panel's ranges, and nothing the
// radio refuses but frequencies outside its coverage and typed menus); the
// records, frequencyText and the state the rules rely on keep their layouts
// and ranges; every phrase played is a recording.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "keys/key_rules.h"
#include "keys/message.h"
#include "radio.h"

namespace kelvaro::fuzz {
namespace {

constexpr int kRadioPort = 5;
constexpr int kMaxOperations = 1500;
constexpr int kMaxTicks = 4000;

const std::vector<int>& Keys() {
  static const std::vector<int> keys = [] {
    std::vector<int> k;
    for (int c = 'A'; c <= 'Z'; ++c) k.push_back(c);
    for (int c = '0'; c <= '9'; ++c) k.push_back(c);
    for (int c = vk::kKeypad0; c <= vk::kKeypad9; ++c) k.push_back(c);
    for (int c = vk::kF1; c <= vk::kF12; ++c) k.push_back(c);
    for (int c : {vk::kEnter, vk::kShift, vk::kCtrl, vk::kSpace, vk::kPageUp, vk::kPageDown, vk::kLeft, vk::kUp,
                  vk::kRight, vk::kDown, vk::kInsert, vk::kLeftWindows, vk::kKeypadPoint, vk::kPlus, vk::kMinus,
                  vk::kPoint}) {
      k.push_back(c);
    }
    return k;
  }();
  return keys;
}

constexpr int kOddCodes[] = {-1, 0, 256, 1000, 65535, INT_MIN, INT_MAX, kMsgClose};
constexpr const char* kRadioEvents[] = {"mode USB", "mode CW", "mode FM", "mode AM",
                                        "signal S9+20", "signal 0", "ptt on", "ptt off"};

struct Session {
  FuzzPanel t;
  ftx1sim::Radio radio;
  bool clean;  // the radio answers without garbling
  std::size_t seen = 0;
  int ticks = 0;

  explicit Session(const ftx1sim::Options& options) : radio(options), clean(options.garble == 0.0) {
    t.ports.SetResponder(kRadioPort, [this](std::string_view bytes) { return Answer(bytes); });
  }

  std::string Answer(std::string_view bytes) {
    std::string answer = radio.Feed(bytes);
    if (clean && answer == "?;") {
      const std::string command(bytes);
      FUZZ_CHECK(MayBeRefused(command, t.panel.state.tick.menuReadBusy), "the radio refused \"" + command + "\"");
    }
    return answer;
  }

  void Message(int code, int param) { HandleWindowMessage(t.panel, {code, param}); }
  void Press(int key) {
    Message(kMsgKeyDown, key);
    Message(kMsgKeyUp, key);
  }
  void Tick() {
    radio.Advance(50);
    t.clock.steady += std::chrono::milliseconds(50);  // the panel's waits end as time passes
    Message(kMsgTimer, 0);
    ++ticks;
  }

  void Check() {
    const PanelState& s = t.panel.state;
    for (const std::string& command : NewCommandsOn(t.ports, kRadioPort, &seen)) {
      const std::string bad = MalformedCommand(command, clean);
      FUZZ_CHECK(bad.empty(), "sent \"" + command + "\": " + bad);
    }
    const std::string bad = BadFrequencyText(s.radio.frequencyText);
    FUZZ_CHECK(bad.empty(), "frequencyText \"" + s.radio.frequencyText.str() + "\": " + bad);
    auto within = [](int32_t v, int32_t lo, int32_t hi, const char* name) {
      FUZZ_CHECK(v >= lo && v <= hi, std::string(name) + " " + std::to_string(v));
    };
    FUZZ_CHECK(s.banks.memoryBank == 99 || (s.banks.memoryBank >= 0 && s.banks.memoryBank <= 9),
               "memoryBank " + std::to_string(s.banks.memoryBank));
    within(s.banks.memoryCursor, 0, 9, "memoryCursor");
    within(s.radio.frequencyHz, 0, 999999999, "frequencyHz");
    within(s.radio.bandIndex, 1, kBandCount, "bandIndex");
    within(s.radio.radioMode, kLsb, kFmWide, "radioMode");
    within(s.radio.preampSetting, 0, 2, "preampSetting");
    within(s.radio.antennaSelect, 0, 1, "antennaSelect");
    within(static_cast<int32_t>(s.config.tunerState), 0, 3, "tunerState");
    if (clean) {
      within(s.radio.squelchLevel, 0, 255, "squelchLevel");
      within(s.radio.keyerSpeed, 4, 60, "keyerSpeed");
      within(s.radio.micGain, 0, 100, "micGain");
    }
  }
};

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
  Input in(data, size);
  const uint8_t choices = in.Byte();
  ftx1sim::Options options;
  options.garble = (choices & 0x03) == 0x03 ? 0.3 : (choices & 0x03) == 0x02 ? 0.05 : 0.0;
  options.powerClass = (choices & 0x0C) == 0x0C ? 6 : (choices & 0x0C) == 0x08 ? 10 : 100;
  options.seed = 1 + (choices >> 5);

  ClearWorkFolder();
  Session session(options);
  PanelState& s = session.t.panel.state;
  if (!StartPanel(session.t, StandardConfiguration(0, (choices & 0x10) != 0))) {
    FUZZ_CHECK(!session.clean, "the stand-in was refused");
    return 0;
  }
  for (int i = 0; i < 6; ++i) session.Tick();
  session.Check();

  const std::vector<int>& keys = Keys();
  for (int n = 0; n < kMaxOperations && !in.empty() && s.entry.runFlag && session.ticks < kMaxTicks; ++n) {
    const uint8_t op = in.Byte();
    if (op < 0xC0) {
      session.Press(keys[op % keys.size()]);
    } else if (op < 0xE0) {
      for (int i = op - 0xC0; i >= 0; --i) session.Tick();
    } else if (op < 0xE8) {
      session.Message(kMsgKeyDown, keys[in.Byte() % keys.size()]);
    } else if (op < 0xF0) {
      session.Message(kMsgKeyUp, 0);
    } else if (op < 0xF4) {
      session.Press(in.Byte());
    } else if (op < 0xF8) {
      session.Press(kOddCodes[in.Byte() % std::size(kOddCodes)]);
    } else if (op < 0xFC) {
      const int hz = (in.Byte() + 1) * 100;
      session.radio.Control((op & 1 ? "dial -" : "dial +") + std::to_string(hz));
    } else {
      session.radio.Control(kRadioEvents[in.Byte() % std::size(kRadioEvents)]);
    }
    session.Check();
  }
  CheckRecords(s);
  FUZZ_CHECK(session.seen == session.t.ports.port(kRadioPort).written.size(), "a command without \";\" was written");
  CheckSpokenPhrases(session.t);
  return 0;
}
