#include "radio.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "log_line.h"

namespace ftx1sim {
namespace {

// Splits answers after each ";".
std::vector<std::string> Answers(const std::string& bytes) {
  std::vector<std::string> out;
  std::string current;
  for (char c : bytes) {
    current += c;
    if (c == ';') {
      out.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

// The three digits a reader cuts after a three-character code.
int Reading(const std::string& answer) { return std::stoi(answer.substr(3, 3)); }

TEST(RadioReplies, EveryQueryHasTheFormReadersCutFrom) {
  Radio radio;
  const std::vector<std::pair<std::string, std::string>> cases = {
      // The panel's own queries.
      {"ID;", "ID0840;"},             {"FA;", "FA\\d{9};"},          {"FB;", "FB\\d{9};"},
      {"SM0;", "SM0\\d{3};"},         {"RM4;", "RM4\\d{3};"},        {"RM6;", "RM6\\d{3};"},
      {"AG0;", "AG0\\d{3};"},         {"ML0;", "ML0\\d{3};"},          {"ML1;", "ML1\\d{3};"},
      {"PC;", "PC2\\d{3};"},          {"PR0;", "PR0[12];"},          {"AC;", "AC\\d{3};"},
      {"VX;", "VX[01];"},             {"BI;", "BI[01];"},            {"GT0;", "GT0[0-6];"},
      {"SQ0;", "SQ0\\d{3};"},         {"KS;", "KS\\d{3};"},          {"MG;", "MG\\d{3};"},
      {"PL;", "PL\\d{3};"},           {"EX010316;", "EX010316\\d{4};"}, {"EX010319;", "EX010319\\d{4};"},
      {"EX030704;", "EX030704[01];"}, {"EX030705;", "EX030705\\d{3};"},
      // What other CAT programs ask when they connect, and the rest of the settings.
      {"AI;", "AI0;"},                {"FT;", "FT0;"},               {"MD0;", "MD01;"},
      {"SH0;", "SH00\\d{2};"},        {"PS;", "PS1;"},               {"TX;", "TX0;"},
      {"VS;", "VS0;"},                {"ST;", "ST0;"},               {"NA0;", "NA0[01];"},
      {"IF;", "IF000007100000\\+000000100000;"},
      {"RG0;", "RG0\\d{3};"},         {"RA0;", "RA0[01];"},          {"NL0;", "NL0\\d{3};"},
      {"RL0;", "RL0\\d{2};"},         {"BC0;", "BC0[01];"},          {"CO00;", "CO00\\d{4};"},
      {"CO01;", "CO01\\d{4};"},       {"PA0;", "PA0[0-2];"},         {"PA1;", "PA1[01];"},
      {"PA2;", "PA2[01];"},           {"CN00;", "CN00\\d{3};"},      {"CN01;", "CN01\\d{3};"},
      {"CT0;", "CT0[0-3];"},          {"OS0;", "OS0[0-2];"},         {"NB0;", "NB0[01];"},
      {"NR0;", "NR0[01];"},           {"PR1;", "PR1[12];"},          {"MD1;", "MD11;"},
      {"VM0;", "VM000;"},
  };
  for (const auto& [query, form] : cases)
    EXPECT_TRUE(std::regex_match(radio.Feed(query), std::regex(form))) << query << " -> " << radio.Feed(query);
  EXPECT_EQ(radio.Feed("RM1;RM2;RM3;RM5;RM7;RM8;").size(), 6u * 7u);
}

TEST(RadioState, EverySettingIsSeenByTheNextQuery) {
  // All set commands arrive in one read: none of them answers, and none
  // disturbs another.
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"FA014250000", "FA", "FA014250000;"}, {"FB007050000", "FB", "FB007050000;"},
      {"MD0H", "MD0", "MD0H;"},               {"MD13", "MD1", "MD13;"},
      {"ST1", "FT", "FT1;"},                  {"TX1", "TX", "TX1;"},
      {"PC2050", "PC", "PC2050;"},             {"AG0123", "AG0", "AG0123;"},
      {"RG0200", "RG0", "RG0200;"},           {"SQ0008", "SQ0", "SQ0008;"},
      {"ML0070", "ML0", "ML0070;"},               {"ML1020", "ML1", "ML1020;"},
      {"GT04", "GT0", "GT05;"},               {"PA02", "PA0", "PA02;"},
      {"PA11", "PA1", "PA11;"},               {"PA21", "PA2", "PA21;"},
      {"RA01", "RA0", "RA01;"},               {"NL0005", "NL0", "NL0005;"},
      {"RL010", "RL0", "RL010;"},             {"BC01", "BC0", "BC01;"},
      {"CO000001", "CO00", "CO000001;"},       {"CO010010", "CO01", "CO010010;"},
      {"PR02", "PR0", "PR02;"},               {"PL050", "PL", "PL050;"},
      {"VX1", "VX", "VX1;"},                  {"BI1", "BI", "BI1;"},
      {"KS015", "KS", "KS015;"},              {"MG077", "MG", "MG077;"},
      {"AC100", "AC", "AC100;"},              {"EX0307041", "EX030704", "EX0307041;"},
      {"EX030705005", "EX030705", "EX030705005;"}, {"EX0103180012", "EX010318", "EX0103180012;"},
      {"EX0103190152", "EX010319", "EX0103190152;"}, {"CN00012", "CN00", "CN00012;"},
      {"CN01023", "CN01", "CN01023;"},        {"CT03", "CT0", "CT03;"},
      {"OS02", "OS0", "OS02;"},               {"VS1", "VS", "VS1;"},
      {"NA01", "NA0", "NA01;"},               {"SH0009", "SH0", "SH0009;"},
      {"AI1", "AI", "AI1;"},                  {"NB01", "NB0", "NB01;"},
  };
  Radio radio;
  std::string sets;
  for (const auto& c : cases) sets += std::get<0>(c) + ";";
  EXPECT_EQ(radio.Feed(sets), "");
  for (const auto& [set, query, expected] : cases) EXPECT_EQ(radio.Feed(query + ";"), expected) << set;
  // Turned off again.
  radio.Feed("ML0000;TX0;ST0;CO000000;AC101;PR01;");
  EXPECT_EQ(radio.Feed("ML0;TX;ST;CO00;AC;PR0;"), "ML0000;TX0;ST0;CO000000;AC101;PR01;");
  EXPECT_EQ(radio.Refusals(), 0);
}

TEST(RadioState, BandKeyAndVfoCommandsMoveFrequencyAndMode) {
  Radio radio;
  radio.Feed("FA014074000;MD02;BS003;");
  EXPECT_EQ(radio.Feed("FA;MD0;"), "FA007100000;MD01;") << "first visit: the band's starting point";
  radio.Feed("FA007074000;BS005;");
  EXPECT_EQ(radio.Feed("FA;MD0;"), "FA014074000;MD02;") << "back: where the band was left";
  radio.Feed("BS003;");
  EXPECT_EQ(radio.Feed("FA;"), "FA007074000;");
  radio.Feed("BS014;");
  EXPECT_EQ(radio.Feed("FA;MD0;"), "FA433000000;MD04;");
  radio.Feed("BS011;");
  EXPECT_EQ(radio.Feed("FA;"), "FA009670000;");

  radio.Feed("FA014250000;MD03;FB007100000;MD11;SV;");
  EXPECT_EQ(radio.Feed("FA;FB;MD0;MD1;"), "FA007100000;FB014250000;MD01;MD13;");
  radio.Feed("FT3;");
  EXPECT_EQ(radio.Feed("ST;"), "ST1;");
  radio.Feed("FT2;");
  EXPECT_EQ(radio.Feed("FT;"), "FT0;");
}

TEST(RadioState, PowerFollowsThePowerClass) {
  Radio hundred;
  EXPECT_EQ(hundred.Feed("PC;"), "PC2100;");
  hundred.Feed("PC2003;");
  EXPECT_EQ(hundred.Feed("PC;"), "PC2005;") << "held at the amplifier's minimum";
  hundred.Feed("FA145000000;PC2100;");
  EXPECT_EQ(hundred.Feed("PC;"), "PC2050;") << "50 W on 2 m";
  hundred.Feed("FA014000000;PC2080;");
  EXPECT_EQ(hundred.Feed("PC;"), "PC2080;");

  Radio ten(Options{.powerClass = 10});
  EXPECT_EQ(ten.Feed("PC;"), "PC1010;");
  ten.Feed("PC1005;");
  EXPECT_EQ(ten.Feed("PC;"), "PC1005;");
  ten.Feed("PC1050;");
  EXPECT_EQ(ten.Feed("PC;"), "PC1010;");
  ten.Feed("PC10.5;");
  EXPECT_EQ(ten.Feed("PC;"), "PC10.5;");
  // Without the head digit, or with the other head's, nothing changes.
  EXPECT_EQ(ten.Feed("PC005;PC2005;PC;"), "?;?;PC10.5;");
  EXPECT_EQ(hundred.Feed("PC050;PC1050;PC20.5;"), "?;?;?;");
  EXPECT_EQ(hundred.Refusals(), 3);
  EXPECT_EQ(hundred.LastRefused(), "PC20.5;");
  // The amplifier's power cap is a menu of the amplifier alone.
  EXPECT_EQ(ten.Feed("EX030705;EX030705050;"), "?;?;");
  EXPECT_EQ(hundred.Feed("EX030705;"), "EX030705100;");
  EXPECT_EQ(ten.Feed("AC103;AC;"), "AC000;") << "no tuner without the amplifier";
  EXPECT_FALSE(ten.Tuning());

  Radio battery(Options{.powerClass = 6});
  battery.Feed("PC1050;");
  EXPECT_EQ(battery.Feed("PC;"), "PC1006;");
}

TEST(RadioInput, JunkGetsAQuestionMarkAndNothingChanges) {
  Radio radio;
  const std::vector<std::string> junk = {
      "XX;",          "F;",           "fa;",          "FA12;",        "FA1234567890;", "FA999999999;",
      "FA000010000;", "MD0Z;",        "MD2;",         "MD022;",       "AG0256;",       "AG012;",
      "AG1;",         "KS003;",       "KS061;",       "ID0840;",      "SM2;",          "RM9;",
      "RM;",          "PA03;",        "PA12;",        "PA3;",         "EX12;",         "EX0307042;",
      "EX03070401;",  "EX01031800120;", "EX123456123456789;", "CN00050;", "CN01104;", "CN02;",
      "BS015;",       "BS100;",       "BS;",          "CO011;",       "CO013201;",     "CO004;",
      "CO00002;",     "AC1;",         "AC203;",       "AC114;",       "PC12;",         "PC3050;",
      "SH024;",       "SH1;",         "TX3;",         "ST2;",         "SV1;",          "PS2;",
      "IF1;",         "ZI2;",         "ML02;",        "ML0101;",      "GT05;",         "SQ0A00;",
      // The forms of other radios, which the FTX-1 refuses.
      "ML00;",        "ML01;",        "ZI;",          "PR00;",        "SH014;",        "BS016;",
      "CO00001;",     "EX0860;",      "EX0863;",      "PC050;",       "VM001;",        "CT04;",
  };
  for (const std::string& command : junk) EXPECT_EQ(radio.Feed(command), "?;") << command;
  EXPECT_EQ(radio.Feed("FA;MD0;AG0;KS;PA0;EX030704;"), "FA007100000;MD01;AG0040;KS020;PA01;EX0307040;");
  // A run of bytes far longer than any command is one "?;" at its end.
  EXPECT_EQ(radio.Feed(std::string(500, 'Z')), "");
  EXPECT_EQ(radio.Feed(";ID;"), "?;ID0840;");
  // Empty commands, line ends and our own "?;" coming back are no commands.
  EXPECT_EQ(radio.Feed(";;\r\n;?;"), "");
  EXPECT_EQ(radio.Feed("\r\nID;\r\n FA;"), "ID0840;FA007100000;");
}

TEST(RadioInput, CommandsSplitAnywhereOrJoinedGiveTheSameAnswers) {
  const std::string stream = "ID;FA014250000;FA;SM0;TX1;RM6;RM4;TX0;PC;EX030704;junk;AG0;FB;MD0;";
  Radio whole(Options{.seed = 7});
  std::string joined = whole.Feed(stream);
  Radio pieces(Options{.seed = 7});
  std::string split;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    std::string part = pieces.Feed(stream.substr(i, 1));
    // Nothing comes back before the ";" that ends a command.
    if (stream[i] != ';') {
      EXPECT_EQ(part, "") << "byte " << i;
    }
    split += part;
  }
  EXPECT_EQ(split, joined);
  EXPECT_EQ(Answers(joined).size(), 11u);
  EXPECT_EQ(Answers(joined)[0], "ID0840;");
  EXPECT_EQ(Answers(joined)[1], "FA014250000;");

  std::vector<std::string> seen;
  Radio observed;
  observed.SetCommandObserver([&](std::string_view c) { seen.emplace_back(c); });
  observed.Feed("F");
  observed.Feed("A;\r\nID");
  observed.Feed(";;");
  EXPECT_EQ(seen, (std::vector<std::string>{"FA;", "ID;", ";"}));
}

TEST(RadioOptions, IdentitySilenceGarblingAndPowerSwitch) {
  EXPECT_EQ(Radio(Options{.id = 650}).Feed("ID;"), "ID0650;");

  Radio silent(Options{.silent = true});
  EXPECT_EQ(silent.Feed("ID;FA014250000;FA;junk;"), "");
  EXPECT_EQ(silent.state().vfoHz[0], 14250000) << "set commands still act";

  // Garbling: deterministic for a seed, about the share asked for, and a
  // garbled answer is never the true one.
  auto run = [](double share, std::uint64_t seed) {
    Radio radio(Options{.garble = share, .seed = seed});
    return Answers(radio.Feed([] {
      std::string s;
      for (int i = 0; i < 200; ++i) s += "ID;";
      return s;
    }()));
  };
  EXPECT_EQ(run(0.3, 5), run(0.3, 5));
  Radio every(Options{.garble = 1.0, .seed = 3});
  for (int i = 0; i < 100; ++i) EXPECT_NE(every.Feed("ID;"), "ID0840;");
  std::string joined;
  for (const auto& a : run(0.3, 11)) joined += a;
  std::size_t intact = 0;
  for (std::size_t at = joined.find("ID0840;"); at != std::string::npos; at = joined.find("ID0840;", at + 1))
    ++intact;
  EXPECT_GT(intact, 100u);
  EXPECT_LT(intact, 180u);
  EXPECT_EQ(run(0.0, 11).size(), 200u);

  Radio radio;
  radio.Feed("FA014250000;PS0;");
  EXPECT_EQ(radio.Feed("ID;FA;PS;FA007000000;"), "") << "switched off";
  radio.Feed("PS1;");
  EXPECT_EQ(radio.Feed("FA;PS;"), "FA014250000;PS1;");
}

TEST(RadioMeters, SMeterFollowsBandAndReceiverSettings) {
  auto average = [](Radio& radio, int count) {
    int sum = 0;
    for (int i = 0; i < count; ++i) {
      int r = Reading(radio.Feed("SM0;"));
      EXPECT_GE(r, 0);
      EXPECT_LE(r, 255);
      sum += r;
    }
    return sum / count;
  };
  Radio radio;
  radio.Feed("FA001840000;PA00;");
  int topBand = average(radio, 50);
  radio.Feed("FA028500000;");
  int tenMetres = average(radio, 50);
  EXPECT_GT(topBand, tenMetres + 20) << "more band noise low down";
  EXPECT_LT(topBand, 110) << "band noise stays below S8";
  radio.Feed("FA001840000;RA01;");
  EXPECT_LT(average(radio, 50), topBand - 10) << "the attenuator lowers the reading";

  // Signals come and go as the time passes.
  Radio moving;
  moving.Feed("FA014074000;");
  std::set<int> readings;
  for (int second = 0; second < 120; ++second) {
    moving.Advance(1000);
    readings.insert(Reading(moving.Feed("SM0;")));
  }
  EXPECT_GT(*readings.rbegin(), 68) << "at least one station above S4 in two minutes";
  EXPECT_LT(*readings.begin(), 50);

  // The operator's fixed signal is read exactly; transmitting mutes the meter.
  radio.Control("signal 157");
  EXPECT_EQ(radio.Feed("SM0;SM0;"), "SM0157;SM0157;");
  radio.Control("signal S9+20");
  EXPECT_EQ(Reading(radio.Feed("SM0;")), 187);
  radio.Feed("TX1;");
  EXPECT_EQ(radio.Feed("SM0;"), "SM0000;");
  radio.Feed("TX0;");
  radio.Control("signal off");
  EXPECT_NE(radio.Feed("SM0;"), "SM0187;");
}

TEST(RadioMeters, TransmitMetersAndTheTunerRun) {
  Radio radio;
  radio.Feed("FA014150000;");
  EXPECT_EQ(radio.Feed("RM6;RM4;"), "RM6000;RM4000;") << "nothing while receiving";
  radio.Feed("TX1;");
  int resonant = Reading(radio.Feed("RM6;"));
  radio.Feed("FA014350000;");
  int bandEdge = Reading(radio.Feed("RM6;"));
  EXPECT_LT(resonant, 85) << "below 1.5:1 at resonance";
  EXPECT_GT(bandEdge, 160) << "above 3:1 at the band edge";
  std::set<int> alc;
  for (int i = 0; i < 20; ++i) {
    int r = Reading(radio.Feed("RM4;"));
    EXPECT_GT(r, 0);
    alc.insert(r);
  }
  EXPECT_GT(alc.size(), 3u) << "the mic level moves";
  radio.Feed("TX0;");

  // The tuner run transmits for a few seconds of model time and then matches.
  radio.Feed("AC101;AC103;");
  EXPECT_TRUE(radio.Tuning());
  EXPECT_EQ(radio.Feed("AC;TX;"), "AC103;TX1;");
  EXPECT_GT(Reading(radio.Feed("RM6;")), 0);
  radio.Advance(1500);
  EXPECT_TRUE(radio.Tuning());
  radio.Advance(2000);
  EXPECT_EQ(radio.Feed("AC;TX;RM6;"), "AC101;TX0;RM6000;");
  radio.Feed("TX1;");
  int tuned = Reading(radio.Feed("RM6;"));
  EXPECT_LT(tuned, 71) << "below 1.3:1 after the tuner";
  EXPECT_LT(radio.SwrRatio(), 1.5);
  // Far from where it was tuned, the antenna's own mismatch is back.
  radio.Feed("FA014000000;");
  EXPECT_GT(Reading(radio.Feed("RM6;")), 120);
  radio.Feed("FA014350000;AC100;");
  EXPECT_GT(Reading(radio.Feed("RM6;")), 160) << "tuner out of line";
}

TEST(RadioControl, OperatorAndWorldLines) {
  Radio radio;
  EXPECT_EQ(radio.Control("dial +1000"), "VFO A 7.101000 MHz");
  EXPECT_EQ(radio.Feed("FA;"), "FA007101000;");
  radio.Control("dial -500");
  EXPECT_EQ(radio.Feed("FA;"), "FA007100500;");
  EXPECT_NE(radio.Control("dial -8000000").find("out of range"), std::string::npos);
  EXPECT_EQ(radio.Feed("FA;"), "FA007100500;");
  EXPECT_EQ(radio.Control("band 20"), "VFO A 14.200000 MHz USB");
  EXPECT_EQ(radio.Feed("FA;MD0;"), "FA014200000;MD02;");
  radio.Control("band 70cm");
  EXPECT_EQ(radio.Feed("FA;"), "FA433000000;");
  radio.Control("band 2m");
  EXPECT_EQ(radio.Feed("FA;"), "FA145000000;");
  radio.Control("mode C4FM");
  EXPECT_EQ(radio.Feed("MD0;"), "MD0H;");
  radio.Control("mode fm-n");
  EXPECT_EQ(radio.Feed("MD0;"), "MD0B;");
  radio.Control("mode 3");
  EXPECT_EQ(radio.Feed("MD0;"), "MD03;");
  radio.Control("ptt on");
  EXPECT_EQ(radio.Feed("TX;"), "TX1;");
  EXPECT_GT(Reading(radio.Feed("RM4;")), 0);
  radio.Control("ptt off");
  radio.Control("power off");
  EXPECT_EQ(radio.Feed("ID;"), "");
  radio.Control("power on");
  EXPECT_EQ(radio.Feed("ID;"), "ID0840;");
  EXPECT_NE(radio.Control("state").find("VFO A 145.000000 MHz CW-U"), std::string::npos);
  for (const char* bad : {"dial", "dial ten", "band 11", "mode XYZ", "signal 300", "signal S9+x", "ptt maybe",
                          "jump", "state now"}) {
    std::string answer = radio.Control(bad);
    EXPECT_TRUE(answer.rfind("usage:", 0) == 0 || answer.rfind("unknown:", 0) == 0) << bad << " -> " << answer;
  }
  EXPECT_EQ(radio.Feed("FA;MD0;"), "FA145000000;MD03;");
}

TEST(RadioInput, ReceivingOnlyCutsCommandsHandlingCarriesThemOut) {
  Radio radio;
  std::vector<std::string> seen;
  radio.SetCommandObserver([&](std::string_view c) { seen.emplace_back(c); });
  auto commands = radio.Receive(" FA014250000;FA;" + std::string(80, 'Z') + ";ID");
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(seen, (std::vector<std::string>{"FA014250000;", "FA;", std::string(64, 'Z') + "...;"}));
  EXPECT_EQ(radio.state().vfoHz[0], 7100000) << "nothing is carried out on receipt";
  EXPECT_EQ(radio.Handle(commands[0]), "");
  EXPECT_EQ(radio.Handle(commands[1]), "FA014250000;");
  EXPECT_EQ(radio.Handle(commands[2]), "?;");
  EXPECT_EQ(radio.Feed(";"), "ID0840;") << "the unfinished command was kept";
}

TEST(RadioAutoInformation, FrequencyChangesOfVfoAAreSentWhileOn) {
  Radio radio;
  struct Step {
    bool control;            // a control line, else CAT bytes
    std::string text;
    std::string answer;      // Feed's answer (CAT only)
    std::string unsolicited;
  };
  const std::vector<Step> steps = {
      {false, "AI;", "AI0;", ""},
      {true, "dial +100", "", ""},  // off: nothing
      {false, "AI1;", "", ""},
      {false, "AI;", "AI1;", ""},
      {true, "dial +100", "", "FA007100200;"},
      {true, "dial -50", "", "FA007100150;"},
      {true, "band 20", "", "FA014200000;"},
      {false, "FA014250000;", "", "FA014250000;"},
      {false, "FA014250000;FA;", "FA014250000;", ""},  // the same frequency is no change
      {true, "mode CW", "", ""},
      {true, "dial -9000000000", "", ""},  // refused
      {false, "BS003;", "", "FA007100150;"},
      {false, "FB003500000;SV;", "", "FA003500000;"},
      {false, "VS1;", "", ""},
      {true, "dial +100", "", ""},  // VFO B
      {false, "VS0;PS0;", "", ""},
      {true, "dial +100", "", ""},  // switched off
      {false, "PS1;", "", ""},
      {false, "FA014000000;FA014001000;", "", "FA014000000;FA014001000;"},
      {false, "AI0;", "", ""},
      {true, "dial +100", "", ""},
      {false, "FA014250000;AI2;", "?;", ""},
  };
  for (const Step& step : steps) {
    if (step.control) radio.Control(step.text);
    else EXPECT_EQ(radio.Feed(step.text), step.answer) << step.text;
    EXPECT_EQ(radio.TakeUnsolicited(), step.unsolicited) << step.text;
  }
  EXPECT_EQ(radio.TakeUnsolicited(), "") << "taking empties it";

  // Nobody collecting: only the latest are kept.
  radio.Feed("AI1;");
  for (int i = 0; i < 100; ++i) radio.Control("dial +1");
  std::string kept = radio.TakeUnsolicited();
  EXPECT_EQ(Answers(kept).size(), 64u);
  EXPECT_EQ(Answers(kept).back(), "FA014250100;");
}

TEST(RadioMenus, SixDigitMenusOnly) {
  Radio radio;
  EXPECT_EQ(radio.Feed("EX123456;"), "?;") << "never written";
  radio.Feed("EX12345678;");
  EXPECT_EQ(radio.Feed("EX123456;"), "EX12345678;");
  // Three-digit menu numbers are another model's.
  EXPECT_EQ(radio.Feed("EX0863;EX0860;EX086;"), "?;?;?;");
  radio.Feed("EX030705050;");
  EXPECT_EQ(radio.Feed("EX030705;"), "EX030705050;");
  EXPECT_EQ(radio.Feed("EX030705004;"), "?;") << "the cap is 5..100 W";
}

TEST(RadioModes, MemoryChannelModeHeadAndAgcAsTheControlsSetThem) {
  Radio radio(Options{.memoryMode = true, .agcAuto = true});
  EXPECT_EQ(radio.Feed("VM0;GT0;"), "VM011;GT05;");
  EXPECT_EQ(radio.Feed("FA014250000;FB014250000;"), "?;") << "a memory channel takes no frequency";
  radio.Feed("VM000;FA014250000;");
  EXPECT_EQ(radio.Feed("VM0;FA;"), "VM000;FA014250000;");
  EXPECT_EQ(radio.Control("memory on"), "memory-channel mode");
  EXPECT_EQ(radio.Feed("FA007100000;FA;"), "?;FA014250000;");
  EXPECT_EQ(radio.Control("agc fast"), "agc fast");
  EXPECT_EQ(radio.Feed("GT0;"), "GT01;");
  EXPECT_EQ(radio.Control("head field"), "field head");
  EXPECT_EQ(radio.Feed("PC;AC;"), "PC1010;AC000;");
  EXPECT_EQ(radio.Control("head spa1"), "SPA-1 amplifier");
  EXPECT_EQ(radio.Feed("PC;"), "PC2010;");
  EXPECT_EQ(radio.Control("refusals"), "refusals 2, last FA007100000;");
  EXPECT_EQ(radio.Control("head none").rfind("usage:", 0), 0u);
}

TEST(LogLineFormat, TimeStampThenTheCommandWithUnprintableBytesEscaped) {
  auto when = std::chrono::system_clock::now();
  std::string line = LogLine(when, "FA;");
  EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{2}:\d{2}:\d{2}\.\d{3} FA;)"))) << line;
  EXPECT_EQ(LogLine(when, std::string("F\nA\x01\\;", 6)).substr(13), "F\\x0AA\\x01\\x5C;");
}

}  // namespace
}  // namespace ftx1sim
