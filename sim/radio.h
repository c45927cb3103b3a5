// The FTX-1 stand-in: an in-memory model of the transceiver's CAT side.
//
// `Radio` keeps the radio's state (VFOs, band, mode, levels, switches, menus,
// meters, the antenna tuner) and answers CAT commands the way the radio does:
// a query (a code with its selector but no value, e.g. "FA;", "AG0;") gets the
// code, the selector and the current value followed by ";"; a set command
// changes the state and gets no answer; an unknown or malformed command gets
// "?;". Bytes may arrive split anywhere; each command ends at ";".
//
// The model is synchronous and deterministic: the same options (seed included),
// the same bytes and the same model time give the same answers. Time does not
// pass by itself; the ftx1-sim program sets it from the wall clock before each
// call, tests move it with Advance(). In memory, a test hooks it to a port:
//   ports.SetResponder(5, [&radio](std::string_view b) { return radio.Feed(b); });
// The model has no notion of line timing: the program takes commands one at a
// time (Receive, then Handle each when the radio gets to it) and paces the
// answers.
//
// Auto-information: after "AI1;" every change of VFO A's frequency (the dial,
// the band key, "FA", "BS", "SV") queues the frequency answer ("FA" + 9 digits
// + ";") as output the radio sends by itself, until "AI0;". It is never part
// of Feed's or Handle's answer; TakeUnsolicited() collects it.
//
// It models the FTX-1 as its CAT manual describes it, not the panel: each
// command's code, parameter count and digits are checked, and every form the
// radio would refuse, or that it does not have, gets "?;". Refusals are
// counted (Refusals(), LastRefused()).
//
// Reply forms (d = decimal digit, everything zero-padded; P1 the VFO digit,
// 0 main, 1 sub):
//   ID     -> "ID" + 4 digits of the identity (FTX-1: "ID0840;")
//   FA FB  -> code + 9 digits in Hz             MD0 MD1 -> code + mode code
//   SM0    -> "SM0" + ddd (0..255)              RMn     -> "RMn" + ddd
//   AG0 RG0 SQ0 NL0 -> code + ddd               RL0     -> "RL0" + dd
//   MLp    -> "MLp" + ddd, the monitor level 000..100
//   GT0    -> "GT0" + 0 off, 1 fast, 2 mid, 3 slow; in auto "5"
//   RA0 BC0 NA0 NB0 NR0 CT0 OS0 -> code + one digit
//   PR0 PR1 -> code + "1" off, "2" on ("PRp0" is refused)
//   PA0 PA1 PA2 -> "PAg" + digit (g: 0 HF/6 m, 1 2 m, 2 70 cm)
//   PC     -> "PC" + head digit ("1" field head, "2" SPA-1 amplifier) + ddd
//             watts (the field head's half watt as "0.5")
//   PL KS MG -> code + ddd                      AC      -> "AC" + 3 digits
//   VX BI ST FT VS AI PS TX -> code + one digit
//   SHp    -> "SHp" + "0" + dd (width index)    COpn    -> "COpn" + dddd
//   CN00 CN01 -> code + ddd                     IF      -> FT-991 layout
//   VM0    -> "VM000" in VFO mode, "VM011" in memory-channel mode
//   EXnnnnnn -> "EXnnnnnn" + value; menu 030705 (the SPA-1's HF power cap)
//             only with the amplifier.
// Band codes of "BS0dd": 00 160 m .. 09 10 m, 10 6 m, 11 general coverage,
// 12 air, 13 2 m, 14 70 cm. In memory-channel mode "FA" sets are refused.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ftx1sim {

struct Options {
  int id = 840;            // answered to "ID" as four digits
  int powerClass = 100;    // 100 (SPA-1 amplifier with its tuner), 10 (field head), or 6 (on battery)
  bool memoryMode = false; // starts in memory-channel mode
  bool agcAuto = false;    // starts with the AGC in auto
  bool silent = false;     // never answer (set commands still take effect)
  double garble = 0.0;     // share of answers corrupted, 0..1
  std::uint64_t seed = 1;  // meters, signals and garbling follow from it
};

// Everything the radio remembers. Tests may read it; the CAT commands and the
// control lines are the way to change it.
struct State {
  int powerOn = 1;
  std::int64_t vfoHz[2] = {7100000, 7100000};  // VFO A, VFO B
  char mode[2] = {'1', '1'};                    // CAT mode codes of A and B
  int activeVfo = 0;                            // VS: 0 A, 1 B
  int split = 0;                                // ST / FT
  int tx = 0;                                   // 0 receive, 1 transmit (CAT or PTT), 2 CAT
  int powerWatts = 100;
  int afGain = 40, rfGain = 255, squelch = 10;
  int monitorLevel[2] = {50, 50};    // ML0, ML1
  int agc = 2;                       // GT0: 0 off, 1 fast, 2 mid, 3 slow, 4 auto
  int memoryMode = 0;                // VM0: 1 memory-channel mode
  bool halfWatt = false;             // the field head's 0.5 W setting
  int preamp[3] = {1, 0, 0};         // PA: HF/6 m 0 IPO 1 AMP1 2 AMP2; 2 m and 70 cm 0/1
  int attenuator = 0;                // RA0
  int blankerOn = 0, blankerLevel = 0;      // NB0, NL0 (0..10)
  int reductionOn = 0, reductionLevel = 0;  // NR0, RL0 (0..15)
  int notch = 0;                     // BC0
  int contour[4] = {0, 1200, 0, 0};  // CO0n: contour on, contour Hz, APF on, APF offset
  int processorOn = 0, equaliserOn = 0, processorLevel = 50;  // PR0, PR1, PL
  int vox = 0, breakIn = 0, keyerSpeed = 20, micGain = 50;
  int tunerSelect = 1, tunerOn = 0;  // AC: first digit as last set; 1 = tuner in line
  int ctcss = 8, dcs = 0, toneMode = 0, shift = 0;  // CN00, CN01, CT0, OS0
  int narrow = 0, width = 14;        // NA0, SH00
  int autoInfo = 0;                  // AI
  std::map<std::string, std::string> menus;        // EX + six digits -> value
  int fixedSignal = -1;              // S-meter reading set by the control input, -1 none
};

class Radio {
 public:
  explicit Radio(Options options = {});

  // One command as received: its text as the observer gets it ("FA;"), and
  // whether it ran past the longest command the radio takes (its text then
  // ends in "...;").
  struct Command {
    std::string text;
    bool tooLong = false;
  };

  // Takes received bytes, returns the answers to the commands they complete.
  // The same as Handle() on each command Receive() returns.
  std::string Feed(std::string_view bytes);
  // Takes received bytes and returns the commands they complete, in order,
  // calling the command observer for each; nothing is carried out yet.
  std::vector<Command> Receive(std::string_view bytes);
  // Carries out one received command; returns its answer, "" for none.
  std::string Handle(const Command& command);
  // Returns and forgets what the radio sent by itself since the last call
  // (auto-information). The oldest is dropped beyond 64 answers.
  std::string TakeUnsolicited();

  // One line of the operator/world control language; returns the text to show.
  //   dial +N | dial -N     turn the dial of the active VFO by N Hz
  //   band B                band key: 160 80 60 40 30 20 17 15 12 10 6 2 70 (cm) gen
  //   mode M                LSB USB CW CW-L FM FM-N AM AM-N C4FM ... or a CAT mode code
  //   signal N | signal S7 | signal S9+20 | signal off   S-meter reading (0..255)
  //   ptt on|off            the microphone's PTT
  //   power on|off          the power switch
  //   head field|spa1       the head: field head (10 W) or the SPA-1 amplifier
  //   memory on|off         memory-channel mode (as the radio's V/M key)
  //   agc off|fast|mid|slow|auto
  //   refusals              how many "?;" the radio sent, and the last refused
  //   state | help
  // (unplug, plug and quit belong to the program.)
  std::string Control(std::string_view line);

  // Model time in milliseconds (starts at 0): the tuner run and the passing
  // signals follow it.
  void SetTime(std::int64_t ms) { now_ = ms; }
  void Advance(std::int64_t ms) { now_ += ms; }
  std::int64_t Time() const { return now_; }

  // Called with every complete command as received: surrounding blanks and line
  // ends removed, ";" included.
  void SetCommandObserver(std::function<void(std::string_view)> observer) {
    observer_ = std::move(observer);
  }

  const State& state() const { return state_; }
  const Options& options() const { return options_; }
  // The band code of a frequency as "BS" uses it (00 160 m ... 10 6 m,
  // 11 general coverage, 12 air, 13 2 m, 14 70 cm).
  static int BandOf(std::int64_t hz);
  // True while the tuner run started by "AC103" is going on.
  bool Tuning() const;
  // The standing-wave ratio the transmitter sees now (antenna, tuner).
  double SwrRatio() const;
  // How many commands the radio refused ("?;"), and the last of them.
  int Refusals() const { return refusals_; }
  const std::string& LastRefused() const { return lastRefused_; }

 private:
  std::string Execute(std::string_view command);
  std::string ControlLine(std::string_view line);
  std::string Dispatch(std::string_view code, std::string_view p);
  std::string Garble(std::string answer);
  std::string MaybeGarble(std::string answer);
  void ReportFrequency(std::int64_t vfoABefore);
  void SetFrequency(int vfo, std::int64_t hz);
  void SelectBandStack(int band);
  int SMeter();
  int MeterReading(int meter);
  void FinishTuning();
  std::string DescribeState() const;
  int PowerLimit() const;
  bool FieldHead() const { return options_.powerClass != 100; }
  std::uint64_t NextRandom();
  int RandomIn(int lo, int hi);  // inclusive

  Options options_;
  State state_;
  std::string pending_;        // bytes of the command not yet ended by ";"
  bool pendingTooLong_ = false;
  std::int64_t now_ = 0;
  std::uint64_t rng_;
  std::uint64_t garbleRng_;
  std::int64_t tuneStart_ = -1;      // model time of "AC103", -1 when no run is going on
  std::int64_t tunedHz_ = -1;        // where the tuner last matched, -1 never
  double tunedResidual_ = 0.0;       // SWR left at the frequency of the match
  std::map<int, std::pair<std::int64_t, char>> bandStack_;  // band code -> last frequency, mode
  std::function<void(std::string_view)> observer_;
  std::deque<std::string> unsolicited_;  // auto-information not yet taken
  int refusals_ = 0;
  std::string lastRefused_;
};

}  // namespace ftx1sim
