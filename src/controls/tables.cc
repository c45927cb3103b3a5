#include "controls/tables.h"

namespace kelvaro {

const std::array<std::string_view, kBandCount + 1> kDefaultBandRecords = {
    "",
    "01A001900000B0019000009990",  // 160 m
    "01A003600000B0036000009990",  // 80 m
    "02A005400000B0054000009990",  // 60 m
    "01A007100000B0071000009990",  // 40 m
    "03A010100000B0100000009990",  // 30 m (VFO B 10.0 MHz)
    "02A014200000B0142000009991",  // 20 m
    "02A018100000B0181000009991",  // 17 m
    "02A021200000B0212000009991",  // 15 m
    "02A024890000B0248900009991",  // 12 m
    "02A028500000B0285000009991",  // 10 m
    "02A050150000B0501500009991",  // 6 m
    "05A145000000B1450000009990",  // 2 m
    "05A432000000B4320000009990",  // 70 cm
    "04A009670000B0096700009990",  // general coverage
};

const std::array<std::string_view, kBandCount + 1> kBandSelectCommands = {
    "",      "BS000", "BS001", "BS002", "BS003", "BS004", "BS005", "BS006",
    "BS007", "BS008", "BS009", "BS010", "BS013", "BS014", "BS011",
};

const std::array<std::string_view, 8> kModeCommands = {
    "", "MD01", "MD02", "MD03", "MD05", "MD0B", "MD0H", "MD04",
};

const std::array<std::string_view, 8> kModeNames = {
    "", "LSB    ", "USB    ", "CW      ", "AM     ", "FMN     ", "C4FM  ", "FM      ",
};

}  // namespace kelvaro
