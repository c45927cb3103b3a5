// The Windows voice's phrases back to back, for bench/windows_phrase_gap.sh,
// which records what the sound server played and measures the silence
// between them. Writes tone recordings of 300 and 200 ms (22050 Hz, 16-bit
// mono, never a zero sample) into FOLDER, then speaks ROUNDS pairs of them
// synchronously through Win32Voice, as a report speaks its phrases.
// Prints whether a device played them, and how long the caller was held
// beyond the recordings' own length.
//
//   win32_phrase_gap.exe FOLDER [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32_voice.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRate = 22050;

void Put(std::string& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

// A square tone at a quarter of full scale, `half` samples a half period.
fs::path WriteTone(const fs::path& folder, const std::string& name, int ms, int half) {
  const std::uint32_t frames = kRate * ms / 1000;
  std::string file = "RIFF";
  Put(file, 36 + frames * 2, 4);
  file += "WAVEfmt ";
  Put(file, 16, 4);
  Put(file, 1, 2);
  Put(file, 1, 2);
  Put(file, kRate, 4);
  Put(file, kRate * 2, 4);
  Put(file, 2, 2);
  Put(file, 16, 2);
  file += "data";
  Put(file, frames * 2, 4);
  for (std::uint32_t i = 0; i < frames; ++i) Put(file, (i / half) % 2 ? 8000 : 0x10000 - 8000, 2);
  const fs::path path = folder / name;
  std::ofstream(path, std::ios::binary) << file;
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: win32_phrase_gap FOLDER [ROUNDS]\n");
    return 2;
  }
  const fs::path folder = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  fs::create_directories(folder);
  const fs::path longer = WriteTone(folder, "long.wav", 300, 25);
  const fs::path shorter = WriteTone(folder, "short.wav", 200, 15);
  kelvaro::Win32Voice voice;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    voice.PlaySync(longer);
    voice.PlaySync(shorter);
  }
  const auto held = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::printf("device %s; %d phrases of %d ms in all; the caller held %lld ms\n",
              voice.DeviceOpen() ? "open" : "not open (timed by the clock)", 2 * rounds, 500 * rounds,
              static_cast<long long>(held.count()));
  return voice.DeviceOpen() ? 0 : 1;
}
