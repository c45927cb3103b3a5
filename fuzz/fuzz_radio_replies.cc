// The radio's answers, as the identification and the timer tick read them.
//
// Input: one byte of start-up choices (debug log, the band the memory file
// holds, repeater records on the FM bands), then the radio's answers
// separated by "\n": the radio answers each command the panel writes with the
// next one (an empty one is no answer), so answers come late, early, garbled,
// run together or not at all, as the input says.
//
// The panel must identify or refuse the radio, then poll for a few hundred
// ticks, sending only well-formed commands, and keep frequencyText, the band
// records and the memory channels in their layouts throughout.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "state/radio_tables.h"
#include "fuzz_support.h"
#include "keys/message.h"

namespace kelvaro::fuzz {
namespace {

constexpr int kRadioPort = 5;
constexpr int kTicks = 300;

// "savmem.dat" with the band current at start; with `repeater` the FM bands
// 10 m to 70 cm hold records in repeater operation with a tone.
std::string BankFile(int band, bool repeater) {
  std::string text = "KELVARO v1.0a 3.5a ";
  text += static_cast<char>('0' + band);
  text += "0\r\n";
  for (int b = 1; b <= kBandCount; ++b) {
    std::string record(BandRow(b)->defaultRecord);
    if (repeater && b >= kBand10m && b <= kBand70cm) {
      // Flag "5", FM, VFO A kept, shift "-" 0600 kHz, CTCSS tone 12 (or DCS
      // 712 on 70 cm).
      record = "55" + record.substr(2, 10) + "B-00000600" + (b == kBand70cm ? "712" : "012") + "0";
    }
    text += record + "\r\n";
  }
  for (int c = 0; c < kChannelCount; ++c) text += "9\r\n";
  return text;
}

void CheckCommands(FuzzPanel& t, std::size_t* seen) {
  for (const std::string& command : NewCommandsOn(t.ports, kRadioPort, seen)) {
    const std::string bad = MalformedCommand(command, true);
    FUZZ_CHECK(bad.empty(), "sent \"" + command + "\": " + bad);
  }
}

void CheckFrequencyText(const PanelState& s) {
  const std::string bad = BadFrequencyText(s.radio.frequencyText);
  FUZZ_CHECK(bad.empty(), "frequencyText \"" + s.radio.frequencyText.str() + "\": " + bad);
  FUZZ_CHECK(s.radio.frequencyHz >= 0 && s.radio.frequencyHz <= 999999999,
             "frequencyHz " + std::to_string(s.radio.frequencyHz));
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
  Input in(data, size);
  const uint8_t choices = in.Byte();
  const std::string_view rest = in.Bytes(in.left());
  std::vector<std::string> answers;
  for (std::size_t start = 0; start <= rest.size();) {
    std::size_t end = rest.find('\n', start);
    if (end == std::string_view::npos) end = rest.size();
    answers.emplace_back(rest.substr(start, end - start));
    start = end + 1;
  }
  const bool trace = std::getenv("KELVARO_FUZZ_TRACE") != nullptr;

  ClearWorkFolder();
  WriteWorkFile("savmem.dat", BankFile(1 + (choices >> 1) % kBandCount, (choices & 0x80) != 0));
  FuzzPanel t;
  std::size_t next = 0;
  t.ports.SetResponder(kRadioPort, [&](std::string_view command) {
    std::string answer = next < answers.size() ? answers[next] : std::string();
    ++next;
    if (trace) std::cerr << "  " << command << " -> " << answer << "\n";
    return answer;
  });

  const bool accepted = StartPanel(t, StandardConfiguration(0, (choices & 1) != 0));
  PanelState& s = t.panel.state;
  std::size_t seen = 0;
  CheckCommands(t, &seen);
  CheckRecords(s);
  if (accepted) {
    for (int tick = 0; tick < kTicks && s.entry.runFlag; ++tick) {
      HandleWindowMessage(t.panel, {kMsgTimer, 0});
      CheckFrequencyText(s);
      CheckCommands(t, &seen);
    }
    CheckRecords(s);
    FUZZ_CHECK(s.radio.radioMode >= kLsb && s.radio.radioMode <= kFmWide,
               "radioMode " + std::to_string(s.radio.radioMode));
    FUZZ_CHECK(s.radio.agcIndex >= 1 && s.radio.agcIndex <= 4, "agcIndex " + std::to_string(s.radio.agcIndex));
    FUZZ_CHECK(s.radio.preampSetting >= 0 && s.radio.preampSetting <= 2,
               "preampSetting " + std::to_string(s.radio.preampSetting));
    FUZZ_CHECK(s.cat.powerClass >= -1 && s.cat.powerClass <= 1, "powerClass " + std::to_string(s.cat.powerClass));
    if (!s.cat.lastFreqReply.empty()) {
      const std::string& r = s.cat.lastFreqReply.str();
      FUZZ_CHECK(r.size() == 11 && (r.rfind("FA", 0) == 0 || r.rfind("FB", 0) == 0) &&
                     r.find_first_not_of("0123456789", 2) == std::string::npos,
                 "lastFreqReply \"" + r + "\"");
    }
  }
  FUZZ_CHECK(seen == t.ports.port(kRadioPort).written.size(), "a command without \";\" was written");
  CheckSpokenPhrases(t);
  if (trace) std::cerr << (accepted ? "accepted" : "refused") << ", " << next << " commands answered\n";
  return 0;
}
