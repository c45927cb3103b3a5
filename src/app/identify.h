// Identifying the radio at start-up.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Asks the radio for its identity. Anything but an FTX-1 (840), including no
// answer at all, is refused: "rnftx.wav" is spoken and the program shuts
// itself down (memory banks saved, "PS0" when configured, port and debug log
// closed) and sets panel.processEnded. An FTX-1 gets the start-up settings,
// the current band restored from its record (with repeater shift and tone on
// the FM bands), and the panel reads back AGC, AF gain, monitor, power class,
// processor, VOX and break-in; the pass-through port is opened when one is
// configured.
void IdentifyRadio(Panel& panel);

}  // namespace kelvaro
