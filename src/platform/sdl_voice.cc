#include "platform/sdl_voice.h"

#include <SDL.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <system_error>
#include <thread>

namespace kelvaro {
namespace {

using namespace std::chrono_literals;

// The recordings' own format (what espeak-ng writes). The device is asked for
// it; when it offers something else the recordings are converted once.
constexpr int kRate = 22050;
constexpr SDL_AudioFormat kFormat = AUDIO_S16SYS;
constexpr int kChannels = 1;
// 256 frames at 22050 Hz is 11.6 ms: a phrase queued while the device is
// idle is heard within that (on average half of it) after the key.
constexpr int kBufferFrames = 256;
// A synchronous phrase returns once this much or less of it is left to play,
// so that the next phrase is queued before the device runs dry: 512 frames
// and a margin, 28 ms. Not one buffer and the margin: with so short a window
// the caller is now and then too late, and the device pads the joins of a
// report with silence. The margin lets a phrase whose last chunk is exactly
// one buffer return before the device would pad it.
constexpr auto kAheadOfEnd = std::chrono::microseconds(512 * 1000000LL / kRate);
constexpr auto kMargin = 5ms;
// Recordings longer than this (in bytes of the device's format) are not kept
// in memory; at 22050 Hz mono 16-bit that is about 6 s (every phrase but the
// help).
constexpr std::size_t kLongestKept = 256 * 1024;
// A missing file is looked for again after this long; at most this many
// missing names are remembered.
constexpr auto kMissingRecheck = 1s;
constexpr std::size_t kMostMissing = 256;
// Recordings of a phrase folder read at once when the first of them plays:
// at most this many folders, and this many recordings in each.
constexpr std::size_t kMostFolders = 4;
constexpr std::size_t kMostInFolder = 1024;
// A device that has not taken its queue this long after it should have
// played out is treated as stalled.
constexpr auto kStallAllowance = 1s;

// How long to wait for a long buffer to come free before the device is
// treated as stalled.
constexpr auto kLongBufferWait = 2s;

int FrameBytes(const SDL_AudioSpec& audioSpec) {
  return static_cast<int>(SDL_AUDIO_BITSIZE(audioSpec.format) / 8) * audioSpec.channels;
}

std::chrono::steady_clock::duration FramesToDuration(std::int64_t frames, int rate) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(static_cast<double>(frames) / rate));
}

std::uint32_t LittleEndian(const unsigned char* bytes, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

std::optional<PcmSamples> FindPcmSamples(int fd) {
  struct stat status {};
  unsigned char head[12];
  if (fstat(fd, &status) != 0 || pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head) ||
      std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  PcmSamples pcm;
  off_t at = sizeof head;
  // Chunks before the samples are few (format, perhaps a list or a fact).
  for (int chunk = 0; chunk < 32; ++chunk) {
    unsigned char header[8];
    if (pread(fd, header, sizeof header, at) != static_cast<ssize_t>(sizeof header)) return std::nullopt;
    const std::uint32_t size = LittleEndian(header + 4, 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      unsigned char format[26] = {};
      const ssize_t got = pread(fd, format, std::min<std::size_t>(size, sizeof format), at + 8);
      if (size < 16 || got < 16) return std::nullopt;
      std::uint32_t tag = LittleEndian(format, 2);
      pcm.channels = static_cast<int>(LittleEndian(format + 2, 2));
      pcm.rate = static_cast<int>(LittleEndian(format + 4, 4));
      const std::uint32_t frameBytes = LittleEndian(format + 12, 2);
      const std::uint32_t bits = LittleEndian(format + 14, 2);
      if (tag == 0xFFFE && got >= 26) tag = LittleEndian(format + 24, 2);  // the extensible form
      if (tag == 1 && bits == 16) {
        pcm.format = AUDIO_S16LSB;
      } else if (tag == 1 && bits == 8) {
        pcm.format = AUDIO_U8;
      } else if (tag == 3 && bits == 32) {
        pcm.format = AUDIO_F32LSB;
      } else {
        return std::nullopt;
      }
      // SDL converts up to 8 channels.
      if (pcm.channels <= 0 || pcm.channels > 8 || pcm.rate <= 0 ||
          frameBytes != static_cast<std::uint32_t>(pcm.channels) * bits / 8) {
        return std::nullopt;
      }
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (pcm.format == 0) return std::nullopt;
      pcm.offset = static_cast<std::int64_t>(at) + 8;
      // A file cut short (or one written as a stream, with no size) holds
      // less than its header says: only what is there is played.
      const off_t there = std::max<off_t>(0, status.st_size - static_cast<off_t>(pcm.offset));
      pcm.size = std::min<std::size_t>(size, static_cast<std::size_t>(there));
      const std::size_t frameBytes = SDL_AUDIO_BITSIZE(pcm.format) / 8 * static_cast<std::size_t>(pcm.channels);
      pcm.size -= pcm.size % frameBytes;
      return pcm;
    }
    at += 8 + static_cast<off_t>(size) + (size & 1);
  }
  return std::nullopt;
}

SdlVoice::SdlVoice() {
  spec_.freq = kRate;
  spec_.format = kFormat;
  spec_.channels = kChannels;
  spec_.samples = kBufferFrames;

  subsystemStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (subsystemStarted_) OpenDevice();
  if (device_ == 0) {
    // No sound card (SDL falls back to ALSA, which cannot open), or a driver
    // that is not available: the "dummy" driver takes its place, so the run
    // looks the same apart from the silence.
    if (SDL_AudioInit("dummy") == 0) {
      driverStarted_ = !subsystemStarted_;
      OpenDevice();
    }
  }
  if (device_ != 0) {
    driver_ = SDL_GetCurrentAudioDriver();
    SDL_PauseAudioDevice(device_, 0);
  }
  // SDL's dummy driver is not guaranteed to take sound at the pace it would
  // play; its phrases, like those without any device, are timed by the clock.
  clockTimed_ = device_ == 0 || driver_ == "dummy";
  if (device_ != 0 && driver_ == "dummy") {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  buffer_ = FramesToDuration(spec_.samples, spec_.freq);
  margin_ = std::max<Clock::duration>(kAheadOfEnd - buffer_, Clock::duration::zero()) + kMargin;
}

SdlVoice::~SdlVoice() {
  if (device_ != 0) {
    if (asyncQueued_) {
      ClearQueue();
    } else if (!clockTimed_) {
      // Let the tail of the last synchronous phrase reach the device, and
      // the device play its last buffer, before closing it.
      WaitUntilWaiting(Clock::duration::zero());
      std::this_thread::sleep_for(buffer_ + margin_);
    }
    SDL_CloseAudioDevice(device_);
  }
  if (subsystemStarted_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else if (driverStarted_) {
    SDL_AudioQuit();
  }
}

bool SdlVoice::OpenDevice() {
  SDL_AudioSpec wanted{};
  wanted.freq = kRate;
  wanted.format = kFormat;
  wanted.channels = kChannels;
  wanted.samples = kBufferFrames;
  wanted.callback = &SdlVoice::Fill;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // Any format the device prefers is accepted and the recordings converted to
  // it once, so SDL needs no conversion stream between the callback and the
  // device and what the callback fills is exactly one device buffer.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (device_ == 0) return false;
  if (obtained.freq <= 0 || obtained.channels == 0 || obtained.samples == 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    return false;
  }
  spec_ = obtained;
  return true;
}

bool SdlVoice::Start(const std::filesystem::path& file, bool async) {
  const Recording* recording = Find(file);
  if (recording == nullptr) return false;
  CutOffAsync();
  Enqueue(*recording, file, async);
  asyncQueued_ = async;
  return true;
}

bool SdlVoice::PlaySync(const std::filesystem::path& file) {
  if (!Start(file, false)) return false;
  WaitUntilWaiting(buffer_ + margin_);
  return true;
}

bool SdlVoice::PlayQueued(const std::filesystem::path& file) { return Start(file, false); }

bool SdlVoice::PlayAsync(const std::filesystem::path& file) { return Start(file, true); }

const SdlVoice::Recording* SdlVoice::Find(const std::filesystem::path& file) {
  std::string key = file.string();
  auto found = cache_.find(key);
  if (found == cache_.end() && !clockTimed_ && KeepFolder(file.parent_path())) found = cache_.find(key);
  if (found == cache_.end()) {
    // A missing file is looked for again a second later, so a recording put
    // in place while the program runs is picked up, and the silent phrases
    // of the meter shown on every poll cost no file system look-up each.
    const Clock::time_point now = Clock::now();
    auto absent = missing_.find(key);
    if (absent != missing_.end() && now < absent->second) return nullptr;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
      if (missing_.size() >= kMostMissing) missing_.clear();
      missing_[key] = now + kMissingRecheck;
      return nullptr;
    }
    missing_.erase(key);
    found = Keep(std::move(key), file);
  }
  return found->second ? &*found->second : nullptr;
}

SdlVoice::Cache::iterator SdlVoice::Keep(std::string key, const std::filesystem::path& file) {
  std::optional<Recording> loaded = Load(file);
  if (loaded && (clockTimed_ || loaded->bytes.size() > kLongestKept)) {
    // Only its length is needed now; the sound is read again to play.
    loaded->reread = !clockTimed_;
    // The buffer it will be read into is taken now, while nothing plays from
    // it, so that the first time it plays adds nothing to the memory in use.
    if (loaded->reread && long_[0].size() < loaded->bytes.size() && !LongBufferInUse(0)) {
      long_[0].resize(loaded->bytes.size());
    }
    loaded->bytes = std::vector<std::uint8_t>();
  }
  return cache_.emplace(std::move(key), std::move(loaded)).first;
}

bool SdlVoice::KeepFolder(const std::filesystem::path& folder) {
  if (keptFolders_.size() >= kMostFolders) return false;
  const std::string name = folder.string();
  if (std::find(keptFolders_.begin(), keptFolders_.end(), name) != keptFolders_.end()) return false;
  keptFolders_.push_back(name);
  // Every recording of the folder at once, rather than each on first use:
  // otherwise memory would grow in small steps for hours, as phrases that
  // are rarely spoken come up for the first time.
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  std::size_t kept = 0;
  for (; !error && entries != std::filesystem::directory_iterator() && kept < kMostInFolder;
       entries.increment(error)) {
    const std::filesystem::path& path = entries->path();
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::error_code notFile;
    if (extension != ".wav" || !entries->is_regular_file(notFile)) continue;
    std::string key = path.string();
    if (cache_.find(key) == cache_.end()) Keep(std::move(key), path);
    ++kept;
  }
  return true;
}

std::optional<SdlVoice::Recording> SdlVoice::Load(const std::filesystem::path& file) const {
  SDL_AudioSpec source{};
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV(file.c_str(), &source, &data, &length) == nullptr) return std::nullopt;

  Recording recording;
  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq,
                                      spec_.format, spec_.channels, spec_.freq);
  if (built < 0) {
    SDL_FreeWAV(data);
    return std::nullopt;
  }
  // Whole frames only: a torn last frame would shift every later sample.
  length -= length % static_cast<Uint32>(FrameBytes(source));
  if (built == 0) {
    recording.bytes.assign(data, data + length);
  } else if (length > 0) {
    cvt.len = static_cast<int>(length);
    std::vector<std::uint8_t> work(static_cast<std::size_t>(length) * cvt.len_mult);
    std::memcpy(work.data(), data, length);
    cvt.buf = work.data();
    if (SDL_ConvertAudio(&cvt) != 0) {
      SDL_FreeWAV(data);
      return std::nullopt;
    }
    work.resize(static_cast<std::size_t>(cvt.len_cvt));
    recording.bytes = std::move(work);
  }
  SDL_FreeWAV(data);

  const int frameBytes = FrameBytes(spec_);
  recording.bytes.resize(recording.bytes.size() - recording.bytes.size() % frameBytes);
  recording.length =
      FramesToDuration(static_cast<std::int64_t>(recording.bytes.size() / frameBytes), spec_.freq);
  return recording;
}

std::optional<std::size_t> SdlVoice::ReadLong(const std::filesystem::path& file,
                                               std::vector<std::uint8_t>& buffer) const {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const std::optional<PcmSamples> pcm = FindPcmSamples(fd);
  SDL_AudioCVT cvt;
  const int built = pcm ? SDL_BuildAudioCVT(&cvt, pcm->format, static_cast<Uint8>(pcm->channels), pcm->rate,
                                            spec_.format, spec_.channels, spec_.freq)
                        : -1;
  if (built < 0) {
    // Compressed, or a layout of its own: SDL reads it (and allocates for it).
    close(fd);
    std::optional<Recording> loaded = Load(file);
    if (!loaded) return std::nullopt;
    if (buffer.size() < loaded->bytes.size()) buffer.resize(loaded->bytes.size());
    std::copy(loaded->bytes.begin(), loaded->bytes.end(), buffer.begin());
    return loaded->bytes.size();
  }
  const std::size_t room = pcm->size * static_cast<std::size_t>(built == 0 ? 1 : cvt.len_mult);
  // Grown once, to the longest recording; resize never shrinks its capacity.
  if (buffer.size() < room) buffer.resize(room);
  std::size_t got = 0;
  while (got < pcm->size) {
    const ssize_t n = pread(fd, buffer.data() + got, pcm->size - got, static_cast<off_t>(pcm->offset + got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  const std::size_t sourceFrame = SDL_AUDIO_BITSIZE(pcm->format) / 8 * static_cast<std::size_t>(pcm->channels);
  got -= got % sourceFrame;
  std::size_t used = got;
  if (built == 1 && got > 0) {
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(got);
    if (SDL_ConvertAudio(&cvt) != 0) return std::nullopt;
    used = static_cast<std::size_t>(cvt.len_cvt);
  }
  return used - used % static_cast<std::size_t>(FrameBytes(spec_));
}

void SdlVoice::CutOffAsync() {
  if (!asyncQueued_) return;
  // The help phrase was the last thing queued; anything before it is the
  // tail of a synchronous phrase that the help phrase started after.
  if (device_ != 0) SDL_LockAudioDevice(device_);
  while (queued_ > 0 && queue_[(first_ + queued_ - 1) % kSegments].async) {
    queue_[(first_ + queued_ - 1) % kSegments] = Segment{};
    --queued_;
  }
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
  queueEnds_ = std::min(queueEnds_, Clock::now());
  asyncQueued_ = false;
}

void SdlVoice::Enqueue(const Recording& recording, const std::filesystem::path& file, bool async) {
  const Clock::time_point now = Clock::now();
  queueEnds_ = std::max(queueEnds_, now) + recording.length;
  if (clockTimed_) return;
  Segment segment;
  segment.async = async;
  if (recording.reread) {
    const int which = FreeLongBuffer();
    if (which < 0) return;
    const std::optional<std::size_t> used = ReadLong(file, long_[which]);
    if (!used || *used == 0) return;
    segment.data = long_[which].data();
    segment.size = *used;
    segment.longBuffer = which;
  } else {
    segment.data = recording.bytes.data();
    segment.size = recording.bytes.size();
  }
  if (segment.size == 0) return;
  Append(segment);
}

void SdlVoice::Append(const Segment& segment) {
  const Clock::time_point giveUp = queueEnds_ + kStallAllowance;
  for (;;) {
    SDL_LockAudioDevice(device_);
    if (queued_ < kSegments) {
      queue_[(first_ + queued_) % kSegments] = segment;
      ++queued_;
      SDL_UnlockAudioDevice(device_);
      return;
    }
    SDL_UnlockAudioDevice(device_);
    // Only a run of phrases each shorter than a device buffer fills the
    // queue; the device frees a place within a buffer.
    if (Clock::now() > giveUp) {
      ClearQueue();
      continue;
    }
    std::this_thread::sleep_for(1ms);
  }
}

bool SdlVoice::LongBufferInUse(int which) const {
  bool inUse = false;
  SDL_LockAudioDevice(device_);
  for (std::size_t i = 0; i < queued_; ++i) inUse = inUse || queue_[(first_ + i) % kSegments].longBuffer == which;
  SDL_UnlockAudioDevice(device_);
  return inUse;
}

int SdlVoice::FreeLongBuffer() {
  const Clock::time_point giveUp = Clock::now() + kLongBufferWait;
  for (;;) {
    // The first buffer by preference, so the second is only ever taken for
    // one long phrase following another. (Only this thread queues, so a
    // buffer seen free stays free.)
    if (!LongBufferInUse(0)) return 0;
    if (!LongBufferInUse(1)) return 1;
    if (Clock::now() > giveUp) {
      ClearQueue();
      return -1;
    }
    std::this_thread::sleep_for(1ms);
  }
}

void SdlVoice::Fill(void* self, Uint8* stream, int length) {
  auto& voice = *static_cast<SdlVoice*>(self);
  auto left = static_cast<std::size_t>(length);
  while (left > 0 && voice.queued_ > 0) {
    Segment& segment = voice.queue_[voice.first_];
    const std::size_t n = std::min(left, segment.size - segment.taken);
    std::memcpy(stream, segment.data + segment.taken, n);
    stream += n;
    left -= n;
    segment.taken += n;
    if (segment.taken == segment.size) {
      segment = Segment{};
      voice.first_ = (voice.first_ + 1) % kSegments;
      --voice.queued_;
    }
  }
  if (left > 0) std::memset(stream, voice.spec_.silence, left);
}

void SdlVoice::ClearQueue() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
  for (Segment& segment : queue_) segment = Segment{};
  first_ = 0;
  queued_ = 0;
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

SdlVoice::Clock::duration SdlVoice::Waiting() const {
  if (clockTimed_) return std::max(Clock::duration::zero(), queueEnds_ - Clock::now());
  std::size_t bytes = 0;
  SDL_LockAudioDevice(device_);
  for (std::size_t i = 0; i < queued_; ++i) {
    const Segment& segment = queue_[(first_ + i) % kSegments];
    bytes += segment.size - segment.taken;
  }
  SDL_UnlockAudioDevice(device_);
  return FramesToDuration(static_cast<std::int64_t>(bytes / FrameBytes(spec_)), spec_.freq);
}

void SdlVoice::WaitUntilWaiting(Clock::duration left) {
  const Clock::time_point giveUp = queueEnds_ + kStallAllowance;
  for (;;) {
    const Clock::duration waiting = Waiting();
    if (waiting <= left) return;
    if (!clockTimed_ && Clock::now() > giveUp) {
      ClearQueue();
      return;
    }
    // The device takes whole buffers, so the queue shrinks in steps; sleep
    // until it could have shrunk enough, but at least a millisecond, and with
    // work to do meanwhile no more than a few milliseconds at a time.
    Clock::duration nap = std::max<Clock::duration>(waiting - left, 1ms);
    if (whileWaiting_) {
      whileWaiting_();
      nap = std::min<Clock::duration>(nap, 5ms);
    }
    std::this_thread::sleep_for(nap);
  }
}

std::optional<std::chrono::milliseconds> SdlVoice::Length(const std::filesystem::path& file) {
  const Recording* recording = Find(file);
  if (recording == nullptr) return std::nullopt;
  return std::chrono::duration_cast<std::chrono::milliseconds>(recording->length);
}

}  // namespace kelvaro
