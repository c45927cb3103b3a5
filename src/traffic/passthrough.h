// The CAT pass-through port: another program shares the radio through the
// panel.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// One pass, called from the timer's send phase and whenever input arrives:
// writes the radio's answers back to the other program (only the answers to
// its own commands, in its order; nothing for a query the radio left
// unanswered) and relays its next complete commands, one query in flight at
// a time. A mode set or a frequency answer also updates the panel. Bytes that
// reach the text limit without a ";" are dropped, so a peer sending junk
// cannot block the port.
void RelayPassThrough(Panel& panel);

// The same while a report is spoken (called by the phrase player every few
// milliseconds): the other program's answers and commands keep moving, and
// what the panel would follow waits for the next RelayPassThrough. The
// panel's own command and reply texts are left as they were.
void RelayWhileSpeaking(Panel& panel);

// A mode set ("MD0" + the radio's mode code) another program sent: the panel
// takes the mode and follows it (FollowMode: name, narrow filter, width, the
// band record's mode) without sending the mode or the band's stored
// frequency. Anything else, or a mode the panel has nothing near, changes
// nothing.
void FollowModeSet(Panel& panel, std::string_view sent);

}  // namespace kelvaro
