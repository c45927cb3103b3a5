// The front panel: fonts, fixed positions, and the status line.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// The two fonts of the panel.
void SelectLargeFont(Panel& panel);
void SelectSmallFont(Panel& panel);
// Redraws the ten fields of the status line at y 250 in the small font, then
// selects the large font again.
void DrawStatusLine(Panel& panel);

}  // namespace kelvaro
