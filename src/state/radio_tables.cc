#include "state/radio_tables.h"

namespace kelvaro {
namespace {

// Hamlib's mode bits, as its \dump_state carries them.
constexpr std::uint64_t kHamlibAm = 1ull << 0, kHamlibCw = 1ull << 1, kHamlibUsb = 1ull << 2,
                        kHamlibLsb = 1ull << 3, kHamlibFm = 1ull << 5, kHamlibPktLsb = 1ull << 10,
                        kHamlibPktUsb = 1ull << 11, kHamlibPktFm = 1ull << 12, kHamlibFmn = 1ull << 21,
                        kHamlibC4fm = 1ull << 33;

// The data modes are the radio's DATA-L, DATA-U and DATA-FM, which digital-mode
// programs ask for ("Data/Pkt" in WSJT-X); the panel has none and shows the
// voice mode they are built on (the radio keeps the data mode).
constexpr RadioMode kModes[] = {
    {'1', kLsb, true, "LSB    ", {"lsb.wav", ""}, "LSB", 2400, kHamlibLsb},
    {'2', kUsb, true, "USB    ", {"usb.wav", ""}, "USB", 2400, kHamlibUsb},
    {'3', kCw, true, "CW      ", {"cw.wav", ""}, "CW", 500, kHamlibCw},
    {'4', kFmWide, true, "FM      ", {"fm.wav", ""}, "FM", 16000, kHamlibFm},
    {'5', kAm, true, "AM     ", {"am.wav", ""}, "AM", 9000, kHamlibAm},
    {'B', kFmNarrow, true, "FMN     ", {"fm.wav", "nar.wav"}, "FMN", 9000, kHamlibFmn},
    {'H', kC4fm, true, "C4FM  ", {"c4fm.wav", ""}, "C4FM", 16000, kHamlibC4fm},
    {'8', kLsb, false, "", {}, "PKTLSB", 2400, kHamlibPktLsb},
    {'C', kUsb, false, "", {}, "PKTUSB", 2400, kHamlibPktUsb},
    {'A', kFmWide, false, "", {}, "FM-D", 16000, kHamlibPktFm},
    {'I', 0, false, "", {}, "C4FM", 16000, 0},
    {'6', 0, false, "", {}, "RTTY", 500, 0},
    {'7', 0, false, "", {}, "CWR", 500, 0},
    {'9', 0, false, "", {}, "RTTYR", 500, 0},
    {'D', 0, false, "", {}, "AMN", 6000, 0},
    {'E', 0, false, "", {}, "PKTUSB", 2400, 0},
    {'F', kFmNarrow, false, "", {}, "PKTFMN", 9000, 0},
};

// 30 m keeps VFO B on 10.0 MHz.
constexpr RadioBand kBands[] = {
    {kBand160m, "BS000", "01A001900000B0019000009990", "160", 1, 1},
    {kBand80m, "BS001", "01A003600000B0036000009990", "80", 3, 3},
    {kBand60m, "BS002", "02A005400000B0054000009990", "60", 5, 5},
    {kBand40m, "BS003", "01A007100000B0071000009990", "40", 7, 7},
    {kBand30m, "BS004", "03A010100000B0100000009990", "30", 10, 10},
    {kBand20m, "BS005", "02A014200000B0142000009991", "20", 14, 14},
    {kBand17m, "BS006", "02A018100000B0181000009991", "17", 18, 18},
    {kBand15m, "BS007", "02A021200000B0212000009991", "15", 21, 21},
    {kBand12m, "BS008", "02A024890000B0248900009991", "12", 24, 24},
    {kBand10m, "BS009", "02A028500000B0285000009991", "10", 28, 29},
    {kBand6m, "BS010", "02A050150000B0501500009991", "6", 50, 54},
    {kBand2m, "BS013", "05A145000000B1450000009990", "2", 144, 148},
    {kBand70cm, "BS014", "05A432000000B4320000009990", "70", 420, 449},
    {kBandGeneral, "BS011", "04A009670000B0096700009990", "un", 0, 0},
};
static_assert(std::size(kBands) == kBandCount);

}  // namespace

std::span<const RadioMode> RadioModes() { return kModes; }

const RadioMode* PanelModeRow(int32_t radioMode) {
  for (const RadioMode& m : kModes)
    if (m.panelOwn && m.panelMode == radioMode) return &m;
  return nullptr;
}

const RadioMode* RadioModeOfCode(char code) {
  for (const RadioMode& m : kModes)
    if (m.code == code) return &m;
  return nullptr;
}

std::string ModeCommand(int32_t radioMode) {
  const RadioMode* m = PanelModeRow(radioMode);
  return m ? std::string("MD0") + m->code : std::string();
}

std::span<const RadioBand> RadioBands() { return kBands; }

const RadioBand* BandRow(int32_t band) {
  if (band < 1 || band > kBandCount) return nullptr;
  return &kBands[band - 1];
}

}  // namespace kelvaro
