// Keeping the band records current, and which band a frequency belongs to.
#pragma once

#include <string>
#include <string_view>

#include "state/panel.h"

namespace kelvaro {

// Rebuilds the current band's record from the live state (unless the band may
// not keep the current mode, or a pass-through command just came in).
void StoreBandRecord(Panel& panel);
// The record body with the band's repeater shift in place of its VFO-B
// digits (on bands 10..13; elsewhere the body as given).
std::string AppendRepeaterShift(const PanelState& s, std::string_view body);
// bandIndex from the frequency of the last frequency answer; sets bandRecordable.
void BandFromFrequency(Panel& panel);

// The band (1..14) of a whole number of megahertz; 14 (general coverage) for
// anything outside the amateur bands.
int BandOfMegahertz(long long mhz);
// The record text StoreBandRecord builds for the band in bandIndex from the
// live state, before tone and preamp (22 characters): flag and mode digit,
// "A" + 9 digits, "B" + 9 digits or, in repeater operation on bands 10..13,
// the band's shift part. Works on a copy; bandIndex must be 1..14.
std::string BandRecordBody(const PanelState& s);
// The shift part of a repeater record for band 10..13: sign, "0000" and the
// offset in kHz as 4 digits (9 characters); "" for any other band.
std::string RepeaterShiftPart(const PanelState& s, int band);
// The tone code as records keep it: three digits, or "999" when toneCode holds
// no tone number (empty, or a tone still being typed with too many digits).
std::string RecordToneCode(std::string_view toneCode);

}  // namespace kelvaro
