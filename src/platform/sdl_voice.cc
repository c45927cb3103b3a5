#include "platform/sdl_voice.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
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
// 512 frames at 22050 Hz is 23 ms: small enough that a synchronous phrase
// returns close to its end, large enough for every driver to keep fed.
constexpr int kBufferFrames = 512;
// Added to one buffer when deciding that a synchronous phrase is as good as
// done, so that a phrase whose last chunk is exactly one buffer also returns
// before the device would pad it with silence.
constexpr auto kMargin = 5ms;
// Recordings longer than this (in bytes of the device's format) are not kept
// in memory; at 22050 Hz mono 16-bit that is about 6 s (every phrase but the
// help).
constexpr std::size_t kLongestKept = 256 * 1024;
// A missing file is looked for again after this long; at most this many
// missing names are remembered.
constexpr auto kMissingRecheck = 1s;
constexpr std::size_t kMostMissing = 256;
// A device that has not taken its queue this long after it should have
// played out is treated as stalled.
constexpr auto kStallAllowance = 1s;

// Hands memory freed by a long recording back to the system; the C library
// keeps freed memory for reuse otherwise.
void TrimHeap() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

int FrameBytes(const SDL_AudioSpec& audioSpec) {
  return static_cast<int>(SDL_AUDIO_BITSIZE(audioSpec.format) / 8) * audioSpec.channels;
}

std::chrono::steady_clock::duration FramesToDuration(std::int64_t frames, int rate) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(static_cast<double>(frames) / rate));
}

}  // namespace

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
  margin_ = kMargin;
}

SdlVoice::~SdlVoice() {
  if (device_ != 0) {
    if (asyncQueued_) {
      SDL_ClearQueuedAudio(device_);
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
  SDL_AudioSpec obtained{};
  // Any format the device prefers is accepted and the recordings converted to
  // it once, so SDL needs no conversion stream between the queue and the
  // device and one queued buffer is exactly one device buffer.
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

bool SdlVoice::PlaySync(const std::filesystem::path& file) {
  if (queueGrown_ && SDL_GetQueuedAudioSize(device_) == 0) ReleaseQueueMemory();
  const Recording* recording = Find(file);
  if (recording == nullptr) return false;
  CutOffAsync();
  Enqueue(*recording, file);
  asyncQueued_ = false;
  WaitUntilWaiting(buffer_ + margin_);
  return true;
}

bool SdlVoice::PlayAsync(const std::filesystem::path& file) {
  if (queueGrown_ && SDL_GetQueuedAudioSize(device_) == 0) ReleaseQueueMemory();
  const Recording* recording = Find(file);
  if (recording == nullptr) return false;
  CutOffAsync();
  Enqueue(*recording, file);
  asyncQueued_ = true;
  return true;
}

const SdlVoice::Recording* SdlVoice::Find(const std::filesystem::path& file) {
  const std::string key = file.string();
  auto found = cache_.find(key);
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
    std::optional<Recording> loaded = Load(file);
    if (loaded && (clockTimed_ || loaded->bytes.size() > kLongestKept)) {
      // Only its length is needed now; the sound is read again to play.
      loaded->reread = !clockTimed_;
      loaded->bytes = std::vector<std::uint8_t>();
    }
    found = cache_.emplace(key, std::move(loaded)).first;
  }
  return found->second ? &*found->second : nullptr;
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

void SdlVoice::CutOffAsync() {
  if (!asyncQueued_) return;
  // The help phrase was the last thing queued; anything before it had been
  // handed to the device already, or was the tail of a synchronous phrase
  // that the help phrase started after.
  if (device_ != 0) SDL_ClearQueuedAudio(device_);
  queueEnds_ = std::min(queueEnds_, Clock::now());
  asyncQueued_ = false;
  ReleaseQueueMemory();
}

void SdlVoice::Enqueue(const Recording& recording, const std::filesystem::path& file) {
  const Clock::time_point now = Clock::now();
  queueEnds_ = std::max(queueEnds_, now) + recording.length;
  if (clockTimed_) return;
  std::optional<Recording> reread;
  if (recording.reread) reread = Load(file);
  const std::vector<std::uint8_t>& bytes = reread ? reread->bytes : recording.bytes;
  if (bytes.empty()) return;
  if (SDL_QueueAudio(device_, bytes.data(), static_cast<Uint32>(bytes.size())) != 0) {
    // The device refused the sound (out of memory): keep the timing anyway.
    clockTimed_ = true;
    return;
  }
  // SDL's queue keeps the packets a phrase took for reuse: as much as the
  // longest phrase kept in memory is fine, a long one's are given back.
  if (bytes.size() > kLongestKept) queueGrown_ = true;
  if (reread) {
    // SDL keeps its own copy; the one read for it goes back at once.
    reread.reset();
    TrimHeap();
  }
}

void SdlVoice::ReleaseQueueMemory() {
  if (!queueGrown_ || device_ == 0) return;
  // Clearing an empty queue frees the packets SDL kept for reuse (all but
  // about two); the C library is then asked to hand the free memory back.
  if (SDL_GetQueuedAudioSize(device_) == 0) SDL_ClearQueuedAudio(device_);
  queueGrown_ = false;
  TrimHeap();
}

SdlVoice::Clock::duration SdlVoice::Waiting() const {
  if (clockTimed_) return std::max(Clock::duration::zero(), queueEnds_ - Clock::now());
  const std::int64_t frames = SDL_GetQueuedAudioSize(device_) / FrameBytes(spec_);
  return FramesToDuration(frames, spec_.freq);
}

void SdlVoice::WaitUntilWaiting(Clock::duration left) {
  const Clock::time_point giveUp = queueEnds_ + kStallAllowance;
  for (;;) {
    const Clock::duration waiting = Waiting();
    if (waiting <= left) return;
    if (!clockTimed_ && Clock::now() > giveUp) {
      SDL_ClearQueuedAudio(device_);
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
