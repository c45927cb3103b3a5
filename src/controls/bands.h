// Band selection and the band records.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Sends the band-select command of bandIndex (1..14), speaks the band unless
// bandQuiet is 1, then clears bandQuiet.
void SelectBand(Panel& panel);
// Wraps bandIndex into the band set, selects the band and restores its
// frequency, mode, repeater shift, tone and preamp from its record.
void RecallBand(Panel& panel);
// Keeps the mode digit of the current band record up to date.
void StoreBandMode(Panel& panel);
// bandIndex from the typed whole megahertz (freqEntryNumber); a tone in use
// is switched off first ("CT00").
void BandFromEnteredMhz(Panel& panel);
// Turns split off and brings VFO A back to the frequency kept when split began.
void CancelSplit(Panel& panel);

}  // namespace kelvaro
