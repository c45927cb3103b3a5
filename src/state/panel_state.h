// PanelState: every program-wide value of the panel, in one record.
//
// Fields are grouped by the subsystem that owns them. Start values here are
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

struct PanelState {
  // --- Application shell: start-up, configuration, debug log ---
  Text versionText;
  Text titleText;
  bool runFlag = false;
  Text frequencyText;      // VFO-A frequency as shown and spoken (" 14.250000")
  int32_t comPort = 0;
  int32_t baudRate = 0;
  int32_t powerSetting = 0;   // transmit power in watts
  int32_t powerOffAtExit = 0;
  int32_t passThroughPort = 0;
  int32_t debugLog = 0;
  Text logLine;  // the debug-log line being composed

  // --- Radio link: serial port, CAT exchange, identification, replies ---
  int32_t portDataBits = 8;
  int32_t portParity = 0;
  int32_t portStopBits = 2;
  Text commandText;            // command to send; after SendCommand, as sent with ";"
  ReplyText replyText;         // the bytes last read from the radio
  Text lastFrequencyCommand;   // last "FA"/"FB" set command sent, ";" included
  int32_t commandsSent = 0;       // counts every command sent (wraps)
  int32_t radioId = 0;
  int32_t powerClass = 0;  // 1 up to 100 W, 0 up to 10 W, -1 up to 6 W
  bool processorOn = false;
  bool voxOn = false;
  bool breakInOn = false;
  Text lastFreqReply;  // first 11 characters of the last accepted answer
  Text vfoAText;       // "A" + 9 digits
  Text vfoBText;       // "B" + 9 digits
  bool announcePending = false;
  bool radioConnected = false;
  Text passThroughChunk;
  Text passThroughBuffer;
  bool passThroughSeen = false;

  // --- Speech output ---
  Text waveFolder;          // "wave\": prefix of every phrase file
  bool txAnnounce = false;  // while the transmit frequency is spoken
  Text swrText;             // working text of the SWR report

  // --- Keyboard command interpreter: dispatch, timer tick, entries ---
  int32_t keyCode = 0;
  bool keyHeld = false;
  EntryState entryState = EntryState::kNone;
  int32_t quitPending = 0;
  int32_t frequencyHz = 0;
  ChannelMode channelMode = ChannelMode::kNone;
  int32_t bankDigitPending = 0;  // -1 after B in a channel mode
  int32_t memoryBank = 99;       // 99 = none selected
  int32_t memoryCursor = 0;
  bool channelRecall = false;
  bool notchOn = false;
  bool contourOn = false;
  bool monitorOn = false;
  LevelTarget levelTarget = LevelTarget::kNone;
  int32_t squelchLevel = 8;

  int32_t tickCount = 0;
  bool pollPending = false;
  bool pollAlternate = false;
  bool menuReadBusy = false;
  int32_t sMeterValue = 0;
  Text txMeterText;
  int32_t txHoldoff = 0;

  bool freqEntryActive = false;
  int32_t freqEntryNumber = 999;  // 999 = no entry since start
  int32_t freqEntryIntDigits = 0;
  bool freqEntryPoint = false;
  int32_t savedBand = 0;
  bool toneActive = false;
  bool dcsTone = false;
  bool toneBusy = false;
  bool dcsEnabled = false;
  Text savedTone;
  Text menuNumber;
  Text menuValue;

  int32_t antennaSelect = 0;  // 0 antenna 1, 1 antenna 2
  int32_t agcIndex = 0;       // 1 fast, 2 mid, 3 slow, 4 auto
  bool vfoSwapped = false;
  bool swapRecordLocked = false;
  Text offsetEntry;
  std::array<Text, kBandCount + 1> standardShiftSign;  // used for bands 10..13
  std::array<Text, kBandCount + 1> standardShiftKhz;   // four digits

  TxState txState = TxState::kReceiving;
  bool tuneActive = false;
  int32_t tunerState = 0;  // 0 on, 1 off, 2 both, 3 none on this band
  bool tunerArmed = false;
  MicGainWatch micGainWatch = MicGainWatch::kOff;
  int32_t micGain = 0;
  int32_t meterPeak = 0;
  int32_t savedMode = 0;

  // --- Operating controls: bands, stepping, tones, channels ---
  int32_t bandIndex = 4;
  std::array<Text, kBandCount + 1> bandRecords;  // index 1..14; 0 unused
  BandQuiet bandQuiet = BandQuiet::kSpeak;
  bool limitQuiet = true;
  Text bandVfoText;
  bool splitOn = false;
  RepeaterState repeaterOn = RepeaterState::kOff;

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

  Text toneCode = "999";  // three digits; "999" = no tone
  std::array<Text, kBandCount + 1> currentShiftSign;  // used for bands 10..13
  std::array<Text, kBandCount + 1> currentShiftKhz;   // four digits

  std::array<Text, kChannelCount> memoryChannels;  // "9" = empty

  // --- Receiver and transmitter settings ---
  int32_t preampSetting = 0;  // 0 IPO, 1 AMP1, 2 AMP2
  bool attenuatorOn = false;
  bool blankerOn = false;
  bool reductionOn = false;
  int32_t radioMode = 1;
  bool fmWide = false;
  bool memoryRecallActive = false;
  std::array<Text, 8> modeCommands;  // index 1..7: "MD01" ... ; filled at start-up

  // --- Memory banks ---
  bool bandRecordable = false;
};

}  // namespace kelvaro
