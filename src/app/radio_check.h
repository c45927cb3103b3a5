// Saying in words what went wrong with the configuration or the radio, and
// the program's exit statuses; kelvaro --check.
//
// The panel speaks its few fixed phrases ("cfgnf", "rnftx.wav"); these
// messages add, on the error stream, which of the possible causes it was:
// the port could not be opened (and the system's reason), the radio did not
// answer, or it answered as another model.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "app/identify.h"
#include "state/panel.h"

namespace kelvaro {

// The program's exit statuses.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,        // no window, or a set-up that did not finish
  kExitUsage = 2,          // an option the program does not know
  kExitConfiguration = 3,  // kelvaro.cfg cannot be read
  kExitPortNotOpened = 4,  // the radio's port cannot be opened
  kExitNoAnswer = 5,       // the radio does not answer with an identity
  kExitOtherRadio = 6,     // the radio answers as another model
};

// Port n for a message: "COM 5, /home/op/radio/com5 (a link to
// /dev/serial/by-id/usb-...)"; just "COM 5" when the port layer names no
// device.
std::string DescribePort(const Panel& panel, int port);

// Says on `out` that kelvaro.cfg in the working folder cannot be read and
// why; returns kExitConfiguration.
int ReportConfigurationFailure(const Panel& panel, const std::string& reason, std::ostream& out);

// After the radio was refused: says on `out` whether its port did not open
// (with the system's reason and what mends it), the radio did not answer
// (radioId 0), or it answered as another model; returns the exit status.
int ReportRefusedRadio(const Panel& panel, std::ostream& out);

// While the panel runs, when the tick asks for it (link.identityWanted: the
// radio answers again after it was gone, or its port came back): asks the
// radio who it is. An FTX-1 gets the start-up settings and the current band
// again, silently; the next poll's answer then announces it as at start
// (frequency, mode, preamp, "connected"). Another model is refused once, as at
// start ("rnftx.wav", and on `err` which model and that the panel waits),
// and asked again later; no answer leaves the radio gone.
void ReidentifyRadio(Panel& panel, std::ostream& err);

// kelvaro --check: reads kelvaro.cfg, calls `afterConfiguration` (the
// simulated radio is started there), opens the radio's port, asks for the
// identity once, prints what it found on `out` (problems on `err`), closes
// the port and returns the exit status. Nothing else is sent to the radio.
int CheckRadio(Panel& panel, std::ostream& out, std::ostream& err,
               const std::function<void(Panel&)>& afterConfiguration = {});

}  // namespace kelvaro
