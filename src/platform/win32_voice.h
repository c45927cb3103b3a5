// The real phrase player on Windows: waveOut, one device open for the run.
//
// Every phrase is one buffer written to the device; buffers written back to
// back play without a gap between them. A synchronous phrase returns once the
// device's position is within a few milliseconds of its end, so the next
// phrase is already queued when it ends and consecutive phrases join without
// added silence. An asynchronous phrase is cut off (waveOutReset) by the next
// phrase that plays; a missing or unreadable file plays nothing, takes no
// time and cuts nothing off.
//
// The device is opened at the first phrase in that phrase's format (the
// recordings share one); a phrase in another format waits for the queue to
// play out and reopens it. When no device opens (no sound card, or Wine
// without a sound server) every phrase still takes as long as its recording,
// timed by the clock.
//
// Recordings are RIFF WAVE files of 8 or 16-bit integer PCM; short ones are
// read once and kept, long ones (the help) read again each time they play.
// The calls come from one thread.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/voice.h"

namespace kelvaro {

// A WAV file's sound: its format and its samples (whole frames only).
struct WavSound {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<std::uint8_t> samples;
  int FrameBytes() const { return channels * bits / 8; }
  std::chrono::milliseconds Length() const;
};

// Reads an uncompressed WAV file; `withSamples` false reads only the format
// and the sample count (then `samples` holds that many bytes, unread).
// Nothing when the file is missing or not such a file.
std::optional<WavSound> ReadWav(const std::filesystem::path& file, bool withSamples);

class Win32Voice : public Voice {
 public:
  Win32Voice() = default;
  ~Win32Voice() override;
  Win32Voice(const Win32Voice&) = delete;
  Win32Voice& operator=(const Win32Voice&) = delete;

  bool PlaySync(const std::filesystem::path& file) override;
  bool PlayAsync(const std::filesystem::path& file) override;
  bool PlayQueued(const std::filesystem::path& file) override;
  std::optional<std::chrono::milliseconds> Length(const std::filesystem::path& file) override;
  void SetWhileWaiting(std::function<void()> work) override { whileWaiting_ = std::move(work); }

  // Whether an asynchronous phrase is still playing (not yet ended or cut).
  bool AsyncPlaying();
  // Whether phrases are played by a device (false: timed by the clock, also
  // before the first phrase).
  bool DeviceOpen() const { return device_ != nullptr; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Queued {
    WAVEHDR header{};
    std::shared_ptr<const std::vector<std::uint8_t>> samples;
  };

  // The sound of a file, kept or read; null when it cannot be played.
  std::shared_ptr<const WavSound> Find(const std::filesystem::path& file);
  // Opens (or reopens for another format) the device; false when none opens.
  bool Ready(const WavSound& sound);
  // Queues the sound and returns the device position (in bytes) at which it
  // ends; nothing when the device refused it.
  std::optional<std::uint64_t> Queue(const WavSound& sound, std::shared_ptr<const WavSound> keep);
  void CutOffAsync();
  void Reclaim(bool all);
  std::uint64_t Position();
  void WaitUntil(std::uint64_t endBytes, Clock::time_point deadline);
  void WaitFor(Clock::time_point until);
  void CloseDevice();

  HWAVEOUT device_ = nullptr;
  bool deviceFailed_ = false;
  int rate_ = 0, channels_ = 0, bits_ = 0;
  std::uint64_t queuedBytes_ = 0;  // written since the last reset
  std::list<Queued> queue_;
  bool asyncLast_ = false;          // the last phrase started was asynchronous
  bool asyncByClock_ = false;       // and is timed by the clock
  std::uint64_t asyncEnd_ = 0;        // device position where it ends
  Clock::time_point asyncEndsAt_{};   // timed by the clock
  Clock::time_point playsUntil_{};    // when all queued sound will have played
  std::unordered_map<std::string, std::shared_ptr<const WavSound>> kept_;
  std::function<void()> whileWaiting_;
};

}  // namespace kelvaro
