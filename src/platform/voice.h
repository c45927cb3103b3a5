// Playing one recorded phrase file.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

namespace kelvaro {

class Voice {
 public:
  virtual ~Voice() = default;

  // Plays the WAV file to its end and returns then. Returns false, at once and
  // silently, when the file is missing or cannot be played. Starting a phrase
  // that plays cuts off an asynchronous phrase still playing (a missing file
  // does not, so the silent S-meter display leaves the help playing).
  virtual bool PlaySync(const std::filesystem::path& file) = 0;
  // Starts the WAV file and returns at once; the next phrase cuts it off.
  // Returns false when the file is missing or cannot be played.
  virtual bool PlayAsync(const std::filesystem::path& file) = 0;
  // Puts the WAV file in line behind what plays and returns at once; it plays
  // to its end like a synchronous phrase, and the next synchronous phrase
  // waits for it. By default: played synchronously.
  virtual bool PlayQueued(const std::filesystem::path& file) { return PlaySync(file); }
  // Work to do while a synchronous phrase plays (every few milliseconds), so
  // traffic that cannot wait for the end of a report keeps moving. It must
  // not play phrases itself. Empty: none.
  virtual void SetWhileWaiting(std::function<void()> work) { (void)work; }
  // How long the recording plays; nothing when it is missing or unplayable.
  virtual std::optional<std::chrono::milliseconds> Length(const std::filesystem::path& file) = 0;
};

}  // namespace kelvaro
