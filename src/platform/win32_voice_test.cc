#include "platform/win32_voice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void Put(std::string& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

// A WAV file of silence; `claimed` is the data size its header gives (the
// real size when 0), `tag` the format code.
fs::path WriteWav(const std::string& name, int rate, int channels, int bits, std::uint32_t frames,
                  std::uint32_t claimed = 0, int tag = 1) {
  const std::uint32_t bytes = frames * channels * bits / 8;
  std::string file = "RIFF";
  Put(file, 36 + bytes, 4);
  file += "WAVEfmt ";
  Put(file, 16, 4);
  Put(file, tag, 2);
  Put(file, channels, 2);
  Put(file, rate, 4);
  Put(file, rate * channels * bits / 8, 4);
  Put(file, channels * bits / 8, 2);
  Put(file, bits, 2);
  file += "LIST";  // a chunk before the samples
  Put(file, 3, 4);
  file += std::string(4, 'x');  // odd size, padded
  file += "data";
  Put(file, claimed != 0 ? claimed : bytes, 4);
  file += std::string(bytes, bits == 8 ? '\x80' : '\0');
  const fs::path path = fs::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary) << file;
  return path;
}

TEST(Win32Voice, LengthComesFromTheHeader) {
  Win32Voice voice;
  const fs::path text = fs::temp_directory_path() / "kelvaro-not-a-wav.wav";
  std::ofstream(text) << "not a recording";
  const struct {
    fs::path file;
    std::optional<std::chrono::milliseconds> length;
  } cases[] = {
      {WriteWav("kelvaro-mono16.wav", 22050, 1, 16, 11025), 500ms},
      {WriteWav("kelvaro-stereo8.wav", 8000, 2, 8, 2000), 250ms},
      {WriteWav("kelvaro-short.wav", 22050, 1, 16, 2205, 44100), 100ms},  // cut short
      {WriteWav("kelvaro-float.wav", 22050, 1, 32, 100, 0, 3), std::nullopt},
      {text, std::nullopt},
      {fs::temp_directory_path() / "kelvaro-missing.wav", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(voice.Length(c.file), c.length) << c.file;
#ifdef KELVARO_WAVE_DIR
  // The recordings built for the panel are read as well.
  const auto help = voice.Length(fs::path(KELVARO_WAVE_DIR) / "help.wav");
  ASSERT_TRUE(help.has_value());
  EXPECT_GT(*help, 1s);
#endif
}

TEST(Win32Voice, APhraseTakesItsLengthWithOrWithoutADevice) {
  Win32Voice voice;
  int work = 0;
  voice.SetWhileWaiting([&] { ++work; });
  EXPECT_FALSE(voice.PlaySync(fs::temp_directory_path() / "kelvaro-missing.wav"));
  const fs::path phrase = WriteWav("kelvaro-400ms.wav", 22050, 1, 16, 8820);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(voice.PlaySync(phrase));
  ASSERT_TRUE(voice.PlaySync(phrase));
  const auto took = std::chrono::steady_clock::now() - start;
  // A device lets a phrase return a little before its end, so the next one
  // joins it; the two together still take nearly their length.
  EXPECT_GE(took, 800ms - 60ms) << (voice.DeviceOpen() ? "device" : "clock");
  EXPECT_GT(work, 1);
}

TEST(Win32Voice, TheNextPhraseCutsAnAsynchronousOne) {
  Win32Voice voice;
  const fs::path help = WriteWav("kelvaro-20s.wav", 22050, 1, 16, 22050 * 20);
  const fs::path phrase = WriteWav("kelvaro-100ms.wav", 22050, 1, 16, 2205);
  ASSERT_TRUE(voice.PlayAsync(help));
  EXPECT_TRUE(voice.AsyncPlaying());
  // A missing phrase cuts nothing.
  EXPECT_FALSE(voice.PlaySync(fs::temp_directory_path() / "kelvaro-missing.wav"));
  EXPECT_TRUE(voice.AsyncPlaying());
  ASSERT_TRUE(voice.PlaySync(phrase));
  EXPECT_FALSE(voice.AsyncPlaying());
  // The next asynchronous phrase cuts the one before as well.
  ASSERT_TRUE(voice.PlayAsync(help));
  ASSERT_TRUE(voice.PlayAsync(phrase));
  ASSERT_TRUE(voice.PlaySync(phrase));
  EXPECT_FALSE(voice.AsyncPlaying());
}

}  // namespace
}  // namespace kelvaro
