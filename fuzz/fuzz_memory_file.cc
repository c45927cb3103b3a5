// The memory bank file "savmem.dat": any bytes.
//
// Whatever the file holds, loading must leave records with their exact layout,
// each either the one the panel had or the file's own line at its place (band
// n on line n + 1, channel c on line 16 + c); take nothing from a file with an
// unknown tag; keep the original bytes in "savmem.bad" whenever it sets the
// file aside or copies it; and leave banks that a save followed by a second
// load, into a panel holding other records, reads back to the same records,
// band and noise-reduction switch.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "state/radio_tables.h"
#include "fuzz_support.h"
#include "memory/memory_banks.h"
#include "memory/records.h"

namespace kelvaro::fuzz {
namespace {

// Lines as the bank file is read.
std::vector<std::string> BankLines(std::string_view bytes) { return FileLines(bytes, 255); }

bool AcceptedTag(std::string_view line) {
  return line.substr(0, 13) == "KELVARO v1.0a" || line.substr(0, 13) == "KELVARO v3.5a";
}

// The state before loading: the factory band records and empty channels, as
// the start-up has them.
void FactoryContents(PanelState& s) {
  SetFixedTexts(s);
  for (int band = 1; band <= kBandCount; ++band) s.banks.bandRecords[band] = BandRow(band)->defaultRecord;
  for (int mode = 1; mode <= 7; ++mode) s.radio.modeCommands[mode] = ModeCommand(mode);
  for (Text& channel : s.banks.memoryChannels) channel = "9";
}

struct BankSnapshot {
  std::array<std::string, kBandCount + 1> bands;
  std::array<std::string, kChannelCount> channels;
  int32_t bandIndex = 0;
  bool reductionOn = false;
};

BankSnapshot Snapshot(const PanelState& s) {
  BankSnapshot b;
  for (int band = 1; band <= kBandCount; ++band) b.bands[band] = s.banks.bandRecords[band].str();
  for (int c = 0; c < kChannelCount; ++c) b.channels[c] = s.banks.memoryChannels[c].str();
  b.bandIndex = s.radio.bandIndex;
  b.reductionOn = s.radio.reductionOn;
  return b;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

void ExpectSame(const BankSnapshot& got, const BankSnapshot& want, const std::string& when) {
  for (int band = 1; band <= kBandCount; ++band) {
    FUZZ_CHECK(got.bands[band] == want.bands[band], when + ": band " + std::to_string(band) + " is " +
                                                        Quoted(got.bands[band]) + ", expected " + Quoted(want.bands[band]));
  }
  for (int c = 0; c < kChannelCount; ++c) {
    FUZZ_CHECK(got.channels[c] == want.channels[c], when + ": channel " + std::to_string(c) + " is " +
                                                        Quoted(got.channels[c]) + ", expected " + Quoted(want.channels[c]));
  }
  FUZZ_CHECK(got.bandIndex == want.bandIndex, when + ": band " + std::to_string(got.bandIndex) + ", expected " +
                                                  std::to_string(want.bandIndex));
  FUZZ_CHECK(got.reductionOn == want.reductionOn, when + ": noise reduction switch differs");
}

// Where each record after the first load may come from: the panel's own
// record, or the file's line at that record's place.
void CheckSources(const BankSnapshot& got, const BankSnapshot& before, const std::vector<std::string>& lines) {
  auto line = [&](std::size_t at) { return at < lines.size() ? lines[at] : std::string(); };
  for (int band = 1; band <= kBandCount; ++band) {
    const std::size_t at = static_cast<std::size_t>(band);
    FUZZ_CHECK(got.bands[band] == before.bands[band] || got.bands[band] == line(at),
               "band " + std::to_string(band) + " is " + Quoted(got.bands[band]) + ", neither the panel's record nor line " +
                   std::to_string(at + 1) + " of the file");
  }
  for (int c = 0; c < kChannelCount; ++c) {
    const std::size_t at = static_cast<std::size_t>(1 + kBandCount + c);
    FUZZ_CHECK(got.channels[c] == "9" || got.channels[c] == line(at),
               "channel " + std::to_string(c) + " is " + Quoted(got.channels[c]) + ", neither empty nor line " +
                   std::to_string(at + 1) + " of the file");
  }
  FUZZ_CHECK(got.bandIndex >= 0 && got.bandIndex <= kBandCount, "band " + std::to_string(got.bandIndex));
}

}  // namespace
}  // namespace kelvaro::fuzz

using namespace kelvaro;
using namespace kelvaro::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ClearWorkFolder();
  WriteWorkFile("savmem.dat", bytes);

  FuzzPanel t;
  PanelState& s = t.panel.state;
  FactoryContents(s);
  const BankSnapshot factory = Snapshot(s);
  const std::vector<std::string> fileLines = BankLines(bytes);
  const bool accepted = !fileLines.empty() && AcceptedTag(fileLines[0]);

  LoadMemoryBanks(t.panel);
  CheckRecords(s);
  const BankSnapshot first = Snapshot(s);
  CheckSources(first, factory, fileLines);
  if (!accepted) ExpectSame(first, factory, "a file with an unknown tag");

  std::string kept;
  if (ReadWorkFile("savmem.bad", &kept)) {
    FUZZ_CHECK(kept == bytes, "savmem.bad does not hold the original file");
  } else {
    FUZZ_CHECK(accepted, "a file with an unknown tag was replaced without being kept");
  }

  // The start-up takes an unknown band as 40 m before anything is saved (a
  // tag line without a band keeps no noise-reduction switch either).
  if (s.radio.bandIndex < 1 || s.radio.bandIndex > kBandCount) s.radio.bandIndex = kBand40m;
  const BankSnapshot started = Snapshot(s);

  // Save, then load into a panel holding other records: the same banks.
  SaveMemoryBanks(t.panel);
  std::error_code ec;
  std::filesystem::remove(WorkFolder() / "savmem.bad", ec);
  FuzzPanel u;
  PanelState& r = u.panel.state;
  FactoryContents(r);
  for (int band = 1; band <= kBandCount; ++band) r.banks.bandRecords[band] = "02A000100000B0001000009990";
  for (Text& channel : r.banks.memoryChannels) channel = "01" "01" "A001900000B0019000009990";
  r.radio.bandIndex = 7;
  r.radio.reductionOn = true;
  LoadMemoryBanks(u.panel);
  ExpectSame(Snapshot(r), started, "load after save");
  FUZZ_CHECK(!std::filesystem::exists(WorkFolder() / "savmem.bad"), "the file just saved was read as irregular");

  std::string saved;
  FUZZ_CHECK(ReadWorkFile("savmem.dat", &saved), "savmem.dat missing after the save");
  std::size_t lines = 0;
  for (std::size_t at = saved.find("\r\n"); at != std::string::npos; at = saved.find("\r\n", at + 2)) ++lines;
  FUZZ_CHECK(lines == 1 + kBandCount + kChannelCount && saved.size() >= 2 && saved.substr(saved.size() - 2) == "\r\n",
             "savmem.dat does not have 115 lines ended by CR LF");
  return 0;
}
