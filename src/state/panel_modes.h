// The named states of the panel: which entry is open, which level L adjusts,
// the memory-channel key mode, repeater operation, the band announcement's
// quiet state and the transmitter. Each has exactly the values listed; the
// numbers are the ones the debug trace and the tests have always seen.
#pragma once

#include <cstdint>

namespace kelvaro {

// The pending multi-key entry, and so what Up and Down adjust.
enum class EntryState : int32_t {
  kNone = 0,            // no entry pending; Up/Down step the frequency
  kBandPrompt = 1,      // B: the next key picks a band; Up/Down step bands
  kWidth = 2,           // W: Up/Down adjust the receive width
  kPower = 3,           // P: Up/Down adjust the transmit power
  kRfGain = 4,          // R: Up/Down adjust the RF gain
  kOffsetSign = 5,      // X O: repeater offset, waiting for the sign
  kOffsetDigits = 6,    // "+"/"-" after X O: offset digits being typed
  kAfGain = 7,          // A: Up/Down adjust the AF gain
  kMenuNumber = 8,      // N: menu number being typed
  kMenuValue = 9,       // Enter after the menu number: value being typed
  kLevel = 10,          // L: Up/Down adjust the level of `levelTarget`
  kKeyerSpeed = 11,     // K: Up/Down adjust the keyer speed
  kMicGain = 12,        // F11: Up/Down adjust the mic gain
  kExtendedPrefix = 14, // X: the next key has its second meaning
};

// Every entry state, in the order of their numbers.
constexpr EntryState kEntryStates[] = {
    EntryState::kNone,       EntryState::kBandPrompt, EntryState::kWidth,        EntryState::kPower,
    EntryState::kRfGain,     EntryState::kOffsetSign, EntryState::kOffsetDigits, EntryState::kAfGain,
    EntryState::kMenuNumber, EntryState::kMenuValue,  EntryState::kLevel,        EntryState::kKeyerSpeed,
    EntryState::kMicGain,    EntryState::kExtendedPrefix,
};

// How the antenna tuner is used, as the configuration file's digit says
// (a digit of no meaning is kept as it is and counts as none of these).
enum class TunerUse : int32_t {
  kOn = 0,    // a tune runs the tuner alone
  kOff = 1,   // no tuner: a tune sends a carrier
  kBoth = 2,  // the tuner runs, then a carrier follows
  kNone = 3,  // no tuner on this band: a carrier only, this time
};

// The level that L and Up/Down adjust in `EntryState::kLevel`.
enum class LevelTarget : int32_t {
  kNone = 0,
  kMonitor = 1,
  kBlanker = 2,
  kReduction = 3,
  kContour = 4,
  kProcessor = 5,
};

// The memory-channel key mode.
enum class ChannelMode : int32_t {
  kNone = 0,
  kSelect = 1,  // after C: the next digit stores a channel
  kGoTo = 2,    // after G or U: the next digit recalls a channel
};

// Repeater operation of the current band.
enum class RepeaterState : int32_t {
  kOff = 0,
  kOn = 1,
  // Left on by a band record; the next V switches it off without saying so.
  kOffSilently = 2,
};

// Whether the next band selection speaks the band.
enum class BandQuiet : int32_t {
  kSpeak = 0,
  kQuiet = 1,            // the next SelectBand stays silent
  kAntennaSwitched = 2,  // X A: the next key but S closes the prefix
};

// The F11 mic-gain watch: the peak of the mic meter reported on the ticks.
enum class MicGainWatch : int32_t {
  kOff = 0,
  kReportingGain = -1,  // the report now is the gain itself, not a peak
  kStarted = 1,         // watching; the first peak report begins with "alc"
  kWatching = 2,        // watching; "alc" has been said
};

// Whether the mic meter is watched for its peak.
constexpr bool WatchesPeaks(MicGainWatch watch) {
  return watch == MicGainWatch::kStarted || watch == MicGainWatch::kWatching;
}

// The transmitter as the panel switched it.
enum class TxState : int32_t {
  kReceiving = 0,
  kTransmitting = 10,
};

}  // namespace kelvaro
