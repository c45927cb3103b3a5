// The radio's modes and bands, one row each, with every name and code each
// side uses: the FTX-1's own codes, the panel's numbers, names and phrases,
// and Hamlib's names for the network endpoint. Adding a mode or a band is a
// row here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "state/panel_state.h"

namespace kelvaro {

struct RadioMode {
  char code;                 // the FTX-1's code after "MD0"
  int32_t panelMode;         // the panel's mode it counts as (a data mode: the voice mode it is built on); 0 none
  bool panelOwn;             // one of the panel's own seven modes, the row of panelMode
  std::string_view panelName;       // printed on the panel, with blanks that erase a longer name (own modes)
  std::string_view phrases[2];      // what the mode report says (own modes; the second may be empty)
  std::string_view hamlibName;      // the name Hamlib's clients use
  int passbandHz;            // the mode's normal width for Hamlib's clients
  std::uint64_t hamlibBit;   // Hamlib's bit for a mode its clients may set; 0 for a mode only reported
};

// Every FTX-1 mode. The ones clients may set come first, so a set by name takes
// the first row with that name; the radio's other modes are reported under
// Hamlib's nearest name.
std::span<const RadioMode> RadioModes();
// The row of radioMode 1..7; nullptr for any other number.
const RadioMode* PanelModeRow(int32_t radioMode);
// The row of the FTX-1's code after "MD0"; nullptr for a code it does not have.
const RadioMode* RadioModeOfCode(char code);
// The mode command of radioMode 1..7 ("MD01"); empty for any other number.
std::string ModeCommand(int32_t radioMode);

struct RadioBand {
  int32_t band;                    // bandIndex 1..14
  std::string_view selectCommand;  // the FTX-1's band-select command
  std::string_view defaultRecord;  // the factory band record (26 characters)
  std::string_view spokenName;     // the band report's phrase; "metres" follows unless general coverage
  int lowMhz, highMhz;             // the whole megahertz a frequency typed in lands in this band (0 0: none)
};

// Bands 1..14, in bandIndex order.
std::span<const RadioBand> RadioBands();
// The row of bandIndex 1..14; nullptr for any other number.
const RadioBand* BandRow(int32_t band);

}  // namespace kelvaro
