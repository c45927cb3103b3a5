#include "rigctld/commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "state/radio_tables.h"
#include "state/text.h"

namespace kelvaro::rigctld {

// Hamlib's error codes as rigctld reports them.
constexpr int kInvalid = -1;      // bad argument, unknown command
constexpr int kTimeout = -5;      // the radio did not answer
constexpr int kProtocol = -8;     // the radio's answer made no sense
constexpr int kRejected = -9;     // the radio answered "?;"
constexpr int kUnavailable = -11; // not available on this radio

using Handler = Step (*)(const Request&, int stage, const Answers&, const Capabilities&);

struct Command {
  char shortName;  // 0 when there is none
  const char* longName;
  int minArgs, maxArgs;  // not counting the VFO of VFO mode
  Handler handler;  // nullptr: rigctld has it, this endpoint answers RPRT -11
  bool takesVfo = false;  // in VFO mode its first argument is a VFO
};

namespace {

constexpr int kAnyCount = 1 << 20;

// ---------------------------------------------------------------- steps

Step Ask(std::vector<std::string> queries) {
  Step step;
  for (std::string& q : queries) step.send.push_back({std::move(q), true});
  return step;
}

Step Fail(int code) {
  Step step;
  step.done = true;
  step.code = code;
  return step;
}

Step Done(std::vector<Record> records = {}) {
  Step step;
  step.done = true;
  step.records = std::move(records);
  return step;
}

// Ends with sets sent on the way out.
Step SetAndDone(std::string set) {
  Step step = Done();
  step.send.push_back({std::move(set), false});
  return step;
}

Step Verbatim(std::string reply) {
  Step step = Done();
  step.reply = std::move(reply);
  return step;
}

// The first line of an extended reply: the long name and the arguments. In
// VFO mode rigctld names the VFO there, "currVFO" for commands without one.
std::string Header(const Request& r) {
  std::string header = std::string(r.command->longName) + ":";
  if (r.vfoMode) header += " " + (r.vfo.empty() ? std::string("currVFO") : r.vfo);
  // The arguments as the client wrote them, but only as text: a byte that
  // is not one is shown as "?".
  for (const std::string& arg : r.args) {
    header += ' ';
    for (char c : arg) header += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) ? '?' : c;
  }
  return header;
}

// ---------------------------------------------------------------- answers

// Reads the radio's answers, keeping the first thing that went wrong.
class Reader {
 public:
  explicit Reader(const Answers& answers) : answers_(answers) {}

  // The characters between `code` and the ";" of answer i.
  std::string Value(std::size_t i, std::string_view code) {
    if (i >= answers_.size() || !answers_[i]) return Failed(kTimeout);
    std::string_view a = *answers_[i];
    if (a == "?;") return Failed(kRejected);
    if (a.size() < code.size() + 1 || a.substr(0, code.size()) != code || a.back() != ';' ||
        a.find(';') != a.size() - 1) {
      return Failed(kProtocol);
    }
    return std::string(a.substr(code.size(), a.size() - code.size() - 1));
  }
  // A number of exactly `width` digits.
  long long Number(std::size_t i, std::string_view code, int width) {
    std::string v = Value(i, code);
    if (error_) return 0;
    if (static_cast<int>(v.size()) != width || !OnlyDigits(v)) {
      Failed(kProtocol);
      return 0;
    }
    return std::atoll(v.c_str());
  }
  // VS: 0 for VFO A, 1 for VFO B.
  int Vfo(std::size_t i) {
    long long v = Number(i, "VS", 1);
    if (!error_ && v > 1) Failed(kProtocol);
    return static_cast<int>(v);
  }
  int error() const { return error_; }
  void Fail(int code) { Failed(code); }

 private:
  std::string Failed(int code) {
    if (!error_) error_ = code;
    return "";
  }
  const Answers& answers_;
  int error_ = 0;
};

// ---------------------------------------------------------------- values

const char* VfoName(int vfo) { return vfo == 0 ? "VFOA" : "VFOB"; }

// The VFO a client names: A or B, or one that the radio's state decides
// (the current one; the transmitting one, which is the other one while split
// is on).
enum class VfoRef { kA, kB, kCurrent, kTransmit };

std::optional<VfoRef> VfoOfToken(std::string_view token) {
  if (token == "VFOA" || token == "Main" || token == "MainA" || token == "A") return VfoRef::kA;
  if (token == "VFOB" || token == "Sub" || token == "MainB" || token == "B") return VfoRef::kB;
  if (token == "currVFO" || token == "VFO" || token == "RX") return VfoRef::kCurrent;
  if (token == "TX") return VfoRef::kTransmit;
  return std::nullopt;
}

// The VFO a request acts on: the one it names in VFO mode, else the current.
std::optional<VfoRef> TargetOf(const Request& r) {
  return r.vfo.empty() ? std::optional<VfoRef>(VfoRef::kCurrent) : VfoOfToken(r.vfo);
}

bool Fixed(VfoRef ref) { return ref == VfoRef::kA || ref == VfoRef::kB; }

// The queries whose answers name the VFO `ref` stands for.
std::vector<std::string> VfoQueries(VfoRef ref) {
  if (ref == VfoRef::kCurrent) return {"VS"};
  if (ref == VfoRef::kTransmit) return {"VS", "ST"};
  return {};
}

// Reads the answers of VfoQueries(ref) from answer `*next` on (and moves
// past them): 0 for VFO A, 1 for B.
int ResolveVfo(VfoRef ref, Reader& read, std::size_t* next) {
  if (ref == VfoRef::kA) return 0;
  if (ref == VfoRef::kB) return 1;
  int vfo = read.Vfo((*next)++);
  if (ref == VfoRef::kTransmit) {
    long long split = read.Number((*next)++, "ST", 1);
    if (!read.error() && split > 1) read.Fail(kProtocol);
    if (split == 1) vfo ^= 1;
  }
  return vfo;
}

// A whole number filling the text.
bool ParseInt(const std::string& text, long long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) return false;
  *out = v;
  return true;
}

// A number as rigctld takes it: integer, decimal or exponent form.
bool ParseReal(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// What the FTX-1 receives: 30 kHz to 174 MHz and 400 to 470 MHz.
struct Range {
  long long low, high;
};
constexpr Range kReceive[] = {{30000, 174000000}, {400000000, 470000000}};
// Where it transmits: 160 m to 6 m, 2 m, 70 cm.
constexpr Range kTransmit[] = {{1800000, 54000000}, {144000000, 148000000}, {430000000, 450000000}};

bool ParseFrequency(const std::string& text, long long* hz) {
  double v = 0;
  if (!ParseReal(text, &v) || v < 0 || v > 1e10) return false;
  *hz = std::llround(v);
  for (const Range& r : kReceive)
    if (*hz >= r.low && *hz <= r.high) return true;
  return false;
}

std::string FrequencyCommand(int vfo, long long hz) { return (vfo == 0 ? "FA" : "FB") + ZeroPad(hz, 9); }

// Every mode bit clients may set, as \dump_state carries them.
std::uint64_t SettableModeBits() {
  std::uint64_t bits = 0;
  for (const RadioMode& m : RadioModes()) bits |= m.hamlibBit;
  return bits;
}

// The settable modes in Hamlib's bit order, as "M ?" lists them.
const char* ModeList() {
  static const std::string list = [] {
    std::string names;
    for (int bit = 0; bit < 64; ++bit)
      for (const RadioMode& m : RadioModes())
        if (m.hamlibBit == (1ull << bit)) names += std::string(m.hamlibName) + " ";
    return names;
  }();
  return list.c_str();
}

bool SameNameIgnoringCase(std::string_view token, std::string_view name) {
  return token.size() == name.size() &&
         std::equal(token.begin(), token.end(), name.begin(),
                    [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

const RadioMode* SettableMode(std::string_view token) {
  // Hamlib writes its packet FM "FM-D" and reads that name and "PKTFM".
  if (SameNameIgnoringCase(token, "PKTFM")) token = "FM-D";
  for (const RadioMode& m : RadioModes())
    if (m.hamlibBit != 0 && SameNameIgnoringCase(token, m.hamlibName)) return &m;
  return nullptr;
}

// Every level name rigctld 4.5 knows; of these the FTX-1 endpoint reads
// STRENGTH and RFPOWER and sets RFPOWER.
constexpr const char* kLevelNames[] = {
    "PREAMP", "ATT", "VOXDELAY", "AF", "RF", "SQL", "IF", "APF", "NR", "PBT_IN", "PBT_OUT", "CWPITCH",
    "RFPOWER", "MICGAIN", "KEYSPD", "NOTCHF", "COMP", "AGC", "BKINDL", "BAL", "METER", "VOXGAIN",
    "ANTIVOX", "SLOPE_LOW", "SLOPE_HIGH", "BKIN_DLYMS", "RAWSTR", "SWR", "ALC", "STRENGTH",
    "RFPOWER_METER", "COMP_METER", "VD_METER", "ID_METER", "NOTCHF_RAW", "MONITOR_GAIN", "NB",
    "RFPOWER_METER_WATTS", "SPECTRUM_MODE", "SPECTRUM_SPAN", "SPECTRUM_EDGE_LOW", "SPECTRUM_EDGE_HIGH",
    "SPECTRUM_SPEED", "SPECTRUM_REF", "SPECTRUM_AVG", "SPECTRUM_ATT", "TEMP_METER", "BAND_SELECT",
    "USB_AF", "AGC_TIME"};
constexpr std::uint64_t kLevelRfPower = 1ull << 12, kLevelStrength = 1ull << 30;

bool KnownLevel(std::string_view name) {
  return std::find(std::begin(kLevelNames), std::end(kLevelNames), name) != std::end(kLevelNames);
}

// The watts of the radio's power class, from "PC" + class digit + watts.
int MaxWattsOfClass(char powerClass, const Capabilities& caps) {
  if (powerClass == '2') return 100;
  if (powerClass == '1') return caps.maxWatts < 10 ? caps.maxWatts : 10;
  return caps.maxWatts;
}

std::string Fixed6(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", v);
  return text;
}

// A list reply ("M ?", "l ?", "L ?"): the names, then RPRT 0 unless
// rigctld leaves it out (the plain "l ?").
Step ListReply(const Request& r, const char* names, bool report) {
  if (r.separator == 0) return Verbatim(std::string(names) + "\n" + (report ? "RPRT 0\n" : ""));
  return Verbatim(Header(r) + r.separator + names + "\nRPRT 0\n");
}

// ---------------------------------------------------------------- handlers

// For a command on one VFO: the VFO meant once it is known, in *vfo (true),
// or the step to take first, in *step (false): the queries that name the VFO,
// or the failure of a VFO that is no VFO. `other`: the VFO that is not the
// current one (the split commands, whatever VFO they name).
bool TargetVfo(const Request& r, int stage, const Answers& answers, bool other, int* vfo, Step* step) {
  std::optional<VfoRef> ref = TargetOf(r);
  if (!ref) {
    *step = Fail(kInvalid);
    return false;
  }
  if (other) ref = VfoRef::kCurrent;
  if (stage == 0 && !Fixed(*ref)) {
    *step = Ask(VfoQueries(*ref));
    return false;
  }
  Reader read(answers);
  std::size_t next = 0;
  *vfo = ResolveVfo(*ref, read, &next);
  if (read.error()) {
    *step = Fail(read.error());
    return false;
  }
  if (other) *vfo ^= 1;
  return true;
}

// A query that has a form for each VFO ("FA"/"FB", "MD0"/"MD1"), for the VFO
// a request means. Stage 0 asks the VFO's queries and the value (of both VFOs
// when the radio must say which one is meant); later, *value is the answer's
// value and *vfo the VFO (true), or *step the failure (false).
bool ReadPerVfo(const Request& r, int stage, const Answers& answers, bool other, const char* codeA,
                const char* codeB, std::string* value, int* vfo, Step* step) {
  std::optional<VfoRef> ref = TargetOf(r);
  if (!ref) {
    *step = Fail(kInvalid);
    return false;
  }
  if (other) ref = VfoRef::kCurrent;
  if (stage == 0) {
    std::vector<std::string> queries = VfoQueries(*ref);
    if (*ref != VfoRef::kB) queries.push_back(codeA);
    if (*ref != VfoRef::kA) queries.push_back(codeB);
    *step = Ask(std::move(queries));
    return false;
  }
  Reader read(answers);
  std::size_t next = 0;
  *vfo = ResolveVfo(*ref, read, &next);
  if (!read.error() && other) *vfo ^= 1;
  if (!read.error()) {
    const std::size_t at = Fixed(*ref) ? next : next + static_cast<std::size_t>(*vfo);
    *value = read.Value(at, *vfo == 0 ? codeA : codeB);
  }
  if (read.error()) {
    *step = Fail(read.error());
    return false;
  }
  return true;
}

// f, i: the frequency of a VFO, or of the other one.
Step ReadFrequency(const Request& r, int stage, const Answers& answers, bool other, const char* key) {
  std::string value;
  int vfo = 0;
  Step step;
  if (!ReadPerVfo(r, stage, answers, other, "FA", "FB", &value, &vfo, &step)) return step;
  if (value.size() != 9 || !OnlyDigits(value)) return Fail(kProtocol);
  return Done({{key, std::to_string(std::atoll(value.c_str()))}});
}

Step GetFreq(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return ReadFrequency(r, stage, a, false, "Frequency");
}
Step GetSplitFreq(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return ReadFrequency(r, stage, a, true, "TX Frequency");
}

// F, I: sets the frequency of a VFO, or of the other one.
Step WriteFrequency(const Request& r, int stage, const Answers& answers, bool other) {
  long long hz = 0;
  if (!ParseFrequency(r.args[0], &hz)) return Fail(kInvalid);
  int vfo = 0;
  Step step;
  if (!TargetVfo(r, stage, answers, other, &vfo, &step)) return step;
  return SetAndDone(FrequencyCommand(vfo, hz));
}

Step SetFreq(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return WriteFrequency(r, stage, a, false);
}
Step SetSplitFreq(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return WriteFrequency(r, stage, a, true);
}

// m, x: the mode and its normal passband, of a VFO or the other.
Step ReadMode(const Request& r, int stage, const Answers& answers, bool other, const char* modeKey,
              const char* widthKey) {
  std::string code;
  int vfo = 0;
  Step step;
  if (!ReadPerVfo(r, stage, answers, other, "MD0", "MD1", &code, &vfo, &step)) return step;
  const RadioMode* mode = code.size() == 1 ? RadioModeOfCode(code[0]) : nullptr;
  if (!mode) return Fail(kProtocol);
  return Done({{modeKey, std::string(mode->hamlibName)}, {widthKey, std::to_string(mode->passbandHz)}});
}

Step GetMode(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return ReadMode(r, stage, a, false, "Mode", "Passband");
}
Step GetSplitMode(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return ReadMode(r, stage, a, true, "TX Mode", "TX Passband");
}

// M, X: the mode; the passband is taken and left alone (the panel keeps the
// width in its own hands).
Step WriteMode(const Request& r, int stage, const Answers& answers, bool other) {
  if (r.args[0] == "?") return ListReply(r, ModeList(), true);
  const RadioMode* mode = SettableMode(r.args[0]);
  long long passband = 0;
  if (!mode || (r.args.size() > 1 && !ParseInt(r.args[1], &passband))) return Fail(kInvalid);
  int vfo = 0;
  Step step;
  if (!TargetVfo(r, stage, answers, other, &vfo, &step)) return step;
  return SetAndDone(std::string(vfo == 0 ? "MD0" : "MD1") + mode->code);
}

Step SetMode(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return WriteMode(r, stage, a, false);
}
Step SetSplitMode(const Request& r, int stage, const Answers& a, const Capabilities&) {
  return WriteMode(r, stage, a, true);
}

Step GetVfo(const Request&, int stage, const Answers& answers, const Capabilities&) {
  if (stage == 0) return Ask({"VS"});
  Reader read(answers);
  int vfo = read.Vfo(0);
  if (read.error()) return Fail(read.error());
  return Done({{"VFO", VfoName(vfo)}});
}

// V: selects the VFO named; "currVFO" (and "RX") leaves it as it is.
Step SetVfo(const Request& r, int stage, const Answers& answers, const Capabilities&) {
  std::optional<VfoRef> ref = VfoOfToken(r.args[0]);
  if (!ref) return Fail(kInvalid);
  if (*ref == VfoRef::kCurrent) return Done();
  if (stage == 0 && !Fixed(*ref)) return Ask(VfoQueries(*ref));
  Reader read(answers);
  std::size_t next = 0;
  int vfo = ResolveVfo(*ref, read, &next);
  if (read.error()) return Fail(read.error());
  return SetAndDone(vfo == 0 ? "VS0" : "VS1");
}

// s: split on or off; the transmitting VFO is the other one while it is on.
Step GetSplit(const Request& r, int stage, const Answers& answers, const Capabilities&) {
  if (!TargetOf(r)) return Fail(kInvalid);
  if (stage == 0) return Ask({"ST", "VS"});
  Reader read(answers);
  long long split = read.Number(0, "ST", 1);
  int vfo = read.Vfo(1);
  if (read.error()) return Fail(read.error());
  if (split > 1) return Fail(kProtocol);
  return Done({{"Split", std::to_string(split)}, {"TX VFO", VfoName(split ? vfo ^ 1 : vfo)}});
}

Step SetSplit(const Request& r, int, const Answers&, const Capabilities&) {
  long long split = 0;
  if (!TargetOf(r) || !ParseInt(r.args[0], &split) || split < 0 || split > 1) return Fail(kInvalid);
  if (r.args.size() > 1 && !VfoOfToken(r.args[1])) return Fail(kInvalid);
  return SetAndDone(split ? "ST1" : "ST0");
}

Step GetPtt(const Request& r, int stage, const Answers& answers, const Capabilities&) {
  if (!TargetOf(r)) return Fail(kInvalid);
  if (stage == 0) return Ask({"TX"});
  Reader read(answers);
  long long tx = read.Number(0, "TX", 1);
  if (read.error()) return Fail(read.error());
  if (tx > 2) return Fail(kProtocol);
  return Done({{"PTT", tx == 0 ? "0" : "1"}});
}

// T 0 receives; T 1, 2 (microphone) and 3 (data) all transmit.
Step SetPtt(const Request& r, int, const Answers&, const Capabilities&) {
  long long ptt = 0;
  if (!TargetOf(r) || !ParseInt(r.args[0], &ptt) || ptt < 0 || ptt > 3) return Fail(kInvalid);
  return SetAndDone(ptt == 0 ? "TX0" : "TX1");
}

// The S-meter of the receiver a request names: the sub receiver's for VFO B,
// the main one's otherwise.
const char* MeterOf(const Request& r) { return TargetOf(r) == VfoRef::kB ? "SM1" : "SM0"; }

Step GetLevel(const Request& r, int stage, const Answers& answers, const Capabilities& caps) {
  const std::string& name = r.args[0];
  if (!TargetOf(r)) return Fail(kInvalid);
  if (name == "?") return ListReply(r, "RFPOWER STRENGTH ", false);
  if (name == "STRENGTH") {
    if (stage == 0) return Ask({MeterOf(r)});
    Reader read(answers);
    long long reading = read.Number(0, MeterOf(r), 3);
    if (read.error()) return Fail(read.error());
    return Done({{"", std::to_string(StrengthOfReading(static_cast<int>(reading)))}});
  }
  if (name == "RFPOWER") {
    if (stage == 0) return Ask({"PC"});
    Reader read(answers);
    std::string v = read.Value(0, "PC");
    if (read.error()) return Fail(read.error());
    if ((v.size() != 3 && v.size() != 4) || !OnlyDigits(v)) return Fail(kProtocol);
    int max = MaxWattsOfClass(v.size() == 4 ? v[0] : 0, caps);
    int watts = std::atoi(v.c_str() + (v.size() - 3));
    return Done({{"", Fixed6(std::min(1.0, static_cast<double>(watts) / max))}});
  }
  return Fail(KnownLevel(name) ? kUnavailable : kInvalid);
}

// L RFPOWER 0..1: a share of the radio's full power, held within what the
// radio can do (as the panel holds its own power entry).
Step SetLevel(const Request& r, int stage, const Answers& answers, const Capabilities& caps) {
  const std::string& name = r.args[0];
  if (!TargetOf(r)) return Fail(kInvalid);
  if (name == "?") return ListReply(r, "RFPOWER ", true);
  if (name != "RFPOWER") return Fail(kUnavailable);
  double share = 0;
  if (r.args.size() < 2 || !ParseReal(r.args[1], &share)) return Fail(kInvalid);
  if (stage == 0) return Ask({"PC"});
  Reader read(answers);
  std::string v = read.Value(0, "PC");
  if (read.error()) return Fail(read.error());
  int max = MaxWattsOfClass(v.size() == 4 ? v[0] : 0, caps);
  int low = max == 100 ? 5 : 1;
  int watts = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * max));
  // The radio takes the power with its head digit in front, as it answers.
  const char head = v.size() == 4 && (v[0] == '1' || v[0] == '2') ? v[0] : (max == 100 ? '2' : '1');
  return SetAndDone("PC" + std::string(1, head) + ZeroPad(std::clamp(watts, low, max), 3));
}

// A radio that is switched off does not answer at all.
Step GetPowerStat(const Request& r, int stage, const Answers& answers, const Capabilities&) {
  if (stage == 0) return Ask({"PS"});
  std::string on = "0";
  if (!answers.empty() && answers[0]) {
    Reader read(answers);
    long long v = read.Number(0, "PS", 1);
    if (read.error()) return Fail(read.error());
    on = v == 0 ? "0" : "1";
  }
  if (r.separator == 0) return Verbatim(on + "\n");
  // rigctld ends this value with a line end whatever the separator.
  return Verbatim(Header(r) + r.separator + "Power Status: " + on + "\nRPRT 0\n");
}

// \get_dcd: whether the squelch is open, as the radio shows it: no squelch
// set, or a signal at the squelch level or above it.
Step GetDcd(const Request& r, int stage, const Answers& answers, const Capabilities&) {
  if (!TargetOf(r)) return Fail(kInvalid);
  if (stage == 0) return Ask({"SQ0", MeterOf(r)});
  Reader read(answers);
  long long squelch = read.Number(0, "SQ0", 3);
  long long reading = read.Number(1, MeterOf(r), 3);
  if (read.error()) return Fail(read.error());
  return Done({{"DCD", squelch == 0 || reading >= squelch ? "1" : "0"}});
}

// Clients use \chk_vfo to learn whether commands carry a VFO argument: they
// do in VFO mode.
Step ChkVfo(const Request& r, int, const Answers&, const Capabilities&) {
  const std::string on = r.vfoMode ? "1" : "0";
  if (r.separator == 0) return Verbatim(on + "\n");
  return Verbatim("ChkVFO: " + on + "\n" + (r.separator == '\n' ? "" : "\n"));
}

// Both forms carry the whole state; the extended one ends with RPRT 0.
Step DumpStateStep(const Request& r, int, const Answers&, const Capabilities& caps) {
  std::string state = DumpState(caps);
  if (r.separator == 0) return Verbatim(state);
  return Verbatim(Header(r) + r.separator + state + "RPRT 0\n");
}

Step DumpCapsStep(const Request& r, int, const Answers&, const Capabilities& caps) {
  std::string text = DumpCaps(caps) + "RPRT 0\n";
  if (r.separator == 0) return Verbatim(text);
  return Verbatim(Header(r) + r.separator + text);
}

Step GetInfo(const Request&, int, const Answers&, const Capabilities&) {
  return Done({{"Info", "Yaesu FTX-1 through Kelvaro"}});
}

Step GetLockMode(const Request& r, int, const Answers&, const Capabilities&) {
  if (r.separator == 0) return Verbatim("0\nRPRT 0\n");
  return Verbatim(Header(r) + r.separator + "Locked: 0\nRPRT 0\n");
}

Step Quit(const Request&, int, const Answers&, const Capabilities&) {
  Step step = Verbatim("RPRT 0\n");
  step.close = true;
  return step;
}

constexpr bool kVfo = true;  // takes a VFO in VFO mode

const Command kCommands[] = {
    {'F', "set_freq", 1, 1, SetFreq, kVfo},
    {'f', "get_freq", 0, 0, GetFreq, kVfo},
    {'M', "set_mode", 1, 2, SetMode, kVfo},
    {'m', "get_mode", 0, 0, GetMode, kVfo},
    {'V', "set_vfo", 1, 1, SetVfo},
    {'v', "get_vfo", 0, 0, GetVfo},
    {'S', "set_split_vfo", 1, 2, SetSplit, kVfo},
    {'s', "get_split_vfo", 0, 0, GetSplit, kVfo},
    {'I', "set_split_freq", 1, 1, SetSplitFreq, kVfo},
    {'i', "get_split_freq", 0, 0, GetSplitFreq, kVfo},
    {'X', "set_split_mode", 1, 2, SetSplitMode, kVfo},
    {'x', "get_split_mode", 0, 0, GetSplitMode, kVfo},
    {'T', "set_ptt", 1, 1, SetPtt, kVfo},
    {'t', "get_ptt", 0, 0, GetPtt, kVfo},
    {'L', "set_level", 1, 2, SetLevel, kVfo},
    {'l', "get_level", 1, 1, GetLevel, kVfo},
    {'\x8b', "get_dcd", 0, 0, GetDcd, kVfo},
    {'\x88', "get_powerstat", 0, 0, GetPowerStat},
    {'\xf0', "chk_vfo", 0, 0, ChkVfo},
    {'\x8f', "dump_state", 0, 0, DumpStateStep},
    {'1', "dump_caps", 0, 0, DumpCapsStep},
    {'_', "get_info", 0, 0, GetInfo},
    {'\xa3', "get_lock_mode", 0, 0, GetLockMode},
    {'q', "quit", 0, 0, Quit},
    {'Q', "quit", 0, 0, Quit},
    // rigctld's other commands: this radio's endpoint does not have them.
    {'J', "set_rit", 0, kAnyCount, nullptr},         {'j', "get_rit", 0, kAnyCount, nullptr},
    {'Z', "set_xit", 0, kAnyCount, nullptr},         {'z', "get_xit", 0, kAnyCount, nullptr},
    {'Y', "set_ant", 0, kAnyCount, nullptr},         {'y', "get_ant", 0, kAnyCount, nullptr},
    {'b', "send_morse", 0, kAnyCount, nullptr},      {'R', "set_rptr_shift", 0, kAnyCount, nullptr},
    {'r', "get_rptr_shift", 0, kAnyCount, nullptr},  {'O', "set_rptr_offs", 0, kAnyCount, nullptr},
    {'o', "get_rptr_offs", 0, kAnyCount, nullptr},   {'C', "set_ctcss_tone", 0, kAnyCount, nullptr},
    {'c', "get_ctcss_tone", 0, kAnyCount, nullptr},  {'D', "set_dcs_code", 0, kAnyCount, nullptr},
    {'d', "get_dcs_code", 0, kAnyCount, nullptr},    {'N', "set_ts", 0, kAnyCount, nullptr},
    {'n', "get_ts", 0, kAnyCount, nullptr},          {'U', "set_func", 0, kAnyCount, nullptr},
    {'u', "get_func", 0, kAnyCount, nullptr},        {'P', "set_parm", 0, kAnyCount, nullptr},
    {'p', "get_parm", 0, kAnyCount, nullptr},        {'B', "set_bank", 0, kAnyCount, nullptr},
    {'E', "set_mem", 0, kAnyCount, nullptr},         {'e', "get_mem", 0, kAnyCount, nullptr},
    {'G', "vfo_op", 0, kAnyCount, nullptr},          {'g', "scan", 0, kAnyCount, nullptr},
    {'H', "set_channel", 0, kAnyCount, nullptr},     {'h', "get_channel", 0, kAnyCount, nullptr},
    {'A', "set_trn", 0, kAnyCount, nullptr},         {'a', "get_trn", 0, kAnyCount, nullptr},
    {'*', "reset", 0, kAnyCount, nullptr},           {'2', "power2mW", 0, kAnyCount, nullptr},
    {'4', "mW2power", 0, kAnyCount, nullptr},        {'w', "send_cmd", 0, kAnyCount, nullptr},
    {'W', "send_cmd_rx", 0, kAnyCount, nullptr},     {0, "set_powerstat", 0, kAnyCount, nullptr},
    {0, "set_ctcss_sql", 0, kAnyCount, nullptr},     {0, "get_ctcss_sql", 0, kAnyCount, nullptr},
    {0, "set_dcs_sql", 0, kAnyCount, nullptr},       {0, "get_dcs_sql", 0, kAnyCount, nullptr},
    {0, "send_dtmf", 0, kAnyCount, nullptr},         {0, "recv_dtmf", 0, kAnyCount, nullptr},
    {0, "get_rig_info", 0, kAnyCount, nullptr},      {0, "get_vfo_info", 0, kAnyCount, nullptr},
    {0, "get_vfo_list", 0, kAnyCount, nullptr},      {0, "get_modes", 0, kAnyCount, nullptr},
    {0, "set_clock", 0, kAnyCount, nullptr},         {0, "get_clock", 0, kAnyCount, nullptr},
    {0, "set_vfo_opt", 0, kAnyCount, nullptr},       {0, "set_lock_mode", 0, kAnyCount, nullptr},
    {0, "send_voice_mem", 0, kAnyCount, nullptr},    {0, "stop_morse", 0, kAnyCount, nullptr},
    {0, "wait_morse", 0, kAnyCount, nullptr},        {0, "halt", 0, kAnyCount, nullptr},
    {0, "pause", 0, kAnyCount, nullptr},             {0, "password", 0, kAnyCount, nullptr},
    {0, "set_twiddle", 0, kAnyCount, nullptr},       {0, "get_twiddle", 0, kAnyCount, nullptr},
    {0, "set_cache", 0, kAnyCount, nullptr},         {0, "get_cache", 0, kAnyCount, nullptr},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The characters that lead an extended command: "+" and the punctuation
// rigctld takes as a record separator.
bool IsExtendedPrefix(char c) {
  return std::ispunct(static_cast<unsigned char>(c)) && c != '\\' && c != '?' && c != '_' && c != '#' &&
         c != '*';
}

const Command* ShortCommand(char name) {
  for (const Command& c : kCommands)
    if (c.shortName && c.shortName == name) return &c;
  return nullptr;
}

const Command* FindCommand(std::string_view name) {
  if (name.size() == 1) return ShortCommand(name[0]);
  if (name.size() < 2 || name[0] != '\\') return nullptr;
  for (const Command& c : kCommands)
    if (name.substr(1) == c.longName) return &c;
  return nullptr;
}

// A command that takes no words after it, so that another may follow it in
// the same word ("fmv").
bool TakesNothing(const Command* c, bool vfoMode) {
  return c && c->handler && c->maxArgs == 0 && !(vfoMode && c->takesVfo);
}

}  // namespace

const char* CommandName(const Command& command) { return command.longName; }

bool IsCommandByte(char byte) {
  return static_cast<unsigned char>(byte) >= 0x80 && ShortCommand(byte) != nullptr;
}

std::vector<Request> ParseLine(std::string_view line, bool vfoMode) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < line.size();) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  std::vector<Request> out;
  std::size_t next = 0;
  auto fail = [&](Request r, int code) {
    r.error = code;
    out.push_back(std::move(r));
  };
  while (next < words.size()) {
    std::string_view word = words[next++];
    if (word.front() == '#') break;  // a comment to the end of the line
    Request r;
    r.vfoMode = vfoMode;
    if (IsExtendedPrefix(word.front())) {
      r.separator = word.front() == '+' ? '\n' : word.front();
      word.remove_prefix(1);
    }
    // Short commands written together: each but the last takes nothing.
    if (word.size() > 1 && word.front() != '\\') {
      const bool together = std::all_of(word.begin(), word.end() - 1,
                                        [&](char c) { return TakesNothing(ShortCommand(c), vfoMode); });
      if (!together) {
        fail(std::move(r), kInvalid);
        break;
      }
      for (char c : word.substr(0, word.size() - 1)) {
        Request first = r;
        first.command = ShortCommand(c);
        out.push_back(std::move(first));
        r.separator = 0;  // a prefix leads the first of them only
      }
      word.remove_prefix(word.size() - 1);
    }
    r.command = word.empty() ? nullptr : FindCommand(word);
    if (!r.command) {
      fail(std::move(r), kInvalid);
      break;
    }
    const Command& c = *r.command;
    if (!c.handler) {
      // The rest of the line is its arguments.
      for (; next < words.size(); ++next) r.args.emplace_back(words[next]);
      fail(std::move(r), kUnavailable);
      break;
    }
    if (vfoMode && c.takesVfo) {
      if (next == words.size()) {
        fail(std::move(r), kInvalid);
        break;
      }
      r.vfo = std::string(words[next++]);
    }
    // Its arguments, as many as it takes; a "?" (the list) is the last.
    while (next < words.size() && static_cast<int>(r.args.size()) < c.maxArgs &&
           !(r.args.size() == 1 && r.args[0] == "?")) {
      r.args.emplace_back(words[next++]);
    }
    if (static_cast<int>(r.args.size()) < c.minArgs) {
      fail(std::move(r), kInvalid);
      break;
    }
    out.push_back(std::move(r));
  }
  return out;
}

Step RunStep(const Request& request, int stage, const Answers& answers, const Capabilities& capabilities) {
  if (!request.command || !request.command->handler || request.error) return Fail(request.error ? request.error : kInvalid);
  return request.command->handler(request, stage, answers, capabilities);
}

std::string FormatReply(const Request& request, const Step& step) {
  if (step.reply) return *step.reply;
  const std::string report = "RPRT " + std::to_string(step.code) + "\n";
  if (request.separator == 0) {
    if (step.code != 0 || step.records.empty()) return report;
    std::string out;
    for (const Record& record : step.records) out += record.value + "\n";
    return out;
  }
  // Extended replies of a line that named no command have no header.
  std::string out = request.command ? Header(request) + request.separator : "";
  if (step.code == 0) {
    for (const Record& record : step.records)
      out += (record.key.empty() ? record.value : record.key + ": " + record.value) + request.separator;
  }
  return out + report;
}

std::string DumpState(const Capabilities& caps) {
  char modes[32];
  std::snprintf(modes, sizeof modes, "0x%llx", static_cast<unsigned long long>(SettableModeBits()));
  const int maxWatts = caps.maxWatts > 0 ? caps.maxWatts : 100;
  const int lowMw = maxWatts >= 100 ? 5000 : 1000;
  auto range = [&](long long low, long long high, int lowPower, int highPower) {
    char line[160];
    std::snprintf(line, sizeof line, "%lld.000000 %lld.000000 %s %d %d 0x3 0x80000000\n", low, high, modes,
                  lowPower, highPower);
    return std::string(line);
  };
  std::string s = "1\n1035\n0\n";  // protocol 1; the FT-991's model number; ITU region unknown
  for (const Range& r : kReceive) s += range(r.low, r.high, -1, -1);
  s += "0 0 0 0 0 0 0\n";
  for (const Range& r : kTransmit) {
    // The 100 W amplifier gives 50 W on 2 m and 70 cm.
    int high = maxWatts >= 100 && r.low >= 144000000 ? 50000 : maxWatts * 1000;
    s += range(r.low, r.high, lowMw, high);
  }
  s += "0 0 0 0 0 0 0\n";
  s += std::string(modes) + " 1\n" + modes + " 0\n0 0\n";  // tuning steps: 1 Hz, any
  // Filters: each mode's normal width.
  for (const RadioMode& m : RadioModes()) {
    if (!m.hamlibBit) continue;
    char line[64];
    std::snprintf(line, sizeof line, "0x%llx %d\n", static_cast<unsigned long long>(m.hamlibBit), m.passbandHz);
    s += line;
  }
  s += "0 0\n";
  s += "0\n0\n0\n0\n";  // RIT, XIT, IF shift: none here; announcements
  s += "\n\n";          // preamp and attenuator steps: none here
  char levels[96];
  std::snprintf(levels, sizeof levels, "0x0\n0x0\n0x%llx\n0x%llx\n0x0\n0x0\n",
                static_cast<unsigned long long>(kLevelRfPower | kLevelStrength),
                static_cast<unsigned long long>(kLevelRfPower));
  s += levels;
  s += "vfo_ops=0x0\nptt_type=0x1\ntargetable_vfo=0x3\nhas_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\n"
       "has_get_freq=1\nhas_set_conf=0\nhas_get_conf=0\nhas_power2mW=0\nhas_mW2power=0\ntimeout=0\n"
       "rig_model=1035\nrigctld_version=Kelvaro FTX-1 panel\ndone\n";
  return s;
}

std::string DumpCaps(const Capabilities& caps) {
  const int maxWatts = caps.maxWatts > 0 ? caps.maxWatts : 100;
  std::string s =
      "Caps dump for model: 1035\n"
      "Model name:\tFTX-1 through Kelvaro\n"
      "Mfg name:\tYaesu\n"
      "Backend status:\tStable\n"
      "Rig type:\tTransceiver\n"
      "PTT type:\tRig capable\n"
      "DCD type:\tRig capable\n"
      "Port type:\tNetwork link\n"
      "Has targetable VFO: Y\n"
      "Get level: RFPOWER(0..1/0) STRENGTH(-54..60/0) \n"
      "Set level: RFPOWER(0..1/0) \n"
      "Mode list: " + std::string(ModeList()) + "\n"
      "VFO list: VFOA VFOB \n";
  for (const Range& r : kTransmit) {
    s += "TX range: " + std::to_string(r.low) + " Hz - " + std::to_string(r.high) + " Hz, High power: " +
         std::to_string(r.low >= 144000000 && maxWatts >= 100 ? 50 : maxWatts) + " W\n";
  }
  for (const Range& r : kReceive) s += "RX range: " + std::to_string(r.low) + " Hz - " + std::to_string(r.high) + " Hz\n";
  // What the endpoint runs (Y) and what it answers RPRT -11 (N).
  struct Can {
    const char* what;
    bool can;
  };
  static constexpr Can kCan[] = {
      {"set Frequency", true},   {"get Frequency", true},    {"set Mode", true},        {"get Mode", true},
      {"set VFO", true},         {"get VFO", true},          {"set PTT", true},         {"get PTT", true},
      {"get DCD", true},         {"set Repeater Duplex", false}, {"get Repeater Duplex", false},
      {"set Repeater Offset", false}, {"get Repeater Offset", false}, {"set Split Freq", true},
      {"get Split Freq", true},  {"set Split Mode", true},   {"get Split Mode", true},  {"set Split VFO", true},
      {"get Split VFO", true},   {"set Tuning Step", false}, {"get Tuning Step", false}, {"set RIT", false},
      {"get RIT", false},        {"set XIT", false},         {"get XIT", false},        {"set CTCSS", false},
      {"get CTCSS", false},      {"set DCS", false},         {"get DCS", false},        {"set Power Stat", false},
      {"get Power Stat", true},  {"get Ant", false},         {"set Ant", false},        {"set Func", false},
      {"get Func", false},       {"set Level", true},        {"get Level", true},       {"set Param", false},
      {"get Param", false},      {"send DTMF", false},       {"recv DTMF", false},      {"send Morse", false},
      {"set Mem", false},        {"get Mem", false},         {"Scan", false},           {"get Info", true},
  };
  for (const Can& c : kCan) s += std::string("Can ") + c.what + ":\t" + (c.can ? "Y" : "N") + "\n";
  return s;
}

int StrengthOfReading(int reading) {
  // The meter's S-units (6 dB each) up to S9, then dB over S9 up to S9+60 at
  // full scale.
  struct Point {
    int reading, db;
  };
  static constexpr Point kScale[] = {{0, -54},  {15, -48}, {30, -42},  {47, -36},  {61, -30}, {75, -24},
                                     {89, -18}, {102, -12}, {115, -6}, {140, 0},   {187, 20}, {255, 60}};
  reading = std::clamp(reading, 0, 255);
  for (std::size_t i = 1; i < std::size(kScale); ++i) {
    const Point& a = kScale[i - 1];
    const Point& b = kScale[i];
    if (reading <= b.reading) {
      return a.db + static_cast<int>(std::lround(static_cast<double>(reading - a.reading) * (b.db - a.db) /
                                                 (b.reading - a.reading)));
    }
  }
  return 60;
}

}  // namespace kelvaro::rigctld
