// The memory bank file "savmem.dat" and the readable report "memory.txt".
//
// "savmem.dat" keeps the band records, the 100 memory channels, the current
// band and the noise-reduction switch across runs: 115 lines ended by CR LF.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Fills bandRecords 1..14, memoryChannels, bandIndex and reductionOn from
// "savmem.dat", creating the file from the current (default) state when it is
// missing, and setting an unusable file aside ("savmem.bad") before replacing
// it. Only records with their exact layout are taken: a malformed band line
// keeps the band's current record, a malformed channel line gives an empty
// channel "9", and a copy of such a file is kept as "savmem.bad". Always
// ends, also when the file can be neither read nor written (the defaults then
// stay in place and a note goes to the standard error stream).
void LoadMemoryBanks(Panel& panel);
// Writes "savmem.dat" from the current state (safely: a crash during the save
// leaves the old or the new file, never a damaged one), then the report.
void SaveMemoryBanks(Panel& panel);
// The same, telling whether "savmem.dat" was written (the report is written
// either way), for callers that must not claim a store that did not happen.
bool TrySaveMemoryBanks(Panel& panel);
// Rewrites "memory.txt" from memoryChannels.
void WriteMemoryReport(Panel& panel);

}  // namespace kelvaro
