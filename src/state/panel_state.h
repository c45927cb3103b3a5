// PanelState: every program-wide value of the panel, in one record.
//
// Fields are grouped in parts, each a record of its own. Start values here are
// the ones a fresh record has; InitialisePanel gives the run's start values
// (most of them the same). Integers are 32-bit signed; texts are bounded
// (254 characters, replyText 255), so no assignment can make a longer one.
#pragma once

#include <array>
#include <cstdint>

#include "state/panel_modes.h"
#include "state/text.h"

namespace kelvaro {

// Band numbering (bandIndex).
enum Band : int32_t {
  kBand160m = 1, kBand80m, kBand60m, kBand40m, kBand30m, kBand20m, kBand17m,
  kBand15m, kBand12m, kBand10m, kBand6m, kBand2m, kBand70cm, kBandGeneral
};
// Mode numbering (radioMode).
enum Mode : int32_t { kLsb = 1, kUsb, kCw, kAm, kFmNarrow, kC4fm, kFmWide };

constexpr int kBandCount = 14;      // bands 1..14
constexpr int kChannelCount = 100;  // memory channels 0..99 (bank * 10 + slot)

// What the configuration file and the fixed texts set before the panel starts,
// and the settings the operator may change later that belong with them (power,
// tuner use, repeater shifts). The reset at start leaves it as it is.
struct Configuration {
  Text versionText;
  Text titleText;
  Text waveFolder;  // "wave\": prefix of every phrase file
  int32_t comPort = 0;
  int32_t baudRate = 0;
  int32_t powerSetting = 0;   // transmit power in watts
  int32_t powerOffAtExit = 0;
  int32_t passThroughPort = 0;
  int32_t debugLog = 0;
  TunerUse tunerState = TunerUse::kOn;
  bool dcsEnabled = false;
  std::array<Text, kBandCount + 1> standardShiftSign;  // used for bands 10..13
  std::array<Text, kBandCount + 1> standardShiftKhz;   // four digits
  std::array<Text, kBandCount + 1> currentShiftSign;   // used for bands 10..13
  std::array<Text, kBandCount + 1> currentShiftKhz;    // four digits
};

// The CAT exchange with the radio and the pass-through port: the command being
// sent, the answer read, what the radio said it is.
struct CatExchange {
  int32_t portDataBits = 8;
  int32_t portParity = 0;
  int32_t portStopBits = 2;
  Text commandText;            // command to send; after SendCommand, as sent with ";"
  ReplyText replyText;         // the bytes last read from the radio
  Text lastFrequencyCommand;   // last "FA"/"FB" set command sent, ";" included
  int32_t commandsSent = 0;       // counts every command sent (wraps)
  int32_t radioId = 0;
  int32_t powerClass = 0;  // 1 up to 100 W, 0 up to 10 W, -1 up to 6 W
  Text lastFreqReply;      // first 11 characters of the last accepted answer
  bool announcePending = false;
  bool radioConnected = false;
  Text passThroughChunk;
  Text passThroughBuffer;
  bool passThroughSeen = false;
  Text logLine;  // the debug-log line being composed
};

// The keyboard interpreter: the key in hand and the entries being typed.
struct KeyEntry {
  bool runFlag = false;
  int32_t keyCode = 0;  // the key-down being handled, as pressed
  // Set by the keypad rule of the key chain: from there on, for the rest of
  // that key's handling, the keypad digits and point count as the main
  // keyboard's.
  bool keypadAsMain = false;
  bool keyHeld = false;
  EntryState entryState = EntryState::kNone;
  int32_t quitPending = 0;
  ChannelMode channelMode = ChannelMode::kNone;
  int32_t bankDigitPending = 0;  // -1 after B in a channel mode
  bool channelRecall = false;
  LevelTarget levelTarget = LevelTarget::kNone;
  bool freqEntryActive = false;
  int32_t freqEntryNumber = 999;  // 999 = no entry since start
  int32_t freqEntryIntDigits = 0;
  bool freqEntryPoint = false;
  int32_t savedBand = 0;
  bool toneActive = false;
  bool dcsTone = false;
  bool toneBusy = false;
  Text savedTone;
  Text menuNumber;
  Text menuValue;
  Text offsetEntry;
  int32_t savedMode = 0;
  bool txAnnounce = false;  // while the transmit frequency is spoken
  Text swrText;             // working text of the SWR report
};

// What the timer tick carries from one tick to the next: polls, meters and
// the transmit watch.
struct TickState {
  int32_t tickCount = 0;
  // The count was set back to 0 by an action (a frequency sent, a report
  // spoken), not by its own wrap after 20, and no tick has come since: the
  // frequency text may not be the radio's yet, so F waits. True at start.
  bool countRestarted = true;
  bool pollPending = false;
  bool pollAlternate = false;
  bool menuReadBusy = false;
  int32_t sMeterValue = 0;
  Text txMeterText;
  int32_t txHoldoff = 0;
  TxState txState = TxState::kReceiving;
  bool tuneActive = false;
  bool tunerArmed = false;
  MicGainWatch micGainWatch = MicGainWatch::kOff;
  int32_t meterPeak = 0;
};

// Starts the tick count again after an action (see countRestarted).
inline void RestartTickCount(TickState& tick) {
  tick.tickCount = 0;
  tick.countRestarted = true;
}

// The radio's settings as the panel knows them: frequency, band, mode, levels.
struct RadioSettings {
  Text frequencyText;  // VFO-A frequency as shown and spoken (" 14.250000")
  int32_t frequencyHz = 0;
  Text vfoAText;  // "A" + 9 digits
  Text vfoBText;  // "B" + 9 digits
  Text bandVfoText;
  int32_t bandIndex = 4;
  int32_t radioMode = 1;
  bool fmWide = false;
  bool splitOn = false;
  RepeaterState repeaterOn = RepeaterState::kOff;
  Text toneCode = "999";  // three digits; "999" = no tone
  int32_t afGain = 50;
  int32_t rfGain = 250;
  int32_t widthIndex = 14;
  int32_t ssbWidth = 14;
  int32_t cwWidth = 11;
  int32_t keyerSpeed = 15;
  int32_t monitorLevel = 20;
  int32_t blankerLevel = 5;
  int32_t reductionLevel = 4;
  int32_t contourHz = 1200;
  int32_t processorLevel = 0;
  int32_t squelchLevel = 8;
  int32_t micGain = 0;
  int32_t preampSetting = 0;  // 0 IPO, 1 AMP1, 2 AMP2
  bool attenuatorOn = false;
  bool blankerOn = false;
  bool reductionOn = false;
  bool processorOn = false;
  bool voxOn = false;
  bool breakInOn = false;
  bool notchOn = false;
  bool contourOn = false;
  bool monitorOn = false;
  int32_t antennaSelect = 0;  // 0 antenna 1, 1 antenna 2
  int32_t agcIndex = 0;       // 1 fast, 2 mid, 3 slow, 4 auto
  bool vfoSwapped = false;
  std::array<Text, 8> modeCommands;  // index 1..7: "MD01" ... ; filled at start-up
};

// The band records, the memory channels and how they are being used.
struct Banks {
  std::array<Text, kBandCount + 1> bandRecords;    // index 1..14; 0 unused
  std::array<Text, kChannelCount> memoryChannels;  // "9" = empty
  int32_t memoryBank = 99;                         // 99 = none selected
  int32_t memoryCursor = 0;
  bool memoryRecallActive = false;
  bool bandRecordable = false;
  bool swapRecordLocked = false;
  BandQuiet bandQuiet = BandQuiet::kSpeak;
  bool limitQuiet = true;
};

struct PanelState {
  // First, so that PanelState{config} is a fresh state that keeps it.
  Configuration config;
  CatExchange cat;
  KeyEntry entry;
  TickState tick;
  RadioSettings radio;
  Banks banks;
};

}  // namespace kelvaro
