#include "memory/memory_banks.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/file_replace.h"
#include "platform/operator_messages.h"
#include "memory/records.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBankFile = "savmem.dat";
constexpr std::string_view kSetAsideFile = "savmem.bad";
constexpr std::string_view kOldBankFile = "memory.dat";
constexpr std::string_view kTag = "KELVARO v1.0a";
constexpr std::string_view kOlderTag = "KELVARO v3.5a";
constexpr std::string_view kEmptyChannel = "9";
// Lines of the bank file are read up to this many characters.
constexpr std::size_t kLineMax = 255;

bool ReadLine(std::streambuf* in, std::string& line) { return ReadTextLine(in, line, kLineMax); }

// True when anything but line ends follows.
bool HasMoreContent(std::streambuf* in) {
  using Traits = std::streambuf::traits_type;
  for (int c = in->sbumpc(); !Traits::eq_int_type(c, Traits::eof()); c = in->sbumpc()) {
    if (c != '\r' && c != '\n') return true;
  }
  return false;
}

bool IsAcceptedTag(std::string_view line) {
  std::string_view tag = line.substr(0, kTag.size());
  return tag == kTag || tag == kOlderTag;
}

// Line 1: the tag and version, then, for a known band, a blank, the band as
// the character "0" + bandIndex (":" to ">" for 10..14) and "0"/"1" for noise
// reduction.
std::string TagLine(const PanelState& s) {
  std::string line = std::string(kTag) + " " + s.config.versionText.str();
  if (s.radio.bandIndex > 0 && s.radio.bandIndex < 15) {
    line += ' ';
    line += static_cast<char>('0' + s.radio.bandIndex);
    line += s.radio.reductionOn ? '1' : '0';
  }
  return line;
}

std::string BankFileText(const PanelState& s) {
  std::string text = TagLine(s) + "\r\n";
  for (int band = 1; band <= kBandCount; ++band) text += s.banks.bandRecords[band].str() + "\r\n";
  for (const Text& channel : s.banks.memoryChannels) text += channel.str() + "\r\n";
  return text;
}

// Band and noise reduction from the tag line. A band character outside
// "1".."=" (bands 1..14), or none at all, gives band 0: unknown, which the
// start-up takes as 40 m.
void TakeTagLine(std::string_view line, PanelState& s) {
  s.radio.reductionOn = CharAt(line, 21) == '1' ? 1 : 0;
  int band = static_cast<unsigned char>(CharAt(line, 20)) - '0';
  s.radio.bandIndex = (band < 1 || band > kBandCount) ? 0 : band;
}

// Reads the 14 band records and the 100 channels that follow the tag line.
// Only records with their exact layout are taken; a malformed band line
// leaves the band's record as it is, a malformed channel line makes the
// channel empty. Lines missing at the end leave band records as they are and
// channels empty. Returns true when the file was not as this program writes
// it, so that something in it may not have been taken.
bool TakeRecords(std::streambuf* in, PanelState& s) {
  bool irregular = false;
  std::string line;
  int band = 1;
  for (; band <= kBandCount; ++band) {
    if (!ReadLine(in, line)) break;
    if (IsBandRecord(line)) {
      s.banks.bandRecords[band] = line;
    } else {
      irregular = true;
    }
  }
  if (band <= kBandCount) irregular = true;

  int channel = 0;
  for (; channel < kChannelCount && band > kBandCount; ++channel) {
    if (!ReadLine(in, line)) break;
    if (IsChannelRecord(line)) {
      s.banks.memoryChannels[channel] = line;
    } else {
      s.banks.memoryChannels[channel] = kEmptyChannel;
      if (line != kEmptyChannel) irregular = true;
    }
  }
  if (channel < kChannelCount) {
    irregular = true;
    for (; channel < kChannelCount; ++channel) s.banks.memoryChannels[channel] = kEmptyChannel;
  }
  if (HasMoreContent(in)) irregular = true;
  return irregular;
}

bool IsPlainFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Moves an unusable bank file aside as "savmem.bad", replacing an older one,
// so that whatever it held is still there for the operator.
void SetAside(Panel& panel) {
  std::error_code ec;
  fs::rename(panel.File(kBankFile), panel.File(kSetAsideFile), ec);
}

// Keeps a copy of a bank file that was read only in part.
void KeepCopy(Panel& panel) {
  std::error_code ec;
  fs::copy_file(panel.File(kBankFile), panel.File(kSetAsideFile),
                fs::copy_options::overwrite_existing, ec);
}

// Drops the bank file of an old version; nothing reads it.
void RemoveOldBankFile(Panel& panel) {
  fs::path old = panel.File(kOldBankFile);
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(old, ec))) fs::remove(old, ec);
}

// No phrase says "memory file not saved", and any spoken failure would be
// taken for a radio problem, so the start-up stays silent about it (as it is
// for an unopened port); the note is for whoever started the program.
void NoteUnusableBankFile(Panel& panel) {
  TellOperator(panel.File(kBankFile).string() +
               " can be neither read nor written; going on with the default band records"
               " and empty memory channels");
}

}  // namespace

void LoadMemoryBanks(Panel& panel) {
  PanelState& s = panel.state;
  const fs::path path = panel.File(kBankFile);
  bool rewritten = false;
  for (;;) {
    std::ifstream file;
    if (IsPlainFile(path)) file.open(path, std::ios::binary);
    if (!file.is_open()) {
      if (rewritten) break;
      RemoveOldBankFile(panel);
      // A file that exists but cannot be opened is kept, not deleted.
      if (IsPlainFile(path)) SetAside(panel);
      rewritten = true;
      if (!TrySaveMemoryBanks(panel)) break;
      continue;
    }

    std::streambuf* in = file.rdbuf();
    std::string line;
    ReadLine(in, line);
    if (!IsAcceptedTag(line)) {
      file.close();
      if (rewritten) break;
      SetAside(panel);
      rewritten = true;
      if (!TrySaveMemoryBanks(panel)) break;
      continue;
    }

    TakeTagLine(line, s);
    const bool irregular = TakeRecords(in, s);
    file.close();
    if (irregular) KeepCopy(panel);
    return;
  }
  NoteUnusableBankFile(panel);
}

void SaveMemoryBanks(Panel& panel) { TrySaveMemoryBanks(panel); }

bool TrySaveMemoryBanks(Panel& panel) {
  const bool saved = ReplaceFileSafely(panel.File(kBankFile), BankFileText(panel.state));
  WriteMemoryReport(panel);
  return saved;
}

}  // namespace kelvaro
