// The SDL phrase player with SDL's dummy driver (timed by the clock) and its
// disk driver (which writes what the device plays, in real time).
//
// A busy machine can only make things take longer: lower bounds on times are
// close, upper bounds leave a wide margin.
#include "platform/sdl_voice.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace kelvaro {
namespace {

using namespace std::chrono_literals;
using Samples = std::vector<std::int16_t>;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 22050;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A tone of its own pitch for each phrase, so each can be found again in what
// the device played. No sample is 0, so silence never matches a phrase.
Samples Tone(double hz, std::chrono::milliseconds length, int rate = kRate, int channels = 1) {
  const std::size_t frames = static_cast<std::size_t>(rate * length.count() / 1000);
  Samples samples;
  for (std::size_t i = 0; i < frames; ++i) {
    const double value = 8000.0 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate + 0.3);
    const auto sample = static_cast<std::int16_t>(value >= 0 ? value + 1 : value - 1);
    for (int c = 0; c < channels; ++c) samples.push_back(sample);
  }
  return samples;
}

std::string Wav(const Samples& samples, int rate = kRate, int channels = 1) {
  auto le = [](std::uint32_t value, int width) {
    std::string bytes;
    for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xff);
    return bytes;
  };
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string wav = "RIFF" + le(36 + dataBytes, 4) + "WAVE";
  wav += "fmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * 2, 4) +
         le(channels * 2, 2) + le(16, 2);
  wav += "data" + le(dataBytes, 4);
  for (std::int16_t s : samples) wav += le(static_cast<std::uint16_t>(s), 2);
  return wav;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename F>
double Timed(F&& f) {
  const Clock::time_point start = Clock::now();
  f();
  return Seconds(Clock::now() - start);
}

class SdlVoiceTest : public ::testing::Test {
 protected:
  std::filesystem::path Put(const std::string& name, const Samples& samples, int rate = kRate,
                            int channels = 1) {
    dir_.Write(name, Wav(samples, rate, channels));
    return dir_.path() / name;
  }
  testing::TempDir dir_;
};

TEST_F(SdlVoiceTest, APhraseTakesAsLongAsItsRecording) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  const auto a = Put("a.wav", Tone(440, 300ms));
  const auto b = Put("b.wav", Tone(660, 300ms));
  // A recording of one's own in another format: 44100 Hz stereo.
  const auto own = Put("own.wav", Tone(550, 300ms, 44100, 2), 44100, 2);
  SdlVoice voice;
  EXPECT_EQ(voice.driver(), "dummy");
  EXPECT_TRUE(voice.clockTimed());

  bool played = false;
  EXPECT_GE(Timed([&] { played = voice.PlaySync(a); }), 0.8 * 0.3);
  EXPECT_TRUE(played);
  EXPECT_GE(Timed([&] { voice.PlaySync(a), voice.PlaySync(b), voice.PlaySync(a); }), 0.8 * 0.9);
  EXPECT_GE(Timed([&] { played = voice.PlaySync(own); }), 0.8 * 0.3);
  EXPECT_TRUE(played);
}

TEST_F(SdlVoiceTest, AMissingOrUnreadableFileIsSilentAndTakesNoTime) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  dir_.Write("text.wav", "not a recording at all");
  dir_.Write("torn.wav", Wav(Tone(440, 300ms)).substr(0, 30));
  SdlVoice voice;
  for (const char* name : {"absent.wav", "text.wav", "torn.wav"}) {
    bool played = true;
    EXPECT_LT(Timed([&] { played = voice.PlaySync(dir_.path() / name); }), 0.5) << name;
    EXPECT_FALSE(played) << name;
    EXPECT_FALSE(voice.PlayAsync(dir_.path() / name)) << name;
  }
  // A folder that does not exist (the silent meter display).
  EXPECT_FALSE(voice.PlaySync(dir_.path() / "xx" / "s.wav"));
  // A recording put in place while the program runs is found before long.
  EXPECT_FALSE(voice.PlaySync(dir_.path() / "late.wav"));
  dir_.Write("late.wav", Wav(Tone(440, 50ms)));
  bool found = false;
  for (int i = 0; i < 100 && !found; ++i) {
    found = voice.PlaySync(dir_.path() / "late.wav");
    if (!found) std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(found);
}

TEST_F(SdlVoiceTest, AnAsyncPhraseReturnsAtOnceAndTheNextPhraseCutsItOff) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  const auto help = Put("help.wav", Tone(300, 10000ms));
  const auto word = Put("word.wav", Tone(700, 300ms));
  SdlVoice voice;
  bool played = false;
  EXPECT_LT(Timed([&] { played = voice.PlayAsync(help); }), 5.0);
  EXPECT_TRUE(played);
  // Not cut off, the word would wait for the rest of the 10 s help phrase.
  const double wordTime = Timed([&] { voice.PlaySync(word); });
  EXPECT_GE(wordTime, 0.8 * 0.3);
  EXPECT_LT(wordTime, 5.0);
}

TEST_F(SdlVoiceTest, AnUnusableDriverFallsBackToTheDummyDriver) {
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  const auto a = Put("a.wav", Tone(440, 300ms));
  SdlVoice voice;
  EXPECT_EQ(voice.driver(), "dummy");
  EXPECT_GE(Timed([&] { voice.PlaySync(a); }), 0.8 * 0.3);
}

// Where `phrase` occurs in `played` at or after `from`, or npos.
std::size_t Find(const Samples& played, const Samples& phrase, std::size_t from) {
  if (from > played.size()) return std::string::npos;
  auto it = std::search(played.begin() + static_cast<std::ptrdiff_t>(from), played.end(),
                        phrase.begin(), phrase.end());
  return it == played.end() ? std::string::npos : static_cast<std::size_t>(it - played.begin());
}

TEST_F(SdlVoiceTest, TheDeviceHearsConsecutivePhrasesWithoutAddedSilence) {
  const std::filesystem::path out = dir_.path() / "played.raw";
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", out.string());
  const Samples b = Tone(440, 200ms), c = Tone(523, 150ms), help = Tone(300, 5000ms), d = Tone(880, 150ms);
  const auto bFile = Put("b.wav", b), cFile = Put("c.wav", c), helpFile = Put("help.wav", help),
             dFile = Put("d.wav", d);
  {
    SdlVoice voice;
    ASSERT_EQ(voice.driver(), "disk");
    ASSERT_FALSE(voice.clockTimed());
    ASSERT_EQ(voice.audioSpec().freq, kRate);
    ASSERT_EQ(voice.audioSpec().channels, 1);
    ASSERT_EQ(voice.audioSpec().format, AUDIO_S16SYS);
    EXPECT_TRUE(voice.PlaySync(bFile));
    EXPECT_TRUE(voice.PlaySync(cFile));
    EXPECT_TRUE(voice.PlayAsync(helpFile));                    // must not cut off the tail of c
    EXPECT_FALSE(voice.PlaySync(dir_.path() / "absent.wav"));  // must not cut off the help
    std::this_thread::sleep_for(300ms);                        // the help goes on meanwhile
    EXPECT_TRUE(voice.PlaySync(dFile));                        // cuts off the help
  }  // closing lets the tail of d play out

  const std::string raw = dir_.Read("played.raw");
  Samples played(raw.size() / 2);
  for (std::size_t i = 0; i < played.size(); ++i) {
    played[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                          static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  }
  const std::size_t bAt = Find(played, b, 0);
  ASSERT_NE(bAt, std::string::npos);
  EXPECT_EQ(Find(played, c, bAt), bAt + b.size()) << "c does not follow b directly";
  const std::size_t helpAt = bAt + b.size() + c.size();
  std::size_t heard = 0;
  while (helpAt + heard < played.size() && heard < help.size() && played[helpAt + heard] == help[heard]) ++heard;
  // The help ran from the end of c until d, without a pause: had the missing
  // phrase cut it off, the device would have played silence until d.
  EXPECT_GT(heard, 0u) << "the help does not follow c directly";
  EXPECT_LT(heard, help.size()) << "the help was not cut off";
  EXPECT_EQ(Find(played, d, helpAt + heard), helpAt + heard) << "d does not follow the help directly";
}

// A recording too long to be kept in memory is read again for each play and
// is heard from its start each time; the phrases around it join as before.
TEST_F(SdlVoiceTest, ALongRecordingIsHeardInFullEachTimeItPlays) {
  const std::filesystem::path out = dir_.path() / "played.raw";
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", out.string());
  const Samples help = Tone(300, 8000ms), d = Tone(880, 150ms);
  const auto helpFile = Put("help.wav", help), dFile = Put("d.wav", d);
  {
    SdlVoice voice;
    ASSERT_EQ(voice.driver(), "disk");
    for (int round = 0; round < 2; ++round) {
      EXPECT_TRUE(voice.PlayAsync(helpFile));
      std::this_thread::sleep_for(300ms);
      EXPECT_TRUE(voice.PlaySync(dFile));
    }
    EXPECT_EQ(voice.Length(helpFile), 8000ms);
  }
  const std::string raw = dir_.Read("played.raw");
  Samples played(raw.size() / 2);
  for (std::size_t i = 0; i < played.size(); ++i) {
    played[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                          static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  }
  const Samples start(help.begin(), help.begin() + kRate / 10);
  std::size_t from = 0;
  for (int round = 0; round < 2; ++round) {
    const std::size_t at = Find(played, start, from);
    ASSERT_NE(at, std::string::npos) << "round " << round << ": the help is not heard";
    const std::size_t dAt = Find(played, d, at);
    ASSERT_NE(dAt, std::string::npos) << "round " << round << ": d is not heard after the help";
    from = dAt + d.size();
  }
}

// Long recordings spoken one after the other: the second is read while the
// tail of the first still plays, which must not disturb that tail, and each
// is heard in full. A third, in another format (44100 Hz stereo), is
// converted as it is read and plays until the next phrase cuts it off.
TEST_F(SdlVoiceTest, LongRecordingsBackToBackAreEachHeardInFull) {
  const std::filesystem::path out = dir_.path() / "played.raw";
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", out.string());
  const Samples first = Tone(300, 6100ms), second = Tone(350, 6100ms), d = Tone(880, 150ms);
  const auto firstFile = Put("first.wav", first), secondFile = Put("second.wav", second),
             dFile = Put("d.wav", d);
  const auto thirdFile = Put("third.wav", Tone(400, 6100ms, 44100, 2), 44100, 2);
  {
    SdlVoice voice;
    ASSERT_EQ(voice.driver(), "disk");
    ASSERT_EQ(voice.audioSpec().freq, kRate);
    // Known beforehand, as the help is, so that playing them only reads them.
    for (const auto& f : {secondFile, thirdFile}) EXPECT_EQ(voice.Length(f), 6100ms) << f;
    EXPECT_TRUE(voice.PlaySync(firstFile));
    EXPECT_TRUE(voice.PlaySync(secondFile));
    EXPECT_TRUE(voice.PlayAsync(thirdFile));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(voice.PlaySync(dFile));
  }
  const std::string raw = dir_.Read("played.raw");
  Samples played(raw.size() / 2);
  for (std::size_t i = 0; i < played.size(); ++i) {
    played[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                          static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  }
  const std::size_t firstAt = Find(played, first, 0);
  ASSERT_NE(firstAt, std::string::npos) << "the first recording is not heard whole";
  const std::size_t secondAt = Find(played, second, firstAt + first.size());
  ASSERT_NE(secondAt, std::string::npos) << "the second recording is not heard whole";
  // The third sounds without a break until d cuts it off. Converting it takes
  // a while, so a busy machine may leave a gap before it.
  std::size_t thirdAt = secondAt + second.size();
  while (thirdAt < played.size() && played[thirdAt] == 0) ++thirdAt;
  const std::size_t dAt = Find(played, d, thirdAt);
  ASSERT_NE(dAt, std::string::npos) << "d is not heard after the third recording";
  EXPECT_GT(static_cast<double>(dAt - thirdAt) / kRate, 0.4);
  std::size_t silentRun = 0, longestSilence = 0;
  for (std::size_t i = thirdAt; i < dAt; ++i) {
    silentRun = played[i] == 0 ? silentRun + 1 : 0;
    longestSilence = std::max(longestSilence, silentRun);
  }
  EXPECT_LT(longestSilence, 8u) << "silence in the third recording";
}

// Through a device, all the recordings of a folder are read when the first
// of them is looked for, and are played from memory from then on.
TEST_F(SdlVoiceTest, AFoldersRecordingsAreReadTogetherOnce) {
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", (dir_.path() / "played.raw").string());
  const auto a = Put("a.wav", Tone(440, 100ms)), b = Put("b.wav", Tone(660, 100ms));
  SdlVoice voice;
  ASSERT_EQ(voice.driver(), "disk");
  EXPECT_TRUE(voice.PlaySync(a));
  std::filesystem::remove(b);
  EXPECT_TRUE(voice.PlaySync(b));
  EXPECT_EQ(voice.Length(b), 100ms);
  EXPECT_FALSE(voice.PlaySync(dir_.path() / "c.wav"));
}

std::string Le(std::uint32_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xff);
  return bytes;
}

// A chunk with its size as given (by default, the body's own), padded to an
// even length.
std::string Chunk(const std::string& id, const std::string& body, std::uint32_t declared = 0) {
  std::string chunk = id + Le(declared ? declared : static_cast<std::uint32_t>(body.size()), 4) + body;
  if (body.size() % 2) chunk += '\0';
  return chunk;
}

std::string Fmt(int tag, int channels, int rate, int bits, int frameBytes = 0, int subTag = 0) {
  if (frameBytes == 0) frameBytes = channels * bits / 8;
  std::string body = Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * frameBytes, 4) + Le(frameBytes, 2) +
                     Le(bits, 2);
  if (subTag) body += Le(22, 2) + Le(bits, 2) + Le(0, 4) + Le(subTag, 2) + std::string(14, 'g');
  return Chunk("fmt ", body);
}

std::string Riff(const std::string& chunks) { return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks; }

TEST(PcmSamplesTest, FindsTheSamplesOfUncompressedFilesAndNothingElse) {
  const std::string samples(1000, 'x');
  struct Case {
    const char* name;
    std::string file;
    std::optional<PcmSamples> expected;
  };
  const Case cases[] = {
      {"16-bit mono", Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples)), PcmSamples{AUDIO_S16LSB, 1, 22050, 44, 1000}},
      {"a list of odd size first", Riff(Fmt(1, 1, 22050, 16) + Chunk("LIST", "abcde") + Chunk("data", samples)),
       PcmSamples{AUDIO_S16LSB, 1, 22050, 58, 1000}},
      {"cut short", Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples, 100000)),
       PcmSamples{AUDIO_S16LSB, 1, 22050, 44, 1000}},
      {"a torn last frame", Riff(Fmt(1, 2, 44100, 16) + Chunk("data", samples + "abc")),
       PcmSamples{AUDIO_S16LSB, 2, 44100, 44, 1000}},
      {"8-bit", Riff(Fmt(1, 1, 8000, 8) + Chunk("data", samples)), PcmSamples{AUDIO_U8, 1, 8000, 44, 1000}},
      {"float", Riff(Fmt(3, 1, 22050, 32) + Chunk("data", samples)), PcmSamples{AUDIO_F32LSB, 1, 22050, 44, 1000}},
      {"extensible", Riff(Fmt(0xFFFE, 2, 48000, 16, 0, 1) + Chunk("data", samples)),
       PcmSamples{AUDIO_S16LSB, 2, 48000, 68, 1000}},
      {"compressed", Riff(Fmt(2, 1, 22050, 4, 256) + Chunk("data", samples)), std::nullopt},
      {"300 channels", Riff(Fmt(1, 300, 22050, 16) + Chunk("data", samples)), std::nullopt},
      {"a wrong frame size", Riff(Fmt(1, 2, 22050, 16, 3) + Chunk("data", samples)), std::nullopt},
      {"samples before the format", Riff(Chunk("data", samples) + Fmt(1, 1, 22050, 16)), std::nullopt},
      {"no samples", Riff(Fmt(1, 1, 22050, 16)), std::nullopt},
      {"not a WAV file", "RIFX" + Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples)).substr(4), std::nullopt},
  };
  testing::TempDir dir;
  for (const Case& c : cases) {
    dir.Write("f.wav", c.file);
    const int fd = open((dir.path() / "f.wav").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const std::optional<PcmSamples> found = FindPcmSamples(fd);
    close(fd);
    ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.name;
    if (!found) continue;
    EXPECT_EQ(found->format, c.expected->format) << c.name;
    EXPECT_EQ(found->channels, c.expected->channels) << c.name;
    EXPECT_EQ(found->rate, c.expected->rate) << c.name;
    EXPECT_EQ(found->offset, c.expected->offset) << c.name;
    EXPECT_EQ(found->size, c.expected->size) << c.name;
  }
}

}  // namespace
}  // namespace kelvaro
