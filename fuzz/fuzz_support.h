// Shared pieces of the fuzz targets: a working folder per process, the test
// panel on the platform fakes working in it, the start-up as the program does
// it, and the checks that every target applies (command forms and phrases
// from tests/command_grammar.h, record layouts, the frequency text).
//
// A failed check prints what was wrong and aborts, which libFuzzer reports as
// a crash and saves the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "command_grammar.h"
#include "platform/fakes.h"
#include "state/panel.h"
#include "test_support.h"

namespace kelvaro::fuzz {

// Stops the run with a report; libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);
#define FUZZ_CHECK(cond, what)          \
  do {                                  \
    if (!(cond)) ::kelvaro::fuzz::Fail(what); \
  } while (0)

// The process's working folder (on tmpfs when there is one, so the safe
// saves of the memory bank file cost no disk flushes). Created on first use
// and removed when the process exits.
const std::filesystem::path& WorkFolder();
// Removes every file the previous input left in the working folder.
void ClearWorkFolder();
// Writes a file in the working folder with exactly these bytes.
void WriteWorkFile(std::string_view name, std::string_view bytes);
// The whole content of a file in the working folder; false when missing.
bool ReadWorkFile(std::string_view name, std::string* bytes);

// The test panel (the fakes, a panel, the speech log) in the working folder.
struct FuzzPanel : testing::PanelOnFakes {
  FuzzPanel() : PanelOnFakes(WorkFolder()) {}
};

// The command forms and the recordings, as the unit tests know them.
using testing::IsRecording;
using testing::MalformedCommand;
using testing::MayBeRefused;
using testing::Vocabulary;

// A configuration file as an operator writes it: radio on COM 5 at 38400
// bit/s, 50 W, tuner off, standard repeater shifts, no pass-through port, no
// debug log.
std::string StandardConfiguration(int passThroughPort = 0, bool debugLog = false);

// Sets the texts the program sets before anything else (version, title, the
// phrase folder).
void SetFixedTexts(PanelState& s);
// The start-up as the program runs it, without the window loop: fixed texts,
// the configuration read from `configuration`, InitialisePanel and
// IdentifyRadio. Returns false when the radio was refused (the program has
// then shut itself down).
bool StartPanel(FuzzPanel& t, const std::string& configuration);

// Every command written to `port` since the start (split after each ";"; a
// trailing part without ";" is returned as its own element).
std::vector<std::string> CommandsOn(FakePorts& ports, int port);
// The commands completed on `port` since the last call with the same `seen`
// (the count of bytes already taken; a command still without its ";" waits).
std::vector<std::string> NewCommandsOn(FakePorts& ports, int port, std::size_t* seen);

// Why frequencyText does not have one of its layouts ("" when it has): the
// megahertz with up to two leading zeros dropped, "." and six digits
// ("7.100000", "14.250000", "145.500000"), or the 10-character panel form
// with blanks in place of leading zeros (" 14.250000", "   .475000").
std::string BadFrequencyText(std::string_view text);

// Checks the band records (exact layout) and the memory channels (channel
// layout or the empty "9").
void CheckRecords(const PanelState& s);

// Reads the recordings' names once (stops the run when they cannot be read).
void LoadVocabulary();
// Checks that every phrase logged since the last call names a recording, and
// forgets them.
void CheckSpokenPhrases(FuzzPanel& t);

// Input bytes read front to back; reads past the end give 0.
class Input {
 public:
  Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::size_t left() const { return size_ - at_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string_view Bytes(std::size_t n) {
    n = std::min(n, left());
    std::string_view out(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return out;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The lines of a file read the way the panel's files are read, worked out
// independently of the panel's own reader: ended by CR LF, LF or CR, each cut
// to `max` characters.
std::vector<std::string> FileLines(std::string_view bytes, std::size_t max);

}  // namespace kelvaro::fuzz
