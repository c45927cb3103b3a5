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
// V: split on or off. Not on general coverage ("split" "invalid"). In FM
// (narrow, C4FM, wide) on 10 m and up repeater operation instead
// (SendRepeaterShift). Split on starts VFO B where VFO A last went ("ST1",
// then the frequency to VFO B, which the band record's VFO B takes too);
// split off is CancelSplit. Any entry pending ends.
void ToggleSplit(Panel& panel);

// B: opens the band prompt ("band" and the current band).
void OpenBandPrompt(Panel& panel);
// The band prompt's letters. S: 70 cm, selected without speaking the band;
// the prompt stays open. T 2 m, X 6 m (PickPromptBand) and U general coverage
// ("band" first): the tone is dropped and the prompt closes. Each keeps the
// band left in its record first.
void PickBand70cm(Panel& panel);
void PickPromptBand(Panel& panel, int32_t band);
void PickGeneralCoverage(Panel& panel);

}  // namespace kelvaro
