// The rigctld commands end to end through the endpoint, on in-memory TCP,
// against the FTX-1 stand-in: the reply bytes (as rigctld 4.5 gives them, in
// the normal and the extended forms), the CAT commands sent, the sets the
// panel is told about, and the radio's state afterwards. Every case runs with
// the radio's answers coming back inside Send and with them held for a later
// pass.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/fake_tcp.h"
#include "rigctld/commands.h"
#include "rigctld/endpoint.h"
#include "rigctld/sim_radio_link.h"

namespace kelvaro::rigctld {
namespace {

using testing::SimRadioLink;

// One client of an endpoint on fakes, with passes run until all is quiet.
struct Bench {
  explicit Bench(bool answerAtOnce, bool vfo = false) : vfoMode(vfo) {
    link.answerAtOnce = answerAtOnce;
    link.Attach(&endpoint);
    EXPECT_TRUE(endpoint.Listen({"127.0.0.1", 4532}));
  }
  Tcp::Handle Connect() {
    Tcp::Handle c = tcp.Connect("127.0.0.1", 4532);
    Settle();
    return c;
  }
  void Settle() {
    for (int i = 0; i < 40; ++i) {
      endpoint.Poll();
      link.Deliver();
    }
  }
  std::string Exchange(Tcp::Handle c, const std::string& bytes) {
    tcp.Send(c, bytes);
    Settle();
    return tcp.Take(c);
  }
  std::string Joined(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += x + " ";
    return s;
  }

  static EndpointOptions Options(bool vfo) {
    EndpointOptions options;
    options.vfoMode = vfo;
    return options;
  }

  bool vfoMode;
  FakeTcp tcp;
  SimRadioLink link;
  std::vector<std::string> log;
  Endpoint endpoint{tcp, link, [this](std::string_view line) { log.emplace_back(line); }, {}, Options(vfoMode)};
};

struct Case {
  const char* setup;    // radio control lines before, "|" between them ("" none)
  const char* line;     // what the client sends (its "\n" is added)
  const char* reply;    // the exact reply
  const char* cat;      // the CAT commands sent, in order
  const char* changed;  // the sets the panel is told about, each followed by " "
  const char* state;    // a part of the radio's state description afterwards ("" none)
};

const Case kCases[] = {
    // Frequency.
    {"", "f", "7100000\n", "VS;FA;FB;", "", ""},
    {"", "\\get_freq", "7100000\n", "VS;FA;FB;", "", ""},
    {"", "+f", "get_freq:\nFrequency: 7100000\nRPRT 0\n", "VS;FA;FB;", "", ""},
    {"", ";f", "get_freq:;Frequency: 7100000;RPRT 0\n", "VS;FA;FB;", "", ""},
    {"", "|\\get_freq", "get_freq:|Frequency: 7100000|RPRT 0\n", "VS;FA;FB;", "", ""},
    {"", ",f", "get_freq:,Frequency: 7100000,RPRT 0\n", "VS;FA;FB;", "", ""},
    {"dial +2500", "  f  ", "7102500\n", "VS;FA;FB;", "", ""},
    {"", "F 14250000", "RPRT 0\n", "VS;FA014250000;", "FA014250000 ", "VFO A 14.250000 MHz"},
    {"", "F 14250000.000000", "RPRT 0\n", "VS;FA014250000;", "FA014250000 ", "VFO A 14.250000 MHz"},
    {"", "\\set_freq 1.4074e7", "RPRT 0\n", "VS;FA014074000;", "FA014074000 ", "VFO A 14.074000 MHz"},
    {"", "+F 14250000", "set_freq: 14250000\nRPRT 0\n", "VS;FA014250000;", "FA014250000 ", ""},
    {"", ";\\set_freq 145500000", "set_freq: 145500000;RPRT 0\n", "VS;FA145500000;", "FA145500000 ", ""},
    {"", "V VFOB\nF 435000000", "RPRT 0\nRPRT 0\n", "VS1;VS;FB435000000;", "VS1 FB435000000 ",
     "VFO B 435.000000 MHz"},
    {"", "F 250000000", "RPRT -1\n", "", "", "VFO A 7.100000 MHz"},
    {"", "F 20000", "RPRT -1\n", "", "", ""},
    {"", "F 14.2MHz", "RPRT -1\n", "", "", ""},
    {"", "F", "RPRT -1\n", "", "", ""},
    {"", "+F", "set_freq:\nRPRT -1\n", "", "", ""},
    {"", "F 1 2", "RPRT -1\nRPRT -11\n", "", "", ""},
    // Mode and passband.
    {"", "m", "LSB\n2400\n", "VS;MD0;MD1;", "", ""},
    {"", ";m", "get_mode:;Mode: LSB;Passband: 2400;RPRT 0\n", "VS;MD0;MD1;", "", ""},
    {"mode FM-N", "+\\get_mode", "get_mode:\nMode: FMN\nPassband: 9000\nRPRT 0\n", "VS;MD0;MD1;", "", ""},
    {"mode CW-L", "m", "CWR\n500\n", "VS;MD0;MD1;", "", ""},
    {"mode C4FM", "m", "C4FM\n16000\n", "VS;MD0;MD1;", "", ""},
    {"mode DATA-U", "m", "PKTUSB\n2400\n", "VS;MD0;MD1;", "", ""},
    {"mode DATA-FM", "m", "FM-D\n16000\n", "VS;MD0;MD1;", "", ""},
    {"", "M USB 2400", "RPRT 0\n", "VS;MD02;", "MD02 ", "VFO A 7.100000 MHz USB"},
    {"", "M CW -1", "RPRT 0\n", "VS;MD03;", "MD03 ", "MHz CW-U"},
    {"", "M AM 0", "RPRT 0\n", "VS;MD05;", "MD05 ", "MHz AM,"},
    {"", "M FM 0", "RPRT 0\n", "VS;MD04;", "MD04 ", "MHz FM,"},
    {"", "\\set_mode FMN 0", "RPRT 0\n", "VS;MD0B;", "MD0B ", "MHz FM-N"},
    {"", "M C4FM", "RPRT 0\n", "VS;MD0H;", "MD0H ", "MHz C4FM"},
    {"", "M usb 2400", "RPRT 0\n", "VS;MD02;", "MD02 ", ""},
    {"", "+M USB 2400", "set_mode: USB 2400\nRPRT 0\n", "VS;MD02;", "MD02 ", ""},
    {"", "M PKTUSB -1\nm", "RPRT 0\nPKTUSB\n2400\n", "VS;MD0C;VS;MD0;MD1;", "MD0C ", "MHz DATA-U"},
    {"", "M PKTLSB 0", "RPRT 0\n", "VS;MD08;", "MD08 ", "MHz DATA-L"},
    {"", "\\set_mode PKTFM 0", "RPRT 0\n", "VS;MD0A;", "MD0A ", "MHz DATA-FM"},
    {"", "M FM-D 0", "RPRT 0\n", "VS;MD0A;", "MD0A ", "MHz DATA-FM"},
    {"", "M PKTFMN 0", "RPRT -1\n", "", "", "MHz LSB"},
    {"", "M USB wide", "RPRT -1\n", "", "", ""},
    {"", "M ?", "AM CW USB LSB FM PKTLSB PKTUSB FM-D FMN C4FM \nRPRT 0\n", "", "", ""},
    {"", "+M ?", "set_mode: ?\nAM CW USB LSB FM PKTLSB PKTUSB FM-D FMN C4FM \nRPRT 0\n", "", "", ""},
    // VFO.
    {"", "v", "VFOA\n", "VS;", "", ""},
    {"", "+v", "get_vfo:\nVFO: VFOA\nRPRT 0\n", "VS;", "", ""},
    {"", "V VFOB", "RPRT 0\n", "VS1;", "VS1 ", "active B"},
    {"", "V Sub\nv", "RPRT 0\nVFOB\n", "VS1;VS;", "VS1 ", "active B"},
    {"", "V currVFO", "RPRT 0\n", "", "", "active A"},
    {"", "+V VFOA", "set_vfo: VFOA\nRPRT 0\n", "VS0;", "VS0 ", ""},
    {"", "V VFOC", "RPRT -1\n", "", "", ""},
    // Split.
    {"", "s", "0\nVFOA\n", "ST;VS;", "", ""},
    {"", "+s", "get_split_vfo:\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n", "ST;VS;", "", ""},
    {"", "S 1 VFOB\ns", "RPRT 0\n1\nVFOB\n", "ST1;ST;VS;", "ST1 ", "split on"},
    {"", "+\\set_split_vfo 0 VFOA", "set_split_vfo: 0 VFOA\nRPRT 0\n", "ST0;", "ST0 ", "split off"},
    {"", "S 2 VFOB", "RPRT -1\n", "", "", ""},
    {"", "S 1 VFOZ", "RPRT -1\n", "", "", "split off"},
    {"", "F 14074000\nI 14075500\ni", "RPRT 0\nRPRT 0\n14075500\n", "VS;FA014074000;VS;FB014075500;VS;FA;FB;",
     "FA014074000 FB014075500 ", "VFO B 14.075500 MHz"},
    {"", ";i", "get_split_freq:;TX Frequency: 7100000;RPRT 0\n", "VS;FA;FB;", "", ""},
    {"", "X USB 2400\nx", "RPRT 0\nUSB\n2400\n", "VS;MD12;VS;MD0;MD1;", "MD12 ", "VFO B 7.100000 MHz USB"},
    {"", "+x", "get_split_mode:\nTX Mode: LSB\nTX Passband: 2400\nRPRT 0\n", "VS;MD0;MD1;", "", ""},
    // Transmit.
    {"", "t", "0\n", "TX;", "", ""},
    {"", "+t", "get_ptt:\nPTT: 0\nRPRT 0\n", "TX;", "", ""},
    {"", "T 1\nt", "RPRT 0\n1\n", "TX1;TX;", "TX1 ", "transmitting"},
    {"", "T 3", "RPRT 0\n", "TX1;", "TX1 ", "transmitting"},
    {"ptt on", ";T 0", "set_ptt: 0;RPRT 0\n", "TX0;", "TX0 ", "receiving"},
    {"", "T 4", "RPRT -1\n", "", "", "receiving"},
    {"", "T on", "RPRT -1\n", "", "", ""},
    // Levels.
    {"signal 140", "l STRENGTH", "0\n", "SM0;", "", ""},
    {"signal 0", "l STRENGTH", "-54\n", "SM0;", "", ""},
    {"signal S9+20", "\\get_level STRENGTH", "20\n", "SM0;", "", ""},
    {"signal 140", "+l STRENGTH", "get_level: STRENGTH\n0\nRPRT 0\n", "SM0;", "", ""},
    {"signal 140", ";l STRENGTH", "get_level: STRENGTH;0;RPRT 0\n", "SM0;", "", ""},
    {"", "l RFPOWER", "1.000000\n", "PC;", "", ""},
    {"", "L RFPOWER 0.5\nl RFPOWER", "RPRT 0\n0.500000\n", "PC;PC2050;PC;", "PC2050 ", "power 50 W"},
    {"", "+L RFPOWER 0.25", "set_level: RFPOWER 0.25\nRPRT 0\n", "PC;PC2025;", "PC2025 ", "power 25 W"},
    {"", "L RFPOWER 0.01", "RPRT 0\n", "PC;PC2005;", "PC2005 ", "power 5 W"},
    {"", "L RFPOWER 3", "RPRT 0\n", "PC;PC2100;", "PC2100 ", "power 100 W"},
    {"", "L RFPOWER high", "RPRT -1\n", "", "", "power 100 W"},
    {"", "L RFPOWER", "RPRT -1\n", "", "", ""},
    {"", "l SWR", "RPRT -11\n", "", "", ""},
    {"", "l NOSUCH", "RPRT -1\n", "", "", ""},
    {"", "L AF 0.5", "RPRT -11\n", "", "", ""},
    {"", "l ?", "RFPOWER STRENGTH \n", "", "", ""},
    {"", "L ?", "RFPOWER \nRPRT 0\n", "", "", ""},
    {"", "+l ?", "get_level: ?\nRFPOWER STRENGTH \nRPRT 0\n", "", "", ""},
    // Power, VFO mode, state, information, lock mode.
    {"", "\\get_powerstat", "1\n", "PS;", "", ""},
    {"", "+\\get_powerstat", "get_powerstat:\nPower Status: 1\nRPRT 0\n", "PS;", "", ""},
    {"", ";\\get_powerstat", "get_powerstat:;Power Status: 1\nRPRT 0\n", "PS;", "", ""},
    {"power off", "\\get_powerstat", "0\n", "PS;", "", ""},
    {"", "\\chk_vfo", "0\n", "", "", ""},
    {"", "+\\chk_vfo", "ChkVFO: 0\n", "", "", ""},
    {"", ";\\chk_vfo", "ChkVFO: 0\n\n", "", "", ""},
    {"", "_", "Yaesu FTX-1 through Kelvaro\n", "", "", ""},
    {"", "+\\get_info", "get_info:\nInfo: Yaesu FTX-1 through Kelvaro\nRPRT 0\n", "", "", ""},
    {"", "\\get_lock_mode", "0\nRPRT 0\n", "", "", ""},
    {"signal 140", "\x8b", "1\n", "SQ0;SM0;", "", ""},
    {"signal 0", "+\\get_dcd", "get_dcd:\nDCD: 0\nRPRT 0\n", "SQ0;SM0;", "", ""},
    {"", "\x88\n\xf0", "1\n0\n", "PS;", "", ""},
    // Several commands on a line, as loggers poll: each answered in turn.
    {"", "fmv", "7100000\nLSB\n2400\nVFOA\n", "VS;FA;FB;VS;MD0;MD1;VS;", "", ""},
    {"", "f m v", "7100000\nLSB\n2400\nVFOA\n", "VS;FA;FB;VS;MD0;MD1;VS;", "", ""},
    {"", "+f +m +v",
     "get_freq:\nFrequency: 7100000\nRPRT 0\nget_mode:\nMode: LSB\nPassband: 2400\nRPRT 0\n"
     "get_vfo:\nVFO: VFOA\nRPRT 0\n",
     "VS;FA;FB;VS;MD0;MD1;VS;", "", ""},
    {"", "+fm", "get_freq:\nFrequency: 7100000\nRPRT 0\nLSB\n2400\n", "VS;FA;FB;VS;MD0;MD1;", "", ""},
    {"", "F 14074000 M USB 0 f", "RPRT 0\nRPRT 0\n14074000\n", "VS;FA014074000;VS;MD02;VS;FA;FB;",
     "FA014074000 MD02 ", "14.074000 MHz USB"},
    {"", "\\get_freq ;\\get_vfo # a comment", "7100000\nget_vfo:;VFO: VFOA;RPRT 0\n", "VS;FA;FB;VS;", "", ""},
    {"", "t K t", "0\nRPRT -1\n", "TX;", "", ""},
    {"", "+\\get_lock_mode", "get_lock_mode:\nLocked: 0\nRPRT 0\n", "", "", ""},
    // What this radio's endpoint does not have, and what is no command.
    {"", "J 100", "RPRT -11\n", "", "", ""},
    {"", "+\\get_rit", "get_rit:\nRPRT -11\n", "", "", ""},
    {"", "\\set_powerstat 0", "RPRT -11\n", "", "", "radio on"},
    {"", "w FA;", "RPRT -11\n", "", "", ""},
    {"", "\\nonsense", "RPRT -1\n", "", "", ""},
    {"", "+\\nonsense", "RPRT -1\n", "", "", ""},
    {"", "K", "RPRT -1\n", "", "", ""},
    {"", "f extra", "7100000\nRPRT -1\n", "VS;FA;FB;", "", ""},
    {"", "Mf", "RPRT -1\n", "", "", ""},
    {"", "fM", "7100000\nRPRT -1\n", "VS;FA;FB;", "", ""},
    {"", "+", "RPRT -1\n", "", "", ""},
    {"", "\n# a comment\n\t\nf", "7100000\n", "VS;FA;FB;", "", ""},
    {"", "f\r", "7100000\n", "VS;FA;FB;", "", ""},
};

// VFO mode (rigctld --vfo): every command on a VFO names it first.
const Case kVfoCases[] = {
    {"", "\\chk_vfo", "1\n", "", "", ""},
    {"", "+\\chk_vfo", "ChkVFO: 1\n", "", "", ""},
    {"", "F VFOB 14075000\nf VFOB\nf VFOA", "RPRT 0\n14075000\n7100000\n", "FB014075000;FB;FA;",
     "FB014075000 ", "VFO B 14.075000 MHz"},
    {"", "F Sub 14075000\nf Main\nf Sub", "RPRT 0\n7100000\n14075000\n", "FB014075000;FA;FB;", "FB014075000 ",
     ""},
    {"", "F currVFO 14074000\nf RX", "RPRT 0\n14074000\n", "VS;FA014074000;VS;FA;FB;", "FA014074000 ", ""},
    {"", "f TX", "7100000\n", "VS;ST;FA;FB;", "", ""},
    {"", "S VFOA 1 VFOB\nF TX 14075000\nf TX\nf RX", "RPRT 0\nRPRT 0\n14075000\n7100000\n",
     "ST1;VS;ST;FB014075000;VS;ST;FA;FB;VS;FA;FB;", "ST1 FB014075000 ", "split on"},
    {"", "+f VFOB", "get_freq: VFOB\nFrequency: 7100000\nRPRT 0\n", "FB;", "", ""},
    {"", "f VFOC", "RPRT -1\n", "", "", ""},
    {"", "f", "RPRT -1\n", "", "", ""},
    {"", "fmv", "RPRT -1\n", "", "", ""},
    {"", "+f VFOA +m VFOA +v",
     "get_freq: VFOA\nFrequency: 7100000\nRPRT 0\nget_mode: VFOA\nMode: LSB\nPassband: 2400\nRPRT 0\n"
     "get_vfo: currVFO\nVFO: VFOA\nRPRT 0\n",
     "FA;MD0;VS;", "", ""},
    {"", "M VFOB PKTUSB -1\nm VFOB\nm VFOA", "RPRT 0\nPKTUSB\n2400\nLSB\n2400\n", "MD1C;MD1;MD0;", "MD1C ",
     "DATA-U"},
    {"", "M currVFO USB 0", "RPRT 0\n", "VS;MD02;", "MD02 ", "MHz USB"},
    {"", "V VFOB\nv\nf currVFO", "RPRT 0\nVFOB\n7100000\n", "VS1;VS;VS;FA;FB;", "VS1 ", "active B"},
    {"", "S VFOA 1 VFOB\nV TX", "RPRT 0\nRPRT 0\n", "ST1;VS;ST;VS1;", "ST1 VS1 ", "active B"},
    {"", "+s VFOA", "get_split_vfo: VFOA\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n", "ST;VS;", "", ""},
    {"", "I VFOA 14075500\ni VFOA", "RPRT 0\n14075500\n", "VS;FB014075500;VS;FA;FB;", "FB014075500 ",
     "VFO B 14.075500 MHz"},
    {"", "X VFOA USB 0\nx VFOA", "RPRT 0\nUSB\n2400\n", "VS;MD12;VS;MD0;MD1;", "MD12 ", ""},
    {"", "T VFOA 1\nt VFOA\nT currVFO 0", "RPRT 0\n1\nRPRT 0\n", "TX1;TX;TX0;", "TX1 TX0 ", "receiving"},
    {"", "t VFOZ", "RPRT -1\n", "", "", ""},
    {"signal 140", "l VFOA STRENGTH", "0\n", "SM0;", "", ""},
    {"", "l VFOB STRENGTH", "-38\n", "SM1;", "", ""},
    {"", "L currVFO RFPOWER 0.5", "RPRT 0\n", "PC;PC2050;", "PC2050 ", "power 50 W"},
    {"signal 140", "\\get_dcd VFOA", "1\n", "SQ0;SM0;", "", ""},
    {"", "+\\get_powerstat", "get_powerstat: currVFO\nPower Status: 1\nRPRT 0\n", "PS;", "", ""},
};

TEST(RigctldCommands, RepliesCatTrafficAndRadioState) {
  for (bool vfoMode : {false, true}) {
    for (bool atOnce : {true, false}) {
      for (const Case& c : vfoMode ? std::vector<Case>(std::begin(kVfoCases), std::end(kVfoCases))
                                   : std::vector<Case>(std::begin(kCases), std::end(kCases))) {
        SCOPED_TRACE(std::string(vfoMode ? "VFO mode, " : "") + (atOnce ? "answers at once, " : "answers held, ") +
                     "line '" + c.line + "'");
        Bench bench(atOnce, vfoMode);
        std::istringstream setup(c.setup);
        for (std::string control; std::getline(setup, control, '|');) bench.link.radio.Control(control);
        Tcp::Handle client = bench.Connect();
        EXPECT_EQ(bench.Exchange(client, std::string(c.line) + "\n"), c.reply);
        EXPECT_EQ(bench.link.TakeSent(), c.cat);
        EXPECT_EQ(bench.Joined(bench.link.changed), c.changed);
        EXPECT_NE(bench.link.radio.Control("state").find(c.state), std::string::npos)
            << bench.link.radio.Control("state");
        EXPECT_TRUE(bench.link.unclaimed.empty()) << "the radio refused a set: " << bench.link.unclaimed.front();
      }
    }
  }
}

// What goes wrong on the radio's side becomes rigctld's error codes.
TEST(RigctldCommands, RadioFailuresBecomeErrorCodes) {
  struct Failure {
    const char* command;  // the CAT command whose answer is replaced
    const char* answer;   // "" no answer at all
    const char* line;
    const char* reply;
  };
  const Failure kFailures[] = {
      {"FA;", "?;", "f", "RPRT -9\n"},                  // refused
      {"FA;", "", "f", "RPRT -5\n"},                    // no answer in time
      {"VS;", "", "F 14250000", "RPRT -5\n"},           // the set waits for VS, which never came
      {"FA;", "FA14250;", "f", "RPRT -8\n"},            // too few digits
      {"FA;", "FB014250000;", "f", "RPRT -8\n"},        // another command's answer
      {"MD0;", "MD0Z;", "m", "RPRT -8\n"},              // a mode code the radio does not have
      {"TX;", "TX7;", "t", "RPRT -8\n"},
      {"SM0;", "SM0;", "l STRENGTH", "RPRT -8\n"},
      {"PC;", "PC2x00;", "l RFPOWER", "RPRT -8\n"},
      {"FA;", "?;", "+f", "get_freq:\nRPRT -9\n"},
      {"PS;", "?;", "\\get_powerstat", "RPRT -9\n"},
  };
  for (const Failure& f : kFailures) {
    SCOPED_TRACE(std::string(f.line) + " with " + f.command + " answered '" + f.answer + "'");
    Bench bench(true);
    bench.link.answers[f.command] = f.answer;
    Tcp::Handle client = bench.Connect();
    EXPECT_EQ(bench.Exchange(client, std::string(f.line) + "\n"), f.reply);
    EXPECT_TRUE(bench.link.changed.empty());
  }
}

TEST(RigctldCommands, AClientThatDoesNotWaitGetsItsRepliesInOrder) {
  for (bool atOnce : {true, false}) {
    Bench bench(atOnce);
    Tcp::Handle client = bench.Connect();
    EXPECT_EQ(bench.Exchange(client, "F 14250000\nf\nM USB 2400\nm\nJ 5\nT 1\nt\nT 0\n\\chk_vfo\nv\n"),
              "RPRT 0\n14250000\nRPRT 0\nUSB\n2400\nRPRT -11\nRPRT 0\n1\nRPRT 0\n0\nVFOA\n");
  }
}

TEST(RigctldCommands, StrengthFollowsTheMeterScale) {
  const std::pair<int, int> kPoints[] = {{-3, -54}, {0, -54}, {15, -48}, {102, -12}, {140, 0},
                                         {163, 10}, {187, 20}, {255, 60}, {400, 60}};
  for (auto [reading, db] : kPoints) EXPECT_EQ(StrengthOfReading(reading), db) << reading;
  for (int r = 1; r <= 255; ++r) EXPECT_GE(StrengthOfReading(r), StrengthOfReading(r - 1)) << r;
}

// The numeric part of \dump_state is fixed by position; the NET rigctl
// client reads it line by line.
TEST(RigctldCommands, DumpStateHasTheRadiosRangesModesAndLevels) {
  auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  };
  std::vector<std::string> full = lines(DumpState({100}));
  ASSERT_GE(full.size(), 30u);
  EXPECT_EQ(full[0], "1");  // protocol version
  // Receive: 30 kHz to 174 MHz and 400 to 470 MHz, every mode, no power.
  EXPECT_EQ(full[3], "30000.000000 174000000.000000 0x200201c2f -1 -1 0x3 0x80000000");
  EXPECT_EQ(full[4], "400000000.000000 470000000.000000 0x200201c2f -1 -1 0x3 0x80000000");
  EXPECT_EQ(full[5], "0 0 0 0 0 0 0");
  // Transmit: 160 to 6 m at 5..100 W, 2 m and 70 cm at 5..50 W.
  EXPECT_EQ(full[6], "1800000.000000 54000000.000000 0x200201c2f 5000 100000 0x3 0x80000000");
  EXPECT_EQ(full[7], "144000000.000000 148000000.000000 0x200201c2f 5000 50000 0x3 0x80000000");
  EXPECT_EQ(full[8], "430000000.000000 450000000.000000 0x200201c2f 5000 50000 0x3 0x80000000");
  EXPECT_EQ(full[9], "0 0 0 0 0 0 0");
  EXPECT_EQ(full.back(), "done");
  std::string text = DumpState({100});
  EXPECT_NE(text.find("\n0x40001000\n0x1000\n"), std::string::npos);  // reads RFPOWER STRENGTH, sets RFPOWER
  EXPECT_NE(text.find("\nptt_type=0x1\n"), std::string::npos);
  // The field head alone: 1..10 W everywhere.
  std::vector<std::string> head = lines(DumpState({10}));
  EXPECT_EQ(head[6], "1800000.000000 54000000.000000 0x200201c2f 1000 10000 0x3 0x80000000");
  EXPECT_EQ(head[8], "430000000.000000 450000000.000000 0x200201c2f 1000 10000 0x3 0x80000000");

  Bench bench(true);
  Tcp::Handle client = bench.Connect();
  EXPECT_EQ(bench.Exchange(client, "\\dump_state\n"), text);
  // The extended form: all of it, the key=value part too, then RPRT 0.
  EXPECT_EQ(bench.Exchange(client, "+\\dump_state\n"), "dump_state:\n" + text + "RPRT 0\n");
  EXPECT_EQ(bench.link.TakeSent(), "");
}

// What loggers read from \dump_caps: the modes, the VFOs and what can be set.
TEST(RigctldCommands, DumpCapsListsModesVfosAndWhatTheEndpointDoes) {
  Bench bench(true);
  Tcp::Handle client = bench.Connect();
  const std::string caps = bench.Exchange(client, "\\dump_caps\n");
  EXPECT_EQ(caps, DumpCaps({100}) + "RPRT 0\n");
  for (const char* line : {"\nMode list: AM CW USB LSB FM PKTLSB PKTUSB FM-D FMN C4FM \n", "\nVFO list: VFOA VFOB \n",
                           "\nCan set Mode:\tY\n", "\nCan get VFO:\tY\n", "\nCan set PTT:\tY\n",
                           "\nCan set Split VFO:\tY\n", "\nCan set RIT:\tN\n", "\nCan get DCD:\tY\n"}) {
    EXPECT_NE(caps.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(bench.Exchange(client, "+1\n"), "dump_caps:\n" + caps);
}

// How a line becomes commands: each shown as its long name, its VFO in
// brackets, its arguments, its separator after "/" and its error after "!".
TEST(RigctldCommands, ParseLineSplitsALineIntoCommands) {
  auto show = [](std::string_view line, bool vfoMode) {
    std::string out;
    for (const Request& r : ParseLine(line, vfoMode)) {
      out += r.command ? CommandName(*r.command) : "?";
      if (!r.vfo.empty()) out += "[" + r.vfo + "]";
      for (const std::string& arg : r.args) out += " " + arg;
      if (r.separator) out += std::string("/") + (r.separator == '\n' ? "nl" : std::string(1, r.separator));
      if (r.error) out += "!" + std::to_string(r.error);
      out += ", ";
    }
    return out;
  };
  struct Line {
    const char* line;
    bool vfoMode;
    const char* commands;
  };
  const Line kLines[] = {
      {"  F   14250000 ", false, "set_freq 14250000, "},
      {"+\\set_mode USB 2400", false, "set_mode USB 2400/nl, "},
      {"|m", false, "get_mode/|, "},
      {"", false, ""},
      {"#f", false, ""},
      {"f # m", false, "get_freq, "},
      {"fmv", false, "get_freq, get_mode, get_vfo, "},
      {"+fmv", false, "get_freq/nl, get_mode, get_vfo, "},
      {"f\tm\rv", false, "get_freq, get_mode, get_vfo, "},
      {"fM USB 0 v", false, "get_freq, set_mode USB 0, get_vfo, "},
      {"Mf", false, "?!-1, "},
      {"M USB", false, "set_mode USB, "},
      {"M ? v", false, "set_mode ?, get_vfo, "},
      {"M", false, "set_mode!-1, "},
      {"\\get_fre f", false, "?!-1, "},
      {"\\get_freqq", false, "?!-1, "},
      {"\\", false, "?!-1, "},
      {"?", false, "?!-1, "},
      {"+", false, "?/nl!-1, "},
      {"f \\get_rit 5 f", false, "get_freq, get_rit 5 f!-11, "},
      {"q f", false, "quit, get_freq, "},
      {"f VFOB m Sub", true, "get_freq[VFOB], get_mode[Sub], "},
      {"F VFOA 14074000 v", true, "set_freq[VFOA] 14074000, get_vfo, "},
      {"+l VFOA STRENGTH", true, "get_level[VFOA] STRENGTH/nl, "},
      {"V VFOB \\chk_vfo", true, "set_vfo VFOB, chk_vfo, "},
      {"f", true, "get_freq!-1, "},
      {"fm", true, "?!-1, "},
      {"\x8b VFOA", true, "get_dcd[VFOA], "},
  };
  for (const Line& l : kLines) EXPECT_EQ(show(l.line, l.vfoMode), l.commands) << l.line;
  EXPECT_TRUE(IsCommandByte('\x8b'));
  EXPECT_FALSE(IsCommandByte('\x80'));
  EXPECT_FALSE(IsCommandByte('f'));
}

}  // namespace
}  // namespace kelvaro::rigctld
