// The keys that put the radio on the air or prepare it: the space bar
// (transmit), T (tune through the tuner, with a carrier, or both), F12 (how T
// uses the tuner), F11 (the mic-gain watch) and K (the keyer speed in CW);
// and Q, which takes the radio off the air before the program ends.
#include <algorithm>
#include <string>
#include <string_view>

#include "controls/modes.h"
#include "controls/stepping.h"
#include "keys/entries.h"
#include "link/cat.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

// Above this the tuner does not work (2 m and 70 cm): the tune is a carrier.
constexpr int32_t kTunerTopHz = 73000000;
constexpr int kTunerBeeps = 6;
constexpr int kCarrierEndPauses = 5;

// Asks for `code` and returns the three digits after it in the answer, when
// they make a value within low..high; -1 otherwise (no answer, a refusal, a
// garbled one).
int QueryThreeDigits(Panel& panel, std::string_view code, int low, int high) {
  const std::optional<std::string> answer = Query(panel, code);
  if (!answer) return -1;
  const std::string digits = Mid(*answer, static_cast<int>(code.size()) + 1, 3);
  if (digits.size() != 3 || !OnlyDigits(digits)) return -1;
  const int value = IntFromText(digits);
  return value >= low && value <= high ? value : -1;
}

// Back to the mode the keyer entry left, with break-in as it was.
void RestoreFromKeyerEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.entry.entryState = EntryState::kNone;
  if (s.entry.savedMode >= kLsb && s.entry.savedMode <= kFmWide) s.radio.radioMode = s.entry.savedMode;
  ApplyMode(panel);
}

// The end of a tune: a carrier is taken off the air and the power and mode
// the operator had come back.
void StopTune(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "off");
  if (s.config.tunerState != TunerUse::kOn) {
    SendCommand(panel, "TX0");
    if (s.config.tunerState == TunerUse::kNone) s.config.tunerState = TunerUse::kOn;
    // Time for the carrier to end before power and mode change back.
    for (int i = 0; i < kCarrierEndPauses; ++i) PauseBriefly(panel);
    SendPower(panel);
    ApplyMode(panel);
  }
  s.tick.tuneActive = false;
}

}  // namespace

// --- Q: quit ---

void QuitPanel(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "quit");
  if (!s.cat.radioConnected) {
    s.entry.runFlag = false;
    return;
  }
  SendCommand(panel, "TX0");
  s.entry.quitPending = 1;
}

// --- Space bar: transmit ---

void ToggleTransmit(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tick.txState != TxState::kReceiving) {
    s.tick.txState = TxState::kReceiving;
    SendCommand(panel, "TX0");
    PlayPhrase(panel, "tx");
    PlayPhrase(panel, "off");
    return;
  }
  PlayPhrase(panel, "tx");
  PlayPhrase(panel, "on");
  s.tick.txState = TxState::kTransmitting;
  s.tick.txHoldoff = 2;
  s.tick.tunerArmed = false;
  SendCommand(panel, "TX1");
}

// --- T: tune ---

void ToggleTune(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "tune");
  if (s.tick.tuneActive) {
    StopTune(panel);
    return;
  }

  PlayPhrase(panel, "on");
  s.tick.tuneActive = true;
  if (s.config.tunerState == TunerUse::kOn || s.config.tunerState == TunerUse::kBoth) {
    if (s.radio.frequencyHz > kTunerTopHz) {
      PlayPhrase(panel, "atu");
      PlayPhrase(panel, "na");
      s.config.tunerState = TunerUse::kNone;  // a carrier only, this time
    } else {
      if (!s.tick.tunerArmed) {
        SendCommand(panel, "AC101");
        s.tick.tunerArmed = true;
      }
      SendCommand(panel, "AC103");  // the tuner run starts
      RestartTickCount(s.tick);
      for (int i = 0; i < kTunerBeeps; ++i) PlayPhrase(panel, "beep");
      PlayPhrase(panel, "ok");
      if (s.config.tunerState == TunerUse::kOn) {
        // The tuner run alone: no carrier follows.
        PlayPhrase(panel, "tune");
        StopTune(panel);
        return;
      }
    }
  }
  // The carrier: 5 W in the carrier mode on the current frequency.
  SendCommand(panel, PowerCommand(s, 5));
  SendCommand(panel, "MD05");
  SendFrequencyA(panel);
  SendCommand(panel, "TX1");
}

// --- F12: tuner mode ---

void CycleTunerMode(Panel& panel) {
  PanelState& s = panel.state;
  if (s.cat.powerClass < 1) {
    // Only the 100 W amplifier has the tuner.
    PlayPhrase(panel, "tuner");
    PlayPhrase(panel, "na");
    s.config.tunerState = TunerUse::kOff;
    return;
  }
  s.tick.tunerArmed = false;
  PlayPhrase(panel, "tuner");
  if (s.config.tunerState == TunerUse::kOff) {
    SendCommand(panel, "AC101");
    PlayPhrase(panel, "on");
    s.config.tunerState = TunerUse::kOn;
  } else if (s.config.tunerState == TunerUse::kOn) {
    SendCommand(panel, "AC101");
    PlayPhrase(panel, "both");
    s.config.tunerState = TunerUse::kBoth;
  } else {
    // "both", no tuner on this band, or a value of no meaning: tuner off.
    SendCommand(panel, "AC100");
    PlayPhrase(panel, "off");
    s.config.tunerState = TunerUse::kOff;
  }
}

// --- F11: mic-gain watch ---

void StartMicGainWatch(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "micgain");
  s.entry.entryState = EntryState::kMicGain;
  RestartTickCount(s.tick);
  PlayPhrase(panel, "lev");
  // Without a proper answer the gain the panel last knew stands.
  const int gain = QueryThreeDigits(panel, "MG", 0, 100);
  if (gain >= 0) s.radio.micGain = gain;
  s.tick.meterPeak = s.radio.micGain;
  s.tick.micGainWatch = MicGainWatch::kReportingGain;  // no "alc" before the gain
  SpeakMeterPeak(panel);
  PauseBriefly(panel);
  s.tick.meterPeak = 0;
  s.tick.micGainWatch = MicGainWatch::kStarted;
}

void EndMicGainWatch(Panel& panel) {
  PanelState& s = panel.state;
  s.tick.micGainWatch = MicGainWatch::kReportingGain;
  PlayPhrase(panel, "micgain");
  PlayPhrase(panel, "lev");
  s.tick.meterPeak = s.radio.micGain;
  SpeakMeterPeak(panel);
  s.tick.micGainWatch = MicGainWatch::kOff;
  s.tick.meterPeak = 0;
  PlayPhrase(panel, "off");
}

// --- K: keyer speed ---

bool ToggleKeyerEntry(Panel& panel) {
  PanelState& s = panel.state;
  PlayPhrase(panel, "ks");
  if (s.entry.entryState == EntryState::kKeyerSpeed) {
    RestoreFromKeyerEntry(panel);
    PlayPhrase(panel, "off");
    SpeakKeyerSpeed(panel);
    if (s.radio.breakInOn) SendCommand(panel, "BI1");
    return false;
  }

  s.entry.savedMode = s.radio.radioMode;
  s.radio.radioMode = kCw;
  ApplyMode(panel);
  s.entry.entryState = EntryState::kKeyerSpeed;
  // Without a proper answer the speed the panel last knew stands.
  const int speed = QueryThreeDigits(panel, "KS", 4, 60);
  if (speed >= 0) s.radio.keyerSpeed = speed;
  PlayPhrase(panel, "on");
  SendCommand(panel, "BI0");  // no break-in while the speed is being set
  SpeakKeyerSpeed(panel);
  return true;
}

void LeaveKeyerEntry(Panel& panel) {
  PanelState& s = panel.state;
  RestoreFromKeyerEntry(panel);
  if (s.radio.breakInOn) SendCommand(panel, "BI1");
}

}  // namespace kelvaro
