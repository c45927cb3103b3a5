#include "keys/key_rules.h"

#include <cstdint>

#include "controls/bands.h"
#include "controls/channels.h"
#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/stepping.h"
#include "controls/swr.h"
#include "keys/entries.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

// What a rule leaves to the rules after it.
enum class Flow { kContinue, kStop };

bool Key(const PanelState& s, int code) { return KeyAsSeen(s) == code; }
bool IsMainDigit(int code) { return code >= '0' && code <= '9'; }

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
  const PanelState& s = panel.state;
  if (s.entry.toneActive && s.radio.toneCode == "999" && !Key(s, vk::kEnter) && !IsMainDigit(KeyAsSeen(s))) {
    ClearToneFlag(panel);
  }
  return Flow::kContinue;
}

Flow Quit(Panel& panel) {
  if (!Key(panel.state, 'Q')) return Flow::kContinue;
  QuitPanel(panel);
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
  const PanelState& s = panel.state;
  if (s.banks.bandQuiet == BandQuiet::kAntennaSwitched && !Key(s, 'S')) CloseAntennaPrefix(panel);
  return Flow::kContinue;
}

Flow SwapAfterPrefix(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'S') || s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  SwapVfos(panel);
  return Flow::kStop;
}

// S: 70 cm at the band prompt, otherwise the meter.
Flow SKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'S')) return Flow::kContinue;
  if (s.entry.entryState == EntryState::kBandPrompt) {
    PickBand70cm(panel);
  } else {
    SpeakMeter(panel);
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
  const PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kExtendedPrefix) return Flow::kContinue;
  if (Key(s, 'M') || Key(s, 'F') || Key(s, 'S') || Key(s, 'X')) return Flow::kContinue;
  CloseExtendedPrefix(panel);
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// Monitor, ignored keys, the mic-gain watch, keypad and keyer entry.

Flow MonitorKey(Panel& panel) {
  if (Key(panel.state, vk::kF9)) ToggleMonitor(panel);
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
  panel.state.entry.keypadAsMain = true;
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
  const PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kBandPrompt) return Flow::kContinue;
  if (Key(s, 'X')) {  // taken by the prefix key first, so this never runs
    PickPromptBand(panel, kBand6m);
  } else if (Key(s, 'T')) {
    PickPromptBand(panel, kBand2m);
  } else if (Key(s, 'U')) {
    PickGeneralCoverage(panel);
  } else {
    return Flow::kContinue;
  }
  return Flow::kStop;
}

// U: on to the next stored channel of the bank last recalled.
Flow NextStoredChannel(Panel& panel) {
  if (!Key(panel.state, 'U')) return Flow::kContinue;
  RecallNextStoredChannel(panel);
  return Flow::kStop;
}

// Every key from here on but S and F leaves the memory bank.
Flow LeaveMemoryBank(Panel& panel) {
  const PanelState& s = panel.state;
  EndChannelStep(panel, Key(s, 'S') || Key(s, 'F'));
  return Flow::kContinue;
}

// B: the bank number in a channel mode, otherwise the band prompt.
Flow BKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'B')) return Flow::kContinue;
  if (s.entry.channelMode != ChannelMode::kNone) {
    StartBankDigit(panel);
  } else {
    OpenBandPrompt(panel);
  }
  return Flow::kStop;
}

Flow LeaveChannelMode(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.channelMode != ChannelMode::kNone && !IsMainDigit(KeyAsSeen(s))) EndChannelMode(panel);
  return Flow::kContinue;
}

// ---------------------------------------------------------------------------
// Letter keys.

Flow SpaceKey(Panel& panel) {
  if (!Key(panel.state, vk::kSpace)) return Flow::kContinue;
  ToggleTransmit(panel);
  return Flow::kStop;
}

Flow LevelKey(Panel& panel) {
  if (!Key(panel.state, 'L')) return Flow::kContinue;
  StartLevelEntry(panel);
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

// O: every setting that is on, the tone, the antenna and the tuner mode.
Flow OptionsReport(Panel& panel) {
  if (!Key(panel.state, 'O')) return Flow::kContinue;
  SpeakOptions(panel);
  return Flow::kStop;
}

Flow SelectChannelKey(Panel& panel) {
  if (!Key(panel.state, 'C')) return Flow::kContinue;
  StartChannelSelect(panel);
  return Flow::kStop;
}

Flow GoToChannelKey(Panel& panel) {
  if (!Key(panel.state, 'G')) return Flow::kContinue;
  StartChannelGoTo(panel);
  return Flow::kStop;
}

Flow AfGainKey(Panel& panel) {
  if (!Key(panel.state, 'A')) return Flow::kContinue;
  StartAfGainEntry(panel);
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

Flow SplitKey(Panel& panel) {
  if (!Key(panel.state, 'V')) return Flow::kContinue;
  ToggleSplit(panel);
  return Flow::kStop;
}

Flow ZeroInKey(Panel& panel) {
  if (!Key(panel.state, 'Z')) return Flow::kContinue;
  ZeroIn(panel);
  return Flow::kStop;
}

// ---------------------------------------------------------------------------
// Function keys F1 to F8, and the digits between them.

Flow PreampKey(Panel& panel) {
  if (Key(panel.state, vk::kF1)) NextPreampSetting(panel);
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
  const int key = KeyAsSeen(panel.state);
  if (!IsMainDigit(key)) return Flow::kContinue;
  EnterDigit(panel, key);
  return Flow::kStop;
}

Flow NotchKey(Panel& panel) {
  if (Key(panel.state, vk::kF5)) ToggleNotch(panel);
  return Flow::kContinue;
}

Flow ContourKey(Panel& panel) {
  if (!Key(panel.state, vk::kF6)) return Flow::kContinue;
  ToggleContour(panel);
  return Flow::kStop;
}

Flow ProcessorKey(Panel& panel) {
  if (!Key(panel.state, vk::kF7)) return Flow::kContinue;
  ToggleProcessorInSideband(panel);
  return Flow::kStop;
}

Flow BreakInOrVoxKey(Panel& panel) {
  if (Key(panel.state, vk::kF8)) ToggleBreakInOrVox(panel);
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

Flow PowerKey(Panel& panel) {
  if (!Key(panel.state, 'P')) return Flow::kContinue;
  StartPowerEntry(panel);
  return Flow::kStop;
}

Flow MicGainKey(Panel& panel) {
  if (!Key(panel.state, vk::kF11)) return Flow::kContinue;
  StartMicGainWatch(panel);
  return Flow::kStop;
}

Flow RfGainKey(Panel& panel) {
  if (!Key(panel.state, 'R')) return Flow::kContinue;
  StartRfGainEntry(panel);
  return Flow::kContinue;
}

Flow TuneKey(Panel& panel) {
  if (!Key(panel.state, 'T')) return Flow::kContinue;
  ToggleTune(panel);
  return Flow::kStop;
}

Flow WidthKey(Panel& panel) {
  if (!Key(panel.state, 'W')) return Flow::kContinue;
  StartWidthEntry(panel);
  return Flow::kStop;
}

// M: the next mode; after X, FM wide and narrow change places.
Flow ModeKey(Panel& panel) {
  const PanelState& s = panel.state;
  if (!Key(s, 'M')) return Flow::kContinue;
  if (s.entry.entryState == EntryState::kExtendedPrefix) {
    SwapFmWidth(panel);
  } else {
    StepMode(panel);
  }
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

FrequencyKey FrequencyKeyOf(int code) {
  switch (code) {
    case vk::kPlus: return FrequencyKey::kMegahertzUp;
    case vk::kMinus: return FrequencyKey::kMegahertzDown;
    case vk::kPageUp: return FrequencyKey::kPageUp;
    case vk::kPageDown: return FrequencyKey::kPageDown;
    case vk::kRight: return FrequencyKey::kRight;
    case vk::kLeft: return FrequencyKey::kLeft;
    default: return FrequencyKey::kOther;
  }
}

// Keys that reach the end of the chain with no entry pending (or in the
// width entry) send the frequency, moved first by the frequency keys.
Flow ClosingFrequencyStep(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.entry.entryState != EntryState::kNone && s.entry.entryState != EntryState::kWidth) return Flow::kStop;
  SendClosingFrequency(panel, FrequencyKeyOf(KeyAsSeen(s)));
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

int KeyAsSeen(const PanelState& s) {
  const int key = s.entry.keyCode;
  if (!s.entry.keypadAsMain) return key;
  if (key >= vk::kKeypad0 && key <= vk::kKeypad9) return key - (vk::kKeypad0 - '0');
  if (key == vk::kKeypadPoint) return vk::kPoint;
  return key;
}

void RunKeyRules(Panel& panel) {
  panel.state.entry.keypadAsMain = false;  // the chain starts with the key as pressed
  for (Rule rule : kKeyRules) {
    if (rule(panel) == Flow::kStop) return;
  }
}

}  // namespace kelvaro
