// The real phrase player: SDL audio, one device open for the whole run.
#pragma once

#include <SDL_audio.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/voice.h"

namespace kelvaro {

// Plays WAV files through one SDL audio device opened at construction and
// closed at destruction. Every file is read and converted to the device's
// format once and then played from memory.
//
// A synchronous phrase returns as soon as less than one device buffer (plus a
// small margin) of it is still waiting, so the next phrase is queued before
// the device runs dry and consecutive phrases join without a gap. An
// asynchronous phrase is cut off by the next phrase that plays; the tail of a
// synchronous phrase never is. A missing or unreadable file plays nothing,
// takes no time and cuts nothing off; it is looked for again a second later.
//
// Without a usable audio device the player falls back to SDL's "dummy"
// driver, and failing that to no device at all; either way every phrase
// still takes as long as its recording, timed by the clock. With
// SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE=FILE, what is played is written
// to FILE in real time (22050 Hz mono signed 16-bit samples), for measuring.
//
// Memory: a recording is kept in memory only when it is played through a
// device and is short; a long one (the help) is read again each time it
// plays, and once the device has played it SDL's queue gives back the
// memory it took. Timed by the clock, no sound is kept at all. So the
// memory in use does not depend on which phrases have played so far.
//
// SDL's dummy driver plays nothing, so no device is kept open for it (its
// thread would wake every buffer for nothing); its phrases are timed by the
// clock as without a device.
//
// SDL's audio subsystem is initialised here and released in the destructor;
// SDL_Quit is left to the program. One thread only.
class SdlVoice : public Voice {
 public:
  SdlVoice();
  ~SdlVoice() override;
  SdlVoice(const SdlVoice&) = delete;
  SdlVoice& operator=(const SdlVoice&) = delete;

  bool PlaySync(const std::filesystem::path& file) override;
  bool PlayAsync(const std::filesystem::path& file) override;
  std::optional<std::chrono::milliseconds> Length(const std::filesystem::path& file) override;
  void SetWhileWaiting(std::function<void()> work) override { whileWaiting_ = std::move(work); }

  // The audio driver in use ("pulseaudio", "alsa", "disk", "dummy" ...), or
  // "" when no device could be opened at all.
  const std::string& driver() const { return driver_; }
  // Whether phrases are timed by the clock rather than by the device.
  bool clockTimed() const { return clockTimed_; }
  // The format the recordings are converted to.
  const SDL_AudioSpec& audioSpec() const { return spec_; }

 private:
  using Clock = std::chrono::steady_clock;

  struct Recording {
    std::vector<std::uint8_t> bytes;  // in the device's format; empty when not kept
    Clock::duration length{};
    bool reread = false;              // too long to keep: read again to play
  };

  bool OpenDevice();
  // The recording for a file, read and converted on first use; null when the
  // file is missing or is not a WAV file SDL can read.
  const Recording* Find(const std::filesystem::path& file);
  std::optional<Recording> Load(const std::filesystem::path& file) const;
  void CutOffAsync();
  void Enqueue(const Recording& recording, const std::filesystem::path& file);
  // Gives back the memory SDL's queue took for a long phrase, once the
  // device has taken all of it.
  void ReleaseQueueMemory();
  // Sound queued but not yet handed to the device.
  Clock::duration Waiting() const;
  // Returns once no more than `left` is waiting. A device that stops taking
  // sound is given up on (its queue dropped) a second after the queued sound
  // should have ended, so a stalled device cannot hold the panel.
  void WaitUntilWaiting(Clock::duration left);

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  std::string driver_;
  bool subsystemStarted_ = false;  // SDL_InitSubSystem(SDL_INIT_AUDIO) succeeded
  bool driverStarted_ = false;     // SDL_AudioInit("dummy") without the subsystem
  bool clockTimed_ = true;
  Clock::duration buffer_{};       // one device buffer
  Clock::duration margin_{};
  bool asyncQueued_ = false;       // the last phrase queued was asynchronous
  Clock::time_point queueEnds_{};  // when everything queued will have played
  bool queueGrown_ = false;        // a long phrase was queued since the last release
  std::unordered_map<std::string, std::optional<Recording>> cache_;
  std::unordered_map<std::string, Clock::time_point> missing_;  // absent until then
  std::function<void()> whileWaiting_;
};

}  // namespace kelvaro
