// The CAT pass-through port: another program shares the radio through the
// panel.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// One pass, called from the timer's send phase: gathers what the other
// program sent, relays its next complete command to the radio and writes the
// radio's answer back. Commands that arrive together are relayed one a pass,
// in order. A mode set or a frequency answer also updates the panel. Bytes
// that reach the text limit without a ";" are dropped, so a peer sending
// junk cannot block the port.
void RelayPassThrough(Panel& panel);

// The panel's mode for the mode code a CAT program sends after "MD0"
// ('1' LSB ... 'H' C4FM); 0 for a mode the panel does not have.
int32_t PanelModeOfRadioCode(char code);

}  // namespace kelvaro
