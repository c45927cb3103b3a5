// The real phrase player: SDL audio, one device open for the whole run.
#pragma once

#include <SDL_audio.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/voice.h"

namespace kelvaro {

// The samples of an uncompressed WAV file: their format and where they lie.
struct PcmSamples {
  SDL_AudioFormat format = 0;
  int channels = 0;
  int rate = 0;
  std::int64_t offset = 0;  // in the file
  std::size_t size = 0;     // whole frames only, no more than the file holds
};

// Finds the samples of an uncompressed WAV file (8 or 16-bit integers or
// 32-bit floats) open as `fd`, so a long recording can be read straight into
// a buffer that is kept; nothing for anything else, which SDL then reads.
std::optional<PcmSamples> FindPcmSamples(int fd);

// Plays WAV files through one SDL audio device opened at construction and
// closed at destruction. The device's own callback copies the sound straight
// from recordings kept in memory, so playing a phrase allocates nothing.
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
// Memory: short recordings are read and converted to the device's format
// once and kept: all of a folder's when the first of them is looked for. A
// long one (the help) is read again each time it plays, into a buffer taken
// when it is first looked for and kept for the next long one (a second
// buffer is taken only while the tail of a long phrase still plays from the
// first). So the memory the player uses is settled at the first phrase.
// Timed by the clock, no sound is kept at all.
//
// SDL's dummy driver plays nothing, so no device is kept open for it (its
// thread would wake every buffer for nothing); its phrases are timed by the
// clock as without a device.
//
// SDL's audio subsystem is initialised here and released in the destructor;
// SDL_Quit is left to the program. The public calls come from one thread; the
// device's thread only reads the queued sound, under the device's lock.
class SdlVoice : public Voice {
 public:
  SdlVoice();
  ~SdlVoice() override;
  SdlVoice(const SdlVoice&) = delete;
  SdlVoice& operator=(const SdlVoice&) = delete;

  bool PlaySync(const std::filesystem::path& file) override;
  bool PlayAsync(const std::filesystem::path& file) override;
  bool PlayQueued(const std::filesystem::path& file) override;
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
  // A stretch of sound waiting for the device, played in turn.
  struct Segment {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t taken = 0;  // bytes already handed to the device
    bool async = false;
    int longBuffer = -1;    // which long buffer holds the sound, or -1
  };
  static constexpr std::size_t kSegments = 16;

  bool OpenDevice();
  // The recording for a file, read and converted on first use; null when the
  // file is missing or is not a WAV file SDL can read.
  const Recording* Find(const std::filesystem::path& file);
  using Cache = std::unordered_map<std::string, std::optional<Recording>>;
  Cache::iterator Keep(std::string key, const std::filesystem::path& file);
  // Reads every recording in the folder the first time one of them is looked
  // for; false when it had been done (or too many folders have been).
  bool KeepFolder(const std::filesystem::path& folder);
  std::optional<Recording> Load(const std::filesystem::path& file) const;
  // Reads a long recording into `buffer` (grown when too small) in the
  // device's format; the bytes used, or nothing when it cannot be read.
  std::optional<std::size_t> ReadLong(const std::filesystem::path& file,
                                      std::vector<std::uint8_t>& buffer) const;
  // Finds the recording and puts it in line (cutting off an asynchronous
  // phrase still playing); false when it cannot be played.
  bool Start(const std::filesystem::path& file, bool async);
  void CutOffAsync();
  void Enqueue(const Recording& recording, const std::filesystem::path& file, bool async);
  // Adds sound for the device to take after what is queued; waits while
  // every place in the queue is taken.
  void Append(const Segment& segment);
  // A long buffer no queued sound is played from (waiting for one to come
  // free if need be), or -1 when the device stalls.
  int FreeLongBuffer();
  bool LongBufferInUse(int which) const;
  // Called by SDL on the device's thread: the next `length` bytes to play.
  static void Fill(void* self, Uint8* stream, int length);
  // Sound queued but not yet handed to the device.
  Clock::duration Waiting() const;
  // Returns once no more than `left` is waiting. A device that stops taking
  // sound is given up on (its queue dropped) a second after the queued sound
  // should have ended, so a stalled device cannot hold the panel.
  void WaitUntilWaiting(Clock::duration left);
  void ClearQueue();

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  std::string driver_;
  bool subsystemStarted_ = false;  // SDL_InitSubSystem(SDL_INIT_AUDIO) succeeded
  bool driverStarted_ = false;     // SDL_AudioInit("dummy") without the subsystem
  bool clockTimed_ = true;
  Clock::duration buffer_{};       // one device buffer
  Clock::duration margin_{};       // with buffer_: how much a synchronous phrase leaves to play
  bool asyncQueued_ = false;       // the last phrase queued was asynchronous
  Clock::time_point queueEnds_{};  // when everything queued will have played
  Cache cache_;
  std::vector<std::string> keptFolders_;
  std::unordered_map<std::string, Clock::time_point> missing_;  // absent until then
  std::function<void()> whileWaiting_;
  std::vector<std::uint8_t> long_[2];  // long recordings, read to play
  // The queue the device takes its sound from, a ring of segments; changed
  // only under the device's lock while a device is open.
  Segment queue_[kSegments];
  std::size_t first_ = 0;
  std::size_t queued_ = 0;
};

}  // namespace kelvaro
