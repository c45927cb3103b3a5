#include "platform/win32_voice.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <thread>

namespace kelvaro {
namespace {

using namespace std::chrono_literals;

// A synchronous phrase returns this long before the device reaches its end,
// so the next phrase is written while it still plays.
constexpr auto kMargin = 30ms;
// How often the wait for a phrase looks at the device and runs the work.
constexpr auto kPoll = 3ms;
// Recordings longer than this are read each time they play.
constexpr std::size_t kLongestKept = 256 * 1024;
constexpr std::size_t kMostKept = 1024;
// A device that has not played its queue this long after it should have is
// given up on (reset), so a stalled device cannot hold the panel.
constexpr auto kStallAllowance = 1s;

std::uint32_t LittleEndian(const unsigned char* bytes, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

std::chrono::steady_clock::duration BytesToDuration(std::uint64_t bytes, int rate, int frameBytes) {
  if (rate <= 0 || frameBytes <= 0) return {};
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bytes / static_cast<std::uint64_t>(frameBytes)) / rate));
}

}  // namespace

std::chrono::milliseconds WavSound::Length() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(BytesToDuration(samples.size(), rate, FrameBytes()));
}

std::optional<WavSound> ReadWav(const std::filesystem::path& file, bool withSamples) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::streamoff fileSize = in.tellg();
  in.seekg(0);
  unsigned char head[12];
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  WavSound sound;
  std::streamoff at = sizeof head;
  // Chunks before the samples are few (the format, perhaps a list or a fact).
  for (int chunk = 0; chunk < 32; ++chunk) {
    unsigned char header[8];
    in.seekg(at);
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return std::nullopt;
    const std::uint32_t size = LittleEndian(header + 4, 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      unsigned char format[26] = {};
      if (size < 16) return std::nullopt;
      in.read(reinterpret_cast<char*>(format), std::min<std::uint32_t>(size, sizeof format));
      if (in.gcount() < 16) return std::nullopt;
      std::uint32_t tag = LittleEndian(format, 2);
      if (tag == 0xFFFE && in.gcount() >= 26) tag = LittleEndian(format + 24, 2);  // the extensible form
      sound.channels = static_cast<int>(LittleEndian(format + 2, 2));
      sound.rate = static_cast<int>(LittleEndian(format + 4, 4));
      sound.bits = static_cast<int>(LittleEndian(format + 14, 2));
      const std::uint32_t frameBytes = LittleEndian(format + 12, 2);
      if (tag != 1 || (sound.bits != 8 && sound.bits != 16) || sound.channels < 1 || sound.channels > 2 ||
          sound.rate <= 0 || frameBytes != static_cast<std::uint32_t>(sound.FrameBytes())) {
        return std::nullopt;
      }
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (sound.rate == 0) return std::nullopt;
      // A file cut short (or written as a stream, with no size) holds less
      // than its header says: only what is there is played.
      const std::streamoff there = std::max<std::streamoff>(0, fileSize - (at + 8));
      std::size_t bytes = std::min<std::size_t>(size, static_cast<std::size_t>(there));
      bytes -= bytes % static_cast<std::size_t>(sound.FrameBytes());
      sound.samples.resize(bytes);
      if (withSamples && bytes > 0 && !in.read(reinterpret_cast<char*>(sound.samples.data()),
                                               static_cast<std::streamsize>(bytes))) {
        return std::nullopt;
      }
      return sound;
    }
    at += 8 + static_cast<std::streamoff>(size) + (size & 1);
  }
  return std::nullopt;
}

Win32Voice::~Win32Voice() {
  if (device_ != nullptr && !asyncLast_) {
    // Let the last synchronous phrase play out before the device closes.
    const auto deadline = Clock::now() + BytesToDuration(queuedBytes_ - std::min(queuedBytes_, Position()), rate_,
                                                         channels_ * bits_ / 8) + kStallAllowance;
    WaitUntil(queuedBytes_, deadline);
    // The position counts what the driver has passed on; the driver gives
    // a buffer back once it has been heard, and closing before that would
    // cut the phrase's end off.
    while (Clock::now() < deadline && device_ != nullptr) {
      Reclaim(false);
      if (queue_.empty()) break;
      std::this_thread::sleep_for(kPoll);
    }
  }
  CloseDevice();
}

std::shared_ptr<const WavSound> Win32Voice::Find(const std::filesystem::path& file) {
  const std::string key = file.string();
  if (auto found = kept_.find(key); found != kept_.end()) return found->second;
  auto sound = ReadWav(file, true);
  if (!sound || sound->samples.empty()) return nullptr;
  auto shared = std::make_shared<const WavSound>(std::move(*sound));
  if (shared->samples.size() <= kLongestKept && kept_.size() < kMostKept) kept_.emplace(key, shared);
  return shared;
}

std::optional<std::chrono::milliseconds> Win32Voice::Length(const std::filesystem::path& file) {
  if (auto found = kept_.find(file.string()); found != kept_.end()) return found->second->Length();
  auto sound = ReadWav(file, false);
  if (!sound) return std::nullopt;
  return sound->Length();
}

bool Win32Voice::Ready(const WavSound& sound) {
  if (device_ != nullptr && sound.rate == rate_ && sound.channels == channels_ && sound.bits == bits_) return true;
  if (device_ == nullptr && deviceFailed_) return false;
  if (device_ != nullptr) {
    // Another format: what is queued plays out first, in its own.
    if (!asyncLast_) WaitUntil(queuedBytes_, playsUntil_ + kStallAllowance);
    CloseDevice();
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(sound.channels);
  format.nSamplesPerSec = static_cast<DWORD>(sound.rate);
  format.wBitsPerSample = static_cast<WORD>(sound.bits);
  format.nBlockAlign = static_cast<WORD>(sound.FrameBytes());
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  if (waveOutOpen(&device_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    // Not looked for again: without a device the run is timed by the clock.
    device_ = nullptr;
    deviceFailed_ = true;
    return false;
  }
  rate_ = sound.rate;
  channels_ = sound.channels;
  bits_ = sound.bits;
  queuedBytes_ = 0;
  return true;
}

void Win32Voice::CloseDevice() {
  if (device_ == nullptr) return;
  waveOutReset(device_);
  Reclaim(true);
  waveOutClose(device_);
  device_ = nullptr;
  queuedBytes_ = 0;
  asyncLast_ = false;
}

void Win32Voice::Reclaim(bool all) {
  while (!queue_.empty() && (all || (queue_.front().header.dwFlags & WHDR_DONE) != 0)) {
    waveOutUnprepareHeader(device_, &queue_.front().header, sizeof(WAVEHDR));
    queue_.pop_front();
  }
}

std::uint64_t Win32Voice::Position() {
  if (device_ == nullptr) return 0;
  MMTIME time{};
  time.wType = TIME_BYTES;
  if (waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
  std::uint64_t bytes = 0;
  if (time.wType == TIME_BYTES) {
    bytes = time.u.cb;
  } else if (time.wType == TIME_SAMPLES) {
    bytes = static_cast<std::uint64_t>(time.u.sample) * static_cast<std::uint64_t>(channels_ * bits_ / 8);
  } else {
    return 0;
  }
  // The device counts in 32 bits: what is queued tells which lap it is on.
  const std::uint64_t lap = std::uint64_t{1} << 32;
  if (queuedBytes_ >= lap && time.wType == TIME_BYTES) {
    bytes += (queuedBytes_ - bytes) / lap * lap;
  }
  return bytes;
}

std::optional<std::uint64_t> Win32Voice::Queue(const WavSound& sound, std::shared_ptr<const WavSound> keep) {
  Reclaim(false);
  auto samples = std::shared_ptr<const std::vector<std::uint8_t>>(keep, &sound.samples);
  Queued& queued = queue_.emplace_back();
  queued.samples = samples;
  queued.header.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(samples->data()));
  queued.header.dwBufferLength = static_cast<DWORD>(samples->size());
  if (waveOutPrepareHeader(device_, &queued.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    queue_.pop_back();
    return std::nullopt;
  }
  if (waveOutWrite(device_, &queued.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device_, &queued.header, sizeof(WAVEHDR));
    queue_.pop_back();
    return std::nullopt;
  }
  const Clock::time_point now = Clock::now();
  const std::uint64_t waiting = queuedBytes_ - std::min(queuedBytes_, Position());
  playsUntil_ = now + BytesToDuration(waiting + samples->size(), rate_, sound.FrameBytes());
  queuedBytes_ += samples->size();
  return queuedBytes_;
}

void Win32Voice::CutOffAsync() {
  if (!asyncLast_) return;
  asyncLast_ = false;
  asyncEndsAt_ = Clock::time_point{};
  if (device_ != nullptr) {
    waveOutReset(device_);  // the position starts again from 0
    Reclaim(true);
    queuedBytes_ = 0;
  }
}

bool Win32Voice::AsyncPlaying() {
  if (!asyncLast_) return false;
  if (asyncByClock_ || device_ == nullptr) return Clock::now() < asyncEndsAt_;
  return Position() < asyncEnd_;
}

void Win32Voice::WaitFor(Clock::time_point until) {
  for (;;) {
    if (whileWaiting_) whileWaiting_();
    const Clock::time_point now = Clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(kPoll, until - now));
  }
}

void Win32Voice::WaitUntil(std::uint64_t endBytes, Clock::time_point deadline) {
  const std::uint64_t margin = static_cast<std::uint64_t>(
      std::chrono::duration<double>(kMargin).count() * rate_ * (channels_ * bits_ / 8));
  for (;;) {
    if (whileWaiting_) whileWaiting_();
    if (Position() + margin >= endBytes) return;
    if (Clock::now() >= deadline) {
      // Stalled: what it holds is dropped.
      waveOutReset(device_);
      Reclaim(true);
      queuedBytes_ = 0;
      return;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

bool Win32Voice::PlayQueued(const std::filesystem::path& file) {
  auto sound = Find(file);
  if (sound == nullptr) return false;
  CutOffAsync();
  if (Ready(*sound) && Queue(*sound, sound)) return true;
  // No device: the phrase takes its time all the same.
  WaitFor(Clock::now() + sound->Length());
  return true;
}

bool Win32Voice::PlaySync(const std::filesystem::path& file) {
  auto sound = Find(file);
  if (sound == nullptr) return false;
  CutOffAsync();
  if (Ready(*sound)) {
    if (auto end = Queue(*sound, sound)) {
      WaitUntil(*end, playsUntil_ + kStallAllowance);
      return true;
    }
  }
  // No device: the phrase takes its time all the same.
  WaitFor(Clock::now() + sound->Length());
  return true;
}

bool Win32Voice::PlayAsync(const std::filesystem::path& file) {
  auto sound = Find(file);
  if (sound == nullptr) return false;
  CutOffAsync();
  if (Ready(*sound)) {
    if (auto end = Queue(*sound, sound)) {
      asyncLast_ = true;
      asyncByClock_ = false;
      asyncEnd_ = *end;
      return true;
    }
  }
  asyncLast_ = true;
  asyncByClock_ = true;
  asyncEndsAt_ = Clock::now() + sound->Length();
  return true;
}

}  // namespace kelvaro
