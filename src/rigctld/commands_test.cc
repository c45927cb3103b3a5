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
  explicit Bench(bool answerAtOnce) {
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

  FakeTcp tcp;
  SimRadioLink link;
  std::vector<std::string> log;
  Endpoint endpoint{tcp, link, [this](std::string_view line) { log.emplace_back(line); }};
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
    {"", "F 1 2", "RPRT -1\n", "", "", ""},
    // Mode and passband.
    {"", "m", "LSB\n2400\n", "VS;MD0;MD1;", "", ""},
    {"", ";m", "get_mode:;Mode: LSB;Passband: 2400;RPRT 0\n", "VS;MD0;MD1;", "", ""},
    {"mode FM-N", "+\\get_mode", "get_mode:\nMode: FMN\nPassband: 9000\nRPRT 0\n", "VS;MD0;MD1;", "", ""},
    {"mode CW-L", "m", "CWR\n500\n", "VS;MD0;MD1;", "", ""},
    {"mode C4FM", "m", "C4FM\n16000\n", "VS;MD0;MD1;", "", ""},
    {"mode DATA-U", "m", "PKTUSB\n2400\n", "VS;MD0;MD1;", "", ""},
    {"", "M USB 2400", "RPRT 0\n", "VS;MD02;", "MD02 ", "VFO A 7.100000 MHz USB"},
    {"", "M CW -1", "RPRT 0\n", "VS;MD03;", "MD03 ", "MHz CW-U"},
    {"", "M AM 0", "RPRT 0\n", "VS;MD05;", "MD05 ", "MHz AM,"},
    {"", "M FM 0", "RPRT 0\n", "VS;MD04;", "MD04 ", "MHz FM,"},
    {"", "\\set_mode FMN 0", "RPRT 0\n", "VS;MD0B;", "MD0B ", "MHz FM-N"},
    {"", "M C4FM", "RPRT 0\n", "VS;MD0H;", "MD0H ", "MHz C4FM"},
    {"", "M usb 2400", "RPRT 0\n", "VS;MD02;", "MD02 ", ""},
    {"", "+M USB 2400", "set_mode: USB 2400\nRPRT 0\n", "VS;MD02;", "MD02 ", ""},
    {"", "M PKTUSB 0", "RPRT -1\n", "", "", "MHz LSB"},
    {"", "M USB wide", "RPRT -1\n", "", "", ""},
    {"", "M ?", "AM CW USB LSB FM FMN C4FM \nRPRT 0\n", "", "", ""},
    {"", "+M ?", "set_mode: ?\nAM CW USB LSB FM FMN C4FM \nRPRT 0\n", "", "", ""},
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
    {"", "+\\get_lock_mode", "get_lock_mode:\nLocked: 0\nRPRT 0\n", "", "", ""},
    // What this radio's endpoint does not have, and what is no command.
    {"", "J 100", "RPRT -11\n", "", "", ""},
    {"", "+\\get_rit", "get_rit:\nRPRT -11\n", "", "", ""},
    {"", "\\set_powerstat 0", "RPRT -11\n", "", "", "radio on"},
    {"", "w FA;", "RPRT -11\n", "", "", ""},
    {"", "\\nonsense", "RPRT -1\n", "", "", ""},
    {"", "+\\nonsense", "RPRT -1\n", "", "", ""},
    {"", "K", "RPRT -1\n", "", "", ""},
    {"", "fm", "RPRT -1\n", "", "", ""},
    {"", "f extra", "RPRT -1\n", "", "", ""},
    {"", "+", "RPRT -1\n", "", "", ""},
    {"", "\n# a comment\n\t\nf", "7100000\n", "VS;FA;FB;", "", ""},
    {"", "f\r", "7100000\n", "VS;FA;FB;", "", ""},
};

TEST(RigctldCommands, RepliesCatTrafficAndRadioState) {
  for (bool atOnce : {true, false}) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(atOnce ? "answers at once, " : "answers held, ") + "line '" + c.line + "'");
      Bench bench(atOnce);
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
  EXPECT_EQ(full[3], "30000.000000 174000000.000000 0x20020002f -1 -1 0x3 0x80000000");
  EXPECT_EQ(full[4], "400000000.000000 470000000.000000 0x20020002f -1 -1 0x3 0x80000000");
  EXPECT_EQ(full[5], "0 0 0 0 0 0 0");
  // Transmit: 160 to 6 m at 5..100 W, 2 m and 70 cm at 5..50 W.
  EXPECT_EQ(full[6], "1800000.000000 54000000.000000 0x20020002f 5000 100000 0x3 0x80000000");
  EXPECT_EQ(full[7], "144000000.000000 148000000.000000 0x20020002f 5000 50000 0x3 0x80000000");
  EXPECT_EQ(full[8], "430000000.000000 450000000.000000 0x20020002f 5000 50000 0x3 0x80000000");
  EXPECT_EQ(full[9], "0 0 0 0 0 0 0");
  EXPECT_EQ(full.back(), "done");
  std::string text = DumpState({100});
  EXPECT_NE(text.find("\n0x40001000\n0x1000\n"), std::string::npos);  // reads RFPOWER STRENGTH, sets RFPOWER
  EXPECT_NE(text.find("\nptt_type=0x1\n"), std::string::npos);
  // The field head alone: 1..10 W everywhere.
  std::vector<std::string> head = lines(DumpState({10}));
  EXPECT_EQ(head[6], "1800000.000000 54000000.000000 0x20020002f 1000 10000 0x3 0x80000000");
  EXPECT_EQ(head[8], "430000000.000000 450000000.000000 0x20020002f 1000 10000 0x3 0x80000000");

  Bench bench(true);
  Tcp::Handle client = bench.Connect();
  EXPECT_EQ(bench.Exchange(client, "\\dump_state\n"), text);
  // The extended form: the numeric part only, then RPRT 0.
  std::string extended = bench.Exchange(client, "+\\dump_state\n");
  EXPECT_EQ(extended, "dump_state:\n" + text.substr(0, text.find("vfo_ops=")) + "RPRT 0\n");
  EXPECT_EQ(bench.link.TakeSent(), "");
}

TEST(RigctldCommands, ParseLineReadsPrefixesNamesAndArguments) {
  Request plain = ParseLine("  F   14250000 ");
  ASSERT_NE(plain.command, nullptr);
  EXPECT_EQ(plain.separator, 0);
  EXPECT_EQ(plain.args, std::vector<std::string>{"14250000"});
  EXPECT_EQ(ParseLine("+\\set_mode USB 2400").separator, '\n');
  EXPECT_EQ(ParseLine("|m").separator, '|');
  EXPECT_EQ(ParseLine("\\set_mode USB 2400").args.size(), 2u);
  EXPECT_TRUE(ParseLine("").ignored);
  EXPECT_TRUE(ParseLine("#f").ignored);
  EXPECT_EQ(ParseLine("\\get_freq").command, ParseLine("f").command);
  EXPECT_EQ(ParseLine("\\get_fre").error, -1);
  EXPECT_EQ(ParseLine("\\get_freqq").error, -1);
  EXPECT_EQ(ParseLine("\\").error, -1);
  EXPECT_EQ(ParseLine("?").error, -1);
  EXPECT_EQ(ParseLine("\\get_rit").error, -11);
  EXPECT_EQ(ParseLine("M").error, -1);
}

}  // namespace
}  // namespace kelvaro::rigctld
