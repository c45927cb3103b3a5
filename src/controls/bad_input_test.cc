// Whatever the records, replies and fields hold, the controls send only well
// formed commands and never break a band record that had its layout.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>

#include "controls/bands.h"
#include "controls/channels.h"
#include "controls/controls_test_panel.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/stepping.h"
#include "controls/tones.h"
#include "memory/band_records.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;

bool IsUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Two capital letters, capitals and digits, one ";" at the end; a frequency
// set command carries exactly nine digits.
bool WellFormed(const std::string& command) {
  if (command.size() < 3 || command.back() != ';') return false;
  if (command[0] < 'A' || command[0] > 'Z' || command[1] < 'A' || command[1] > 'Z') return false;
  for (std::size_t i = 2; i + 1 < command.size(); ++i) {
    if (!IsUpperOrDigit(command[i])) return false;
  }
  const bool frequency = command[0] == 'F' && (command[1] == 'A' || command[1] == 'B');
  if (frequency && command.size() > 3) {
    if (command.size() != 12) return false;
    for (std::size_t i = 2; i < 11; ++i) {
      if (command[i] < '0' || command[i] > '9') return false;
    }
  }
  return true;
}

template <typename T, std::size_t N>
const T& Pick(std::mt19937& rng, const T (&pool)[N]) {
  return pool[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

// EnterDigit with the key drawn for the round, digit or not.
void EnterTheKeyAsDigit(Panel& panel) { EnterDigit(panel, panel.state.entry.keyCode); }

TEST(BadInput, OnlyWellFormedCommandsAndRecords) {
  const char* records[] = {"02A014200000B0142000009991", "55A145600000B-000006000880", "", "9", "02A0142",
                           "0xA014200000B0142000009991", "5", "55A145600000B1450000000880",
                           "02A014200000B0142000009991TOOLONG", "12A0142000"};
  const char* channels[] = {"9", "", "0206A014250000B0142500009991", "5512A145600000B-000006000880",
                            "5514A029600000B-000001000000", "0299A014250000B0142500009991", "0206A01",
                            "1104A007000000B0071000005231", "0713A432100000B4321000008001"};
  const char* replies[] = {"", "FA", "FA014250000", "FB145500000", "FA01425x000", "FA999999999", "?;"};
  const char* tones[] = {"", "1", "12", "012", "999", "000", "803", "500", "1234", "x1", "-12"};
  const char* texts[] = {"", "A014195000", "B014195000", "A01", "Z014195000", "A0141950001", "+", "-", "0600",
                         "99999", "x"};
  const int numbers[] = {INT_MIN, -1000, -1, 0, 1, 2, 3, 5, 9, 10, 11, 12, 13, 14, 15, 21, 49, 60,
                         99, 100, 255, 256, 999, 14250000, INT_MAX};
  const int keys[] = {47, 48, 49, 53, 57, 58, 65, 96};
  const std::vector<std::function<void(Panel&)>> operations = {
      SelectBand,         RecallBand,          StoreBandMode,        StepUp,           StepDown,
      SendPower,          SendRfGain,          SendMicGain,          SendKeyerSpeed,   SendWidth,
      SendToneSquelch,    SendRepeaterShift,   EnterTheKeyAsDigit,   ApplyPreamp,      ToggleAttenuator,
      ToggleNoiseBlanker, ToggleNoiseReduction, ToggleProcessor,     ReadProcessorLevel, ToggleBreakIn,
      ToggleVox,          ApplyMode,           SendFrequencyA,       SnapToWholeKhz,   StoreBandRecord,
      BandFromFrequency,  BandFromEnteredMhz,   CancelSplit,
  };

  std::mt19937 rng(20240611);
  for (int round = 0; round < 3000; ++round) {
    ControlPanel t;
    PanelState& s = t.panel.state;
    for (int band = 1; band <= kBandCount; ++band) {
      if (rng() % 4 == 0) s.banks.bandRecords[band] = Pick(rng, records);
    }
    for (int i = 0; i < 5; ++i) s.banks.memoryChannels[rng() % kChannelCount] = Pick(rng, channels);
    for (int band = kBand10m; band <= kBand70cm; ++band) {
      if (rng() % 3 == 0) s.config.currentShiftKhz[band] = Pick(rng, texts);
      if (rng() % 3 == 0) s.config.standardShiftKhz[band] = Pick(rng, texts);
      if (rng() % 3 == 0) s.config.standardShiftSign[band] = Pick(rng, texts);
    }
    s.cat.lastFreqReply = Pick(rng, replies);
    s.radio.toneCode = Pick(rng, tones);
    s.radio.bandVfoText = Pick(rng, texts);
    s.radio.vfoBText = Pick(rng, texts);
    int32_t* fields[] = {
        &s.radio.bandIndex,       &s.radio.radioMode,        &s.radio.widthIndex,    &s.config.powerSetting,
        &s.cat.powerClass,        &s.radio.rfGain,           &s.radio.afGain,        &s.radio.monitorLevel,
        &s.radio.blankerLevel,    &s.radio.reductionLevel,   &s.radio.contourHz,     &s.radio.processorLevel,
        &s.radio.keyerSpeed,      &s.radio.micGain,          &s.radio.preampSetting, &s.radio.frequencyHz,
        &s.entry.freqEntryNumber, &s.entry.bankDigitPending, &s.radio.ssbWidth,      &s.radio.cwWidth};
    for (int32_t* field : fields) {
      if (rng() % 3 == 0) *field = Pick(rng, numbers);
    }
    for (bool* flag : {&s.radio.splitOn, &s.entry.toneActive, &s.entry.dcsTone, &s.entry.freqEntryActive}) {
      if (rng() % 3 == 0) *flag = rng() % 2 == 0;
    }
    // The named states take any of their values.
    if (rng() % 3 == 0) s.entry.entryState = Pick(rng, kEntryStates);
    if (rng() % 3 == 0) s.entry.levelTarget = static_cast<LevelTarget>(rng() % 6);
    if (rng() % 3 == 0) s.radio.repeaterOn = static_cast<RepeaterState>(rng() % 3);
    if (rng() % 3 == 0) s.entry.channelMode = static_cast<ChannelMode>(rng() % 3);
    s.entry.keyCode = Pick(rng, keys);
    t.ports.Receive(ControlPanel::kPort, Pick(rng, replies));

    std::vector<bool> hadLayout;
    for (int band = 0; band <= kBandCount; ++band) hadLayout.push_back(IsBandRecord(s.banks.bandRecords[band]));
    for (int step = 0; step < 3; ++step) operations[rng() % operations.size()](t.panel);

    for (const std::string& command : t.TakeSent()) {
      ASSERT_TRUE(WellFormed(command)) << "round " << round << ": " << command;
    }
    for (int band = 1; band <= kBandCount; ++band) {
      if (hadLayout[band]) {
        ASSERT_TRUE(IsBandRecord(s.banks.bandRecords[band]))
            << "round " << round << " band " << band << ": " << s.banks.bandRecords[band].str();
      }
    }
    for (const Text& channel : s.banks.memoryChannels) {
      ASSERT_TRUE(channel == "9" || channel.empty() || IsChannelRecord(channel) ||
                  channel == "0206A01" || channel == "0299A014250000B0142500009991")
          << "round " << round << ": " << channel.str();
    }
  }
}

}  // namespace
}  // namespace kelvaro
