#include "radio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ftx1sim {
namespace {

const std::string kError = "?;";
// Longer commands than this are not CAT; their bytes are dropped up to the ";".
constexpr std::size_t kMaxCommand = 64;
// How long a tuner run takes, in model milliseconds.
constexpr std::int64_t kTuneMs = 3000;

struct BandInfo {
  int code;
  std::int64_t low, high;   // amateur band edges
  std::int64_t stackHz;     // band-stack frequency before the band was used
  char stackMode;
  std::int64_t resonanceHz; // where antenna 1 is matched
  int noiseFloor;           // S-meter reading of band noise with the preamp off
  const char* name;
};

const BandInfo kBands[] = {
    {0, 1800000, 2000000, 1840000, '1', 1840000, 62, "160m"},
    {1, 3500000, 4000000, 3650000, '1', 3650000, 52, "80m"},
    {2, 5250000, 5450000, 5357000, '2', 5360000, 44, "60m"},
    {3, 7000000, 7300000, 7100000, '1', 7100000, 42, "40m"},
    {4, 10100000, 10150000, 10125000, '3', 10125000, 32, "30m"},
    {5, 14000000, 14350000, 14200000, '2', 14150000, 26, "20m"},
    {6, 18068000, 18168000, 18120000, '2', 18120000, 21, "17m"},
    {7, 21000000, 21450000, 21200000, '2', 21200000, 17, "15m"},
    {8, 24890000, 24990000, 24940000, '2', 24940000, 13, "12m"},
    {9, 28000000, 29700000, 28500000, '2', 28500000, 10, "10m"},
    {10, 50000000, 54000000, 50150000, '2', 50150000, 6, "6m"},
    {12, 118000000, 137000000, 127500000, '5', 0, 4, "air"},  // receive only: no antenna
    {13, 144000000, 148000000, 145000000, '4', 145000000, 3, "2m"},
    {14, 420000000, 450000000, 433000000, '4', 435000000, 2, "70cm"},
};
constexpr int kGeneralCoverage = 11;
constexpr std::int64_t kGeneralStackHz = 9670000;

const BandInfo* FindBand(std::int64_t hz) {
  for (const BandInfo& b : kBands)
    if (hz >= b.low && hz <= b.high) return &b;
  return nullptr;
}

const BandInfo* BandByCode(int code) {
  for (const BandInfo& b : kBands)
    if (b.code == code) return &b;
  return nullptr;
}

// The receiver covers 30 kHz to 174 MHz and 400 to 470 MHz.
bool Tunable(std::int64_t hz) {
  return (hz >= 30000 && hz <= 174000000) || (hz >= 400000000 && hz <= 470000000);
}

// Preamp group of "PA": 0 HF and 6 m, 1 2 m (VHF), 2 70 cm (UHF).
int PreampGroup(std::int64_t hz) {
  if (hz >= 300000000) return 2;
  if (hz >= 76000000) return 1;
  return 0;
}

struct ModeName {
  char code;
  const char* name;
};
const ModeName kModes[] = {
    {'1', "LSB"},    {'2', "USB"},     {'3', "CW-U"},    {'4', "FM"},     {'5', "AM"},
    {'6', "RTTY-L"}, {'7', "CW-L"},    {'8', "DATA-L"},  {'9', "RTTY-U"}, {'A', "DATA-FM"},
    {'B', "FM-N"},   {'C', "DATA-U"},  {'D', "AM-N"},    {'E', "PSK"},    {'F', "DATA-FM-N"},
    {'H', "C4FM-DN"}, {'I', "C4FM-VW"},
};

const char* ModeNameOf(char code) {
  for (const ModeName& m : kModes)
    if (m.code == code) return m.name;
  return "?";
}

bool ValidMode(char code) {
  for (const ModeName& m : kModes)
    if (m.code == code) return true;
  return false;
}

// Menu settings with a fixed value width; any other six-digit menu number
// takes any value of 1..8 digits and reads back what was written.
struct MenuItem {
  const char* number;
  int width, low, high;
  const char* initial;
};
const MenuItem kMenus[] = {
    {"010316", 4, 0, 9999, "0100"},  // 10 m repeater shift, kHz
    {"010317", 4, 0, 9999, "1000"},  // 6 m repeater shift, kHz
    {"010318", 4, 0, 9999, "0012"},  // 2 m repeater shift, 50 kHz steps
    {"010319", 4, 0, 9999, "0100"},  // 70 cm repeater shift, 50 kHz steps
    {"030704", 1, 0, 1, "0"},        // antenna: 0 ANT 1, 1 ANT 2
    {"030705", 3, 5, 100, "100"},    // SPA-1 HF power cap, watts (amplifier only)
};

const MenuItem* FindMenu(std::string_view number) {
  for (const MenuItem& m : kMenus)
    if (number == m.number) return &m;
  return nullptr;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Only called on short digit strings (at most 9 digits).
std::int64_t ToNumber(std::string_view digits) {
  std::int64_t n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

std::string Pad(std::int64_t value, int width) {
  std::string s = std::to_string(value < 0 ? 0 : value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return s;
}

std::string Mhz(std::int64_t hz) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld.%06lld", static_cast<long long>(hz / 1000000),
                static_cast<long long>(hz % 1000000));
  return buffer;
}

// A setting addressed as code + selector + a fixed-width number: the selector
// alone queries it; with the number it is set when the number is in range.
std::string NumberSetting(std::string_view code, std::string_view selector, std::string_view p,
                          int width, int low, int high, int& value) {
  if (p.substr(0, selector.size()) != selector) return kError;
  std::string_view v = p.substr(selector.size());
  if (v.empty()) return std::string(code) + std::string(selector) + Pad(value, width) + ";";
  if (static_cast<int>(v.size()) != width || !AllDigits(v)) return kError;
  std::int64_t n = ToNumber(v);
  if (n < low || n > high) return kError;
  value = static_cast<int>(n);
  return "";
}

// The reading of the radio's SWR meter (0..255) for a ratio, following the
// meter's scale: 1.0 at 50, 1.5 near 85, 2.0 at 120, 3.0 at 160, 4.0 at 180,
// 5.0 and more from 200.
int SwrReading(double ratio) {
  if (ratio < 1.0) ratio = 1.0;
  double raw;
  if (ratio < 2.0) raw = 50 + (ratio - 1.0) * 70;
  else if (ratio < 3.0) raw = 120 + (ratio - 2.0) * 40;
  else if (ratio < 4.0) raw = 160 + (ratio - 3.0) * 20;
  else if (ratio < 5.0) raw = 180 + (ratio - 4.0) * 20;
  else raw = 200 + (ratio - 5.0) * 10;
  return std::clamp(static_cast<int>(std::lround(raw)), 0, 255);
}

// Standing-wave ratio of the selected antenna on its own: each band has a
// resonant antenna; the ratio grows with the square of the relative distance
// from resonance (broader on 2 m and 70 cm). Off the amateur bands nothing is
// matched.
double AntennaRatio(std::int64_t hz, int antenna) {
  const BandInfo* band = FindBand(hz);
  if (!band || band->resonanceHz == 0) return 9.9;
  double resonance = static_cast<double>(band->resonanceHz) * (antenna == 1 ? 1.012 : 1.0);
  double widthShare = hz >= 100000000 ? 0.02 : 0.008;
  double d = std::abs(static_cast<double>(hz) - resonance) / resonance / widthShare;
  return 1.15 + (antenna == 1 ? 0.25 : 0.0) + d * d;
}

int NoiseFloor(std::int64_t hz) {
  if (const BandInfo* band = FindBand(hz)) return band->noiseFloor;
  if (hz < 2000000) return 70;
  if (hz < 10000000) return 45;
  if (hz < 30000000) return 25;
  if (hz < 76000000) return 10;
  return 4;
}

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Signed decimal integer filling the whole text; false when it is not one.
bool ParseInt(std::string_view s, std::int64_t* out) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (!AllDigits(s) || s.size() > 12) return false;
  *out = negative ? -ToNumber(s) : ToNumber(s);
  return true;
}

}  // namespace

Radio::Radio(Options options) : options_(options) {
  rng_ = options_.seed;
  garbleRng_ = options_.seed ^ 0x5DEECE66Dull;
  if (options_.powerClass != 10 && options_.powerClass != 6) options_.powerClass = 100;
  options_.garble = std::clamp(options_.garble, 0.0, 1.0);
  state_.powerWatts = options_.powerClass;
  state_.memoryMode = options_.memoryMode ? 1 : 0;
  if (options_.agcAuto) state_.agc = 4;
  for (const MenuItem& m : kMenus) state_.menus[m.number] = m.initial;
}

int Radio::BandOf(std::int64_t hz) {
  const BandInfo* band = FindBand(hz);
  return band ? band->code : kGeneralCoverage;
}

std::uint64_t Radio::NextRandom() { return SplitMix(rng_); }

int Radio::RandomIn(int lo, int hi) {
  return lo + static_cast<int>(NextRandom() % static_cast<std::uint64_t>(hi - lo + 1));
}

std::string Radio::Feed(std::string_view bytes) {
  std::string out;
  for (const Command& command : Receive(bytes)) out += Handle(command);
  return out;
}

std::vector<Radio::Command> Radio::Receive(std::string_view bytes) {
  std::vector<Command> commands;
  for (char c : bytes) {
    if (c != ';') {
      if (pending_.size() < kMaxCommand) pending_ += c;
      else pendingTooLong_ = true;
      continue;
    }
    Command command{std::string(Trim(pending_)) + (pendingTooLong_ ? "...;" : ";"), pendingTooLong_};
    if (observer_) observer_(command.text);
    commands.push_back(std::move(command));
    pending_.clear();
    pendingTooLong_ = false;
  }
  return commands;
}

std::string Radio::Handle(const Command& command) {
  if (command.tooLong) {
    if (options_.silent || !state_.powerOn) return "";
    ++refusals_;
    lastRefused_ = command.text;
    return kError;
  }
  std::int64_t vfoABefore = state_.vfoHz[0];
  std::string_view text = command.text;
  if (!text.empty() && text.back() == ';') text.remove_suffix(1);
  std::string answer = Execute(text);
  ReportFrequency(vfoABefore);
  if (answer == kError) {
    ++refusals_;
    lastRefused_ = command.text;
  }
  return answer;
}

std::string Radio::TakeUnsolicited() {
  std::string out;
  for (const std::string& answer : unsolicited_) out += answer;
  unsolicited_.clear();
  return out;
}

void Radio::ReportFrequency(std::int64_t vfoABefore) {
  if (!state_.autoInfo || !state_.powerOn || options_.silent || state_.vfoHz[0] == vfoABefore) return;
  // Nobody may be collecting (the model in memory): keep only the latest.
  if (unsolicited_.size() >= 64) unsolicited_.pop_front();
  unsolicited_.push_back(MaybeGarble("FA" + Pad(state_.vfoHz[0], 9) + ";"));
}

std::string Radio::Execute(std::string_view raw) {
  std::string_view command = Trim(raw);
  // A lone ";" is nothing. A command starting with "?" can only be one of our
  // own "?;" answers echoed back by a terminal left in echo mode: answering it
  // would start an endless exchange.
  if (command.empty() || command[0] == '?') return "";
  FinishTuning();
  if (!state_.powerOn) {
    // Switched off, the radio hears nothing but the power switch.
    if (command == "PS1") state_.powerOn = 1;
    return "";
  }
  std::string answer =
      command.size() < 2 ? kError : Dispatch(command.substr(0, 2), command.substr(2));
  if (answer.empty() || options_.silent) return "";
  return MaybeGarble(std::move(answer));
}

std::string Radio::MaybeGarble(std::string answer) {
  if (options_.garble > 0.0) {
    double draw = static_cast<double>(SplitMix(garbleRng_) >> 11) * 0x1.0p-53;
    if (draw < options_.garble) answer = Garble(std::move(answer));
  }
  return answer;
}

std::string Radio::Garble(std::string answer) {
  static const char kNoise[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ;?";
  std::uint64_t r = SplitMix(garbleRng_);
  std::size_t at = static_cast<std::size_t>((r >> 8) % answer.size());
  switch (r % 3) {
    case 0: {  // one character changed
      char c = kNoise[(r >> 32) % (sizeof kNoise - 1)];
      if (c == answer[at]) c = c == '0' ? '1' : '0';
      answer[at] = c;
      break;
    }
    case 1:  // one character lost
      answer.erase(at, 1);
      break;
    default:  // the end lost (every answer has at least two characters)
      answer.resize(1 + static_cast<std::size_t>((r >> 8) % (answer.size() - 1)));
      break;
  }
  return answer;
}

std::string Radio::Dispatch(std::string_view code, std::string_view p) {
  State& s = state_;
  const std::string c(code);
  auto one = [&](char digit) { return c + std::string(p) + digit + ";"; };

  if (c == "ID") return p.empty() ? "ID" + Pad(options_.id, 4) + ";" : kError;

  if (c == "FA" || c == "FB") {
    int vfo = c == "FA" ? 0 : 1;
    if (p.empty()) return c + Pad(s.vfoHz[vfo], 9) + ";";
    if (p.size() != 9 || !AllDigits(p) || !Tunable(ToNumber(p))) return kError;
    // A memory channel's frequency is not set by CAT: VFO mode first.
    if (vfo == 0 && s.memoryMode) return kError;
    SetFrequency(vfo, ToNumber(p));
    return "";
  }

  if (c == "MD") {
    if (p.empty() || (p[0] != '0' && p[0] != '1') || p.size() > 2) return kError;
    int vfo = p[0] - '0';
    if (p.size() == 1) return one(s.mode[vfo]);
    if (!ValidMode(p[1])) return kError;
    s.mode[vfo] = p[1];
    return "";
  }

  if (c == "SM") {
    if (p != "0" && p != "1") return kError;
    return c + std::string(p) + Pad(p == "0" ? SMeter() : NoiseFloor(s.vfoHz[1]), 3) + ";";
  }

  if (c == "RM") {
    if (p.size() != 1 || p[0] < '1' || p[0] > '8') return kError;
    return c + std::string(p) + Pad(MeterReading(p[0] - '0'), 3) + ";";
  }

  if (c == "AG") return NumberSetting(c, "0", p, 3, 0, 255, s.afGain);
  if (c == "RG") return NumberSetting(c, "0", p, 3, 0, 255, s.rfGain);
  if (c == "SQ") return NumberSetting(c, "0", p, 3, 0, 255, s.squelch);

  if (c == "ML") {
    // The monitor level of the main or sub VFO, three digits.
    if (p.empty() || (p[0] != '0' && p[0] != '1')) return kError;
    return NumberSetting(c, p.substr(0, 1), p, 3, 0, 100, s.monitorLevel[p[0] - '0']);
  }

  if (c == "GT") {
    // Auto answers as one of its variants (4 to 6 are all auto).
    if (p == "0") return "GT0" + std::to_string(s.agc == 4 ? 5 : s.agc) + ";";
    return NumberSetting(c, "0", p, 1, 0, 4, s.agc);
  }

  if (c == "VM") {
    if (p == "0") return s.memoryMode ? "VM011;" : "VM000;";
    if (p != "000" && p != "011") return kError;
    s.memoryMode = p == "011";
    return "";
  }

  if (c == "PA") {
    if (p.empty() || p[0] < '0' || p[0] > '2') return kError;
    int group = p[0] - '0';
    return NumberSetting(c, p.substr(0, 1), p, 1, 0, group == 0 ? 2 : 1, s.preamp[group]);
  }

  if (c == "RA") return NumberSetting(c, "0", p, 1, 0, 1, s.attenuator);
  if (c == "NB") return NumberSetting(c, "0", p, 1, 0, 1, s.blankerOn);
  if (c == "NL") return NumberSetting(c, "0", p, 3, 0, 10, s.blankerLevel);
  if (c == "NR") return NumberSetting(c, "0", p, 1, 0, 1, s.reductionOn);
  if (c == "RL") return NumberSetting(c, "0", p, 2, 0, 15, s.reductionLevel);
  if (c == "BC") return NumberSetting(c, "0", p, 1, 0, 1, s.notch);

  if (c == "CO") {
    // CO + VFO digit + n + four digits: n 0 contour on/off, 1 contour
    // frequency (Hz), 2 APF on/off, 3 APF offset.
    if (p.size() < 2 || p[0] != '0' || p[1] < '0' || p[1] > '3') return kError;
    int n = p[1] - '0';
    std::string_view v = p.substr(2);
    if (v.empty()) return c + std::string(p) + Pad(s.contour[n], 4) + ";";
    if (!AllDigits(v) || v.size() != 4) return kError;
    std::int64_t value = ToNumber(v);
    bool ok = n == 1 ? value >= 10 && value <= 3200 : n == 3 ? value <= 50 : value <= 1;
    if (!ok) return kError;
    s.contour[n] = static_cast<int>(value);
    return "";
  }

  if (c == "PR") {
    // "1" is off and "2" on; "0" is no setting.
    if (p.empty() || (p[0] != '0' && p[0] != '1')) return kError;
    int& on = p[0] == '0' ? s.processorOn : s.equaliserOn;
    if (p.size() == 1) return c + std::string(p) + (on ? "2" : "1") + ";";
    if (p.size() != 2 || (p[1] != '1' && p[1] != '2')) return kError;
    on = p[1] == '2';
    return "";
  }
  if (c == "PL") return NumberSetting(c, "", p, 3, 0, 100, s.processorLevel);
  if (c == "VX") return NumberSetting(c, "", p, 1, 0, 1, s.vox);
  if (c == "BI") return NumberSetting(c, "", p, 1, 0, 1, s.breakIn);
  if (c == "KS") return NumberSetting(c, "", p, 3, 4, 60, s.keyerSpeed);
  if (c == "MG") return NumberSetting(c, "", p, 3, 0, 100, s.micGain);
  if (c == "AI") return NumberSetting(c, "", p, 1, 0, 1, s.autoInfo);
  if (c == "VS") return NumberSetting(c, "", p, 1, 0, 1, s.activeVfo);
  if (c == "ST") return NumberSetting(c, "", p, 1, 0, 1, s.split);
  if (c == "NA") return NumberSetting(c, "0", p, 1, 0, 1, s.narrow);
  if (c == "CT") return NumberSetting(c, "0", p, 1, 0, 3, s.toneMode);
  if (c == "OS") return NumberSetting(c, "0", p, 1, 0, 2, s.shift);

  if (c == "AC") {
    // AC + tuner digit + "0" + 0 off, 1 on, 2 or 3 start a tuner run. Only the
    // 100 W amplifier has a tuner; without it the settings are taken and
    // change nothing.
    bool hasTuner = options_.powerClass == 100;
    if (p.empty()) {
      char run = Tuning() ? '3' : s.tunerOn ? '1' : '0';
      return hasTuner ? "AC" + std::to_string(s.tunerSelect) + "0" + run + ";" : "AC000;";
    }
    if (p.size() != 3 || !AllDigits(p) || p[0] > '1' || p[1] != '0' || p[2] > '3') return kError;
    if (!hasTuner) return "";
    s.tunerSelect = p[0] - '0';
    if (p[2] >= '2') {
      tuneStart_ = now_;
    } else {
      tuneStart_ = -1;  // switching the tuner abandons a run
      s.tunerOn = p[2] - '0';
    }
    return "";
  }

  if (c == "PC") {
    // The head digit first: 1 the field head, 2 the SPA-1 amplifier. A
    // setting for the other head is refused.
    const char head = FieldHead() ? '1' : '2';
    if (p.empty()) return "PC" + std::string(1, head) + (s.halfWatt ? "0.5" : Pad(s.powerWatts, 3)) + ";";
    if (p.size() != 4 || p[0] != head) return kError;
    std::string_view v = p.substr(1);
    if (FieldHead() && v == "0.5") {
      s.halfWatt = true;
      s.powerWatts = 1;
      return "";
    }
    if (!AllDigits(v)) return kError;
    // Out of range settings are held at the limits of the power amplifier.
    int low = FieldHead() ? 1 : 5;
    s.powerWatts = std::clamp(static_cast<int>(ToNumber(v)), low, PowerLimit());
    s.halfWatt = false;
    return "";
  }

  if (c == "TX") {
    if (p.empty()) return one(static_cast<char>('0' + (s.tx != 0 ? s.tx : Tuning() ? 1 : 0)));
    if (p.size() != 1 || p[0] < '0' || p[0] > '2') return kError;
    s.tx = p[0] - '0';
    return "";
  }

  if (c == "FT") {
    // The transmitting VFO: 0/2 VFO A (split off), 1/3 VFO B (split on).
    if (p.empty()) return one(static_cast<char>('0' + s.split));
    if (p.size() != 1 || p[0] < '0' || p[0] > '3') return kError;
    s.split = (p[0] - '0') % 2;
    return "";
  }

  if (c == "SV") {
    if (!p.empty()) return kError;
    std::swap(s.vfoHz[0], s.vfoHz[1]);
    std::swap(s.mode[0], s.mode[1]);
    return "";
  }

  if (c == "BS") {
    // "BS0" + band code 00..14; other models' codes are refused.
    if (p.size() != 3 || p[0] != '0' || !AllDigits(p)) return kError;
    int band = static_cast<int>(ToNumber(p.substr(1)));
    if (band != kGeneralCoverage && !BandByCode(band)) return kError;
    SelectBandStack(band);
    return "";
  }

  if (c == "ZI") return p == "0" || p == "1" ? "" : kError;

  if (c == "PS") {
    if (p.empty()) return "PS1;";
    if (p != "0" && p != "1") return kError;
    if (p == "0") {
      s.powerOn = 0;
      s.tx = 0;
      tuneStart_ = -1;
    }
    return "";
  }

  if (c == "SH") {
    // SH + VFO digit + "0" + the width index in two digits.
    if (p.empty() || p[0] != '0') return kError;
    std::string_view v = p.substr(1);
    if (v.empty()) return "SH00" + Pad(s.width, 2) + ";";
    if (v.size() != 3 || v[0] != '0') return kError;
    v.remove_prefix(1);
    if (!AllDigits(v) || ToNumber(v) > 23) return kError;
    s.width = static_cast<int>(ToNumber(v));
    return "";
  }

  if (c == "CN") {
    if (p.size() < 2 || p[0] != '0' || (p[1] != '0' && p[1] != '1')) return kError;
    return p[1] == '0' ? NumberSetting(c, "00", p, 3, 0, 49, s.ctcss)
                       : NumberSetting(c, "01", p, 3, 0, 103, s.dcs);
  }

  if (c == "EX") {
    // Menus are numbered with six digits; the amplifier's power cap exists
    // only with the amplifier.
    if (!AllDigits(p) || p.size() < 6) return kError;
    {
      std::string number(p.substr(0, 6));
      std::string_view value = p.substr(6);
      if (number == "030705" && FieldHead()) return kError;
      const MenuItem* item = FindMenu(number);
      if (value.empty()) {
        auto found = s.menus.find(number);
        return found == s.menus.end() ? kError : "EX" + number + found->second + ";";
      }
      if (item) {
        if (static_cast<int>(value.size()) != item->width) return kError;
        std::int64_t n = ToNumber(value);
        if (n < item->low || n > item->high) return kError;
      } else if (value.size() > 8) {
        return kError;
      }
      s.menus[number] = std::string(value);
      return "";
    }
  }

  if (c == "IF") {
    // Memory channel, frequency, clarifier, RX/TX clarifier, mode, VFO/memory,
    // tone mode, "00", shift.
    if (!p.empty()) return kError;
    return "IF000" + Pad(s.vfoHz[s.activeVfo], 9) + "+000000" + std::string(1, s.mode[s.activeVfo]) +
           "0" + std::to_string(s.toneMode) + "00" + std::to_string(s.shift) + ";";
  }

  return kError;
}

int Radio::PowerLimit() const {
  if (options_.powerClass != 100) return options_.powerClass;
  return PreampGroup(state_.vfoHz[state_.activeVfo]) == 0 ? 100 : 50;
}

void Radio::SetFrequency(int vfo, std::int64_t hz) { state_.vfoHz[vfo] = hz; }

void Radio::SelectBandStack(int band) {
  // The band key keeps the frequency and mode of the band being left and
  // brings back those last used on the new band.
  std::int64_t& hz = state_.vfoHz[0];
  char& mode = state_.mode[0];
  bandStack_[BandOf(hz)] = {hz, mode};
  auto found = bandStack_.find(band);
  if (found != bandStack_.end()) {
    hz = found->second.first;
    mode = found->second.second;
  } else if (const BandInfo* info = BandByCode(band)) {
    hz = info->stackHz;
    mode = info->stackMode;
  } else {
    hz = kGeneralStackHz;
    mode = '5';
  }
}

bool Radio::Tuning() const { return tuneStart_ >= 0 && now_ - tuneStart_ < kTuneMs; }

void Radio::FinishTuning() {
  if (tuneStart_ < 0 || now_ - tuneStart_ < kTuneMs) return;
  tuneStart_ = -1;
  state_.tunerOn = 1;
  const State& s = state_;
  tunedHz_ = s.split ? s.vfoHz[s.activeVfo ^ 1] : s.vfoHz[s.activeVfo];
  double before = AntennaRatio(tunedHz_, s.menus.at("030704") == "1" ? 1 : 0);
  // Within the tuner's range the match is close; beyond it nothing is gained.
  tunedResidual_ = before <= 10.0 ? 1.05 + (before - 1.0) * 0.04 : before;
}

double Radio::SwrRatio() const {
  const State& s = state_;
  std::int64_t txHz = s.split ? s.vfoHz[s.activeVfo ^ 1] : s.vfoHz[s.activeVfo];
  auto menu = s.menus.find("030704");
  int antenna = menu != s.menus.end() && menu->second == "1" ? 1 : 0;
  double ratio = AntennaRatio(txHz, antenna);
  if (options_.powerClass != 100) return ratio;
  if (Tuning()) {
    // The tuner steps towards the match while it runs.
    double share = static_cast<double>(now_ - tuneStart_) / kTuneMs;
    double target = ratio <= 10.0 ? 1.05 + (ratio - 1.0) * 0.04 : ratio;
    return ratio + (target - ratio) * share;
  }
  if (s.tunerOn && tunedHz_ > 0) {
    double detune = std::abs(static_cast<double>(txHz - tunedHz_)) / static_cast<double>(tunedHz_) / 0.003;
    ratio = std::min(ratio, tunedResidual_ + detune * detune);
  }
  return ratio;
}

int Radio::SMeter() {
  const State& s = state_;
  if (s.tx != 0 || Tuning()) return 0;  // the receiver is muted while transmitting
  if (s.fixedSignal >= 0) return s.fixedSignal;
  std::int64_t hz = s.vfoHz[s.activeVfo];
  int group = PreampGroup(hz);
  int gain = group == 0 ? s.preamp[0] * 8 : s.preamp[group] * 6;
  if (s.attenuator) gain -= 24;
  int reading = NoiseFloor(hz) + gain + RandomIn(-4, 4);
  // Now and then a station comes up for a few seconds: the model time is cut
  // into 8 s slots; a third of them carry a signal at their start.
  std::int64_t slot = now_ / 8000;
  if (slot > 0) {
    std::uint64_t mix = options_.seed ^ (static_cast<std::uint64_t>(slot) * 0x9E3779B97F4A7C15ull) ^
                        static_cast<std::uint64_t>(BandOf(hz));
    std::uint64_t h = SplitMix(mix);
    if (h % 3 == 0 && now_ % 8000 < 2000 + static_cast<std::int64_t>((h >> 8) % 4000)) {
      int strength = 69 + static_cast<int>((h >> 20) % 110) + gain;
      reading = std::max(reading, strength + RandomIn(-6, 6));
    }
  }
  return std::clamp(reading, 0, 255);
}

int Radio::MeterReading(int meter) {
  const State& s = state_;
  bool transmitting = s.tx != 0 || Tuning();
  switch (meter) {
    case 1: return SMeter();
    case 2: return std::clamp(NoiseFloor(s.vfoHz[1]) + RandomIn(-4, 4), 0, 255);
    case 3:  // compression
      return transmitting && s.processorOn ? std::clamp(s.processorLevel + RandomIn(-10, 10), 0, 255) : 0;
    case 4:  // ALC, following the voice into the microphone
      if (!transmitting) return 0;
      return std::clamp(s.micGain * 3 / 2 + (s.processorOn ? 25 : 0) + RandomIn(-30, 30), 0, 255);
    case 5:  // power output
      return transmitting ? std::clamp(s.powerWatts * 255 / PowerLimit(), 0, 255) : 0;
    case 6:
      return transmitting ? std::clamp(SwrReading(SwrRatio()) + RandomIn(-1, 1), 0, 255) : 0;
    case 7:  // drain current
      return transmitting ? std::clamp(30 + s.powerWatts * 2 + RandomIn(-3, 3), 0, 255) : 12;
    default:  // supply voltage, 13.8 V
      return 190 + RandomIn(-1, 1);
  }
}

std::string Radio::Control(std::string_view line) {
  std::int64_t vfoABefore = state_.vfoHz[0];
  std::string shown = ControlLine(line);
  ReportFrequency(vfoABefore);
  return shown;
}

std::string Radio::ControlLine(std::string_view line) {
  std::istringstream in{std::string(Trim(line))};
  std::string word, arg, extra;
  in >> word >> arg >> extra;
  word = Lower(word);
  State& s = state_;
  FinishTuning();
  auto usage = [](const char* text) { return std::string("usage: ") + text; };

  if (word == "dial") {
    std::int64_t step = 0;
    if (!ParseInt(arg, &step) || !extra.empty()) return usage("dial +N | dial -N (Hz)");
    std::int64_t hz = s.vfoHz[s.activeVfo] + step;
    if (!Tunable(hz)) return "dial: out of range (30 kHz to 174 MHz, 400 to 470 MHz)";
    SetFrequency(s.activeVfo, hz);
    return std::string("VFO ") + (s.activeVfo ? "B " : "A ") + Mhz(hz) + " MHz";
  }
  if (word == "band") {
    std::string name = Lower(arg);
    if (!name.empty() && name.back() == 'm' && name != "70cm") name.pop_back();
    int code = -1;
    if (name == "gen") code = kGeneralCoverage;
    if (name == "70" || name == "70cm") code = 14;
    for (const BandInfo& b : kBands)
      if (code < 0 && name + "m" == b.name) code = b.code;
    if (code < 0 || !extra.empty()) return usage("band 160|80|60|40|30|20|17|15|12|10|6|2|70|gen");
    SelectBandStack(code);
    return "VFO A " + Mhz(s.vfoHz[0]) + " MHz " + ModeNameOf(s.mode[0]);
  }
  if (word == "mode") {
    std::string name = Upper(arg);
    char code = 0;
    if (name == "CW") code = '3';
    else if (name == "C4FM") code = 'H';
    else if (name.size() == 1 && ValidMode(name[0])) code = name[0];
    for (const ModeName& m : kModes)
      if (!code && name == m.name) code = m.code;
    if (!code || !extra.empty()) return usage("mode LSB|USB|CW|CW-L|FM|FM-N|AM|AM-N|C4FM|... or a mode code");
    s.mode[s.activeVfo] = code;
    return std::string("mode ") + ModeNameOf(code);
  }
  if (word == "signal") {
    std::string v = Upper(arg);
    std::int64_t n = -1;
    if (v == "OFF" || v == "NONE") {
      s.fixedSignal = -1;
      return "signal follows the band";
    }
    static const int kSUnits[] = {5, 15, 30, 47, 61, 75, 89, 102, 115, 140};
    if (v.size() >= 2 && v[0] == 'S' && v[1] >= '0' && v[1] <= '9') {
      std::int64_t over = 0;
      if (v.size() == 2) n = kSUnits[v[1] - '0'];
      else if (v[1] == '9' && v[2] == '+' && ParseInt(v.substr(3), &over) && over >= 0)
        n = std::min<std::int64_t>(255, 157 + over * 3 / 2);
    } else if (!ParseInt(v, &n) || n > 255) {
      n = -1;
    }
    if (n < 0 || !extra.empty()) return usage("signal N (0..255) | signal S0..S9 | signal S9+20 | signal off");
    s.fixedSignal = static_cast<int>(n);
    return "signal " + std::to_string(n);
  }
  if (word == "ptt" || word == "power") {
    std::string v = Lower(arg);
    if ((v != "on" && v != "off") || !extra.empty()) return usage(word == "ptt" ? "ptt on|off" : "power on|off");
    if (word == "ptt") {
      s.tx = v == "on" ? 1 : 0;
      return v == "on" ? "transmitting" : "receiving";
    }
    s.powerOn = v == "on";
    if (!s.powerOn) {
      s.tx = 0;
      tuneStart_ = -1;
    }
    return v == "on" ? "radio on" : "radio off";
  }
  if (word == "head") {
    std::string v = Lower(arg);
    if ((v != "field" && v != "spa1" && v != "spa-1") || !extra.empty()) return usage("head field|spa1");
    options_.powerClass = v == "field" ? 10 : 100;
    s.powerWatts = std::min(s.powerWatts, PowerLimit());
    if (FieldHead()) s.tunerOn = 0;
    return v == "field" ? "field head" : "SPA-1 amplifier";
  }
  if (word == "memory") {
    std::string v = Lower(arg);
    if ((v != "on" && v != "off") || !extra.empty()) return usage("memory on|off");
    s.memoryMode = v == "on";
    return v == "on" ? "memory-channel mode" : "VFO mode";
  }
  if (word == "agc") {
    static const char* const kAgc[] = {"off", "fast", "mid", "slow", "auto"};
    std::string v = Lower(arg);
    for (int i = 0; i < 5; ++i) {
      if (v == kAgc[i] && extra.empty()) {
        s.agc = i;
        return std::string("agc ") + kAgc[i];
      }
    }
    return usage("agc off|fast|mid|slow|auto");
  }
  if (word == "refusals" && arg.empty()) {
    return "refusals " + std::to_string(refusals_) + (lastRefused_.empty() ? "" : ", last " + lastRefused_);
  }
  if (word == "state" && arg.empty()) return DescribeState();
  if (word == "help" || word == "?") {
    return "dial +N|-N, band 160..2|70|gen, mode NAME, signal N|S7|S9+20|off, ptt on|off, "
           "power on|off, head field|spa1, memory on|off, agc off|fast|mid|slow|auto, refusals, state, "
           "unplug, plug, quit";
  }
  return "unknown: " + std::string(Trim(line)) + " (try help)";
}

std::string Radio::DescribeState() const {
  const State& s = state_;
  std::ostringstream out;
  std::int64_t hz = s.vfoHz[s.activeVfo];
  const BandInfo* band = FindBand(hz);
  out << "radio " << (s.powerOn ? "on" : "off") << ", ID" << Pad(options_.id, 4) << ", "
      << (FieldHead() ? "field head " : "SPA-1 ") << options_.powerClass << " W, "
      << (s.memoryMode ? "memory-channel mode, " : "VFO mode, ")
      << (s.tx || Tuning() ? "transmitting" : "receiving") << ", refused " << refusals_ << "\n";
  out << "VFO A " << Mhz(s.vfoHz[0]) << " MHz " << ModeNameOf(s.mode[0]) << ", VFO B " << Mhz(s.vfoHz[1])
      << " MHz " << ModeNameOf(s.mode[1]) << ", active " << (s.activeVfo ? "B" : "A") << ", split "
      << (s.split ? "on" : "off") << ", band " << (band ? band->name : "gen") << "\n";
  out << "power " << s.powerWatts << " W, AF " << s.afGain << ", RF " << s.rfGain << ", squelch " << s.squelch
      << ", AGC " << s.agc << ", preamp " << s.preamp[0] << "/" << s.preamp[1] << "/" << s.preamp[2]
      << ", ATT " << s.attenuator << "\n";
  out << "NB " << s.blankerOn << " level " << s.blankerLevel << ", NR " << s.reductionOn << " level "
      << s.reductionLevel << ", notch " << s.notch << ", contour " << s.contour[0] << " " << s.contour[1]
      << " Hz, processor " << s.processorOn << " level " << s.processorLevel << "\n";
  out << "VOX " << s.vox << ", break-in " << s.breakIn << ", keyer " << s.keyerSpeed << " wpm, mic gain "
      << s.micGain << ", monitor level " << s.monitorLevel[0] << "/" << s.monitorLevel[1] << ", narrow " << s.narrow
      << ", width " << s.width << "\n";
  char swr[16];
  std::snprintf(swr, sizeof swr, "%.1f", SwrRatio());
  out << "tuner " << (options_.powerClass == 100 ? (Tuning() ? "tuning" : s.tunerOn ? "on" : "off") : "none")
      << ", antenna " << (s.menus.count("030704") && s.menus.at("030704") == "1" ? 2 : 1) << ", SWR " << swr
      << ", CTCSS " << Pad(s.ctcss, 3) << ", DCS " << Pad(s.dcs, 3) << ", tone mode " << s.toneMode
      << ", shift " << s.shift << ", AI " << s.autoInfo << ", signal "
      << (s.fixedSignal >= 0 ? std::to_string(s.fixedSignal) : std::string("simulated")) << "\n";
  out << "menus";
  for (const auto& [number, value] : s.menus) out << " " << number << "=" << value;
  return out.str();
}

}  // namespace ftx1sim
