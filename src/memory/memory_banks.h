// The memory bank file "savmem.dat" and the readable report "memory.txt".
//
// "savmem.dat" keeps the band records, the 100 memory channels, the current
// band and the noise-reduction switch across runs: 115 lines ended by CR LF.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Fills bandRecords 1..14, memoryChannels, bandIndex and reductionOn from
// "savmem.dat", creating the file from the current (default) state when it is
// missing, and setting an unusable file aside before replacing it. Always
// ends, also when the file can be neither read nor written.
void LoadMemoryBanks(Panel& panel);
// Writes "savmem.dat" from the current state (safely: a crash during the save
// leaves the old or the new file, never a damaged one), then the report.
void SaveMemoryBanks(Panel& panel);
// Rewrites "memory.txt" from memoryChannels.
void WriteMemoryReport(Panel& panel);

}  // namespace kelvaro
