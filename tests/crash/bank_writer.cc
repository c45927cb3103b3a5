// kelvaro-bank-writer: stores memory channels in a loop, to be killed.
//
//   kelvaro-bank-writer write FOLDER
//     starts as the panel does (defaults, then the bank file), then stores a
//     new round of channels and band records after another, each saved with
//     SaveMemoryBanks; prints "loaded R" after the start and "saved R" once
//     round R is on the disk.
//   kelvaro-bank-writer check FOLDER LOW HIGH
//     starts as the panel does and tells which round the banks hold; exits 0
//     when that is one whole round between LOW and HIGH, 1 otherwise.
//
// Round R leaves a mark in every record: each channel k holds VFO A = R and
// VFO B = k, each band record b holds VFO A = R and VFO B = b, and the current
// band is 1 + R mod 14. Round 0 is the panel's default state: no channel
// stored. A mixture of rounds, a channel lost or the defaults after a save
// all show.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "memory/memory_banks.h"
#include "platform/fakes.h"
#include "state/panel.h"
#include "state/version.h"

namespace {

using kelvaro::Panel;
using kelvaro::PanelState;

std::string Nine(long long n) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%09lld", n);
  return digits;
}

std::string ChannelRecord(long long round, int channel) {
  return "0104A" + Nine(round) + "B" + Nine(channel) + "9990";
}

std::string BandRecord(long long round, int band) { return "01A" + Nine(round) + "B" + Nine(band) + "9990"; }

void Store(PanelState& s, long long round) {
  for (int k = 0; k < kelvaro::kChannelCount; ++k)
    s.banks.memoryChannels[static_cast<std::size_t>(k)] = ChannelRecord(round, k);
  for (int b = 1; b <= kelvaro::kBandCount; ++b)
    s.banks.bandRecords[static_cast<std::size_t>(b)] = BandRecord(round, b);
  s.radio.bandIndex = static_cast<int32_t>(1 + round % kelvaro::kBandCount);
  s.radio.reductionOn = static_cast<int32_t>(round % 2);
}

// The round the loaded banks hold: 0 for the untouched defaults, -1 with a
// reason when they are neither the defaults nor one whole round.
long long RoundOf(const PanelState& s, std::string* why) {
  bool allEmpty = true;
  for (const auto& channel : s.banks.memoryChannels) allEmpty = allEmpty && channel == "9";
  if (allEmpty) return 0;
  const std::string first = s.banks.memoryChannels[0].str();
  if (first.size() != 28) {
    *why = "channel 0 holds '" + first + "'";
    return -1;
  }
  const long long round = std::atoll(first.substr(5, 9).c_str());
  for (int k = 0; k < kelvaro::kChannelCount; ++k) {
    if (s.banks.memoryChannels[static_cast<std::size_t>(k)] != ChannelRecord(round, k)) {
      *why = "channel " + std::to_string(k) + " holds '" + s.banks.memoryChannels[static_cast<std::size_t>(k)].str() +
             "' beside round " + std::to_string(round);
      return -1;
    }
  }
  for (int b = 1; b <= kelvaro::kBandCount; ++b) {
    if (s.banks.bandRecords[static_cast<std::size_t>(b)] != BandRecord(round, b)) {
      *why = "band record " + std::to_string(b) + " holds '" + s.banks.bandRecords[static_cast<std::size_t>(b)].str() +
             "' beside round " + std::to_string(round);
      return -1;
    }
  }
  if (s.radio.bandIndex != 1 + round % kelvaro::kBandCount || s.radio.reductionOn != round % 2) {
    *why = "band " + std::to_string(s.radio.bandIndex) + " and noise reduction " + std::to_string(s.radio.reductionOn) +
           " do not belong to round " + std::to_string(round);
    return -1;
  }
  return round;
}

struct Start {
  kelvaro::FakePorts ports;
  kelvaro::FakeVoice voice;
  kelvaro::FakeScreen screen;
  kelvaro::FakeClock clock;
  Panel panel;
  explicit Start(const char* folder) : panel(ports, voice, screen, clock, folder) {
    panel.state.config.versionText = kelvaro::kVersion;
    kelvaro::InitialisePanel(panel);
  }
};

int Usage() {
  std::fputs("usage: kelvaro-bank-writer write FOLDER | check FOLDER LOW HIGH\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  if (mode == "check" && argc == 5) {
    Start start(argv[2]);
    std::string why;
    const long long round = RoundOf(start.panel.state, &why);
    const long long low = std::atoll(argv[3]), high = std::atoll(argv[4]);
    if (round < 0) {
      std::printf("torn banks: %s\n", why.c_str());
      return 1;
    }
    std::printf("round %lld\n", round);
    if (round < low || round > high) {
      std::printf("expected round %lld..%lld%s\n", low, high, round == 0 ? " (found the defaults)" : "");
      return 1;
    }
    return 0;
  }
  if (mode == "write" && argc == 3) {
    Start start(argv[2]);
    std::string why;
    long long round = RoundOf(start.panel.state, &why);
    if (round < 0) {
      std::printf("torn banks: %s\n", why.c_str());
      return 1;
    }
    std::printf("loaded %lld\n", round);
    std::fflush(stdout);
    for (;;) {
      ++round;
      Store(start.panel.state, round);
      if (!kelvaro::TrySaveMemoryBanks(start.panel)) {
        std::printf("save of round %lld failed\n", round);
        return 1;
      }
      std::printf("saved %lld\n", round);
      std::fflush(stdout);
    }
  }
  return Usage();
}
