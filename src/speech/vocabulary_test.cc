// The phrase folder built from voice/ holds a playable recording for every
// phrase name the program can pass: the closed list, and every name written
// in the sources next to PlayPhrase.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "speech/phrase.h"
#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

const fs::path kWaveDir = KELVARO_WAVE_DIR;
const fs::path kSourceDir = fs::path(KELVARO_VOICE_DIR "/../src").lexically_normal();

// Every name the program passes, in the form it is passed.
const std::vector<std::string>& ClosedList() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (char d = '0'; d <= '9'; ++d) {
      all.push_back(std::string(1, d));
      all.push_back(std::string(1, d) + ".wav");
    }
    for (const char* name : {
             "10", "12", "15", "17", "20", "30", "40", "60", "70", "80", "160", "21", "gt5",
             // units and number words
             "point", "mhz", "khz", "hz", "watts", "metres", "wpm", "plus", "minus", "plus.wav",
             "s.wav", "max", "min",
             // modes
             "lsb.wav", "usb.wav", "cw.wav", "am.wav", "fm.wav", "nar.wav", "c4fm.wav",
             // quantities, controls and settings
             "swr", "alc", "bw", "band", "bank", "channel", "repeater", "split", "tx", "vfoa",
             "vfob", "mode", "options", "Power", "micgain", "rf", "af", "lev", "agc", "fast",
             "mid", "slow", "auto", "preamp", "at", "nb", "nr", "notch", "co", "spc", "bkin",
             "vox", "mon", "ks", "tuner", "atu", "tune", "beep", "ant1", "ant2", "swop", "dcs",
             "ctcss", "ofs", "eofs", "sch", "gch", "is", "both", "un", "ec", "ecd", "ton", "mn",
             "mp", "EF", "ncs", "extcm", "std", "rio",
             // answers and system messages
             "on", "off", "ok", "invalid", "wrong", "na", "nc", "quit", "connected", "cfgnf",
             "rnftx.wav", "ftx.wav", "help.wav", "delay"}) {
      all.emplace_back(name);
    }
    return all;
  }();
  return names;
}

struct WavInfo {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::string data;  // the sample bytes
};

std::uint32_t Le(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// Reads a RIFF/WAVE file with a PCM format chunk and a non-empty data chunk
// that lies wholly inside the file; anything else gives no result.
std::optional<WavInfo> ReadWav(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream all;
  all << in.rdbuf();
  const std::string bytes = all.str();
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    return std::nullopt;
  }
  WavInfo info;
  bool haveFormat = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string id = bytes.substr(at, 4);
    const std::uint32_t size = Le(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    if (size > bytes.size() - body) return std::nullopt;
    if (id == "fmt " && size >= 16) {
      const std::uint32_t tag = Le(bytes, body, 2);
      if (tag != 1 && tag != 0xFFFE) return std::nullopt;  // PCM or PCM in an extensible header
      info.channels = static_cast<int>(Le(bytes, body + 2, 2));
      info.rate = static_cast<int>(Le(bytes, body + 4, 4));
      info.bits = static_cast<int>(Le(bytes, body + 14, 2));
      haveFormat = info.channels > 0 && info.rate > 0 && info.bits > 0 && info.bits % 8 == 0;
    } else if (id == "data") {
      if (!haveFormat || size == 0) return std::nullopt;
      info.data = bytes.substr(body, size);
      return info;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

// The loudest 16-bit sample of a recording (0 for other sample sizes).
int Peak(const WavInfo& wav) {
  int peak = 0;
  if (wav.bits != 16) return 0;
  for (std::size_t i = 0; i + 1 < wav.data.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(Le(wav.data, i, 2));
    peak = std::max(peak, sample < 0 ? -static_cast<int>(sample) : static_cast<int>(sample));
  }
  return peak;
}

// The file PlayPhrase plays for a name, with the build folder as the working
// folder (so "wave\" is the built phrase folder).
fs::path FilePlayedFor(const std::string& name) {
  testing::TestPanel t;
  t.panel.workDir = kWaveDir.parent_path();
  PlayPhrase(t.panel, name);
  return t.voice.played.empty() ? fs::path() : fs::path(t.voice.played.back());
}

// The names that don't resolve to a readable recording in the built folder.
std::vector<std::string> Unplayable(const std::set<std::string>& names) {
  std::vector<std::string> bad;
  for (const std::string& name : names) {
    const fs::path file = FilePlayedFor(name);
    if (file.parent_path() != kWaveDir || !ReadWav(file)) bad.push_back(name + " (" + file.string() + ")");
  }
  return bad;
}

std::string Join(const std::vector<std::string>& items) {
  std::string all;
  for (const std::string& item : items) all += "\n  " + item;
  return all;
}

// The string literals in the phrase argument of every call that plays a
// phrase in a piece of source: calls of PlayPhrase and PlayPhraseAsync, and of
// the file's own wrappers, functions (Panel&, std::string_view) that hand
// their name on to PlayPhrase. Every literal in the argument counts, so both
// names of `on ? "on" : "off"` are seen; names built at run time (digits cut
// from numbers) are not, and are covered by the closed list.
std::set<std::string> PhraseNamesIn(const std::string& code) {
  std::set<std::string> callees = {"PlayPhrase", "PlayPhraseAsync"};
  const std::regex wrapper(
      R"re(\b(\w+)\s*\(\s*Panel\s*&\s*\w+\s*,\s*std::string_view\s+(\w+)\s*\)\s*\{[^{}]*\bPlayPhrase(?:Async)?\s*\(\s*\w+\s*,\s*\2\s*\))re");
  for (std::sregex_iterator it(code.begin(), code.end(), wrapper), end; it != end; ++it) {
    callees.insert((*it)[1].str());
  }

  std::set<std::string> names;
  const std::regex call(R"re(\b(\w+)\s*\()re");
  const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it) {
    if (callees.count((*it)[1].str()) == 0) continue;
    // The argument list up to the matching parenthesis, skipping quoted text.
    std::size_t at = static_cast<std::size_t>(it->position(0) + it->length(0));
    const std::size_t from = at;
    int depth = 1;
    while (at < code.size() && depth > 0) {
      const char c = code[at];
      if (c == '"' || c == '\'') {
        for (++at; at < code.size() && code[at] != c; ++at) {
          if (code[at] == '\\') ++at;
        }
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        --depth;
      }
      ++at;
    }
    const std::string arguments = code.substr(from, at - from);
    // The phrase is the second argument: everything after the first comma
    // outside quotes (a literal before it would be the panel, which it is not).
    const std::size_t comma = arguments.find(',');
    if (comma == std::string::npos) continue;
    const std::string phrase = arguments.substr(comma + 1);
    for (std::sregex_iterator l(phrase.begin(), phrase.end(), literal), lend; l != lend; ++l) {
      names.insert((*l)[1].str());
    }
  }
  return names;
}

TEST(Vocabulary, EveryNameOfTheClosedListHasARecording) {
  const std::set<std::string> names(ClosedList().begin(), ClosedList().end());
  const std::vector<std::string> bad = Unplayable(names);
  EXPECT_TRUE(bad.empty()) << "missing or unreadable:" << Join(bad);
  // "Power" and "EF" carry their capitals in the file name itself (read from
  // the folder's listing: a Windows file system finds "power.wav" as well).
  std::set<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(kWaveDir)) files.insert(entry.path().filename().string());
  EXPECT_TRUE(files.count("Power.wav"));
  EXPECT_TRUE(files.count("EF.wav"));
  EXPECT_FALSE(files.count("power.wav"));
}

TEST(Vocabulary, EveryNameWrittenInTheSourcesHasARecording) {
  std::set<std::string> names;
  int sources = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kSourceDir)) {
    const std::string path = entry.path().string();
    if (!entry.is_regular_file() || entry.path().extension() != ".cc") continue;
    if (path.size() >= 8 && path.compare(path.size() - 8, 8, "_test.cc") == 0) continue;
    ++sources;
    std::ifstream in(entry.path());
    std::ostringstream text;
    text << in.rdbuf();
    const std::set<std::string> found = PhraseNamesIn(text.str());
    names.insert(found.begin(), found.end());
  }
  ASSERT_GT(sources, 0) << kSourceDir;
  // Written as a plain call, so the scan must see it.
  ASSERT_EQ(names.count("connected"), 1u);
  const std::vector<std::string> bad = Unplayable(names);
  EXPECT_TRUE(bad.empty()) << "missing or unreadable:" << Join(bad);
}

TEST(Vocabulary, TheScanFindsNamesInCallsChoicesAndWrappers) {
  const std::string code = R"code(
    void Say(Panel& panel, std::string_view name) {
      if (!panel.state.entry.channelRecall) PlayPhrase(panel, name);
    }
    void Other(Panel& p) {
      PlayPhrase(p, "mhz");
      PlayPhraseAsync(panel,
                      "help.wav");
      PlayPhrase(panel, on ? "on" : Pick(s, ')', "off"));
      Say(panel, "ncs");
      Send(panel, "FA");
      PlayPhrase(panel, std::string(1, digit));
    }
  )code";
  EXPECT_EQ(PhraseNamesIn(code), (std::set<std::string>{"mhz", "help.wav", "on", "off", "ncs"}));
}

TEST(Vocabulary, EveryRecordingIsAValidWavWithSound) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(kWaveDir)) {
    if (entry.path().extension() != ".wav") continue;
    ++files;
    const std::string name = entry.path().stem().string();
    const std::optional<WavInfo> wav = ReadWav(entry.path());
    ASSERT_TRUE(wav) << entry.path();
    // "delay" is the pause for the radio's answer and must be silent;
    // everything else must be heard.
    if (name == "delay") {
      EXPECT_EQ(Peak(*wav), 0) << "delay must be silence";
      EXPECT_GT(wav->data.size(), 0u);
    } else if (wav->bits == 16) {
      EXPECT_GT(Peak(*wav), 1000) << name << " is silent";
    }
  }
  // One file per recording: the list counts "3" and "3.wav" separately.
  std::set<std::string> expectedFiles;
  for (const std::string& name : ClosedList()) expectedFiles.insert(FilePlayedFor(name).filename().string());
  EXPECT_GE(files, static_cast<int>(expectedFiles.size()));
}

TEST(Vocabulary, TheWavCheckRejectsBrokenFiles) {
  testing::TempDir dir;
  auto header = [](const std::string& format, const std::string& data) {
    std::string body = "WAVE" + format + data;
    std::string size(4, '\0');
    for (int i = 0; i < 4; ++i) size[i] = static_cast<char>(body.size() >> (8 * i));
    return "RIFF" + size + body;
  };
  const std::string pcm16("fmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0\x44\xac\0\0\x02\0\x10\0", 24);
  dir.Write("good.wav", header(pcm16, std::string("data\x04\0\0\0\x10\x27\xf0\xd8", 12)));
  dir.Write("empty.wav", header(pcm16, std::string("data\0\0\0\0", 8)));
  dir.Write("short.wav", header(pcm16, std::string("data\x40\0\0\0\x10\x27", 10)));
  dir.Write("nodata.wav", header(pcm16, ""));
  dir.Write("text.wav", "this is not a recording");

  const std::optional<WavInfo> good = ReadWav(dir.path() / "good.wav");
  ASSERT_TRUE(good);
  EXPECT_EQ(good->rate, 22050);
  EXPECT_EQ(good->channels, 1);
  EXPECT_EQ(Peak(*good), 10000);
  for (const char* broken : {"empty.wav", "short.wav", "nodata.wav", "text.wav", "absent.wav"}) {
    EXPECT_FALSE(ReadWav(dir.path() / broken)) << broken;
  }
}

}  // namespace
}  // namespace kelvaro
