#include "controls/tones.h"

#include <algorithm>

#include "link/cat.h"
#include "memory/band_records.h"
#include "speech/phrase.h"

namespace kelvaro {
namespace {

// Phrases of this file are silent while a memory channel is being recalled.
void Say(Panel& panel, std::string_view name) {
  if (!panel.state.entry.channelRecall) PlayPhrase(panel, name);
}

}  // namespace

char DcsBankDigit(std::string_view toneCode) {
  if (toneCode.size() != 3 || !OnlyDigits(toneCode)) return '0';
  // The radio's DCS list runs 000..103. Typed codes 700..803 are list numbers
  // 0..103, so 8xx lies in its second hundred; 500..503 are another way to
  // type 100..103.
  return toneCode[0] == '8' || toneCode[0] == '5' ? '1' : '0';
}

std::string DcsCodeCommand(std::string_view toneCode) {
  std::string code = RecordToneCode(toneCode);
  return "CN01" + std::string(1, DcsBankDigit(code)) + Right(code, 2);
}

std::string RepeaterOffsetCommand(int band, std::string_view offsetKhz) {
  int khz = 0;
  if (!offsetKhz.empty() && offsetKhz.size() <= 4 && OnlyDigits(offsetKhz)) khz = IntFromText(offsetKhz);
  switch (band) {
    case kBand10m: return "EX010316" + ZeroPad(khz, 4);
    case kBand6m: return "EX010317" + ZeroPad(khz, 4);
    case kBand2m: return "EX010318" + ZeroPad(khz / 50, 4);
    case kBand70cm: return "EX010319" + ZeroPad(khz / 50, 4);
    default: return {};
  }
}

void SendToneSquelch(Panel& panel) {
  PanelState& s = panel.state;
  // A typed tone may have fewer than three digits ("12"); the radio and the
  // band records take three. Without a tone number nothing is sent.
  const std::string code = RecordToneCode(s.radio.toneCode);
  if (code == "999") return;
  s.radio.toneCode = code;

  if (!s.entry.dcsTone) {
    Say(panel, "ctcss");
    if (s.entry.toneBusy) {
      Say(panel, "on");
    } else {
      for (char digit : code) Say(panel, std::string(1, digit));
    }
    SendCommand(panel, "CN00" + code);
    SendCommand(panel, code[0] > '4' ? "CT03" : "CT01");
    return;
  }

  Say(panel, "dcs");
  Say(panel, "on");
  SendCommand(panel, DcsCodeCommand(code));
  SendCommand(panel, "CT03");  // the DCS tone mode
}

void SendRepeaterShift(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.repeaterOn != RepeaterState::kOffSilently) Say(panel, "repeater");

  if (s.radio.repeaterOn != RepeaterState::kOff) {
    if (s.radio.repeaterOn == RepeaterState::kOn) Say(panel, "off");
    s.radio.repeaterOn = RepeaterState::kOff;
    s.radio.splitOn = false;
    SendCommand(panel, "OS00");
    return;
  }

  const int band = s.radio.bandIndex;
  if (RepeaterOffsetCommand(band, "0000").empty()) {
    // No repeater offset exists for this band: nothing is switched on.
    Say(panel, "na");
    return;
  }
  s.radio.repeaterOn = RepeaterState::kOn;
  s.config.currentShiftSign[band] = s.config.standardShiftSign[band] == "+" ? "+" : "-";
  s.config.currentShiftKhz[band] = s.config.standardShiftKhz[band];
  SendCommand(panel, RepeaterOffsetCommand(band, s.config.currentShiftKhz[band]));
  SendCommand(panel, s.config.currentShiftSign[band] == "+" ? "OS01" : "OS02");
  Say(panel, "on");
  if (s.entry.toneActive) SendCommand(panel, s.entry.dcsTone ? "CT03" : "CT01");
}

}  // namespace kelvaro
