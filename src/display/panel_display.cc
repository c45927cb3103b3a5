#include "display/panel_display.h"

#include <string>

namespace kelvaro {
namespace {

constexpr int kStatusY = 250;

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void PrintAt(Panel& panel, int x, std::string_view text) {
  panel.screen.SetPosition(x, kStatusY);
  panel.screen.Print(text);
}

std::string ToneField(const PanelState& s) {
  std::string_view tone = s.radio.toneCode;
  if (tone == "999" || tone == "000") return Blanks(30);
  if (CharAt(tone, 1) > '4') {
    return s.entry.dcsTone == 1 ? "dcs=" + std::string(tone) + Blanks(14) : Blanks(28);
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
  PrintAt(panel, 170, s.radio.attenuatorOn == 1 ? "att" : Blanks(4));
  PrintAt(panel, 240, s.radio.blankerOn == 1 ? "nb" : Blanks(4));
  PrintAt(panel, 310, s.radio.reductionOn == 1 ? "nr" : Blanks(3));
  PrintAt(panel, 360, s.radio.notchOn == 1 ? "notch" : Blanks(9));
  PrintAt(panel, 460, s.radio.contourOn > 0 ? "Cont." : Blanks(8));
  bool sideband = s.radio.radioMode == kLsb || s.radio.radioMode == kUsb;
  PrintAt(panel, 550, s.radio.processorOn > 0 && sideband ? "spc" : Blanks(7));
  if (s.radio.radioMode == kCw) {
    PrintAt(panel, 620, s.radio.breakInOn == 1 ? "bin " : Blanks(5));
  } else {
    PrintAt(panel, 620, s.radio.voxOn == 1 ? "vox" : Blanks(5));
  }
  // The monitor's blanks follow the field before them without a position of
  // their own, so they land wherever that field ended.
  if (s.radio.monitorOn == 1) {
    PrintAt(panel, 690, "mon");
  } else {
    panel.screen.Print(Blanks(11));
  }
  PrintAt(panel, 780, ToneField(s));
  SelectLargeFont(panel);
}

}  // namespace kelvaro
