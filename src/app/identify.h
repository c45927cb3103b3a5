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

// The radio's identity as the FTX-1 gives it ("ID0840;").
constexpr int32_t kFtx1Identity = 840;

// Asks the radio for its identity and keeps it in radioId: the four digits of
// the answer, 0 for no answer or a garbled one.
int32_t AskIdentity(Panel& panel);
// What IdentifyRadio does for an accepted FTX-1, the pass-through port aside:
// the start-up settings, the current band from its record, the read-backs.
void SetUpRadio(Panel& panel);

}  // namespace kelvaro
