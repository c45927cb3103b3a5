#include "display/panel_display.h"

#include <string>

#include "state/meter_scale.h"

namespace kelvaro {
namespace {

constexpr int kStatusY = 250;
constexpr const char* kCredit = "Talking front panel for the FTX-1";
constexpr const char* kKeyHelp =
    "b=Band  f=Freq  e=Entry m=Mode  w=Filter width p=Power a=af gain r=RF gain q=Quit  s=SMeter/swr";
constexpr const char* kFunctionKeyHelp =
    "F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch F6=Speech Proc.";

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void PrintAt(Panel& panel, int x, std::string_view text) {
  panel.screen.SetPosition(x, kStatusY);
  panel.screen.Print(text);
}

std::string ToneField(const PanelState& s) {
  std::string_view tone = s.radio.toneCode;
  if (tone == "999" || tone == "000") return Blanks(30);
  if (CharAt(tone, 1) > '4') {
    return s.entry.dcsTone ? "dcs=" + std::string(tone) + Blanks(14) : Blanks(28);
  }
  return "ctcss=" + std::string(tone) + Blanks(13);
}

}  // namespace

void SelectLargeFont(Panel& panel) { panel.screen.SelectFont("Ariel", 50, 700); }

void SelectSmallFont(Panel& panel) { panel.screen.SelectFont("Ariel", 20, 20); }

void DrawStatusLine(Panel& panel) {
  const PanelState& s = panel.state;
  SelectSmallFont(panel);
  PrintAt(panel, 40, s.radio.preampSetting > 0 ? "preamp" + Digits(s.radio.preampSetting) : Blanks(14));
  PrintAt(panel, 170, s.radio.attenuatorOn ? "att" : Blanks(4));
  PrintAt(panel, 240, s.radio.blankerOn ? "nb" : Blanks(4));
  PrintAt(panel, 310, s.radio.reductionOn ? "nr" : Blanks(3));
  PrintAt(panel, 360, s.radio.notchOn ? "notch" : Blanks(9));
  PrintAt(panel, 460, s.radio.contourOn ? "Cont." : Blanks(8));
  bool sideband = s.radio.radioMode == kLsb || s.radio.radioMode == kUsb;
  PrintAt(panel, 550, s.radio.processorOn && sideband ? "spc" : Blanks(7));
  if (s.radio.radioMode == kCw) {
    PrintAt(panel, 620, s.radio.breakInOn ? "bin " : Blanks(5));
  } else {
    PrintAt(panel, 620, s.radio.voxOn ? "vox" : Blanks(5));
  }
  // The monitor's blanks follow the field before them without a position of
  // their own, so they land wherever that field ended.
  if (s.radio.monitorOn) {
    PrintAt(panel, 690, "mon");
  } else {
    panel.screen.Print(Blanks(11));
  }
  PrintAt(panel, 780, ToneField(s));
  SelectLargeFont(panel);
}

void DrawTitleAndHelp(Panel& panel) {
  panel.screen.SetPosition(280, 10);
  panel.screen.Print(panel.state.config.titleText.str() + "  " + kCredit);
  panel.screen.SetPosition(140, 380);
  panel.screen.Print(kKeyHelp);
  panel.screen.SetPosition(140, 405);
  panel.screen.Print(kFunctionKeyHelp);
}

void DrawModeName(Panel& panel, std::string_view name) {
  panel.screen.SetPosition(50, 45);
  panel.screen.Print(name);
}

void DrawSMeter(Panel& panel) {
  panel.screen.SetPosition(750, 45);
  const int unit = SUnitOf(panel.state.tick.sMeterValue);
  if (unit < 9) {
    panel.screen.Print("S" + std::string(1, static_cast<char>('0' + unit)) + "  ");
    return;
  }
  // "+" or two blanks continue the line after "S9".
  panel.screen.Print("S9");
  panel.screen.Print(unit > 9 ? "+" : "  ");
}

void DrawFrequency(Panel& panel) {
  const PanelState& s = panel.state;
  panel.screen.SetPosition(80, 150);
  if (s.radio.splitOn && s.radio.repeaterOn == RepeaterState::kOff) panel.screen.Print("B   ");
  panel.screen.Print(s.radio.repeaterOn == RepeaterState::kOn ? "R   " : "    ");
  if (!s.radio.splitOn) panel.screen.Print("    ");
  panel.screen.SetPosition(285, 150);
  panel.screen.Print(s.cat.replyText.str() + std::string(13, ' '));
}

}  // namespace kelvaro
