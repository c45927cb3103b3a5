#include "controls/channels.h"

#include <algorithm>
#include <string>

#include "controls/bands.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/tones.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "memory/memory_banks.h"
#include "memory/records.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

// The largest typed frequency number kept; any number this long is already
// too long for a frequency, so the entry still ends as invalid.
constexpr int64_t kMaxEntryNumber = 1999999999;

constexpr int32_t kNoBank = 99;


int ChannelIndex(const PanelState& s, int slot) {
  const int bank = std::clamp<int32_t>(s.entry.bankDigitPending, 0, 9);
  return bank * 10 + slot;
}

// The channel record of the live state: the band record as it would be kept
// now, with the band number after the mode digit.
std::string ChannelRecordOfLiveState(PanelState& s) {
  const int band = s.radio.bandIndex;
  const std::string bandDigits = ZeroPad(band, 2);
  ChannelRecord record;
  if (s.radio.repeaterOn == RepeaterState::kOn && !RepeaterShiftPart(s, band).empty()) {
    record = ChannelOfBandRecord(ParseBandRecord(BandRecordBody(s)), bandDigits);
  } else {
    record.flag = s.radio.splitOn ? '1' : '0';
    record.mode = static_cast<char>('0' + s.radio.radioMode);
    record.band = bandDigits;
    if (band == kBandGeneral) {
      const std::string hz = ZeroPad(std::clamp<int32_t>(s.radio.frequencyHz, 0, 999999999), 9);
      record.vfoA = "A" + hz;
      record.vfoB = "B" + hz;
    } else {
      const BandRecord stored = ParseBandRecord(s.banks.bandRecords[band]);
      std::string vfoA = stored.vfoA;
      if (!IsVfoField(vfoA, 'A')) vfoA = "A" + ZeroPad(std::clamp<int32_t>(s.radio.frequencyHz, 0, 999999999), 9);
      s.radio.vfoAText = vfoA;
      // Without split VFO B follows VFO A; with split it is the last VFO-B
      // answer, or the record's own VFO B when no usable answer came.
      if (!s.radio.splitOn) s.radio.vfoBText = "B" + Right(vfoA, 9);
      std::string vfoB = s.radio.vfoBText.str();
      if (!IsVfoField(vfoB, 'B')) {
        vfoB = stored.vfoB;
        if (!IsVfoField(vfoB, 'B')) vfoB = "B" + Right(vfoA, 9);
      }
      record.vfoA = vfoA;
      record.vfoB = vfoB;
    }
  }
  record.tone = !s.entry.toneActive ? std::string("999") : RecordToneCode(s.radio.toneCode);
  record.preamp = static_cast<char>('0' + std::clamp<int32_t>(s.radio.preampSetting, 0, 2));
  return FormatChannelRecord(record);
}

void StoreChannel(Panel& panel, int slot) {
  PanelState& s = panel.state;
  PlayPhrase(panel, Digits(slot));
  const int index = ChannelIndex(s, slot);
  std::string record;
  if (s.radio.bandIndex >= 1 && s.radio.bandIndex <= kBandCount && s.radio.radioMode >= kLsb &&
      s.radio.radioMode <= kFmWide) {
    record = ChannelRecordOfLiveState(s);
  }
  if (!IsChannelRecord(record)) {
    // Nothing consistent to keep: the channel keeps what it held.
    PlayPhrase(panel, "invalid");
    s.entry.channelMode = ChannelMode::kNone;
    return;
  }
  s.banks.memoryChannels[index] = record;
  // "ok" only when the channel reached the bank file as well; it stays in
  // memory either way and is written again at the next save.
  PlayPhrase(panel, TrySaveMemoryBanks(panel) ? "ok" : "invalid");
  s.entry.channelMode = ChannelMode::kNone;
}

// The repeater part of a recalled channel: the band's offset and the
// direction, as the band's repeater menu takes them.
void RecallRepeater(Panel& panel, const ChannelRecord& record) {
  PanelState& s = panel.state;
  const int band = s.radio.bandIndex;
  const std::string sign = record.ShiftSign() == '+' ? "+" : "-";
  const std::string offset = record.ShiftKhz();
  if (RepeaterOffsetCommand(band, offset).empty()) {
    // This band has no repeater offset: repeater operation stays off.
    PlayPhrase(panel, "repeater");
    PlayPhrase(panel, "na");
    s.radio.repeaterOn = RepeaterState::kOff;
    return;
  }
  if (s.banks.bandRecordable) {
    s.config.currentShiftSign[band] = sign;
    s.config.currentShiftKhz[band] = offset;
    SendCommand(panel, RepeaterOffsetCommand(band, offset));
  }
  s.radio.repeaterOn = RepeaterState::kOff;
  SendCommand(panel, sign == "+" ? "OS01" : "OS02");
  PlayPhrase(panel, "repeater");
  PlayPhrase(panel, "on");
  s.radio.repeaterOn = RepeaterState::kOn;
}

void RecallChannel(Panel& panel, int slot) {
  PanelState& s = panel.state;
  PlayPhrase(panel, Digits(slot));
  const int index = ChannelIndex(s, slot);
  s.banks.memoryBank = std::clamp<int32_t>(s.entry.bankDigitPending, 0, 9);
  s.banks.memoryCursor = slot;
  if (!IsChannelRecord(s.banks.memoryChannels[index])) {
    // Empty, or not a channel record at all: nothing of it is sent.
    PlayPhrase(panel, "invalid");
    s.entry.channelMode = ChannelMode::kNone;
    s.banks.memoryBank = kNoBank;
    return;
  }

  const ChannelRecord record = ParseChannelRecord(s.banks.memoryChannels[index]);
  RestartTickCount(s.tick);
  const char flag = record.flag;
  const bool repeater = flag == '5';
  if (repeater) {
    s.radio.splitOn = false;
  } else if (flag == '1') {
    s.radio.splitOn = true;
    // Stepping with U leaves the split phrase out; everything else is said.
    if (!s.entry.channelRecall) PlayPhrase(panel, "split");
    SendCommand(panel, "ST1");
  } else {
    s.radio.splitOn = false;
    SendCommand(panel, "ST0");
  }

  s.radio.bandIndex = IntFromText(record.band);
  SelectBand(panel);

  s.radio.bandVfoText = record.vfoA;
  SendCommand(panel, "FA" + record.VfoADigits());

  s.radio.radioMode = record.mode - '0';
  // The channel's frequency stands; the band record must not replace it.
  s.banks.memoryRecallActive = true;
  ApplyMode(panel);
  s.banks.memoryRecallActive = false;

  if (repeater) RecallRepeater(panel, record);

  s.cat.announcePending = true;
  s.radio.toneCode = record.tone;
  const bool fm = s.radio.radioMode == kFmNarrow || s.radio.radioMode == kFmWide;
  if (fm && s.radio.toneCode != "999") {
    const int value = IntFromText(s.radio.toneCode);
    s.entry.toneActive = true;
    s.entry.dcsTone = value > 499 ? 1 : 0;
    s.entry.toneBusy = false;
    SendToneSquelch(panel);
    s.entry.toneActive = true;
  } else {
    s.entry.toneActive = false;
    s.radio.toneCode = "999";
    SendCommand(panel, "CT00");
  }

  const char preamp = record.preamp;
  s.radio.preampSetting = preamp == '1' ? 1 : preamp == '2' ? 2 : 0;
  // The preamp command of the channel's band (2 m and 70 cm have their own).
  SendCommand(panel, PreampCommand(s));
  s.entry.channelMode = ChannelMode::kNone;
}

}  // namespace

void EnterDigit(Panel& panel, int digitKey) {
  PanelState& s = panel.state;
  if (digitKey < '0' || digitKey > '9') return;
  if (s.entry.entryState == EntryState::kNone && !s.entry.freqEntryActive &&
      s.entry.channelMode == ChannelMode::kNone && !s.entry.toneActive) {
    return;
  }
  const int value = digitKey - '0';
  const std::string digit = Digits(value);
  s.cat.commandText = "";

  if (s.entry.bankDigitPending == -1) {
    s.entry.bankDigitPending = value;
    PlayPhrase(panel, digit);
    PlayPhrase(panel, "channel");
  } else if (s.entry.entryState == EntryState::kMenuNumber) {
    s.entry.menuNumber += digit;
    PlayPhrase(panel, digit);
  } else if (s.entry.entryState == EntryState::kMenuValue) {
    s.entry.menuValue += digit;
    PlayPhrase(panel, digit);
  } else if (s.entry.entryState == EntryState::kOffsetDigits) {
    s.entry.offsetEntry += digit;
    PlayPhrase(panel, digit);
  } else if (s.entry.channelMode == ChannelMode::kSelect) {
    StoreChannel(panel, value);
  } else if (s.entry.channelMode == ChannelMode::kGoTo || s.entry.channelRecall) {
    RecallChannel(panel, value);
  } else if (s.entry.entryState == EntryState::kNone && s.entry.freqEntryActive) {
    if (!s.entry.freqEntryPoint) s.entry.freqEntryIntDigits += 1;
    const int64_t number = static_cast<int64_t>(s.entry.freqEntryNumber) * 10 + value;
    s.entry.freqEntryNumber = static_cast<int32_t>(std::clamp<int64_t>(number, 0, kMaxEntryNumber));
    PlayPhrase(panel, digit);
  } else if (s.entry.entryState == EntryState::kBandPrompt) {
    StoreBandRecord(panel);
    s.radio.bandIndex = value == 0 ? kBand10m : value;
    s.radio.splitOn = false;
    RecallBand(panel);
    s.entry.entryState = EntryState::kNone;
  } else if (s.entry.toneActive) {
    s.radio.toneCode += digit;
    PlayPhrase(panel, digit);
  }
}

void RecallNextStoredChannel(Panel& panel) {
  PanelState& s = panel.state;
  if (s.banks.memoryBank < 0 || s.banks.memoryBank > 9) {  // 99: no bank selected
    PlayPhrase(panel, "ncs");
    return;
  }
  // Each slot is tried once at most, so a bank with nothing stored ends the
  // search where it began.
  int32_t slot = ((s.banks.memoryCursor % 10) + 10) % 10;
  bool found = false;
  for (int tried = 0; tried < 10 && !found; ++tried) {
    slot = (slot + 1) % 10;
    found = !IsEmptyChannel(s.banks.memoryChannels[s.banks.memoryBank * 10 + slot]);
  }
  s.banks.memoryCursor = slot;
  if (!found) {
    // As an empty channel recall: nothing is sent, and the bank is left.
    PlayPhrase(panel, "invalid");
    s.entry.channelMode = ChannelMode::kNone;
    s.banks.memoryBank = kNoBank;
    return;
  }
  PlayPhrase(panel, "channel");
  s.entry.channelMode = ChannelMode::kGoTo;
  s.entry.channelRecall = true;
  EnterDigit(panel, '0' + slot);
}

void StartChannelSelect(Panel& panel) {
  panel.state.entry.channelMode = ChannelMode::kSelect;
  PlayPhrase(panel, "sch");
}

void StartChannelGoTo(Panel& panel) {
  panel.state.entry.channelMode = ChannelMode::kGoTo;
  PlayPhrase(panel, "gch");
}

void StartBankDigit(Panel& panel) {
  PlayPhrase(panel, "bank");
  panel.state.entry.bankDigitPending = -1;
}

void EndChannelMode(Panel& panel) {
  panel.state.entry.channelMode = ChannelMode::kNone;
  panel.state.entry.bankDigitPending = 0;
}

void EndChannelStep(Panel& panel, bool keepBank) {
  panel.state.entry.channelRecall = false;
  if (!keepBank) panel.state.banks.memoryBank = kNoBank;
}

}  // namespace kelvaro
