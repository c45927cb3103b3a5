#include "memory/memory_banks.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "state/radio_tables.h"
#include "memory/records.h"
#include "platform/operator_messages.h"
#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::SplitCrLf;
using testing::TestPanel;

// The state the start-up gives before the bank file is loaded.
void SetStartValues(PanelState& s) {
  s.config.versionText = "3.5a";
  s.radio.bandIndex = 4;
  s.radio.reductionOn = false;
  for (int band = 1; band <= kBandCount; ++band) s.banks.bandRecords[band] = BandRow(band)->defaultRecord;
  for (Text& channel : s.banks.memoryChannels) channel = "9";
}

struct BankPanel : TestPanel {
  BankPanel() { SetStartValues(panel.state); }
  std::vector<std::string> Lines(const std::string& name) { return SplitCrLf(dir.Read(name)); }
  bool Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(dir.path() / name, ec));
  }
};

// Channel records used below.
const char kUsb14250[] = "0206A014250000B0142500009990";     // USB 14.25, no tone
const char kRepeater2m[] = "5512A145600000B-000006000880";   // FMN, -600 kHz, CTCSS 088
const char kSplit7[] = "1104A007000000B0071000005231";       // LSB split, DCS 523
const char kC4fmTone0[] = "0613A432500000B4325000000002";    // C4FM, tone "000"

// A bank file as this program writes it.
std::string BankFile(const std::string& tag, const std::vector<std::string>& bands,
                     const std::vector<std::string>& channels, const char* end = "\r\n") {
  std::string text = tag + end;
  for (const std::string& r : bands) text += r + end;
  for (const std::string& r : channels) text += r + end;
  return text;
}

std::vector<std::string> DefaultBands() {
  std::vector<std::string> bands;
  for (const RadioBand& row : RadioBands()) bands.emplace_back(row.defaultRecord);
  return bands;
}
std::vector<std::string> EmptyChannels() { return std::vector<std::string>(kChannelCount, "9"); }

TEST(MemoryRecords, AcceptExactlyTheRecordLayouts) {
  for (int band = 1; band <= kBandCount; ++band) EXPECT_TRUE(IsBandRecord(BandRow(band)->defaultRecord));
  EXPECT_TRUE(IsBandRecord("55A145600000B-000006000880"));  // repeater shift
  EXPECT_TRUE(IsBandRecord("16A145600000B1456000000002"));  // mode 6, tone 000
  for (const char* r : {kUsb14250, kRepeater2m, kSplit7, kC4fmTone0}) EXPECT_TRUE(IsChannelRecord(r)) << r;
  EXPECT_TRUE(IsChannelRecord("0401A001900000B0019000009990"));

  // Breaking any single position breaks the record.
  const std::string band = "55A145600000B-000006000880";
  const std::string channel = kRepeater2m;
  for (std::size_t i = 0; i < band.size(); ++i) {
    for (char c : {'x', '9', '3', '+', ' ', '\0'}) {
      std::string r = band;
      if (r[i] == c) continue;
      r[i] = c;
      // Some replacements keep a valid layout: another digit, another sign,
      // tone digits, a preamp digit 0..2, a mode 1..7.
      bool stillValid = (i >= 18 && i <= 24 && c >= '0' && c <= '9') || (i == 13 && c == '+') ||
                        (i == 25 && c >= '0' && c <= '2') || (i == 1 && c >= '1' && c <= '7') ||
                        (i >= 3 && i <= 11 && c >= '0' && c <= '9');
      EXPECT_EQ(IsBandRecord(r), stillValid) << i << " " << r;
    }
  }
  EXPECT_FALSE(IsBandRecord(band.substr(0, 25)));
  EXPECT_FALSE(IsBandRecord(band + "0"));
  EXPECT_FALSE(IsBandRecord("55A145600000B1456000000880"));  // flag 5 needs a shift
  EXPECT_FALSE(IsBandRecord("02A014200000B-000006009991"));  // and only flag 5 has one
  EXPECT_FALSE(IsBandRecord("25A145600000B1456000000880"));  // flag 2
  EXPECT_FALSE(IsBandRecord("08A145600000B1456000000880"));  // mode 8
  EXPECT_FALSE(IsBandRecord("05A145600000B1456000000883"));  // preamp 3
  EXPECT_FALSE(IsBandRecord(channel));
  for (const char* b : {"00", "15", "1a", "99"}) {
    std::string r = channel;
    r.replace(2, 2, b);
    EXPECT_FALSE(IsChannelRecord(r)) << r;
  }
  EXPECT_FALSE(IsChannelRecord(channel.substr(0, 27)));
  EXPECT_FALSE(IsChannelRecord("9"));
  EXPECT_TRUE(IsEmptyChannel("9"));
  EXPECT_TRUE(IsEmptyChannel("9junk"));
  EXPECT_FALSE(IsEmptyChannel(""));
}

TEST(MemoryBankFile, FirstStartCreatesTheFileAndReport) {
  BankPanel t;
  t.dir.Write("memory.dat", "old");
  LoadMemoryBanks(t.panel);
  std::vector<std::string> lines = t.Lines("savmem.dat");
  ASSERT_EQ(lines.size(), 115u);
  EXPECT_EQ(lines[0], "KELVARO v1.0a 3.5a 40");
  for (int band = 1; band <= kBandCount; ++band) EXPECT_EQ(lines[band], BandRow(band)->defaultRecord);
  for (int i = 15; i < 115; ++i) EXPECT_EQ(lines[i], "9");
  EXPECT_EQ(t.dir.Read("savmem.dat"), BankFile("KELVARO v1.0a 3.5a 40", DefaultBands(), EmptyChannels()));
  EXPECT_EQ(t.dir.Read("memory.txt"), "Memory Bank Information\r\n  \r\nEmpty\r\n");
  EXPECT_FALSE(t.Exists("memory.dat"));
  EXPECT_FALSE(t.Exists("savmem.tmp"));
  EXPECT_FALSE(t.Exists("savmem.bad"));
  EXPECT_EQ(t.panel.state.radio.bandIndex, 4);
}

TEST(MemoryBankFile, OlderTagIsReadAndRewrittenWithTheCurrentTag) {
  BankPanel t;
  std::vector<std::string> bands = DefaultBands();
  bands[11] = "55A145600000B-000006000880";
  std::vector<std::string> channels = EmptyChannels();
  channels[5] = kUsb14250;
  channels[99] = kRepeater2m;
  const std::string file = BankFile("KELVARO v3.5a 3.5a 61", bands, channels);
  t.dir.Write("savmem.dat", file);
  LoadMemoryBanks(t.panel);
  const PanelState& s = t.panel.state;
  EXPECT_EQ(s.radio.bandIndex, 6);
  EXPECT_TRUE(s.radio.reductionOn);
  EXPECT_EQ(s.banks.bandRecords[12], bands[11]);
  EXPECT_EQ(s.banks.memoryChannels[5], kUsb14250);
  EXPECT_EQ(s.banks.memoryChannels[99], kRepeater2m);
  EXPECT_EQ(t.dir.Read("savmem.dat"), file);  // loading alone changes nothing
  EXPECT_FALSE(t.Exists("savmem.bad"));

  SaveMemoryBanks(t.panel);
  EXPECT_EQ(t.dir.Read("savmem.dat"), BankFile("KELVARO v1.0a 3.5a 61", bands, channels));
}

TEST(MemoryBankFile, BandAndNoiseReductionCharactersRoundTrip) {
  struct Case { int band, nr; const char* tag; int bandBack, nrBack; };
  for (const Case& c : {Case{12, 1, "KELVARO v1.0a 3.5a <1", 12, 1},
                        Case{14, 0, "KELVARO v1.0a 3.5a >0", 14, 0},
                        Case{1, 1, "KELVARO v1.0a 3.5a 11", 1, 1},
                        Case{0, 1, "KELVARO v1.0a 3.5a", 0, 0},
                        Case{15, 1, "KELVARO v1.0a 3.5a", 0, 0}}) {
    BankPanel t;
    t.panel.state.radio.bandIndex = c.band;
    t.panel.state.radio.reductionOn = c.nr;
    SaveMemoryBanks(t.panel);
    EXPECT_EQ(t.Lines("savmem.dat")[0], c.tag);
    BankPanel back;
    back.dir.Write("savmem.dat", t.dir.Read("savmem.dat"));
    LoadMemoryBanks(back.panel);
    EXPECT_EQ(back.panel.state.radio.bandIndex, c.bandBack) << c.tag;
    EXPECT_EQ(back.panel.state.radio.reductionOn, c.nrBack) << c.tag;
  }
}

TEST(MemoryBankFile, BandCharactersOutsideTheBandsGiveBandZero) {
  struct Case { std::string tag; int band, nr; };
  for (const Case& c : {Case{"KELVARO v1.0a 3.5a ?1", 0, 1},  // band 15
                        Case{"KELVARO v1.0a 3.5a /1", 0, 1},  // below 1
                        Case{"KELVARO v1.0a 3.5a 02", 0, 0},  // "2" is no "1"
                        Case{"KELVARO v1.0a 3.5a \xff" "1", 0, 1},
                        Case{"KELVARO v1.0a 3.5a 7", 7, 0},
                        Case{"KELVARO v1.0a", 0, 0}}) {
    BankPanel t;
    t.dir.Write("savmem.dat", BankFile(c.tag, DefaultBands(), EmptyChannels()));
    LoadMemoryBanks(t.panel);
    EXPECT_EQ(t.panel.state.radio.bandIndex, c.band) << c.tag;
    EXPECT_EQ(t.panel.state.radio.reductionOn, c.nr) << c.tag;
    EXPECT_EQ(t.dir.Read("savmem.dat").substr(0, c.tag.size()), c.tag);  // accepted, kept
  }
}

TEST(MemoryBankFile, ChannelsAndBandRecordsRoundTrip) {
  BankPanel t;
  PanelState& s = t.panel.state;
  s.banks.memoryChannels[0] = kUsb14250;
  s.banks.memoryChannels[3] = kRepeater2m;
  s.banks.memoryChannels[47] = kSplit7;
  s.banks.memoryChannels[98] = kC4fmTone0;
  s.banks.bandRecords[6] = "12A014250000B0143000006701";
  s.radio.bandIndex = 13;
  SaveMemoryBanks(t.panel);
  const std::string first = t.dir.Read("savmem.dat");

  BankPanel back;
  back.dir.Write("savmem.dat", first);
  LoadMemoryBanks(back.panel);
  for (int i = 0; i < kChannelCount; ++i)
    EXPECT_EQ(back.panel.state.banks.memoryChannels[i], s.banks.memoryChannels[i]);
  for (int b = 1; b <= kBandCount; ++b) EXPECT_EQ(back.panel.state.banks.bandRecords[b], s.banks.bandRecords[b]);
  EXPECT_EQ(back.panel.state.radio.bandIndex, 13);
  SaveMemoryBanks(back.panel);
  EXPECT_EQ(back.dir.Read("savmem.dat"), first);
  EXPECT_FALSE(back.Exists("savmem.bad"));
}

TEST(MemoryBankFile, UnacceptedTagIsSetAsideBeforeTheDefaultsReplaceIt) {
  BankPanel t;
  std::vector<std::string> channels = EmptyChannels();
  channels[1] = kUsb14250;
  const std::string foreign = BankFile("KELVARO v2.0a 3.5a 61", DefaultBands(), channels);
  t.dir.Write("savmem.dat", foreign);
  t.dir.Write("savmem.bad", "an older one");
  LoadMemoryBanks(t.panel);
  EXPECT_EQ(t.dir.Read("savmem.bad"), foreign);
  EXPECT_EQ(t.dir.Read("savmem.dat"), BankFile("KELVARO v1.0a 3.5a 40", DefaultBands(), EmptyChannels()));
  EXPECT_EQ(t.panel.state.banks.memoryChannels[1], "9");
  EXPECT_EQ(t.panel.state.radio.bandIndex, 4);

  BankPanel empty;  // an empty file has no accepted tag either
  empty.dir.Write("savmem.dat", "");
  LoadMemoryBanks(empty.panel);
  EXPECT_EQ(empty.Lines("savmem.dat").size(), 115u);
  EXPECT_TRUE(empty.Exists("savmem.bad"));
}

TEST(MemoryBankFile, MalformedLinesKeepDefaultsAndTheFileIsCopied) {
  BankPanel t;
  std::vector<std::string> bands = DefaultBands();
  for (std::string& r : bands) r[25] = '2';                   // valid, not the defaults
  bands[2] = "08A005400000B0054000009992";                      // mode 8
  bands[4] = "53A010100000B0100000009992";                      // flag 5 without a shift
  bands[6] = "02A018100000B018100000999";                       // 25 characters
  std::vector<std::string> channels = EmptyChannels();
  channels[0] = kUsb14250;
  channels[7] = "0215A014250000B0142500009990";                 // band 15
  channels[8] = "9 was here";
  channels[9] = std::string(kSplit7) + "\x1b";
  const std::string file = BankFile("KELVARO v1.0a 3.5a 61", bands, channels);
  t.dir.Write("savmem.dat", file);
  LoadMemoryBanks(t.panel);
  const PanelState& s = t.panel.state;
  for (int band = 1; band <= kBandCount; ++band) {
    bool malformed = band == 3 || band == 5 || band == 7;
    EXPECT_EQ(s.banks.bandRecords[band], malformed ? std::string(BandRow(band)->defaultRecord) : bands[band - 1]);
  }
  EXPECT_EQ(s.banks.memoryChannels[0], kUsb14250);
  for (int i : {7, 8, 9}) EXPECT_EQ(s.banks.memoryChannels[i], "9");
  EXPECT_EQ(t.dir.Read("savmem.bad"), file);  // everything still there
  EXPECT_EQ(t.dir.Read("savmem.dat"), file);  // rewritten only at the next save
}

TEST(MemoryBankFile, ShortFileLeavesTheRestAtDefaultsAndEmpty) {
  BankPanel t;
  std::vector<std::string> bands = DefaultBands();
  for (std::string& r : bands) r[1] = '3';
  t.dir.Write("savmem.dat", BankFile("KELVARO v1.0a 3.5a 21", {bands.begin(), bands.begin() + 5}, {}));
  LoadMemoryBanks(t.panel);
  for (int band = 1; band <= kBandCount; ++band) {
    EXPECT_EQ(t.panel.state.banks.bandRecords[band],
              band <= 5 ? bands[band - 1] : std::string(BandRow(band)->defaultRecord));
  }
  for (const Text& channel : t.panel.state.banks.memoryChannels) EXPECT_EQ(channel, "9");
  EXPECT_EQ(t.panel.state.radio.bandIndex, 2);
  EXPECT_TRUE(t.Exists("savmem.bad"));

  // Cut inside the channels: those read are kept.
  BankPanel cut;
  std::vector<std::string> channels(10, kUsb14250);
  cut.dir.Write("savmem.dat", BankFile("KELVARO v1.0a 3.5a 21", DefaultBands(), channels).substr(0, 600));
  LoadMemoryBanks(cut.panel);
  int kept = 0;
  for (const Text& channel : cut.panel.state.banks.memoryChannels) kept += channel == kUsb14250;
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 10);
  for (const Text& channel : cut.panel.state.banks.memoryChannels) {
    EXPECT_TRUE(channel == "9" || IsChannelRecord(channel)) << channel.str();
  }
}

TEST(MemoryBankFile, LfAndCrLineEndsReadAsWell) {
  std::vector<std::string> channels = EmptyChannels();
  channels[42] = kSplit7;
  for (const char* end : {"\n", "\r"}) {
    BankPanel t;
    t.dir.Write("savmem.dat", BankFile("KELVARO v1.0a 3.5a 91", DefaultBands(), channels, end));
    LoadMemoryBanks(t.panel);
    EXPECT_EQ(t.panel.state.radio.bandIndex, 9);
    EXPECT_EQ(t.panel.state.banks.memoryChannels[42], kSplit7);
    EXPECT_FALSE(t.Exists("savmem.bad"));
  }
}

TEST(MemoryBankFile, LoadingEndsWhenTheFileCanBeNeitherReadNorWritten) {
  BankPanel folder;  // "savmem.dat" is a folder
  fs::create_directory(folder.dir.path() / "savmem.dat");
  folder.panel.state.banks.memoryChannels[2] = kUsb14250;  // proves nothing was loaded over it
  std::ostringstream told;
  {
    OperatorMessagesTo capture(told);
    LoadMemoryBanks(folder.panel);
  }
  EXPECT_EQ(told.str(), "kelvaro: " + (folder.dir.path() / "savmem.dat").string() +
                            " can be neither read nor written; going on with the default band records and empty"
                            " memory channels\n");
  EXPECT_TRUE(fs::is_directory(folder.dir.path() / "savmem.dat"));
  EXPECT_EQ(folder.panel.state.banks.memoryChannels[2], kUsb14250);
  EXPECT_EQ(folder.panel.state.banks.bandRecords[4], BandRow(4)->defaultRecord);
  EXPECT_FALSE(folder.Exists("savmem.tmp"));
  EXPECT_FALSE(TrySaveMemoryBanks(folder.panel));

  BankPanel dangling;  // a link into a folder that does not exist
  std::error_code ec;
  fs::create_symlink(dangling.dir.path() / "gone" / "savmem.dat", dangling.dir.path() / "savmem.dat", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  LoadMemoryBanks(dangling.panel);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dangling.dir.path() / "savmem.dat")));
  EXPECT_FALSE(fs::exists(dangling.dir.path() / "gone"));
  EXPECT_EQ(dangling.panel.state.radio.bandIndex, 4);
}

TEST(MemoryBankFile, SavingThroughALinkReplacesItsTarget) {
  BankPanel t;
  fs::create_directory(t.dir.path() / "data");
  std::error_code ec;
  fs::create_symlink("data/banks.dat", t.dir.path() / "savmem.dat", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  LoadMemoryBanks(t.panel);  // the target is created through the link
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(t.dir.path() / "savmem.dat")));
  EXPECT_EQ(SplitCrLf(t.dir.Read("data/banks.dat")).size(), 115u);
  t.panel.state.banks.memoryChannels[10] = kSplit7;
  EXPECT_TRUE(TrySaveMemoryBanks(t.panel));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(t.dir.path() / "savmem.dat")));
  EXPECT_EQ(SplitCrLf(t.dir.Read("data/banks.dat"))[25], kSplit7);
}

TEST(MemoryBankFile, LeftoverTemporaryFileOfAnInterruptedSaveIsHarmless) {
  BankPanel t;
  std::vector<std::string> channels = EmptyChannels();
  channels[12] = kRepeater2m;
  const std::string file = BankFile("KELVARO v1.0a 3.5a <0", DefaultBands(), channels);
  t.dir.Write("savmem.dat", file);
  t.dir.Write("savmem.tmp", file.substr(0, 300));  // the save that never finished
  LoadMemoryBanks(t.panel);
  EXPECT_EQ(t.panel.state.banks.memoryChannels[12], kRepeater2m);
  EXPECT_EQ(t.panel.state.radio.bandIndex, 12);
  SaveMemoryBanks(t.panel);
  EXPECT_EQ(t.dir.Read("savmem.dat"), file);
  EXPECT_FALSE(t.Exists("savmem.tmp"));
}

TEST(MemoryBankFuzz, AnyFileLoadsOnlyWellFormedRecords) {
  std::mt19937 gen(2024);
  std::vector<std::string> channels = EmptyChannels();
  for (int i = 0; i < kChannelCount; i += 3) channels[i] = i % 2 ? kRepeater2m : kSplit7;
  const std::string good = BankFile("KELVARO v1.0a 3.5a 61", DefaultBands(), channels);
  BankPanel t;
  int roundsWithChannels = 0, roundsWithRejects = 0;
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    if (round % 3 == 0) {  // noise
      bytes.resize(gen() % 4000);
      for (char& c : bytes) c = static_cast<char>(gen());
    } else {  // a good file with bytes changed, dropped or repeated
      bytes = good;
      for (int n = gen() % 40; n > 0; --n) {
        std::size_t at = 14 + gen() % (bytes.size() - 14);
        switch (gen() % 3) {
          case 0: bytes[at] = static_cast<char>(gen()); break;
          case 1: bytes.erase(at, 1 + gen() % 30); break;
          default: bytes.insert(at, bytes.substr(at, 1 + gen() % 30)); break;
        }
        if (bytes.size() < 20) break;
      }
    }
    SetStartValues(t.panel.state);
    t.dir.Write("savmem.dat", bytes);
    LoadMemoryBanks(t.panel);
    const PanelState& s = t.panel.state;
    ASSERT_GE(s.radio.bandIndex, 0);
    ASSERT_LE(s.radio.bandIndex, kBandCount);
    for (int b = 1; b <= kBandCount; ++b) ASSERT_TRUE(IsBandRecord(s.banks.bandRecords[b])) << round;
    int stored = 0;
    for (const Text& c : s.banks.memoryChannels) {
      ASSERT_TRUE(c == "9" || IsChannelRecord(c)) << round;
      stored += c != "9";
    }
    // Whatever was there, the file in place now has an accepted tag.
    ASSERT_EQ(t.dir.Read("savmem.dat").substr(0, 13), "KELVARO v1.0a");
    roundsWithChannels += stored > 0;
    roundsWithRejects += stored > 0 && stored < 34;
  }
  // The damaged files exercised both taking and refusing records.
  EXPECT_GT(roundsWithChannels, 50);
  EXPECT_GT(roundsWithRejects, 50);
}

// --- The report "memory.txt" ---

std::string ReportOf(const std::vector<std::pair<int, std::string>>& stored) {
  BankPanel t;
  for (const auto& [index, record] : stored) t.panel.state.banks.memoryChannels[index] = record;
  WriteMemoryReport(t.panel);
  return t.dir.Read("memory.txt");
}

TEST(MemoryReport, SlotLinesHaveTheirExactPieces) {
  std::vector<std::string> lines = SplitCrLf(ReportOf({{0, kUsb14250}, {3, kRepeater2m}, {4, kSplit7},
                                                       {5, "0302A014074500B0012340009990"}, {6, kC4fmTone0},
                                                       {7, "0705A000500000B0005000004990"}}));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Memory Bank Information");
  EXPECT_EQ(lines[1], "  ");
  EXPECT_EQ(lines[2], "  ");
  EXPECT_EQ(lines[3], "Bank0");
  EXPECT_EQ(lines[4], "Slot 0 A=14.25  B=14.25  USB       ");
  EXPECT_EQ(lines[5], "Slot 3 A=145.6  FMN  Repeater  -600Khz          CTCSS=088");
  EXPECT_EQ(lines[6], "Slot 4 A=7.0  B=7.1  LSB  split   DCS=523");
  EXPECT_EQ(lines[7], "Slot 5 A=14.0745  B=1.234  CW       ");
  EXPECT_EQ(lines[8], "Slot 6 A=432.5  B=432.5  C4FM          CTCSS=000");
  EXPECT_EQ(lines[9], "Slot 7 A=0.5  B=0.5  FMW          CTCSS=499");
}

TEST(MemoryReport, AllEmptyGivesThreeLines) {
  EXPECT_EQ(ReportOf({}), "Memory Bank Information\r\n  \r\nEmpty\r\n");
  // A record without its layout is no stored channel.
  EXPECT_EQ(ReportOf({{4, "0206A014250000"}}), "Memory Bank Information\r\n  \r\nEmpty\r\n");
}

TEST(MemoryReport, OnlyBanksWithStoredChannelsAppear) {
  EXPECT_EQ(ReportOf({{31, kUsb14250}}),
            "Memory Bank Information\r\n  \r\n  \r\nBank3\r\nSlot 1 A=14.25  B=14.25  USB       \r\n");
  EXPECT_EQ(ReportOf({{99, "5511A051000000B+000010000880"}, {0, kUsb14250}, {9, kUsb14250}}),
            "Memory Bank Information\r\n  \r\n"
            "  \r\nBank0\r\nSlot 0 A=14.25  B=14.25  USB       \r\nSlot 9 A=14.25  B=14.25  USB       \r\n"
            "  \r\nBank9\r\nSlot 9 A=51.0  FMN  Repeater  +1000Khz          CTCSS=088\r\n");
}

TEST(MemoryReport, EverySaveRewritesTheReport) {
  BankPanel t;
  t.panel.state.banks.memoryChannels[55] = kSplit7;
  SaveMemoryBanks(t.panel);
  EXPECT_EQ(SplitCrLf(t.dir.Read("memory.txt"))[3], "Bank5");
  t.panel.state.banks.memoryChannels[55] = "9";
  SaveMemoryBanks(t.panel);
  EXPECT_EQ(t.dir.Read("memory.txt"), "Memory Bank Information\r\n  \r\nEmpty\r\n");
  EXPECT_FALSE(t.Exists("memory.tmp"));
}

}  // namespace
}  // namespace kelvaro
