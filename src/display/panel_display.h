// The front panel: fonts, fixed positions, and the status line.
#pragma once

#include <string_view>

#include "state/panel.h"

namespace kelvaro {

// The two fonts of the panel.
void SelectLargeFont(Panel& panel);
void SelectSmallFont(Panel& panel);
// Redraws the ten fields of the status line at y 250 in the small font, then
// selects the large font again.
void DrawStatusLine(Panel& panel);
// The title line and the two lines of key help, drawn once at start.
void DrawTitleAndHelp(Panel& panel);
// The mode's name where the band and mode are shown.
void DrawModeName(Panel& panel, std::string_view name);
// The S-meter reading in S-units ("S5  ", "S9", "S9+").
void DrawSMeter(Panel& panel);
// The frequency in replyText (the panel's 10-character form) and, before it,
// "B" while split and "R" while on a repeater.
void DrawFrequency(Panel& panel);

}  // namespace kelvaro
