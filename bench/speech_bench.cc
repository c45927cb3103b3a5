// How much silence a phrase player adds to a spoken report, measured with
// SDL's disk audio driver, which writes what the device plays into a file in
// real time. Three players speak the same 20-phrase report side by side:
//
//   ours     SdlVoice: one device for the run; a synchronous phrase returns
//            while its last buffer is still queued, so the next one follows
//            without a gap
//   naive 1  one device for the run; a phrase returns once the queue is empty
//   naive 2  opens a device for each phrase and closes it when the phrase has
//            played, as a player of single files does
//
// For each it prints the silence between consecutive phrases (found by
// locating each phrase's samples in what was played), and how long the whole
// report held the caller beyond the recordings' own length.
//
//   bench_speech [WAVE_FOLDER]
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/sdl_voice.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Samples = std::vector<Sint16>;

constexpr int kRate = 22050;
constexpr int kBufferFrames = 512;  // the same device buffer for every player
// The disk driver keeps time by sleeping a whole number of milliseconds after
// each buffer (23 ms for 23.2 ms of sound, plus the sleep's own overshoot), so
// its pace is measured: the whole report queued at once, with no gaps, and
// timed until the device has taken it. Wall time per second of sound.
double diskPace = 1.0;

// A frequency, mode and meter report: 20 phrases.
const std::vector<std::string> kReport = {"vfoa", "1",  "4",     "point", "2", "5", "0",
                                          "0",    "0",  "mhz",   "usb",   "bw", "2", "point",
                                          "4",    "khz", "s",    "9",     "plus", "ok"};

struct Phrase {
  fs::path file;
  Samples samples;
};

struct Result {
  std::string name;
  double heldSeconds = 0;             // first call to the return of the last
  std::vector<double> gapsMs;         // silence between consecutive phrases
  int intact = 0;                     // phrases found sample for sample
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

Samples ReadRaw(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  const std::string bytes = all.str();
  Samples samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<Sint16>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return samples;
}

// Where `phrase` occurs in `played` at or after `from`; -1 when it does not.
long Locate(const Samples& played, const Samples& phrase, std::size_t from) {
  if (from > played.size()) return -1;
  auto it = std::search(played.begin() + static_cast<long>(from), played.end(), phrase.begin(), phrase.end());
  return it == played.end() ? -1 : static_cast<long>(it - played.begin());
}

// Fills in gaps and intact phrases from one file that holds the whole report.
void Measure(const Samples& played, const std::vector<Phrase>& report, Result& result) {
  std::size_t from = 0;
  long previousEnd = -1;
  for (const Phrase& phrase : report) {
    const long at = Locate(played, phrase.samples, from);
    if (at < 0) {
      previousEnd = -1;
      continue;
    }
    ++result.intact;
    if (previousEnd >= 0) result.gapsMs.push_back(1000.0 * static_cast<double>(at - previousEnd) / kRate);
    previousEnd = at + static_cast<long>(phrase.samples.size());
    from = static_cast<std::size_t>(previousEnd);
  }
}

SDL_AudioDeviceID OpenDisk(const fs::path& file) {
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  SDL_AudioSpec wanted{};
  wanted.freq = kRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kBufferFrames;
  return SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
}

void WaitQueueEmpty(SDL_AudioDeviceID device) {
  while (SDL_GetQueuedAudioSize(device) > 0) std::this_thread::sleep_for(1ms);
}

// The recordings back to back in one queue: the time the disk driver takes
// to play the report itself.
double TimeWholeReport(const std::vector<Phrase>& report, const fs::path& out) {
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  const SDL_AudioDeviceID device = OpenDisk(out);
  SDL_PauseAudioDevice(device, 0);
  std::this_thread::sleep_for(100ms);
  Samples all;
  for (const Phrase& phrase : report) all.insert(all.end(), phrase.samples.begin(), phrase.samples.end());
  const Clock::time_point start = Clock::now();
  SDL_QueueAudio(device, all.data(), static_cast<Uint32>(all.size() * 2));
  WaitQueueEmpty(device);
  const double seconds = Seconds(Clock::now() - start);
  SDL_CloseAudioDevice(device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return seconds;
}

Result RunOurs(const std::vector<Phrase>& report, const fs::path& out) {
  Result result;
  result.name = "ours (SdlVoice)";
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  {
    kelvaro::SdlVoice voice;
    if (voice.driver() != "disk") {
      std::fprintf(stderr, "the disk audio driver did not open (got \"%s\")\n", voice.driver().c_str());
      std::exit(1);
    }
    // The recordings are read on first use, within the timed report, as in
    // the panel's first report of a run.
    std::this_thread::sleep_for(100ms);
    const Clock::time_point start = Clock::now();
    for (const Phrase& phrase : report) voice.PlaySync(phrase.file);
    result.heldSeconds = Seconds(Clock::now() - start);
  }
  Measure(ReadRaw(out), report, result);
  return result;
}

Result RunNaiveQueueEmpty(const std::vector<Phrase>& report, const fs::path& out) {
  Result result;
  result.name = "naive 1 (queue empty)";
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  const SDL_AudioDeviceID device = OpenDisk(out);
  SDL_PauseAudioDevice(device, 0);
  std::this_thread::sleep_for(100ms);
  const Clock::time_point start = Clock::now();
  for (const Phrase& phrase : report) {
    SDL_QueueAudio(device, phrase.samples.data(), static_cast<Uint32>(phrase.samples.size() * 2));
    WaitQueueEmpty(device);
  }
  result.heldSeconds = Seconds(Clock::now() - start);
  std::this_thread::sleep_for(100ms);
  SDL_CloseAudioDevice(device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  Measure(ReadRaw(out), report, result);
  return result;
}

// Each phrase goes to a fresh device and so to a file of its own; the file's
// first sample was written when the device opened, which places the phrase on
// the common time line.
Result RunNaiveReopen(const std::vector<Phrase>& report, const fs::path& folder) {
  Result result;
  result.name = "naive 2 (device per phrase)";
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  const Clock::time_point start = Clock::now();
  std::vector<double> opened;
  for (std::size_t k = 0; k < report.size(); ++k) {
    const fs::path file = folder / ("naive2-" + std::to_string(k) + ".raw");
    const Phrase& phrase = report[k];
    const SDL_AudioDeviceID device = OpenDisk(file);
    opened.push_back(Seconds(Clock::now() - start));
    SDL_QueueAudio(device, phrase.samples.data(), static_cast<Uint32>(phrase.samples.size() * 2));
    SDL_PauseAudioDevice(device, 0);
    WaitQueueEmpty(device);
    // The last buffer was taken from the queue but is still being played.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 * kBufferFrames / kRate));
    SDL_CloseAudioDevice(device);
  }
  result.heldSeconds = Seconds(Clock::now() - start);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);

  double previousEnd = -1;
  for (std::size_t k = 0; k < report.size(); ++k) {
    const long at = Locate(ReadRaw(folder / ("naive2-" + std::to_string(k) + ".raw")), report[k].samples, 0);
    if (at < 0) {
      previousEnd = -1;
      continue;
    }
    ++result.intact;
    const double begins = opened[k] + diskPace * static_cast<double>(at) / kRate;
    if (previousEnd >= 0) result.gapsMs.push_back(1000.0 * (begins - previousEnd) / diskPace);
    previousEnd = begins + diskPace * static_cast<double>(report[k].samples.size()) / kRate;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path waveDir = argc > 1 ? fs::path(argv[1]) : fs::path(KELVARO_WAVE_DIR);
  setenv("SDL_AUDIODRIVER", "disk", 1);

  std::vector<Phrase> report;
  double spokenSeconds = 0;
  for (const std::string& name : kReport) {
    Phrase phrase{waveDir / (name + ".wav"), {}};
    SDL_AudioSpec audioSpec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(phrase.file.c_str(), &audioSpec, &data, &length) == nullptr || audioSpec.freq != kRate ||
        audioSpec.channels != 1 || audioSpec.format != AUDIO_S16SYS) {
      std::fprintf(stderr, "%s: missing, or not 22050 Hz mono 16-bit\n", phrase.file.c_str());
      return 1;
    }
    phrase.samples.assign(reinterpret_cast<Sint16*>(data), reinterpret_cast<Sint16*>(data) + length / 2);
    SDL_FreeWAV(data);
    spokenSeconds += static_cast<double>(phrase.samples.size()) / kRate;
    report.push_back(std::move(phrase));
  }

  const fs::path work = fs::temp_directory_path() / ("bench_speech-" + std::to_string(getpid()));
  fs::create_directories(work);
  const double playedSeconds = TimeWholeReport(report, work / "whole.raw");
  diskPace = playedSeconds / spokenSeconds;
  std::vector<Result> results;
  results.push_back(RunOurs(report, work / "ours.raw"));
  results.push_back(RunNaiveQueueEmpty(report, work / "naive1.raw"));
  results.push_back(RunNaiveReopen(report, work));
  fs::remove_all(work);

  std::printf("\n%zu-phrase report, recordings %.0f ms in all (%.0f ms as the disk driver plays them\n"
              "back to back); device buffer %d frames (%.1f ms) at %d Hz\n\n",
              kReport.size(), 1000 * spokenSeconds, 1000 * playedSeconds, kBufferFrames,
              1000.0 * kBufferFrames / kRate, kRate);
  std::printf("%-28s %7s %21s %21s %12s %10s\n", "player", "intact", "silence/join ms",
              "report beyond rec. ms", "report/rec.", "vs ours");
  std::printf("%-28s %7s %10s %10s %21s %12s %10s\n", "", "", "mean", "max", "", "", "");
  const double ours = results.front().heldSeconds;
  for (const Result& r : results) {
    double sum = 0, most = 0;
    for (double g : r.gapsMs) {
      sum += g;
      most = std::max(most, g);
    }
    const double mean = r.gapsMs.empty() ? 0 : sum / static_cast<double>(r.gapsMs.size());
    std::printf("%-28s %4d/%-2zu %10.1f %10.1f %21.0f %12.3f %9.2fx\n", r.name.c_str(), r.intact,
                kReport.size(), mean, most, 1000 * (r.heldSeconds - playedSeconds), r.heldSeconds / playedSeconds,
                r.heldSeconds / ours);
  }
  std::printf("\nsilence/join: from the samples the disk driver wrote (naive 2: per-phrase files placed by\n"
              "the time each device opened). report beyond rec.: how long the calls held the caller beyond\n"
              "the recordings played back to back; ours returns while its last buffer still plays, so it\n"
              "can be below 0. Opening a real device costs more than opening the disk driver, so naive 2\n"
              "fares worse on a sound card than here.\n");
  SDL_Quit();
  return 0;
}
