// Key sequences typed into the message handler against the in-memory FTX-1:
// the commands sent, the phrases spoken in order, the panel and the records.
#include "keys/key_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "app/identify.h"
#include "app/startup.h"
#include "controls/controls_test_panel.h"
#include "keys/message.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

// A panel started as the program starts it, on the stand-in radio: 40 m, LSB,
// 7.1 MHz, tuner carrier-only, and synchronised with the radio's frequency.
struct KeyPanel : ControlPanel {
  KeyPanel() {
    ports.SetResponder(kPort, [this](std::string_view bytes) {
      std::string answer = radio.Feed(bytes);
      if (answer == "?;") refused.push_back(std::string(bytes));
      return answer;
    });
    PanelState& s = panel.state;
    s.config.baudRate = 38400;
    s.config.powerSetting = 50;
    s.config.dcsEnabled = true;
    s.config.tunerState = TunerUse::kOff;
  }
  // Start-up up to the first frequency answer, or only up to the
  // identification when `sync` is false.
  void Start(bool sync = true) {
    InitialisePanel(panel);
    IdentifyRadio(panel);
    panel.state.entry.runFlag = true;
    if (sync) Ticks(6);
    Clear();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) HandleWindowMessage(panel, {kMsgTimer, 0});
  }
  void Key(int code) {
    HandleWindowMessage(panel, {kMsgKeyDown, code});
    HandleWindowMessage(panel, {kMsgKeyUp, code});
  }
  void Type(std::string_view keys) {
    for (char c : keys) Key(static_cast<unsigned char>(c));
  }
  // Picks a band at the band prompt and lets the radio's answers come in.
  void GoToBand(char key) {
    Type(std::string("B") + key);
    Ticks(6);
    Clear();
  }
  PanelState& s() { return panel.state; }

  ftx1sim::Radio radio;
  Strings refused;
};

TEST(KeyGates, HoldingAKeyGivesOneActionUntilItsKeyUp) {
  KeyPanel t;
  t.Start();
  HandleWindowMessage(t.panel, {kMsgKeyDown, vk::kUp});
  HandleWindowMessage(t.panel, {kMsgKeyDown, vk::kUp});  // auto-repeat
  HandleWindowMessage(t.panel, {kMsgKeyDown, 'M'});      // a second key, still held
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007101000;"}));
  HandleWindowMessage(t.panel, {kMsgKeyUp, vk::kUp});
  t.Key(vk::kUp);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007102000;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(KeyGates, QuitBeforeTheRadioAnsweredEndsAtOnce) {
  KeyPanel t;
  t.Start(false);
  t.Key('F');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nc"}));
  t.Key('Q');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"quit"}));
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_FALSE(t.s().entry.runFlag);
}

TEST(KeyGates, QuitAfterConnectionEndsOnceTheRadioAnswered) {
  KeyPanel t;
  t.Start();
  t.Key('Q');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"quit"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"TX0;"}));
  EXPECT_EQ(t.s().entry.quitPending, 1);
  EXPECT_TRUE(t.s().entry.runFlag);
  int ticks = 0;
  while (t.s().entry.runFlag && ticks < 20) {
    t.Ticks(1);
    ++ticks;
  }
  EXPECT_FALSE(t.s().entry.runFlag);
  EXPECT_FALSE(t.dir.Read("savmem.dat").empty());
}

TEST(KeyGates, NoKeyButQuitActsBeforeTheFirstFrequencyAnswer) {
  KeyPanel t;
  t.Start(false);
  t.Ticks(2);  // the first answer connects
  ASSERT_EQ(t.s().cat.radioConnected, 1);
  t.s().radio.frequencyHz = 0;  // as before any frequency is known
  t.Clear();
  for (int key : std::initializer_list<int>{'F', 'B', vk::kUp, vk::kF1, 'X', 200}) t.Key(key);
  EXPECT_EQ(t.TakeSpoken(), Strings(6, "nc"));
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
}

TEST(KeyGates, TuneLockLetsOnlySAndTThrough) {
  KeyPanel t;
  t.Start();
  t.s().tick.tuneActive = true;
  t.Type("MQ");
  t.Key(vk::kF1);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ton", "ton", "ton"}));
  EXPECT_TRUE(t.TakeSent().empty());
  t.Key('S');  // the transmit meter while the carrier is on
  EXPECT_EQ(t.TakeSent(), (Strings{"RM6;"}));
  EXPECT_EQ(t.TakeSpoken().front(), "swr");
}

TEST(KeyGates, StaleToneFlagIsClearedByAnyKeyButEnterAndMainDigits) {
  KeyPanel t;
  t.Start();
  for (int key : std::initializer_list<int>{'5', vk::kKeypad0 + 5, 'J'}) {
    t.s().entry.toneActive = true;
    t.s().radio.toneCode = "999";
    t.Key(key);
    // A keypad digit is not yet a digit when the flag is looked at.
    EXPECT_EQ(t.s().entry.toneActive, key == '5' ? 1 : 0) << key;
  }
}

TEST(KeyPrefix, KeysWithoutMeaningAfterXCloseItSilently) {
  KeyPanel t;
  t.Start();
  t.s().entry.entryState = EntryState::kExtendedPrefix;
  t.Key('J');
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
  // Just after an antenna switch a key closes the prefix and keeps its meaning.
  t.s().entry.entryState = EntryState::kExtendedPrefix;
  t.s().banks.bandQuiet = BandQuiet::kAntennaSwitched;
  t.Key('J');
  EXPECT_EQ(t.s().banks.bandQuiet, BandQuiet::kSpeak);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007100000;"}));
}

TEST(KeyPrefix, AntennaTwiceThenSwapAndAgc) {
  KeyPanel t;
  t.Start();
  t.Type("XCC");
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0307041;", "EX0307040;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "ant2", "ant1"}));
  t.Type("S");
  EXPECT_EQ(t.TakeSent(), (Strings{"SV;"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  t.Type("XCA");  // A after the switch closes the prefix: the AF gain
  t.Clear();
  EXPECT_EQ(t.s().entry.entryState, EntryState::kAfGain);
  t.s().radio.agcIndex = 4;
  t.Type("XAA");
  EXPECT_EQ(t.TakeSent(), (Strings{"GT01;", "GT02;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "agc", "fast", "agc", "mid"}));
}

TEST(KeyPrefix, OffsetEntryOnTwoMetres) {
  KeyPanel t;
  t.Start();
  t.GoToBand('T');
  t.Type("XO");
  t.Key(vk::kPlus);
  t.Type("600\r");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "eofs", "plus", "6", "0", "0", "2", "metres", "ofs",
                                     "plus", "6", "0", "0", "khz"}));
  EXPECT_EQ(t.s().config.standardShiftSign[kBand2m], "+");
  EXPECT_EQ(t.s().config.standardShiftKhz[kBand2m], "0600");
  // After the offset Enter the key goes on and, with no entry left, re-sends.
  EXPECT_EQ(t.TakeSent(), (Strings{"FA145000000;"}));
  t.Type("XO\r");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "eofs", "2", "metres", "std", "plus", "6", "0", "0",
                                     "khz"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"FA145000000;"}));
  t.Type("XO");
  t.Key(vk::kMinus);
  t.Type("6\r");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"extcm", "on", "eofs", "minus", "6", "ofs", "invalid"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(KeySettings, MonitorNotchAndFrontEndKeysGoOnToReSendTheFrequency) {
  KeyPanel t;
  t.Start();
  t.Key(vk::kF9);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"mon", "on"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"ML0050;", "FA007100000;"}));
  EXPECT_EQ(t.s().entry.levelTarget, LevelTarget::kMonitor);
  t.Key(vk::kF9);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"mon", "off"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"ML0000;", "FA007100000;"}));
  EXPECT_EQ(t.s().entry.levelTarget, LevelTarget::kNone);
  t.Key(vk::kF5);
  t.Key(vk::kF5);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"notch", "on", "notch", "off"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"BC01;", "FA007100000;", "BC00;", "FA007100000;"}));
  t.Key(vk::kF2);
  t.Key(vk::kF3);
  t.Key(vk::kF4);
  EXPECT_EQ(t.TakeSent(), (Strings{"RA01;", "FA007100000;", "NL0005;", "FA007100000;", "RL004;",
                                   "FA007100000;"}));
  t.Key(vk::kF8);  // VOX outside CW
  EXPECT_EQ(t.TakeSent().back(), "FA007100000;");
  EXPECT_TRUE(t.s().radio.voxOn);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(KeySettings, PreampWrapsAfterTwoOnHfAndAfterOneOnTwoMetres) {
  KeyPanel t;
  t.Start();
  for (int i = 0; i < 3; ++i) t.Key(vk::kF1);
  EXPECT_EQ(t.TakeSent(), (Strings{"PA01;", "FA007100000;", "PA02;", "FA007100000;", "PA00;",
                                   "FA007100000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"preamp", "1", "on", "preamp", "2", "on", "preamp", "off"}));
  t.GoToBand('T');
  t.Key(vk::kF1);
  t.Key(vk::kF1);
  EXPECT_EQ(t.TakeSent(), (Strings{"PA11;", "FA145000000;", "PA10;", "FA145000000;"}));
}

TEST(KeySettings, ContourProcessorAndBreakInDependOnTheMode) {
  KeyPanel t;
  t.Start();
  t.Key(vk::kF6);  // LSB: contour on, and it stops
  EXPECT_EQ(t.TakeSpoken(), (Strings{"co", "on"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"CO000001;"}));
  EXPECT_EQ(t.s().entry.levelTarget, LevelTarget::kContour);
  t.Key(vk::kF6);
  EXPECT_EQ(t.TakeSent(), (Strings{"CO000000;"}));
  EXPECT_EQ(t.s().entry.levelTarget, LevelTarget::kNone);
  t.Key(vk::kF7);
  EXPECT_EQ(t.TakeSent(), (Strings{"PR02;", "PL;"}));
  t.Key('M');
  t.Key('M');  // CW
  t.Clear();
  t.Key(vk::kF6);
  t.Key(vk::kF7);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"na", "na"}));
  EXPECT_TRUE(t.TakeSent().empty());
  t.Key(vk::kF8);  // break-in in CW
  EXPECT_TRUE(t.s().radio.breakInOn);
  EXPECT_EQ(t.TakeSent().back(), "FA007100000;");
}

TEST(KeySettings, LevelKeyNamesTheLevelTheArrowsWillAdjust) {
  KeyPanel t;
  t.Start();
  t.Key('L');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"lev"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  t.Key(vk::kF3);
  t.Clear();
  t.Key('L');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nb", "lev"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kLevel);
  t.Key(vk::kUp);  // the blanker level; no frequency in this entry
  EXPECT_EQ(t.TakeSent(), (Strings{"NL0006;"}));
}

TEST(KeySettings, OptionsReportNamesWhatIsOn) {
  KeyPanel t;
  t.Start();
  PanelState& s = t.s();
  s.radio.preampSetting = 2;
  s.radio.attenuatorOn = s.radio.blankerOn = s.radio.reductionOn = s.radio.notchOn = s.radio.contourOn = true;
  s.radio.processorOn = s.radio.breakInOn = s.radio.voxOn = s.radio.monitorOn = true;
  s.radio.toneCode = "088";
  s.radio.antennaSelect = 1;
  s.config.tunerState = TunerUse::kBoth;
  t.Key('O');
  EXPECT_EQ(t.TakeSpoken(),
            (Strings{"options", "preamp", "2", "on", "at", "on", "nb", "on", "nr", "on", "notch", "on", "co",
                     "on", "spc", "on", "vox", "on", "mon", "on", "ctcss", "0", "8", "8", "ant2", "tuner", "is",
                     "both"}));
  EXPECT_TRUE(t.TakeSent().empty());
  s.radio.preampSetting = s.radio.attenuatorOn = s.radio.blankerOn = s.radio.reductionOn = s.radio.notchOn =
      s.radio.contourOn = false;
  s.radio.processorOn = s.radio.voxOn = s.radio.monitorOn = false;
  s.radio.antennaSelect = 0;
  s.radio.radioMode = kCw;
  s.radio.toneCode = "754";
  s.config.tunerState = TunerUse::kNone;
  t.Key('O');
  EXPECT_EQ(t.TakeSpoken(),
            (Strings{"options", "bkin", "on", "dcs", "7", "5", "4", "ant1", "tuner", "is"}));
  // A tone being typed is read back as typed so far.
  const struct {
    const char* typed;
    Strings tone;
  } kTyped[] = {
      {"", {"ctcss"}},
      {"12", {"ctcss", "1", "2"}},
      {"5", {"dcs", "5"}},
      {"1234", {"ctcss", "1", "2", "3", "4"}},
  };
  for (const auto& c : kTyped) {
    s.radio.toneCode = c.typed;
    s.config.tunerState = TunerUse::kOn;
    t.Key('O');
    Strings expected{"options", "bkin", "on"};
    expected.insert(expected.end(), c.tone.begin(), c.tone.end());
    expected.insert(expected.end(), {"ant1", "tuner", "is", "on"});
    EXPECT_EQ(t.TakeSpoken(), expected) << c.typed;
  }
}

TEST(KeySettings, OptionsReportReadsATypedToneAsTyped) {
  KeyPanel t;
  t.Start();
  t.GoToBand('T');  // 2 m FM, where I opens the tone entry
  t.Type("I12");
  t.Clear();
  t.Key('O');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"options", "ctcss", "1", "2", "ant1", "tuner", "is", "off"}));
}

TEST(KeyBands, BandPromptLettersAndDigits) {
  KeyPanel t;
  t.Start();
  t.Key('B');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"band", "40", "metres"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kBandPrompt);
  t.Key(vk::kKeypad0 + 2);  // the keypad 2: 80 m
  EXPECT_EQ(t.s().radio.bandIndex, kBand80m);
  EXPECT_EQ(t.TakeSent().front(), "BS001;");
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  t.GoToBand('T');
  EXPECT_EQ(t.s().radio.bandIndex, kBand2m);
  EXPECT_EQ(t.s().radio.radioMode, kFmNarrow);
  t.Key('B');
  t.Key('U');
  EXPECT_EQ(t.s().radio.bandIndex, kBandGeneral);
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  Strings spoken = t.TakeSpoken();
  ASSERT_GE(spoken.size(), 5u);
  EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + 5), (Strings{"band", "2", "metres", "band", "un"}));
  t.Ticks(6);
  t.Clear();
  // S at the prompt: 70 cm, selected quietly and then recalled.
  t.Key('B');
  t.Key('S');
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 2), (Strings{"BS014;", "BS014;"}));
  EXPECT_EQ(t.s().radio.bandIndex, kBand70cm);
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(KeyBands, SKeyReadsTheSMeterOnReceive) {
  KeyPanel t;
  t.Start();
  t.s().tick.sMeterValue = 0;
  t.Key('S');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"s.wav", "0.wav"}));
  EXPECT_EQ(t.screen.TextAt(750, 45), "S0  ");
  EXPECT_TRUE(t.TakeSent().empty());
}

// Channels 3 and 7 of bank 2 on 20 m, the others empty.
void StoreTwoChannels(PanelState& s) {
  s.banks.memoryChannels[23] = "0206A014074000B0140740009990";
  s.banks.memoryChannels[27] = "0206A014230000B0142300009991";
}

TEST(KeyChannels, UStepsThroughTheStoredChannelsOfTheBank) {
  KeyPanel t;
  t.Start();
  StoreTwoChannels(t.s());
  t.Key('U');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ncs"}));
  t.Type("GB23");
  EXPECT_EQ(t.s().banks.memoryBank, 2);
  EXPECT_EQ(t.s().banks.memoryCursor, 3);
  t.Ticks(6);
  t.Clear();
  t.Key('U');
  EXPECT_EQ(t.s().banks.memoryCursor, 7);
  EXPECT_EQ(t.TakeSpoken().front(), "channel");
  Strings sent = t.TakeSent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(Strings(sent.begin(), sent.begin() + 3), (Strings{"ST0;", "BS005;", "FA014230000;"}));
  t.Key('S');  // S and F keep the bank
  EXPECT_EQ(t.s().banks.memoryBank, 2);
  t.Key('U');
  EXPECT_EQ(t.s().banks.memoryCursor, 3);
  t.Clear();
  t.Key('J');  // any other key leaves it, and re-sends the frequency
  EXPECT_EQ(t.s().banks.memoryBank, 99);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA014074000;"}));
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(KeyChannels, UInABankWithNothingStoredEndsTheSearch) {
  KeyPanel t;
  t.Start();
  t.s().banks.memoryBank = 4;
  t.s().banks.memoryCursor = 6;
  t.Key('U');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(t.s().banks.memoryBank, 99);
  EXPECT_EQ(t.s().entry.channelMode, ChannelMode::kNone);
  EXPECT_EQ(t.s().banks.memoryCursor, 6);
}

TEST(KeyChannels, StoreWithBankAndLeaveTheChannelMode) {
  KeyPanel t;
  t.Start();
  t.Type("CB25");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"sch", "bank", "2", "channel", "5", "ok"}));
  EXPECT_EQ(t.s().banks.memoryChannels[25], "0104A007100000B0071000009990");
  t.Key('G');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"gch"}));
  EXPECT_EQ(t.s().entry.channelMode, ChannelMode::kGoTo);
  t.Key('J');
  EXPECT_EQ(t.s().entry.channelMode, ChannelMode::kNone);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007100000;"}));
}

TEST(KeyTransmit, SpaceSwitchesTransmitAndHelpPlaysOnWithoutWaiting) {
  KeyPanel t;
  t.Start();
  t.Key(' ');
  t.Key(' ');
  EXPECT_EQ(t.TakeSent(), (Strings{"TX1;", "TX0;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tx", "on", "tx", "off"}));
  t.Key('H');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"help.wav"}));
  ASSERT_FALSE(t.voice.wasAsync.empty());
  EXPECT_TRUE(t.voice.wasAsync.back());
}

TEST(KeyTransmit, CarrierTuneLocksTheKeysUntilTheSecondT) {
  KeyPanel t;
  t.Start();
  t.Type("TMT");
  EXPECT_EQ(t.TakeSent(), (Strings{"PC2005;", "MD05;", "FA007100000;", "TX1;", "TX0;", "PC2050;", "MD01;",
                                   "NA00;", "FA007100000;", "SH0014;"}));
  Strings spoken = t.TakeSpoken();
  ASSERT_GE(spoken.size(), 5u);
  EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + 5), (Strings{"tune", "on", "ton", "tune", "off"}));
  EXPECT_FALSE(t.s().tick.tuneActive);
}

TEST(KeyEntries, AfRfPowerAndWidthStatesTakeTheArrows) {
  KeyPanel t;
  t.Start();
  t.Key('A');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"af"}));
  t.Key(vk::kDown);
  EXPECT_EQ(t.TakeSent().size(), 1u);  // the AF gain only, no frequency
  t.Key('R');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"rf"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kRfGain);
  EXPECT_TRUE(t.TakeSent().empty());
  t.Key('P');
  EXPECT_EQ(t.TakeSent(), (Strings{"PC;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"Power", "5", "0", "watts"}));
  t.s().config.powerSetting = 20;
  t.Key('P');  // already in the power entry: no new reading
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_EQ(t.TakeSpoken(), (Strings{"Power", "2", "0", "watts"}));
  t.Key('W');
  EXPECT_EQ(t.s().entry.entryState, EntryState::kWidth);
  EXPECT_EQ(t.TakeSpoken().front(), "bw");
  t.Key(vk::kUp);  // the width, then the frequency again
  EXPECT_EQ(t.TakeSent(), (Strings{"SH0015;", "FA007100000;"}));
  t.s().radio.radioMode = kAm;
  t.s().entry.entryState = EntryState::kNone;
  t.Key('W');
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  EXPECT_TRUE(t.TakeSpoken().empty());
}

TEST(KeyEntries, FrequencyEntryWithPointAndToneEntry) {
  KeyPanel t;
  t.Start();
  t.Key(vk::kPoint);  // nothing typed since the start
  EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
  t.Key('\r');  // and no entry to send: Enter re-sends the frequency
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007100000;"}));
  t.Key('E');
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007100000;"}));  // E goes on and re-sends
  t.Type("14");
  t.Key(vk::kKeypadPoint);
  t.Type("2\r");
  EXPECT_EQ(t.TakeSent(), (Strings{"BS005;", "MD02;", "NA00;", "FA014200000;", "SH0014;", "FA014200000;",
                                   "PA01;"}));
  EXPECT_EQ(t.TakeSpoken().back(), "ok");
  EXPECT_EQ(t.s().radio.bandIndex, kBand20m);
  t.Key('F');  // right after the entry's Enter F waits for a tick
  t.Key('\r');  // the entry is closed: Enter only ends the key
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_TRUE(t.TakeSent().empty());
  t.Ticks(1);
  t.Key('F');
  EXPECT_EQ(t.TakeSpoken().back(), "usb.wav");
  t.Key('I');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"wrong", "mode"}));
  t.GoToBand('T');
  t.Type("I12\r");
  EXPECT_EQ(t.TakeSent(), (Strings{"CN00012;", "CT01;"}));
  t.Key('N');  // the menu key waits while a tone is on
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
}

TEST(KeyEntries, MenuReadAndDigitalFm) {
  KeyPanel t;
  t.Start();
  t.Type("N010316\r");
  EXPECT_EQ(t.s().entry.entryState, EntryState::kMenuValue);
  t.Clear();
  t.Key('\r');
  EXPECT_EQ(t.TakeSent(), (Strings{"EX010316;"}));
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  t.Key('D');  // below FM: nothing
  EXPECT_TRUE(t.TakeSent().empty());
  t.GoToBand('T');
  t.Key('D');
  EXPECT_EQ(t.s().radio.radioMode, kC4fm);
  EXPECT_EQ(t.TakeSpoken().back(), "c4fm.wav");
}

TEST(KeyEntries, KeyerEntrySwitchesToCwAndBack) {
  KeyPanel t;
  t.Start();
  t.Key('K');
  EXPECT_EQ(t.s().radio.radioMode, kCw);
  EXPECT_EQ(t.s().entry.entryState, EntryState::kKeyerSpeed);
  EXPECT_EQ(t.TakeSent().back(), "BI0;");
  t.Key('J');  // any other key leaves the entry and has its own meaning
  EXPECT_EQ(t.s().radio.radioMode, kLsb);
  EXPECT_EQ(t.TakeSent().back(), "FA007100000;");
}

TEST(KeyEntries, TunerModeAndMicGainWatch) {
  KeyPanel t;
  t.Start();
  t.s().cat.powerClass = 1;
  t.Key(vk::kF12);
  t.Key(vk::kF12);
  t.Key(vk::kF12);
  EXPECT_EQ(t.TakeSent(), (Strings{"AC101;", "AC101;", "AC100;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tuner", "on", "tuner", "both", "tuner", "off"}));
  t.Key(vk::kF11);
  EXPECT_EQ(t.s().tick.micGainWatch, MicGainWatch::kStarted);
  EXPECT_EQ(t.s().entry.entryState, EntryState::kMicGain);
  t.Clear();
  t.Key(vk::kUp);
  EXPECT_EQ(t.TakeSent(), (Strings{"MG051;"}));
  t.Key(vk::kF11);  // ends the watch and nothing more
  EXPECT_EQ(t.s().tick.micGainWatch, MicGainWatch::kOff);
  EXPECT_EQ(t.TakeSpoken().back(), "off");
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(KeySplit, SplitCopiesVfoAToVfoBAndBack) {
  KeyPanel t;
  t.Start();
  t.GoToBand('6');
  t.s().banks.bandRecords[kBand20m] = "02A014200000B0140000009991";
  t.Key('V');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"split"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"ST1;", "FB014200000;"}));
  EXPECT_EQ(t.s().banks.bandRecords[kBand20m], "02A014200000B0142000009991");
  t.Ticks(6);  // the panel now follows VFO B
  t.Clear();
  t.Key('V');
  EXPECT_EQ(t.TakeSent(), (Strings{"ST0;", "FA014200000;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"split", "off"}));
  EXPECT_FALSE(t.s().radio.splitOn);
  // A last frequency command that is none: VFO B starts at the frequency held.
  t.s().cat.lastFrequencyCommand = "FA12;";
  t.s().radio.frequencyHz = 14123000;
  t.Key('V');
  EXPECT_EQ(t.TakeSent(), (Strings{"ST1;", "FB014123000;"}));
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(KeySplit, RepeaterInFmAndNoSplitOnGeneralCoverage) {
  KeyPanel t;
  t.Start();
  t.GoToBand('T');
  t.Key('V');
  EXPECT_EQ(t.TakeSent(), (Strings{"EX0103180012;", "OS02;"}));
  EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "on"}));
  EXPECT_EQ(t.s().radio.repeaterOn, RepeaterState::kOn);
  t.Key(vk::kPlus);  // a megahertz up ends repeater operation
  EXPECT_EQ(t.TakeSpoken(), (Strings{"repeater", "off"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"OS00;", "FA146000000;"}));
  t.Type("BU");
  t.Ticks(6);
  t.Clear();
  t.Key('V');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"split", "invalid"}));
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(KeyModes, MKeyCyclesTheModesOfTheBand) {
  KeyPanel t;
  t.Start();
  auto modes = [&t](int presses) {
    std::string seen;
    for (int i = 0; i < presses; ++i) {
      t.Key('M');
      seen += static_cast<char>('0' + t.s().radio.radioMode);
    }
    return seen;
  };
  EXPECT_EQ(modes(4), "2341");  // 40 m: no FM
  t.GoToBand('0');              // 10 m at 28.5 MHz
  EXPECT_EQ(modes(5), "34512");
  t.GoToBand('T');
  t.Key('X');
  t.Key('M');  // after X: FM narrow becomes wide
  EXPECT_EQ(t.s().radio.radioMode, kFmWide);
  EXPECT_TRUE(t.s().radio.fmWide);
  EXPECT_EQ(t.s().entry.entryState, EntryState::kNone);
  EXPECT_EQ(modes(5), "12347");
  t.Key('B');
  t.Key('U');  // general coverage at 9.67 MHz: below 27 MHz no FM
  t.s().radio.radioMode = kAm;
  EXPECT_EQ(modes(1), "1");
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(KeyModes, ZeroInSnapsToAWholeKilohertzOrAsksTheRadioInCw) {
  KeyPanel t;
  t.Start();
  t.s().radio.frequencyHz = 7100450;
  t.Key('Z');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"0", "ok"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007100000;"}));  // down in LSB
  t.s().radio.radioMode = kCw;
  t.Key('Z');
  EXPECT_EQ(t.TakeSent(), (Strings{"ZI0;"}));
}

TEST(KeyClosingStep, FrequencyKeysMoveTheFrequency) {
  KeyPanel t;
  t.Start();
  const std::pair<int, const char*> steps[] = {
      {vk::kPlus, "FA008100000;"},     {vk::kMinus, "FA007100000;"},  {vk::kPageUp, "FA007110000;"},
      {vk::kPageDown, "FA007100000;"}, {vk::kRight, "FA007100100;"},  {vk::kLeft, "FA007100000;"},
      {vk::kDown, "FA007099000;"},     {vk::kF10, "FA007099000;"},    {'Y', "FA007099000;"},
      {255, "FA007099000;"},           {-7, "FA007099000;"},          {1000, "FA007099000;"},
  };
  for (const auto& [key, sent] : steps) {
    t.s().banks.memoryBank = 3;
    t.Key(key);
    EXPECT_EQ(t.TakeSent(), (Strings{sent})) << key;
    EXPECT_EQ(t.s().banks.memoryBank, 99) << key;
  }
  t.s().radio.radioMode = kCw;
  t.Key(vk::kRight);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007099010;"}));
  EXPECT_TRUE(t.TakeSpoken().empty());
  // Nothing below 0 Hz, and never a sign in the command.
  t.s().radio.frequencyHz = 400000;
  t.Key(vk::kMinus);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA000000000;"}));
  EXPECT_EQ(t.s().radio.frequencyHz, 0);
  t.Key('J');  // until the radio answers again the panel has no frequency
  EXPECT_EQ(t.TakeSpoken(), (Strings{"nc"}));
  t.s().radio.frequencyHz = 999999000;
  t.Key(vk::kPlus);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA999999999;"}));
  // Keys in an entry other than the width do not reach the frequency.
  t.s().entry.entryState = EntryState::kRfGain;
  t.Key('J');
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(KeyClosingStep, VhfChannelStepsAndFmSquelch) {
  KeyPanel t;
  t.Start();
  t.GoToBand('T');
  t.s().radio.radioMode = kAm;
  t.Key(vk::kPageUp);
  t.Key(vk::kPageDown);  // in AM Page Down keeps 10 kHz steps
  EXPECT_EQ(t.TakeSent(), (Strings{"FA145012500;", "FA145002500;"}));
  t.s().radio.radioMode = kFmNarrow;
  t.Key(vk::kPageDown);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA144990000;"}));
  struct Squelch {
    int from, key, to;
    Strings spoken;
  };
  const Squelch squelch[] = {
      {250, vk::kRight, 255, {"max"}}, {255, vk::kRight, 255, {"max"}}, {19, vk::kRight, 20, {}},
      {20, vk::kRight, 30, {}},        {245, vk::kLeft, 230, {}},       {30, vk::kLeft, 20, {}},
      {29, vk::kLeft, 28, {}},         {1, vk::kLeft, 0, {"0"}},        {0, vk::kLeft, 0, {"0"}},
  };
  for (const Squelch& q : squelch) {
    t.s().radio.squelchLevel = q.from;
    t.Key(q.key);
    EXPECT_EQ(t.s().radio.squelchLevel, q.to) << q.from;
    EXPECT_EQ(t.TakeSent(), (Strings{"SQ0" + ZeroPad(q.to, 3) + ";"})) << q.from;
    EXPECT_EQ(t.TakeSpoken(), q.spoken) << q.from;
  }
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

// The radio refuses on purpose: put back on a memory channel from its own
// front panel, it refuses the typed frequency. The refusal is the set's own
// answer: the power query after it and the polls are answered as before.
TEST(KeyRefusals, ARefusedSetDerailsNeitherTheNextQueryNorThePoll) {
  KeyPanel t;
  t.Start();
  t.radio.Control("memory on");
  t.Type("E14");
  t.Key(vk::kPoint);
  t.Type("25\r");
  ASSERT_FALSE(t.refused.empty());
  for (const std::string& command : t.refused) EXPECT_EQ(command.substr(0, 2), "FA") << command;
  const std::uint32_t refusals = t.panel.link.refusalCount;
  EXPECT_EQ(refusals, t.refused.size());
  t.Clear();
  t.Key('P');
  EXPECT_EQ(t.TakeSpoken(), (Strings{"Power", "5", "0", "watts"}));
  EXPECT_EQ(t.panel.link.refusalCount, refusals);
  t.radio.Control("dial +1000");  // the operator turns the dial
  t.Ticks(6);
  EXPECT_EQ(t.s().radio.frequencyHz, t.radio.state().vfoHz[0]);
}

TEST(KeyIgnored, ModifierKeysDoNothingAtAll) {
  KeyPanel t;
  t.Start();
  t.s().banks.memoryBank = 5;
  for (int key : {vk::kShift, vk::kCtrl, vk::kInsert, vk::kLeftWindows}) t.Key(key);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_EQ(t.s().banks.memoryBank, 5);
}

}  // namespace
}  // namespace kelvaro
