#include "keys/key_rules.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "controls/bands.h"
#include "controls/channels.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/stepping.h"
#include "controls/swr.h"
#include "controls/tones.h"
#include "display/panel_display.h"
#include "keys/entries.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

// What a rule leaves to the rules after it.
enum class Flow { kContinue, kStop };

constexpr int32_t kMaxNineDigitHz = 999999999;

constexpr int32_t kNoBank = 99;
// bandIndex that asks RecallBand for general coverage.
constexpr int32_t kGeneralCoverageRequest = 15;

bool Key(const PanelState& s, int code) { return s.entry.keyCode == code; }
bool IsMainDigit(int code) { return code >= '0' && code <= '9'; }
bool IsFm(int32_t mode) { return mode == kFmNarrow || mode == kFmWide; }
bool IsSideband(int32_t mode) { return mode == kLsb || mode == kUsb; }

// Moves frequencyHz by `delta`, held within the nine digits a frequency
// command carries (never below 0).
void ShiftFrequency(PanelState& s, int64_t delta) {
  s.radio.frequencyHz =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t{s.radio.frequencyHz} + delta, 0, kMaxNineDigitHz));
}

// ---------------------------------------------------------------------------
// Gates: tune lock, stale tone flag, quit, and no keys before the radio.

Flow TuneLock(Panel& panel) {
  const PanelState& s = panel.state;
  if (!s.tick.tuneActive || Key(s, 'S') || Key(s, 'T')) return Flow::kContinue;
  PlayPhrase(panel, "ton");
  return Flow::kStop;
}

// A tone flag left standing without a tone: any key but Enter and the main
// digits (which may still be typing a tone) clears it.
Flow ClearStaleToneFlag(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.toneActive && s.radio.toneCode == "999" && !Key(s, vk::kEnter) && !IsMainDigit(s.entry.keyCode)) {
    s.entry.toneActive = false;
  }
  return Flow::kContinue;
}

Flow Quit(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'Q')) return Flow::kContinue;
  PlayPhrase(panel, "quit");
  if (!s.cat.radioConnected) {
    s.entry.runFlag = false;
    return Flow::kStop;
  }
  // The reply handling ends the program once the radio has answered.
  SendCommand(panel, "TX0");
  s.entry.quitPending = 1;
  return Flow::kStop;
}

Flow RadioNotConnected(Panel& panel) {
  if (panel.state.cat.radioConnected) return Flow::kContinue;
  PlayPhrase(panel, "nc");
  return Flow::kStop;
}

Flow NoFrequencyYet(Panel& panel) {
  if (panel.state.radio.frequencyHz != 0) return Flow::kContinue;
  PlayPhrase(panel, "nc");
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// The X prefix and what follows it.

Flow ExtendedPrefixKey(Panel& panel) {
  if (!Key(panel.state, 'X')) return Flow::kContinue;
  ToggleExtendedPrefix(panel);
  return Flow::kStop;
}

Flow AntennaAfterPrefix(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'C') || s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  SwitchAntenna(panel);
  return Flow::kStop;
}

// After an antenna switch the next key but S closes the prefix and then has
// its ordinary meaning.
Flow CloseAfterAntennaSwitch(Panel& panel) {
  PanelState& s = panel.state;
  if (s.banks.bandQuiet == BandQuiet::kAntennaSwitched && !Key(s, 'S')) {
    s.banks.bandQuiet = BandQuiet::kSpeak;
    s.entry.entryState = EntryState::kNone;
  }
  return Flow::kContinue;
}

Flow SwapAfterPrefix(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'S') || s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  SwapVfos(panel);
  return Flow::kStop;
}

// S: 70 cm at the band prompt, otherwise the meter: S-meter on receive, SWR
// while transmitting or tuning.
Flow SKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'S')) return Flow::kContinue;
  if (s.entry.entryState == EntryState::kBandPrompt) {
    StoreBandRecord(panel);
    s.radio.bandIndex = kBand70cm;
    s.banks.bandQuiet = BandQuiet::kQuiet;
    SelectBand(panel);
    RecallBand(panel);
    return Flow::kStop;
  }
  if (s.tick.txState == TxState::kReceiving && !s.tick.tuneActive) {
    DrawSMeter(panel);
    SpeakSMeter(panel);
  } else {
    SpeakSwr(panel);
  }
  return Flow::kStop;
}

Flow AgcAfterPrefix(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'A') || s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  StepAgc(panel);
  return Flow::kStop;
}

Flow EnterBeforeOffsetSign(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || s.entry.entryState != EntryState::kOffsetSign) return Flow::kContinue;
  return ReadStandardOffset(panel) ? Flow::kContinue : Flow::kStop;
}

Flow EnterAfterOffsetDigits(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || s.entry.entryState != EntryState::kOffsetDigits) return Flow::kContinue;
  return StoreTypedOffset(panel) ? Flow::kContinue : Flow::kStop;
}

Flow OffsetAfterPrefix(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'O') || s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  StartOffsetEntry(panel);
  return Flow::kStop;
}

// Any key that means nothing after X closes the prefix silently; M and F go
// on to their own rules, which read the prefix.
Flow CancelPrefix(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  if (Key(s, 'M') || Key(s, 'F') || Key(s, 'S') || Key(s, 'X')) return Flow::kContinue;
  s.entry.entryState = EntryState::kNone;
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// Monitor, ignored keys, the mic-gain watch, keypad and keyer entry.

Flow MonitorKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, vk::kF9)) return Flow::kContinue;
  PlayPhrase(panel, "mon");
  if (s.radio.monitorOn) {
    s.radio.monitorOn = false;
    // The radio has a monitor level, 0..100: off is level 0, on the level
    // the operator set (50 when none is known).
    s.cat.commandText = "ML0000";
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
  } else {
    s.radio.monitorOn = true;
    s.cat.commandText = "ML0" + ZeroPad(s.radio.monitorLevel >= 1 && s.radio.monitorLevel <= 100 ? s.radio.monitorLevel : 50, 3);
    s.entry.levelTarget = LevelTarget::kMonitor;
    PlayPhrase(panel, "on");
  }
  SendCommand(panel);
  return Flow::kContinue;
}

Flow IgnoredModifierKeys(Panel& panel) {
  const PanelState& s = panel.state;
  if (Key(s, vk::kShift) || Key(s, vk::kCtrl) || Key(s, vk::kInsert) || Key(s, vk::kLeftWindows)) {
    return Flow::kStop;
  }
  return Flow::kContinue;
}

Flow EndMicGainWatchByKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!WatchesPeaks(s.tick.micGainWatch) || Key(s, vk::kUp) || Key(s, vk::kDown)) return Flow::kContinue;
  EndMicGainWatch(panel);
  return Key(s, vk::kF11) ? Flow::kStop : Flow::kContinue;
}

// From here on the keypad digits and point count as the main keyboard's.
Flow TranslateKeypad(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.keyCode >= vk::kKeypad0 && s.entry.keyCode <= vk::kKeypad9) s.entry.keyCode -= vk::kKeypad0 - '0';
  if (s.entry.keyCode == vk::kKeypadPoint) s.entry.keyCode = vk::kPoint;
  return Flow::kContinue;
}

Flow LeaveKeyerEntryByKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kKeyerSpeed || Key(s, 'K') || Key(s, vk::kUp) || Key(s, vk::kDown)) {
    return Flow::kContinue;
  }
  LeaveKeyerEntry(panel);
  return Flow::kContinue;
}

// ---------------------------------------------------------------------------
// Band prompt letters, memory channels and the memory bank.

// The band prompt's letter keys; digits and the arrows pass on (EnterDigit
// and the stepping pick the band).
Flow BandPromptLetter(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kBandPrompt) return Flow::kContinue;
  if (Key(s, 'X')) {  // taken by the prefix key first, so this never runs
    StoreBandRecord(panel);
    s.radio.toneCode = "999";
    s.radio.bandIndex = kBand6m;
    RecallBand(panel);
    s.entry.entryState = EntryState::kNone;
    return Flow::kStop;
  }
  if (Key(s, 'T')) {
    StoreBandRecord(panel);
    s.radio.bandIndex = kBand2m;
    s.radio.toneCode = "999";
    RecallBand(panel);
    s.entry.entryState = EntryState::kNone;
    return Flow::kStop;
  }
  if (Key(s, 'U')) {
    StoreBandRecord(panel);
    s.entry.entryState = EntryState::kNone;
    s.radio.toneCode = "999";
    s.radio.bandIndex = kGeneralCoverageRequest;
    PlayPhrase(panel, "band");
    RecallBand(panel);
    return Flow::kStop;
  }
  return Flow::kContinue;
}

// U: on to the next stored channel of the bank last recalled.
Flow NextStoredChannel(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'U')) return Flow::kContinue;
  if (s.banks.memoryBank < 0 || s.banks.memoryBank > 9) {  // 99: no bank selected
    PlayPhrase(panel, "ncs");
    return Flow::kStop;
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
    return Flow::kStop;
  }
  s.entry.keyCode = '0' + slot;
  PlayPhrase(panel, "channel");
  s.entry.channelMode = ChannelMode::kGoTo;
  s.entry.channelRecall = true;
  EnterDigit(panel);
  return Flow::kStop;
}

// Every key from here on but S and F leaves the memory bank.
Flow LeaveMemoryBank(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.channelRecall = false;
  if (!Key(s, 'S') && !Key(s, 'F')) s.banks.memoryBank = kNoBank;
  return Flow::kContinue;
}

Flow BKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'B')) return Flow::kContinue;
  if (s.entry.channelMode != ChannelMode::kNone) {
    PlayPhrase(panel, "bank");
    s.entry.bankDigitPending = -1;
    return Flow::kStop;
  }
  s.entry.entryState = EntryState::kBandPrompt;
  PlayPhrase(panel, "band");
  SpeakBand(panel);
  return Flow::kStop;
}

Flow LeaveChannelMode(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.channelMode != ChannelMode::kNone && !IsMainDigit(s.entry.keyCode)) {
    s.entry.channelMode = ChannelMode::kNone;
    s.entry.bankDigitPending = 0;
  }
  return Flow::kContinue;
}

// ---------------------------------------------------------------------------
// Letter keys.

Flow SpaceKey(Panel& panel) {
  if (!Key(panel.state, vk::kSpace)) return Flow::kContinue;
  ToggleTransmit(panel);
  return Flow::kStop;
}

// L: the level chosen by the last setting switched on becomes what the
// arrows adjust.
Flow LevelKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'L')) return Flow::kContinue;
  if (s.entry.levelTarget != LevelTarget::kNone) s.entry.entryState = EntryState::kLevel;
  switch (s.entry.levelTarget) {
    case LevelTarget::kNone: break;
    case LevelTarget::kMonitor: PlayPhrase(panel, "mon"); break;
    case LevelTarget::kBlanker: PlayPhrase(panel, "nb"); break;
    case LevelTarget::kReduction: PlayPhrase(panel, "nr"); break;
    case LevelTarget::kContour: PlayPhrase(panel, "co"); break;
    case LevelTarget::kProcessor: PlayPhrase(panel, "spc"); break;
  }
  PlayPhrase(panel, "lev");
  return Flow::kStop;
}

Flow KeyerKey(Panel& panel) {
  if (!Key(panel.state, 'K')) return Flow::kContinue;
  return ToggleKeyerEntry(panel) ? Flow::kContinue : Flow::kStop;
}

Flow DigitalFmKey(Panel& panel) {
  if (!Key(panel.state, 'D')) return Flow::kContinue;
  SwitchDigitalFm(panel);
  return Flow::kStop;
}

Flow ToneKey(Panel& panel) {
  if (!Key(panel.state, 'I')) return Flow::kContinue;
  ToggleTone(panel);
  return Flow::kStop;
}

Flow HelpKey(Panel& panel) {
  if (!Key(panel.state, 'H')) return Flow::kContinue;
  PlayPhraseAsync(panel, "help.wav");
  return Flow::kStop;
}

// N opens the menu entry, except while a tone is typed or on.
Flow MenuKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'N') || s.entry.toneActive) return Flow::kContinue;
  StartMenuEntry(panel);
  return Flow::kStop;
}

Flow EnterAfterMenuNumber(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || s.entry.entryState != EntryState::kMenuNumber) return Flow::kContinue;
  EndMenuNumber(panel);
  return Flow::kStop;
}

Flow EnterAfterMenuValue(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || s.entry.entryState != EntryState::kMenuValue) return Flow::kContinue;
  SendMenuValue(panel);
  return Flow::kStop;
}

// The phrases of the tone code whenever it is not "999": a tone being typed
// is read back as typed so far ("ctcss" alone before its first digit).
void SpeakToneOfReport(Panel& panel) {
  const std::string tone = panel.state.radio.toneCode.str();
  if (tone == "999") return;
  PlayPhrase(panel, !tone.empty() && tone[0] > '3' ? "dcs" : "ctcss");
  for (char c : tone) PlayPhrase(panel, std::string(1, c));
}

// O: every setting that is on, the tone, the antenna and the tuner mode.
Flow OptionsReport(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'O')) return Flow::kContinue;
  auto on = [&panel](std::string_view name) {
    PlayPhrase(panel, name);
    PlayPhrase(panel, "on");
  };
  PlayPhrase(panel, "options");
  if (s.radio.preampSetting >= 1) {
    PlayPhrase(panel, "preamp");
    on(s.radio.preampSetting == 1 ? "1" : "2");
  }
  if (s.radio.attenuatorOn) on("at");
  if (s.radio.blankerOn) on("nb");
  if (s.radio.reductionOn) on("nr");
  if (s.radio.notchOn) on("notch");
  if (s.radio.contourOn) on("co");
  if (s.radio.processorOn && IsSideband(s.radio.radioMode)) on("spc");
  if (s.radio.breakInOn && s.radio.radioMode == kCw) on("bkin");
  if (s.radio.voxOn) on("vox");
  if (s.radio.monitorOn) on("mon");
  SpeakToneOfReport(panel);
  PlayPhrase(panel, s.radio.antennaSelect == 1 ? "ant2" : "ant1");
  PlayPhrase(panel, "tuner");
  PlayPhrase(panel, "is");
  switch (s.config.tunerState) {
    case TunerUse::kOn: PlayPhrase(panel, "on"); break;
    case TunerUse::kOff: PlayPhrase(panel, "off"); break;
    case TunerUse::kBoth: PlayPhrase(panel, "both"); break;
    default: break;
  }
  return Flow::kStop;
}

Flow SelectChannelKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'C')) return Flow::kContinue;
  s.entry.channelMode = ChannelMode::kSelect;
  PlayPhrase(panel, "sch");
  return Flow::kStop;
}

Flow GoToChannelKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'G')) return Flow::kContinue;
  s.entry.channelMode = ChannelMode::kGoTo;
  PlayPhrase(panel, "gch");
  return Flow::kStop;
}

Flow AfGainKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'A')) return Flow::kContinue;
  s.entry.entryState = EntryState::kAfGain;
  PlayPhrase(panel, "af");
  return Flow::kStop;
}

Flow FrequencyEntryKey(Panel& panel) {
  if (!Key(panel.state, 'E')) return Flow::kContinue;
  StartFrequencyEntry(panel);
  return Flow::kContinue;
}

Flow PointKey(Panel& panel) {
  if (!Key(panel.state, vk::kPoint)) return Flow::kContinue;
  FrequencyEntryPoint(panel);
  return Flow::kStop;
}

Flow EnterAfterTone(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || !s.entry.toneActive || s.entry.freqEntryActive) return Flow::kContinue;
  SendTypedTone(panel);
  return Flow::kStop;
}

// Enter once any frequency entry was begun; without an open entry it only
// ends the key.
Flow EnterAfterFrequency(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kEnter) || s.entry.freqEntryNumber == 999) return Flow::kContinue;
  SendTypedFrequency(panel);
  return Flow::kStop;
}

// The VFO letter and nine digits to start split with: those of the last
// frequency sent, or, when that is not a frequency command, of the frequency
// the panel holds.
std::string SplitVfoText(const PanelState& s) {
  const std::string last = s.cat.lastFrequencyCommand.str();
  const std::string code = Left(last, 2);
  const std::string digits = Mid(last, 3, 9);
  const bool usable = (code == "FA" || code == "FB") && digits.size() == 9 && OnlyDigits(digits) &&
                      (last.size() == 11 || (last.size() == 12 && last[11] == ';'));
  if (usable) return Mid(last, 2, 10);
  return "A" + ZeroPad(std::clamp<int32_t>(s.radio.frequencyHz, 0, kMaxNineDigitHz), 9);
}

// V: split on and off; in FM on 10 m and up, repeater operation instead.
Flow SplitKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'V')) return Flow::kContinue;
  if (s.radio.bandIndex == kBandGeneral) {
    PlayPhrase(panel, "split");
    PlayPhrase(panel, "invalid");
    return Flow::kStop;
  }
  s.entry.entryState = EntryState::kNone;
  if (s.radio.bandIndex >= kBand10m && s.radio.radioMode >= kFmNarrow && s.radio.radioMode <= kFmWide) {
    SendRepeaterShift(panel);
    return Flow::kStop;
  }
  s.radio.splitOn = !s.radio.splitOn;
  if (!s.radio.splitOn) {
    CancelSplit(panel);
    PlayPhrase(panel, "split");
    PlayPhrase(panel, "off");
    return Flow::kStop;
  }
  PlayPhrase(panel, "split");
  const std::string vfo = SplitVfoText(s);
  SendCommand(panel, "ST1");
  if (!s.cat.passThroughSeen && s.radio.bandIndex >= 1 && s.radio.bandIndex <= kBandCount) {
    // VFO B of the band's record starts where VFO A is; tone and preamp stay.
    Text& record = s.banks.bandRecords[s.radio.bandIndex];
    BandRecord fields = ParseBandRecord(record);
    fields.vfoB = "B" + Right(vfo, 9);
    const std::string rewritten = FormatBandRecord(fields);
    if (IsBandRecord(rewritten)) record = rewritten;
  }
  // Split is on now, so this goes to VFO B.
  SendCommand(panel, "F" + vfo);
  return Flow::kStop;
}

// Z: zero-in. CW asks the radio for it; the other modes move to a whole kHz.
Flow ZeroInKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'Z')) return Flow::kContinue;
  PlayPhrase(panel, "0");
  PlayPhrase(panel, "ok");
  if (s.radio.radioMode != kCw) {
    SnapToWholeKhz(panel);
  } else {
    SendCommand(panel, "ZI0");
  }
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// Function keys F1 to F8, and the digits between them.

// F1: the next preamp setting; 2 m and up have one preamp stage, HF and 6 m two.
Flow PreampKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, vk::kF1)) return Flow::kContinue;
  s.radio.preampSetting += 1;
  const int32_t past = s.radio.bandIndex >= kBand2m ? 2 : 3;
  if (s.radio.preampSetting >= past || s.radio.preampSetting < 0) s.radio.preampSetting = 0;
  ApplyPreamp(panel);
  return Flow::kContinue;
}

Flow AttenuatorKey(Panel& panel) {
  if (Key(panel.state, vk::kF2)) ToggleAttenuator(panel);
  return Flow::kContinue;
}

Flow NoiseBlankerKey(Panel& panel) {
  if (Key(panel.state, vk::kF3)) ToggleNoiseBlanker(panel);
  return Flow::kContinue;
}

Flow NoiseReductionKey(Panel& panel) {
  if (Key(panel.state, vk::kF4)) ToggleNoiseReduction(panel);
  return Flow::kContinue;
}

Flow DigitKey(Panel& panel) {
  if (!IsMainDigit(panel.state.entry.keyCode)) return Flow::kContinue;
  EnterDigit(panel);
  return Flow::kStop;
}

Flow NotchKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, vk::kF5)) return Flow::kContinue;
  PlayPhrase(panel, "notch");
  if (s.radio.notchOn) {
    s.cat.commandText = "BC00";
    PlayPhrase(panel, "off");
  } else {
    s.cat.commandText = "BC01";
    PlayPhrase(panel, "on");
  }
  s.radio.notchOn = !s.radio.notchOn;
  SendCommand(panel);
  return Flow::kContinue;
}

Flow ContourKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, vk::kF6)) return Flow::kContinue;
  if (s.radio.radioMode == kCw) {
    PlayPhrase(panel, "na");
    return Flow::kStop;
  }
  s.entry.levelTarget = LevelTarget::kContour;
  PlayPhrase(panel, "co");
  if (s.radio.contourOn) {
    s.radio.contourOn = false;
    s.cat.commandText = "CO000000";
    PlayPhrase(panel, "off");
    s.entry.levelTarget = LevelTarget::kNone;
  } else {
    s.radio.contourOn = true;
    s.cat.commandText = "CO000001";
    PlayPhrase(panel, "on");
    s.entry.levelTarget = LevelTarget::kContour;
  }
  SendCommand(panel);
  return Flow::kStop;
}

Flow ProcessorKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kF7)) return Flow::kContinue;
  if (IsSideband(s.radio.radioMode)) {
    ToggleProcessor(panel);
  } else {
    PlayPhrase(panel, "na");
  }
  return Flow::kStop;
}

// F8: break-in in CW, VOX in the other modes.
Flow BreakInOrVoxKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, vk::kF8)) return Flow::kContinue;
  if (s.radio.radioMode == kCw) {
    ToggleBreakIn(panel);
  } else {
    ToggleVox(panel);
  }
  return Flow::kContinue;
}

Flow TunerModeKey(Panel& panel) {
  if (!Key(panel.state, vk::kF12)) return Flow::kContinue;
  CycleTunerMode(panel);
  return Flow::kStop;
}

Flow FrequencyReadoutKey(Panel& panel) {
  if (!Key(panel.state, 'F')) return Flow::kContinue;
  FrequencyReadout(panel);
  return Flow::kStop;
}

// P: reads the power setting from the radio (once per power entry) and
// speaks it; the arrows then adjust it.
Flow PowerKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'P')) return Flow::kContinue;
  if (s.entry.entryState != EntryState::kPower) {
    if (const std::optional<std::string> answer = Query(panel, "PC")) ReadPowerAnswer(s, *answer);
  }
  PlayPhrase(panel, "Power");
  s.entry.entryState = EntryState::kPower;
  SpeakPower(panel);
  return Flow::kStop;
}

Flow MicGainKey(Panel& panel) {
  if (!Key(panel.state, vk::kF11)) return Flow::kContinue;
  StartMicGainWatch(panel);
  return Flow::kStop;
}

Flow RfGainKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'R')) return Flow::kContinue;
  PlayPhrase(panel, "rf");
  s.entry.entryState = EntryState::kRfGain;
  return Flow::kContinue;
}

Flow TuneKey(Panel& panel) {
  if (!Key(panel.state, 'T')) return Flow::kContinue;
  ToggleTune(panel);
  return Flow::kStop;
}

// W: the receive width becomes what the arrows adjust (not in AM and FM).
Flow WidthKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'W')) return Flow::kContinue;
  if (s.radio.radioMode == kAm || s.radio.radioMode == kFmNarrow || s.radio.radioMode == kFmWide) return Flow::kStop;
  s.entry.entryState = EntryState::kWidth;
  SpeakWidth(panel);
  return Flow::kStop;
}

// The mode after radioMode in the M key's cycle: LSB, USB, CW, AM, and FM
// (narrow or wide by fmWide) from 27 MHz up on 10 m and the bands above.
int32_t NextMode(const PanelState& s) {
  int32_t mode = s.radio.radioMode + 1;
  if (s.radio.fmWide && mode == 8) mode = kLsb;
  if (!s.radio.fmWide && mode >= kC4fm) mode = kLsb;
  if (mode == kFmNarrow && (s.radio.bandIndex < kBand10m || s.radio.frequencyHz < 27000000)) mode = kLsb;
  if (mode == kFmNarrow && s.radio.fmWide) mode = kFmWide;
  if (mode == kFmWide && !s.radio.fmWide) mode = kFmNarrow;
  if (mode < kLsb || mode > kFmWide) mode = kLsb;  // from a mode outside the set
  return mode;
}

// M: the next mode; after X, FM wide and narrow change places.
Flow ModeKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!Key(s, 'M')) return Flow::kContinue;
  if (s.entry.entryState == EntryState::kExtendedPrefix) {
    if (s.radio.radioMode == kFmNarrow) {
      s.radio.radioMode = kFmWide;
      s.radio.fmWide = true;
    } else if (s.radio.radioMode == kFmWide) {
      s.radio.radioMode = kFmNarrow;
      s.radio.fmWide = false;
    }
    ApplyMode(panel);
    SpeakMode(panel);
    s.entry.entryState = EntryState::kNone;
    return Flow::kStop;
  }
  s.radio.radioMode = NextMode(s);
  ApplyMode(panel);
  SpeakMode(panel);
  return Flow::kStop;
}

Flow ArrowUpDown(Panel& panel) {
  const PanelState& s = panel.state;
  if (Key(s, vk::kUp)) StepUp(panel);
  if (Key(s, vk::kDown)) StepDown(panel);
  return Flow::kContinue;
}

Flow OffsetSignKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!(Key(s, vk::kPlus) || Key(s, vk::kMinus)) || s.entry.entryState != EntryState::kOffsetSign) {
    return Flow::kContinue;
  }
  OffsetSign(panel);
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// The closing frequency step.

// FM squelch one step up: 10 from a level of 20, else 1; 255 at most.
void SquelchUp(Panel& panel) {
  PanelState& s = panel.state;
  int32_t level = std::clamp<int32_t>(s.radio.squelchLevel, 0, 255);
  level += level >= 20 ? 10 : 1;
  if (level >= 256) {
    level = 255;
    PlayPhrase(panel, "max");
  }
  s.radio.squelchLevel = level;
  SendCommand(panel, "SQ0" + ZeroPad(level, 3));
}

// FM squelch one step down: 10 from a level of 30, else 1; 0 at least. 245
// steps to 230, as 240 does.
void SquelchDown(Panel& panel) {
  PanelState& s = panel.state;
  int32_t level = std::clamp<int32_t>(s.radio.squelchLevel, 0, 255);
  if (level == 245) level = 240;
  level -= level >= 30 ? 10 : 1;
  if (level < 1) {
    level = 0;
    PlayPhrase(panel, "0");
  }
  s.radio.squelchLevel = level;
  SendCommand(panel, "SQ0" + ZeroPad(level, 3));
}

// The channel raster of the VHF/UHF bands in AM and FM: 12.5 kHz.
bool OnVhfChannelBand(const PanelState& s) { return s.radio.bandIndex >= kBand2m && s.radio.bandIndex != kBandGeneral; }

// Keys that reach the end of the chain with no entry pending (or in the
// width entry): the frequency keys move frequencyHz, Left/Right move the
// squelch in FM, and every such key sends the frequency.
Flow ClosingFrequencyStep(Panel& panel) {
  PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kNone && s.entry.entryState != EntryState::kWidth) return Flow::kStop;
  switch (s.entry.keyCode) {
    case vk::kPlus:
      ShiftFrequency(s, 1000000);
      if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      break;
    case vk::kMinus:
      ShiftFrequency(s, -1000000);
      if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      break;
    case vk::kPageUp:
      if (s.radio.radioMode >= kAm && OnVhfChannelBand(s)) {
        ShiftFrequency(s, 12500);
        if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      } else {
        ShiftFrequency(s, 10000);
      }
      break;
    case vk::kPageDown:
      if (s.radio.radioMode == kFmNarrow && OnVhfChannelBand(s)) {
        ShiftFrequency(s, -12500);
        if (s.radio.repeaterOn == RepeaterState::kOn) SendRepeaterShift(panel);
      } else {
        ShiftFrequency(s, -10000);
      }
      break;
    case vk::kRight:
      if (IsFm(s.radio.radioMode)) {
        SquelchUp(panel);
        return Flow::kStop;
      }
      ShiftFrequency(s, s.radio.radioMode == kCw ? 10 : 100);
      break;
    case vk::kLeft:
      if (IsFm(s.radio.radioMode)) {
        SquelchDown(panel);
        return Flow::kStop;
      }
      ShiftFrequency(s, s.radio.radioMode == kCw ? -10 : -100);
      break;
    default:
      break;
  }
  ShiftFrequency(s, 0);  // held to nine digits and no sign, whatever set it
  SendCommand(panel, "FA" + ZeroPad(s.radio.frequencyHz, 9));
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// The chain. Each rule either acts and stops, or lets the key go on to the
// rules below it with the state as it left it; an earlier rule that stops
// hides every later one for that key press.

using Rule = Flow (*)(Panel&);

constexpr Rule kKeyRules[] = {
    TuneLock,                 // while a tune runs only S and T act
    ClearStaleToneFlag,       // a tone flag standing without a tone
    Quit,                     // Q works with or without the radio
    RadioNotConnected,        // nothing else before the radio answered
    NoFrequencyYet,           // ... or before its first frequency answer
    ExtendedPrefixKey,        // X
    AntennaAfterPrefix,       // X C
    CloseAfterAntennaSwitch,  // the key after X C closes the prefix
    SwapAfterPrefix,          // X S
    SKey,                     // S: 70 cm at the band prompt, else the meter
    AgcAfterPrefix,           // X A
    EnterBeforeOffsetSign,    // X O Enter: the standard offset
    EnterAfterOffsetDigits,   // X O +/- digits Enter
    OffsetAfterPrefix,        // X O
    CancelPrefix,             // any other key after X
    MonitorKey,               // F9
    IgnoredModifierKeys,      // Shift, Ctrl, Insert, Windows
    EndMicGainWatchByKey,     // any key but the arrows ends the watch
    TranslateKeypad,          // keypad digits and point become the main ones
    LeaveKeyerEntryByKey,     // any key but K and the arrows ends it
    BandPromptLetter,         // B then T, U (X)
    NextStoredChannel,        // U
    LeaveMemoryBank,          // every key but S and F
    BKey,                     // band prompt, or the bank in a channel mode
    LeaveChannelMode,         // any key but a digit after C or G
    SpaceKey,                 // transmit
    LevelKey,                 // L
    KeyerKey,                 // K
    DigitalFmKey,             // D
    ToneKey,                  // I
    HelpKey,                  // H
    MenuKey,                  // N
    EnterAfterMenuNumber,     // N digits Enter
    EnterAfterMenuValue,      // N digits Enter digits Enter
    OptionsReport,            // O
    SelectChannelKey,         // C
    GoToChannelKey,           // G
    AfGainKey,                // A
    FrequencyEntryKey,        // E
    PointKey,                 // "."
    EnterAfterTone,           // I digits Enter
    EnterAfterFrequency,      // E digits Enter
    SplitKey,                 // V
    ZeroInKey,                // Z
    PreampKey,                // F1
    AttenuatorKey,            // F2
    NoiseBlankerKey,          // F3
    NoiseReductionKey,        // F4
    DigitKey,                 // 0..9
    NotchKey,                 // F5
    ContourKey,               // F6
    ProcessorKey,             // F7
    BreakInOrVoxKey,          // F8
    TunerModeKey,             // F12
    FrequencyReadoutKey,      // F
    PowerKey,                 // P
    MicGainKey,               // F11
    RfGainKey,                // R
    TuneKey,                  // T
    WidthKey,                 // W
    ModeKey,                  // M
    ArrowUpDown,              // Up, Down
    OffsetSignKey,            // "+" / "-" in the offset entry
    ClosingFrequencyStep,     // everything else: re-send the frequency
};

}  // namespace

void RunKeyRules(Panel& panel) {
  for (Rule rule : kKeyRules) {
    if (rule(panel) == Flow::kStop) return;
  }
}

}  // namespace kelvaro
