// Identifying the radio at start-up.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Asks the radio for its identity. Anything but an FTX-1 (840), including no
// answer at all, is refused: "rnftx.wav" is spoken and the program shuts
// itself down (memory banks saved, "PS0" when configured, port and debug log
// closed) and sets panel.processEnded.
void IdentifyRadio(Panel& panel);

}  // namespace kelvaro
