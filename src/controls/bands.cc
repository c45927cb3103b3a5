#include "controls/bands.h"

#include "controls/modes.h"
#include "controls/settings.h"
#include "controls/tables.h"
#include "controls/tones.h"
#include "display/frequency_text.h"
#include "link/cat.h"
#include "memory/band_records.h"
#include "memory/records.h"
#include "speech/phrase.h"
#include "speech/speak.h"

namespace kelvaro {
namespace {

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
  if (s.bandIndex >= 1 && s.bandIndex <= kBandCount) {
    SendCommand(panel, kBandSelectCommands[s.bandIndex]);
    if (s.bandQuiet == BandQuiet::kSpeak) SpeakBand(panel);
  }
  s.bandQuiet = BandQuiet::kSpeak;
}

void RecallBand(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex = WrappedBand(s.bandIndex);
  const int band = s.bandIndex;
  panel.screen.SetPosition(50, 45);
  s.tickCount = 0;
  if (s.splitOn) SendCommand(panel, "ST0");
  if (s.toneActive) {
    s.toneActive = false;
    s.toneCode = "999";
    SendCommand(panel, "CT00");
  }
  SelectBand(panel);

  // A record without its layout would put garbage into the commands below;
  // the band starts again from its factory record instead.
  if (!IsBandRecord(s.bandRecords[band])) s.bandRecords[band] = kDefaultBandRecords[band];
  const BandRecord record = ParseBandRecord(s.bandRecords[band]);

  s.commandText = "F" + record.vfoA;
  s.frequencyText = FrequencyTextOf(s.commandText);
  SendCommand(panel);

  s.radioMode = record.mode - '0';
  ApplyMode(panel);

  if (record.flag == '5') {
    s.repeaterOn = RepeaterState::kOff;
    SendRepeaterShift(panel);
  }

  s.toneCode = record.tone;
  s.bandVfoText = record.vfoA;
  const bool fm = s.radioMode == kFmNarrow || s.radioMode == kFmWide;
  if (fm && s.toneCode != "999" && s.toneCode != "000") {
    const std::string tone = s.toneCode.str();
    const bool dcs = tone[0] > '4';
    s.toneActive = true;
    s.dcsTone = dcs ? 1 : 0;
    SendCommand(panel, dcs ? DcsCodeCommand(tone) : "CN00" + tone);
    // The tone squelch mode that goes with the code: DCS or CTCSS.
    SendCommand(panel, dcs ? "CT03" : "CT01");
    PlayPhrase(panel, dcs ? "dcs" : "ctcss");
    for (char digit : tone) PlayPhrase(panel, std::string(1, digit));
  }

  const char preamp = record.preamp;
  s.preampSetting = preamp == '1' ? 1 : preamp == '2' ? 2 : 0;
  ApplyPreamp(panel);
  s.limitQuiet = true;
}

void StoreBandMode(Panel& panel) {
  PanelState& s = panel.state;
  if (s.passThroughSeen) return;
  if (s.bandIndex < 1 || s.bandIndex > kBandCount) return;
  if (s.radioMode < kLsb || s.radioMode > kFmWide) return;
  Text& record = s.bandRecords[s.bandIndex];
  if (!IsBandRecord(record)) return;
  BandRecord fields = ParseBandRecord(record);
  fields.mode = static_cast<char>('0' + s.radioMode);
  record = FormatBandRecord(fields);
}

void BandFromEnteredMhz(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex = kBandGeneral;
  if (s.toneActive) {
    s.commandText = "CT00";
    SendCommand(panel);
    s.toneActive = false;
    s.toneCode = "999";
  }
  s.bandIndex = BandOfMegahertz(s.freqEntryNumber);
  if (s.bandIndex == kBandGeneral && s.splitOn) s.splitOn = false;
}

void CancelSplit(Panel& panel) {
  PanelState& s = panel.state;
  s.splitOn = false;
  s.commandText = "ST0";
  SendCommand(panel);

  std::string_view vfo = s.bandVfoText;
  const char letter = CharAt(vfo, 1);
  const bool vfoUsable = IsVfoField(vfo, 'A') || IsVfoField(vfo, 'B');
  if (vfoUsable) {
    s.commandText = "F" + std::string(vfo);
    SendCommand(panel);
  }

  if (s.passThroughSeen || s.bandIndex < 1 || s.bandIndex > kBandCount || letter != 'A' || !vfoUsable) return;
  if (!IsBandRecord(s.bandRecords[s.bandIndex])) return;
  // Split is off now: flag "0", the stored mode, the restored VFO A, and the
  // rest of the old record (VFO B, tone, preamp).
  BandRecord fields = ParseBandRecord(s.bandRecords[s.bandIndex]);
  fields.flag = '0';
  fields.vfoA = std::string(vfo);
  const std::string rewritten = FormatBandRecord(fields);
  if (IsBandRecord(rewritten)) s.bandRecords[s.bandIndex] = rewritten;
}

}  // namespace kelvaro
