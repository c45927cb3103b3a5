// Applying the operating mode, and the VFO-A frequency senders.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Puts the radio into radioMode: mode command, panel name, CW narrow filter,
// then the squelch (FM) or the band's frequency and width.
void ApplyMode(Panel& panel);
// The same for a mode another program set on the radio (radioMode the
// panel's nearest mode): the panel shows it and sends its narrow filter and
// width, and the band record takes it, but neither the mode command nor the
// band's stored frequency is sent, so the radio stays in the mode and on the
// frequency that program chose.
void FollowMode(Panel& panel);
// M: the next mode of the cycle LSB, USB, CW, AM and, from 27 MHz up on
// 10 m and the bands above, FM (narrow or wide as fmWide says); applied and
// spoken. C4FM is reached only by the digital FM switch.
void StepMode(Panel& panel);
// M after X: FM narrow and wide change places (any other mode stays); the
// mode is applied and spoken and the prefix closed.
void SwapFmWidth(Panel& panel);
// Z: zero-in. "0" "ok"; CW asks the radio for it ("ZI0"), the other modes
// move to a whole kilohertz (SnapToWholeKhz).
void ZeroIn(Panel& panel);
// "FA" + frequencyHz as 9 digits (nothing below 10 Hz).
void SendFrequencyA(Panel& panel);
// Moves frequencyHz to a whole kilohertz (up in USB, down otherwise) and sends it.
void SnapToWholeKhz(Panel& panel);

}  // namespace kelvaro
