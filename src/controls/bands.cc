#include "controls/bands.h"

#include <algorithm>
#include <string>

#include "controls/modes.h"
#include "controls/settings.h"
#include "state/radio_tables.h"
#include "controls/tones.h"
#include "display/frequency_text.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

constexpr int32_t kMaxNineDigitHz = 999999999;
// bandIndex that asks RecallBand for general coverage.
constexpr int32_t kGeneralCoverageRequest = 15;

// Brings the index into the band set: the rotation covers bands 1..13, and
// 15 is how a caller asks for general coverage.
int WrappedBand(int band) {
  if (band <= 0) band = kBand70cm;
  if (band == kBandGeneral) band = kBand160m;
  if (band >= kBandGeneral + 1) band = kBandGeneral;
  return band;
}

}  // namespace

void SelectBand(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.bandIndex >= 1 && s.radio.bandIndex <= kBandCount) {
    SendCommand(panel, BandRow(s.radio.bandIndex)->selectCommand);
    if (s.banks.bandQuiet == BandQuiet::kSpeak) SpeakBand(panel);
  }
  s.banks.bandQuiet = BandQuiet::kSpeak;
}

void RecallBand(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.bandIndex = WrappedBand(s.radio.bandIndex);
  const int band = s.radio.bandIndex;
  RestartTickCount(s.tick);
  if (s.radio.splitOn) SendCommand(panel, "ST0");
  if (s.entry.toneActive) {
    s.entry.toneActive = false;
    s.radio.toneCode = "999";
    SendCommand(panel, "CT00");
  }
  SelectBand(panel);

  // A record without its layout would put garbage into the commands below;
  // the band starts again from its factory record instead.
  if (!IsBandRecord(s.banks.bandRecords[band])) s.banks.bandRecords[band] = BandRow(band)->defaultRecord;
  const BandRecord record = ParseBandRecord(s.banks.bandRecords[band]);

  const std::string command = "F" + record.vfoA;
  s.radio.frequencyText = FrequencyTextOf(command);
  SendCommand(panel, command);

  s.radio.radioMode = record.mode - '0';
  ApplyMode(panel);

  if (record.flag == '5') {
    s.radio.repeaterOn = RepeaterState::kOff;
    SendRepeaterShift(panel);
  }

  s.radio.toneCode = record.tone;
  s.radio.bandVfoText = record.vfoA;
  const bool fm = s.radio.radioMode == kFmNarrow || s.radio.radioMode == kFmWide;
  if (fm && s.radio.toneCode != "999" && s.radio.toneCode != "000") {
    const std::string tone = s.radio.toneCode.str();
    const bool dcs = tone[0] > '4';
    s.entry.toneActive = true;
    s.entry.dcsTone = dcs ? 1 : 0;
    SendCommand(panel, dcs ? DcsCodeCommand(tone) : "CN00" + tone);
    // The tone squelch mode that goes with the code: DCS or CTCSS.
    SendCommand(panel, dcs ? "CT03" : "CT01");
    PlayPhrase(panel, dcs ? "dcs" : "ctcss");
    for (char digit : tone) PlayPhrase(panel, std::string(1, digit));
  }

  const char preamp = record.preamp;
  s.radio.preampSetting = preamp == '1' ? 1 : preamp == '2' ? 2 : 0;
  ApplyPreamp(panel);
  s.banks.limitQuiet = true;
}

void StoreBandMode(Panel& panel) {
  PanelState& s = panel.state;
  if (s.cat.passThroughSeen) return;
  if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount) return;
  if (s.radio.radioMode < kLsb || s.radio.radioMode > kFmWide) return;
  Text& record = s.banks.bandRecords[s.radio.bandIndex];
  if (!IsBandRecord(record)) return;
  BandRecord fields = ParseBandRecord(record);
  fields.mode = static_cast<char>('0' + s.radio.radioMode);
  record = FormatBandRecord(fields);
}

void BandFromEnteredMhz(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.bandIndex = kBandGeneral;
  if (s.entry.toneActive) {
    SendCommand(panel, "CT00");
    s.entry.toneActive = false;
    s.radio.toneCode = "999";
  }
  s.radio.bandIndex = BandOfMegahertz(s.entry.freqEntryNumber);
  if (s.radio.bandIndex == kBandGeneral && s.radio.splitOn) s.radio.splitOn = false;
}

void CancelSplit(Panel& panel) {
  PanelState& s = panel.state;
  s.radio.splitOn = false;
  SendCommand(panel, "ST0");

  std::string_view vfo = s.radio.bandVfoText;
  const char letter = CharAt(vfo, 1);
  const bool vfoUsable = IsVfoField(vfo, 'A') || IsVfoField(vfo, 'B');
  if (vfoUsable) {
    SendCommand(panel, "F" + std::string(vfo));
  }

  if (s.cat.passThroughSeen || s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount || letter != 'A' || !vfoUsable)
    return;
  if (!IsBandRecord(s.banks.bandRecords[s.radio.bandIndex])) return;
  // Split is off now: flag "0", the stored mode, the restored VFO A, and the
  // rest of the old record (VFO B, tone, preamp).
  BandRecord fields = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]);
  fields.flag = '0';
  fields.vfoA = std::string(vfo);
  const std::string rewritten = FormatBandRecord(fields);
  if (IsBandRecord(rewritten)) s.banks.bandRecords[s.radio.bandIndex] = rewritten;
}

namespace {

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

}  // namespace

void ToggleSplit(Panel& panel) {
  PanelState& s = panel.state;
  if (s.radio.bandIndex == kBandGeneral) {
    PlayPhrase(panel, "split");
    PlayPhrase(panel, "invalid");
    return;
  }
  s.entry.entryState = EntryState::kNone;
  if (s.radio.bandIndex >= kBand10m && s.radio.radioMode >= kFmNarrow && s.radio.radioMode <= kFmWide) {
    SendRepeaterShift(panel);
    return;
  }
  s.radio.splitOn = !s.radio.splitOn;
  if (!s.radio.splitOn) {
    CancelSplit(panel);
    PlayPhrase(panel, "split");
    PlayPhrase(panel, "off");
    return;
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
}

void OpenBandPrompt(Panel& panel) {
  panel.state.entry.entryState = EntryState::kBandPrompt;
  PlayPhrase(panel, "band");
  SpeakBand(panel);
}

void PickBand70cm(Panel& panel) {
  PanelState& s = panel.state;
  StoreBandRecord(panel);
  s.radio.bandIndex = kBand70cm;
  s.banks.bandQuiet = BandQuiet::kQuiet;
  SelectBand(panel);
  RecallBand(panel);
}

void PickPromptBand(Panel& panel, int32_t band) {
  PanelState& s = panel.state;
  StoreBandRecord(panel);
  s.radio.bandIndex = band;
  s.radio.toneCode = "999";
  RecallBand(panel);
  s.entry.entryState = EntryState::kNone;
}

void PickGeneralCoverage(Panel& panel) {
  PanelState& s = panel.state;
  StoreBandRecord(panel);
  s.entry.entryState = EntryState::kNone;
  s.radio.toneCode = "999";
  s.radio.bandIndex = kGeneralCoverageRequest;
  PlayPhrase(panel, "band");
  RecallBand(panel);
}

}  // namespace kelvaro
