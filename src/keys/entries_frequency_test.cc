// Frequency, tone and menu entry, and the D key, against the FTX-1 stand-in.
#include <gtest/gtest.h>

#include <algorithm>

#include "keys/entries.h"
#include "keys/entries_test_panel.h"

namespace kelvaro {
namespace {

using testing::EntryPanel;
using testing::Strings;

// E, the digits (a "." where the text has one), Enter.
void TypeFrequency(EntryPanel& t, std::string_view keys) {
  StartFrequencyEntry(t.panel);
  for (char c : keys) {
    if (c == '.') {
      FrequencyEntryPoint(t.panel);
    } else {
      t.TypeDigits(std::string_view(&c, 1));
    }
  }
  SendTypedFrequency(t.panel);
}

std::string LastFrequency(const Strings& sent) {
  auto found = std::find_if(sent.rbegin(), sent.rend(), [](const std::string& c) { return c.rfind("FA", 0) == 0; });
  return found == sent.rend() ? std::string() : *found;
}

TEST(EntryFrequency, TypedFrequenciesReachTheRadio) {
  struct Case {
    const char* keys;
    const char* command;
    int band;
  };
  const Case cases[] = {
      {"7.1", "FA007100000;", kBand40m},    {"14", "FA014000000;", kBand20m},
      {"145.5", "FA145500000;", kBand2m},   {"28.0745", "FA028074500;", kBand10m},
      {"7.", "FA007000000;", kBand40m},
      // Leading zeros do not move the point.
      {"07.1", "FA007100000;", kBand40m},   {"014", "FA014000000;", kBand20m},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    EntryPanel t;
    TypeFrequency(t, c.keys);
    // The typed frequency is the last one sent, after the band's own.
    EXPECT_EQ(LastFrequency(t.TakeSent()), c.command);
    EXPECT_EQ(t.radio.state().vfoHz[0], std::stoll(std::string(c.command).substr(2, 9)));
    EXPECT_EQ(t.panel.state.radio.bandIndex, c.band);
    EXPECT_FALSE(t.panel.state.entry.freqEntryActive);
    EXPECT_EQ(t.panel.state.tick.tickCount, 0);
    const Strings spoken = t.TakeSpoken();
    EXPECT_EQ(spoken.front(), "EF");
    EXPECT_EQ(spoken.back(), "ok");
    EXPECT_TRUE(t.refused.empty()) << t.refused.front();
  }
  EntryPanel t;
  TypeFrequency(t, "7.1");
  const Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.begin(), spoken.begin() + 6), (Strings{"EF", "7", "point", "1", "40", "metres"}));
  EXPECT_EQ(t.TakeSent().front(), "BS003;");
}

TEST(EntryFrequency, EntriesThatMakeNoFrequencyAreInvalid) {
  struct Case {
    const char* keys;
    const char* lastFrequency;  // only the band's own frequency, if any
    int band;                   // the band chosen (at "." or Enter) stays
  };
  const Case cases[] = {
      {"1234", "FA009670000;", kBandGeneral},  // four digits before the point
      {"7.1234567", "FA007100000;", kBand40m},  // seven after it
      {"", "", kBand20m},                       // E then Enter
      {"00", "", kBand20m},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    EntryPanel t;
    TypeFrequency(t, c.keys);
    EXPECT_EQ(t.TakeSpoken().back(), "invalid");
    EXPECT_EQ(LastFrequency(t.TakeSent()), c.lastFrequency);
    EXPECT_EQ(t.panel.state.radio.bandIndex, c.band);
    EXPECT_EQ(t.panel.state.entry.freqEntryIntDigits, 0);
    EXPECT_FALSE(t.panel.state.entry.freqEntryActive);
  }
}

TEST(EntryFrequency, PointWithoutAnEntryIsInvalidAndEnterThenDoesNothing) {
  EntryPanel t;
  FrequencyEntryPoint(t.panel);  // 999 stands before any entry
  EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
  SendTypedFrequency(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_EQ(t.panel.state.radio.bandIndex, kBand20m);
}

TEST(EntryFrequency, BandRecordDecidesModeAndSplit) {
  EntryPanel t;
  t.OnBand(kBand40m, 7100000, kUsb);
  t.panel.state.banks.bandRecords[kBand20m] = "05A014200000B0142000009990";
  TypeFrequency(t, "14");
  EXPECT_EQ(t.panel.state.radio.radioMode, kAm);  // no FM below 25 MHz
  EXPECT_EQ(t.radio.state().mode[0], '5');

  // The flag of a repeater record is no split.
  EntryPanel u;
  u.panel.state.radio.splitOn = true;
  u.panel.state.banks.bandRecords[kBand2m] = "55A145000000B-000006009990";
  TypeFrequency(u, "145.5");
  EXPECT_FALSE(u.panel.state.radio.splitOn);
  EXPECT_EQ(LastFrequency(u.TakeSent()), "FA145500000;");
  EXPECT_EQ(u.radio.state().vfoHz[0], 145500000);
}

TEST(EntryTone, TypedCtcssToneIsSentAndIOffClearsIt) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  ToggleTone(t.panel);  // USB
  EXPECT_EQ(t.TakeSpoken(), (Strings{"wrong", "mode"}));
  EXPECT_FALSE(s.entry.toneActive);

  t.OnBand(kBand2m, 145000000, kFmNarrow);
  s.entry.freqEntryActive = true;
  ToggleTone(t.panel);
  EXPECT_FALSE(s.entry.freqEntryActive);
  t.TypeDigits("12");
  SendTypedTone(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ec", "1", "2", "ctcss", "on"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"CN00012;", "CT01;"}));
  EXPECT_EQ(t.radio.state().ctcss, 12);
  EXPECT_EQ(s.radio.toneCode, "012");

  ToggleTone(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ctcss", "off"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"CT00;"}));
  EXPECT_EQ(s.radio.toneCode, "999");
  EXPECT_FALSE(s.entry.toneActive);
}

TEST(EntryTone, InvalidTonesClearTheToneAndDcsNeedsDcsEnabled) {
  struct Case {
    const char* digits;
    int dcsEnabled;
  };
  const Case cases[] = {{"55", 1}, {"501", 0}, {"600", 1}, {"804", 1}, {"0012", 1}, {"", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    EntryPanel t;
    t.OnBand(kBand2m, 145000000, kFmWide);
    t.panel.state.config.dcsEnabled = c.dcsEnabled;
    ToggleTone(t.panel);
    t.TypeDigits(c.digits);
    t.TakeSpoken();
    SendTypedTone(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
    EXPECT_TRUE(t.TakeSent().empty());
    EXPECT_FALSE(t.panel.state.entry.toneActive);
    EXPECT_EQ(t.panel.state.radio.toneCode, "999");
  }
  EntryPanel t;
  t.OnBand(kBand2m, 145000000, kFmNarrow);
  t.panel.state.config.dcsEnabled = true;
  ToggleTone(t.panel);
  t.TypeDigits("712");
  SendTypedTone(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"ecd", "7", "1", "2", "dcs", "on"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"CN01012;", "CT03;"}));
  ToggleTone(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"dcs", "off"}));
}

TEST(EntryDigitalFm, DFromFmAndBackRestoresTheTone) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  SwitchDigitalFm(t.panel);  // USB: no effect at all
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_TRUE(t.TakeSpoken().empty());

  t.OnBand(kBand2m, 145000000, kFmNarrow);
  ToggleTone(t.panel);
  t.TypeDigits("12");
  SendTypedTone(t.panel);
  SwitchDigitalFm(t.panel);
  EXPECT_EQ(s.radio.radioMode, kC4fm);
  EXPECT_EQ(t.TakeSpoken().back(), "c4fm.wav");
  EXPECT_EQ(t.radio.state().toneMode, 0);  // the mode change took the tone off
  t.Clear();
  SwitchDigitalFm(t.panel);
  EXPECT_EQ(s.radio.radioMode, kFmNarrow);
  EXPECT_TRUE(s.entry.toneActive);
  const Strings sent = t.TakeSent();
  EXPECT_EQ(Strings(sent.end() - 2, sent.end()), (Strings{"CN00012;", "CT01;"}));
  const Strings spoken = t.TakeSpoken();
  EXPECT_EQ(Strings(spoken.end() - 2, spoken.end()), (Strings{"fm.wav", "nar.wav"}));
  EXPECT_EQ(t.radio.state().toneMode, 1);

  // A kept DCS code goes back as a DCS code.
  s.radio.toneCode = "712";
  SwitchDigitalFm(t.panel);
  t.Clear();
  SwitchDigitalFm(t.panel);
  const Strings dcs = t.TakeSent();
  EXPECT_EQ(Strings(dcs.end() - 2, dcs.end()), (Strings{"CN01012;", "CT03;"}));
  EXPECT_TRUE(t.refused.empty()) << t.refused.front();
}

TEST(EntryMenu, NumberValueAndReadBack) {
  EntryPanel t;
  PanelState& s = t.panel.state;
  StartMenuEntry(t.panel);
  t.TypeDigits("010316");
  EndMenuNumber(t.panel);
  SendMenuValue(t.panel);  // no value typed: read and speak the setting
  EXPECT_EQ(t.TakeSpoken(),
            (Strings{"mn", "0", "1", "0", "3", "1", "6", "mp", "0", "1", "0", "0"}));
  EXPECT_EQ(t.TakeSent(), (Strings{"EX010316;"}));
  EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  EXPECT_FALSE(s.tick.menuReadBusy);

  StartMenuEntry(t.panel);
  t.TypeDigits("030705");
  EndMenuNumber(t.panel);
  t.TypeDigits("050");
  SendMenuValue(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"EX030705050;"}));
  EXPECT_EQ(t.TakeSpoken().back(), "ok");
  EXPECT_EQ(t.radio.state().menus.at("030705"), "050");

  for (const char* digits : {"01031", "0103161"}) {
    StartMenuEntry(t.panel);
    t.TypeDigits(digits);
    t.TakeSpoken();
    EndMenuNumber(t.panel);
    EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
    EXPECT_EQ(s.entry.entryState, EntryState::kNone);
  }
  // The value step never sends a number that is not six digits.
  s.entry.entryState = EntryState::kMenuValue;
  s.entry.menuNumber = "0103";
  s.entry.menuValue = "12";
  SendMenuValue(t.panel);
  EXPECT_EQ(t.TakeSpoken(), (Strings{"invalid"}));
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(EntryMenu, ReadBackSpeaksPointAndStopsAtTheFirstTerminator) {
  struct Case {
    const char* reply;
    Strings spoken;
  };
  const Case cases[] = {
      {"EX0401011.5;FA014250000;", {"1", "point", "5"}},
      {"EX04010112", {}},  // no terminator
      {"?;", {}},          // shorter than the menu number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    EntryPanel t;
    t.panel.state.entry.menuNumber = "040101";
    t.panel.state.entry.entryState = EntryState::kMenuValue;
    t.Answer("EX040101;", c.reply);
    SendMenuValue(t.panel);
    EXPECT_EQ(t.TakeSpoken(), c.spoken);
  }
}

}  // namespace
}  // namespace kelvaro
