// Long random runs of the entry steps in any order and any state, against a
// stand-in that garbles some of its answers: every command that reaches the
// radio must be well formed, and the panel's values must stay in range.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <string_view>

#include "keys/entries.h"
#include "keys/entries_test_panel.h"
#include "keys/key_rules.h"
#include "traffic/timer_tick.h"

namespace kelvaro {
namespace {

using testing::EntryPanel;

bool AllDigitsText(std::string_view s) {
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// What a command of the panel looks like: two capital letters, then capitals
// and digits only (never a blank or a minus sign), one ";" at the end; the
// commands the entries build have their exact widths.
std::string Malformed(const std::string& command) {
  if (command.size() < 3 || command.back() != ';') return "no terminator";
  const std::string body = command.substr(0, command.size() - 1);
  if (body.find(';') != std::string::npos) return "two terminators";
  if (!std::isupper(static_cast<unsigned char>(body[0])) || !std::isupper(static_cast<unsigned char>(body[1]))) {
    return "code";
  }
  for (char c : body) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && !std::isupper(static_cast<unsigned char>(c))) {
      return "character";
    }
  }
  const std::string code = body.substr(0, 2);
  const std::string rest = body.substr(2);
  auto width = [&](std::size_t n) { return rest.size() == n && AllDigitsText(rest); };
  if ((code == "FA" || code == "FB") && !width(9) && !rest.empty()) return "frequency";
  if (code == "CN" && !width(5)) return "tone";
  // CTCSS codes up to 499 are what records may hold (a tone being typed is
  // stored with its band); the radio itself knows 000..049.
  if (code == "CN" && rest[1] == '0' && std::stoi(rest.substr(2)) > 499) return "CTCSS tone number";
  if (code == "EX" && (!AllDigitsText(rest) || rest.size() < 4)) return "menu";
  if (code == "GT" && (rest.size() != 2 || rest[0] != '0' || rest[1] < '1' || rest[1] > '4')) return "agc";
  if (code == "PC" && !rest.empty() && (!width(4) || (rest[0] != '1' && rest[0] != '2'))) return "power";
  if (code == "AC" && !width(3)) return "tuner";
  if ((code == "MG" || code == "KS") && !rest.empty() && !width(3)) return "level";
  if ((code == "TX" || code == "BI") && !width(1)) return "switch";
  if (code == "CT" && !width(2)) return "tone mode";
  return "";
}

void RandomStep(EntryPanel& t, std::mt19937& rng) {
  PanelState& s = t.panel.state;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  // Digits are typed most: they make the long and odd entries.
  if (pick(5) < 2) {
    EnterDigit(t.panel, '0' + pick(10));
    return;
  }
  switch (pick(30)) {
    case 0:
    case 1: StartFrequencyEntry(t.panel); break;
    case 2: FrequencyEntryPoint(t.panel); break;
    case 3:
    case 4: SendTypedFrequency(t.panel); break;
    case 5: ToggleTone(t.panel); break;
    case 6: SendTypedTone(t.panel); break;
    case 7: SwitchDigitalFm(t.panel); break;
    case 8: StartMenuEntry(t.panel); break;
    case 9: EndMenuNumber(t.panel); break;
    case 10: SendMenuValue(t.panel); break;
    case 11: ToggleExtendedPrefix(t.panel); break;
    case 12: SwitchAntenna(t.panel); break;
    case 13: SwapVfos(t.panel); break;
    case 14: StepAgc(t.panel); break;
    case 15: StartOffsetEntry(t.panel); break;
    case 16:
      s.entry.keyCode = pick(2) == 0 ? vk::kPlus : vk::kMinus;
      OffsetSign(t.panel);
      break;
    case 17: StoreTypedOffset(t.panel); break;
    case 18: ReadStandardOffset(t.panel); break;
    case 19: FrequencyReadout(t.panel); break;
    case 20: ToggleTransmit(t.panel); break;
    case 21: ToggleTune(t.panel); break;
    case 22: CycleTunerMode(t.panel); break;
    case 23: StartMicGainWatch(t.panel); break;
    case 24: EndMicGainWatch(t.panel); break;
    case 25: ToggleKeyerEntry(t.panel); break;
    case 26: LeaveKeyerEntry(t.panel); break;
    case 27:
      TimerTick(t.panel);
      TimerTick(t.panel);
      break;
    default:
      // The state the other keys leave behind: any mode, any entry state.
      s.radio.radioMode = 1 + pick(7);
      s.entry.entryState = kEntryStates[pick(std::size(kEntryStates))];
      s.radio.repeaterOn = pick(2) == 0 ? RepeaterState::kOff : RepeaterState::kOn;
      break;
  }
}

TEST(EntryBadInput, RandomStepsSendOnlyWellFormedCommands) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    ftx1sim::Options options;
    options.garble = 0.3;
    options.seed = seed;
    EntryPanel t(options);
    PanelState& s = t.panel.state;
    s.config.dcsEnabled = seed % 2;
    std::mt19937 rng(seed);
    for (int step = 0; step < 5000; ++step) {
      RandomStep(t, rng);
      for (const std::string& command : t.TakeSent()) {
        ASSERT_EQ(Malformed(command), "") << command << " at step " << step;
      }
      t.TakeSpoken();
      ASSERT_GE(s.radio.micGain, 0);
      ASSERT_LE(s.radio.micGain, 100);
      ASSERT_GE(s.radio.keyerSpeed, 4);
      ASSERT_LE(s.radio.keyerSpeed, 60);
      ASSERT_TRUE(s.radio.antennaSelect == 0 || s.radio.antennaSelect == 1);
      ASSERT_GE(static_cast<int>(s.config.tunerState), 0);
      ASSERT_LE(static_cast<int>(s.config.tunerState), 3);
      ASSERT_GE(s.radio.radioMode, kLsb);
      ASSERT_LE(s.radio.radioMode, kFmWide);
      for (int band = kBand10m; band <= kBand70cm; ++band) {
        ASSERT_TRUE(s.config.standardShiftSign[band] == "+" || s.config.standardShiftSign[band] == "-");
        ASSERT_EQ(s.config.standardShiftKhz[band].size(), 4u);
        ASSERT_TRUE(AllDigitsText(s.config.standardShiftKhz[band]));
      }
    }
  }
}

}  // namespace
}  // namespace kelvaro
