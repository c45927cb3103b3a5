// The CAT command exchange with the radio, and the port opening sequence.
//
// A query is always: put the command in commandText, SendCommand,
// PauseBriefly, ReadReply, then search replyText. There is no queue and no
// retry; a late answer stays in the port for the next read.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Sends commandText to the radio port with ";" appended (in split operation a
// command beginning "FA" goes out as "FB"). Afterwards commandText holds the
// command as sent; frequency set commands are remembered in
// lastFrequencyCommand (and, as the radio's frequency until it answers, in
// lastFreqReply); the debug log gets "TX=" + the command.
void SendCommand(Panel& panel);
// Gives the radio time to answer: plays the phrase "delay", or waits 100 ms
// when that recording cannot be played, so queries work without a phrase folder.
void PauseBriefly(Panel& panel);
// replyText = whatever has arrived on the radio port (at most 255 bytes);
// bytesWaiting = the count read; the debug log gets "RX=" + a non-empty read.
void ReadReply(Panel& panel);

// The opening sequence of a port: close, open at baudRate, reads return at
// once, then portDataBits, portParity, portStopBits. The result of the open is
// not reported: a port that did not open reads as silent.
void OpenPortSequence(Panel& panel, int port);

}  // namespace kelvaro
