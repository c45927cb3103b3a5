// CTCSS / DCS tone squelch and the repeater shift.
#pragma once

#include <string>
#include <string_view>

#include "memory/records.h"
#include "state/panel.h"

namespace kelvaro {

// Sends the tone of toneCode (CTCSS or DCS by dcsTone) and speaks it.
void SendToneSquelch(Panel& panel);
// Switches repeater operation off when it is on, else on with the band's
// standard offset.
void SendRepeaterShift(Panel& panel);
// The radio's DCS bank digit ('0' or '1') for a three-digit DCS code; the one
// mapping used wherever a DCS code is sent.
char DcsBankDigit(std::string_view toneCode);
// The DCS code command: "CN01" + bank digit + the last two digits of the code.
std::string DcsCodeCommand(std::string_view toneCode);
// The radio's repeater offset command for band 10..13 with an offset in kHz
// (up to 4 digits): "EX010316"/"EX010317" + the offset as 4 digits on 10 m
// and 6 m, "EX010318"/"EX010319" + the count of 50 kHz steps (fraction
// dropped) as 4 digits on 2 m and 70 cm. "" for any other band, which has no
// repeater menu.
std::string RepeaterOffsetCommand(int band, std::string_view offsetKhz);

}  // namespace kelvaro
