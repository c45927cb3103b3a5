#include "app/identify.h"

#include <gtest/gtest.h>

#include "app/identified_test_panel.h"
#include "state/radio_tables.h"

namespace kelvaro {
namespace {

using testing::Identified;
using testing::Strings;

TEST(Identification, FactoryStartOn40mSendsTheSetUpInOrder) {
  Identified t;
  t.Start();
  const PanelState& s = t.panel.state;
  EXPECT_FALSE(t.panel.processEnded);
  EXPECT_EQ(t.TakeSent(), (Strings{"ID;", "VM0;", "EX0307040;", "PC;", "EX030705100;", "BS003;",
                                   "FA007100000;", "MD01;", "NA00;", "FA007100000;", "SH0014;", "RA00;",
                                   "NL0000;", "CO000000;", "GT0;", "PC2050;", "AG0;", "ML0;", "ML1;",
                                   "PR0;", "AC;", "AC101;", "VX;", "BI;"}));
  EXPECT_EQ(t.radio.Refusals(), 0);
  EXPECT_EQ(s.cat.radioId, 840);
  EXPECT_EQ(s.radio.radioMode, kLsb);
  EXPECT_EQ(s.radio.agcIndex, 2);
  EXPECT_EQ(s.radio.afGain, t.radio.state().afGain);
  EXPECT_EQ(s.radio.monitorLevel, t.radio.state().monitorLevel[1]);
  EXPECT_FALSE(s.radio.monitorOn);  // "ML0050": a level, not the switch
  EXPECT_EQ(s.cat.powerClass, 1);
  EXPECT_EQ(s.config.powerSetting, 50);
  EXPECT_EQ(s.radio.preampSetting, 0);
  EXPECT_EQ(s.radio.toneCode, "999");
  // Only the band is spoken; no query waits longer than its answer takes.
  EXPECT_EQ(t.TakeSpoken(), (Strings{"40", "metres"}));
  EXPECT_TRUE(t.clock.sleeps.empty());
}

TEST(Identification, RepeaterBandRestoresShiftAndTone) {
  Identified t;
  PanelState& s = t.panel.state;
  t.dir.Write("savmem.dat", [] {
    std::string file = "KELVARO v1.0a 3.5a <0\r\n";
    for (int band = 1; band <= kBandCount; ++band) {
      file += std::string(band == kBand2m ? "55A145600000B+00000600012" "1" : BandRow(band)->defaultRecord) +
              "\r\n";
    }
    for (int i = 0; i < kChannelCount; ++i) file += "9\r\n";
    return file;
  }());
  t.Start();
  Strings sent = t.TakeSent();
  auto at = [&](const std::string& c) { return std::find(sent.begin(), sent.end(), c) - sent.begin(); };
  ASSERT_LT(at("EX0103180012;"), static_cast<long>(sent.size()));
  EXPECT_EQ(sent[at("EX0103180012;") + 1], "OS01;");
  EXPECT_LT(at("BS013;"), at("EX0103180012;"));
  EXPECT_LT(at("EX0103180012;"), at("CN00012;"));
  EXPECT_EQ(sent[at("CN00012;") + 1], "CT01;");
  EXPECT_EQ(s.radio.repeaterOn, RepeaterState::kOn);
  EXPECT_EQ(s.config.currentShiftSign[kBand2m], "+");
  EXPECT_EQ(s.config.currentShiftKhz[kBand2m], "0600");
  EXPECT_TRUE(s.entry.toneActive);
  EXPECT_EQ(s.radio.preampSetting, 1);
  EXPECT_EQ(t.radio.state().shift, 1);
}

TEST(Identification, TheHeadSetsThePowerFormAndRange) {
  // The field head: no amplifier cap, the power in its own form and range,
  // no tuner. 2 m keeps the radio's own power, as it reports it.
  ftx1sim::Options field;
  field.powerClass = 10;
  Identified t(field);
  t.Start();
  const PanelState& s = t.panel.state;
  EXPECT_EQ(s.cat.powerClass, 0);
  EXPECT_EQ(s.config.powerSetting, 10);  // the configured 50 W held at the head's 10
  Strings sent = t.TakeSent();
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& c) { return c.rfind("EX030705", 0) == 0; }), 0);
  EXPECT_NE(std::find(sent.begin(), sent.end(), "PC1010;"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "AC000;"), sent.end());
  EXPECT_EQ(t.radio.Refusals(), 0);

  Identified vhf;
  vhf.radio.Feed("PC2035;");
  InitialisePanel(vhf.panel);
  vhf.panel.state.radio.bandIndex = kBand2m;
  IdentifyRadio(vhf.panel);
  EXPECT_EQ(vhf.panel.state.config.powerSetting, 35);
  EXPECT_EQ(vhf.radio.Refusals(), 0);
}

TEST(Identification, MemoryModeAutoAgcAndTheProcessorAsTheRadioSaysThem) {
  ftx1sim::Options options;
  options.memoryMode = true;
  options.agcAuto = true;
  Identified t(options);
  t.radio.Feed("PR02;");
  t.Start();
  Strings sent = t.TakeSent();
  auto at = [&](const std::string& c) { return std::find(sent.begin(), sent.end(), c) - sent.begin(); };
  // Back to VFO mode before the first frequency, which the radio then takes.
  EXPECT_LT(at("VM000;"), at("FA007100000;"));
  EXPECT_EQ(t.radio.Refusals(), 0);
  EXPECT_EQ(t.radio.state().memoryMode, 0);
  EXPECT_EQ(t.panel.state.radio.agcIndex, 4);  // "GT05": auto, not forced to mid
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "GT02;"), 0);
  EXPECT_TRUE(t.panel.state.radio.processorOn);
}

TEST(Identification, OddAnswersGetTheDefaults) {
  Identified odd;  // answers that are missing or out of range get the defaults
  odd.ports.SetResponder(5, [&odd](std::string_view bytes) -> std::string {
    if (bytes == "VX;") return "VX2;";
    if (bytes == "GT0;" || bytes == "AG0;") return "";
    if (bytes == "BI;") return "BIx;";
    return odd.radio.Feed(bytes);
  });
  odd.panel.state.radio.voxOn = false;
  odd.Start();
  Strings sent = odd.TakeSent();
  EXPECT_FALSE(odd.panel.state.radio.voxOn);
  EXPECT_FALSE(odd.panel.state.radio.breakInOn);
  EXPECT_EQ(odd.panel.state.radio.agcIndex, 2);
  EXPECT_EQ(odd.panel.state.radio.afGain, 30);
  EXPECT_NE(std::find(sent.begin(), sent.end(), "GT02;"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "AG0030;"), sent.end());
}

TEST(Identification, RefusalOfAnotherModelAndOfSilence) {
  ftx1sim::Options other;
  other.id = 650;
  Identified t(other);
  t.Start();
  EXPECT_TRUE(t.panel.processEnded);
  EXPECT_EQ(t.panel.state.cat.radioId, 650);
  EXPECT_EQ(t.TakeSent(), Strings{"ID;"});
  EXPECT_EQ(t.TakeSpoken(), (Strings{"rnftx.wav"}));

  ftx1sim::Options silent;
  silent.silent = true;
  Identified quiet(silent);
  quiet.panel.state.config.powerOffAtExit = 1;
  quiet.Start();
  EXPECT_TRUE(quiet.panel.processEnded);
  EXPECT_EQ(quiet.TakeSent(), (Strings{"ID;", "PS0;"}));
}

TEST(Identification, PassThroughPortOpensWhenConfigured) {
  Identified t;
  t.panel.state.config.passThroughPort = 7;
  t.Start();
  EXPECT_TRUE(t.ports.port(7).open);
  EXPECT_EQ(t.ports.port(7).stopCode, 2);
}

}  // namespace
}  // namespace kelvaro
