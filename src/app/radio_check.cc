#include "app/radio_check.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/config.h"
#include "app/setup.h"
#include "link/cat.h"
#include "speech/phrase.h"
#include "state/text.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// A port the system names itself ("COM5", "\\.\COM12" on Windows) rather
// than a file in a folder: nothing to make absolute, no link to advise on.
bool IsSystemPortName(const fs::path& device) {
  return device.parent_path().empty() || device.string().rfind("\\\\.\\", 0) == 0;
}

// The device of port n as an absolute path (a system port name as it is), or
// empty.
fs::path DeviceOf(const Panel& panel, int port) {
  fs::path device = panel.ports.DevicePath(port);
  if (device.empty() || IsSystemPortName(device)) return device;
  std::error_code ec;
  fs::path absolute = fs::absolute(device, ec);
  return ec ? device : absolute.lexically_normal();
}

// Bytes as they can be read on a terminal: printable characters as they are,
// anything else as \xNN; long answers are cut.
std::string Printable(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < 80; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (bytes.size() > 80) out += "...";
  return out;
}

// What may mend a port that did not open, one sentence, or "".
std::string PortAdvice(const Panel& panel, int port, const std::string& reason) {
  fs::path device = DeviceOf(panel, port);
  if (device.empty() || IsSystemPortName(device)) return {};
  std::error_code ec;
  const std::string link = "com" + Digits(port);
  if (fs::is_symlink(fs::symlink_status(device, ec)) && !fs::exists(device, ec)) {
    return "the link " + link + " leads to nothing now: is the radio switched on and plugged in? "
           "(kelvaro --setup links it anew)";
  }
  if (device.filename() != link) {
    fs::path folder = fs::weakly_canonical(fs::absolute(panel.workDir, ec), ec);
    return "there is no link " + link + " to the radio's device in " + folder.string() +
           ", so COM " + Digits(port) + " is " + device.string() + "; kelvaro --setup makes the link";
  }
  fs::path real = fs::canonical(device, ec);
  if (!ec) {
    std::string advice = DeviceAccessAdvice(real);
    if (!advice.empty()) return advice;
  }
  if (reason == std::strerror(EBUSY)) return "another program has the port open";
  return {};
}

int ReportPortFailure(const Panel& panel, std::ostream& out) {
  const int port = panel.state.config.comPort;
  const std::string reason = panel.ports.OpenFailure(port);
  out << "kelvaro: cannot open the radio's port " << DescribePort(panel, port) << ": " << reason << "\n";
  std::string advice = PortAdvice(panel, port, reason);
  if (!advice.empty()) out << "kelvaro: " << advice << "\n";
  return kExitPortNotOpened;
}

std::string IdentityDigits(int id) { return ZeroPad(id, 4); }

}  // namespace

std::string DescribePort(const Panel& panel, int port) {
  std::string text = "COM " + Digits(port);
  fs::path device = DeviceOf(panel, port);
  if (device.empty()) return text;
  text += ", " + device.string();
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(device, ec))) {
    fs::path target = fs::read_symlink(device, ec);
    if (!ec) text += " (a link to " + target.string() + ")";
  }
  return text;
}

int ReportConfigurationFailure(const Panel& panel, const std::string& reason, std::ostream& out) {
  std::error_code ec;
  fs::path path = fs::absolute(panel.File("kelvaro.cfg"), ec).lexically_normal();
  out << "kelvaro: cannot read the configuration " << path.string() << ": " << reason
      << " (kelvaro --setup writes one)\n";
  return kExitConfiguration;
}

int ReportRefusedRadio(const Panel& panel, std::ostream& out) {
  const PanelState& s = panel.state;
  if (!panel.ports.OpenFailure(s.config.comPort).empty()) return ReportPortFailure(panel, out);
  if (s.cat.radioId == 0) {
    out << "kelvaro: the radio on " << DescribePort(panel, s.config.comPort)
        << " does not answer when asked who it is: is it switched on, and is its CAT speed " << s.config.baudRate
        << " bit/s as kelvaro.cfg says?\n";
    return kExitNoAnswer;
  }
  out << "kelvaro: the radio on " << DescribePort(panel, s.config.comPort) << " answers as another model (identity "
      << IdentityDigits(s.cat.radioId) << "); Kelvaro works with the FTX-1 (identity " << IdentityDigits(kFtx1Identity)
      << ")\n";
  return kExitOtherRadio;
}

void ReidentifyRadio(Panel& panel, std::ostream& err) {
  RadioLink& link = panel.link;
  link.identityWanted = false;
  const int32_t identity = AskIdentity(panel);
  if (identity == kFtx1Identity) {
    link.presence = RadioPresence::kAnswering;
    link.quietReplyPhases = 0;
    const bool wasQuiet = panel.quiet;
    panel.quiet = true;
    SetUpRadio(panel);
    panel.quiet = wasQuiet;
    // What came meanwhile tells of the radio before its set-up.
    link.forTick.clear();
    return;
  }
  if (identity != 0 && link.presence != RadioPresence::kRefused) {
    link.presence = RadioPresence::kRefused;
    PlayPhrase(panel, "rnftx.wav");
    ReportRefusedRadio(panel, err);
    err << "kelvaro: waiting for the FTX-1 to come back\n";
  }
}

int CheckRadio(Panel& panel, std::ostream& out, std::ostream& err,
               const std::function<void(Panel&)>& afterConfiguration) {
  PanelState& s = panel.state;
  if (s.config.waveFolder.empty()) s.config.waveFolder = "wave\\";
  std::string failure;
  if (!ReadConfiguration(panel, &failure)) return ReportConfigurationFailure(panel, failure, err);
  if (afterConfiguration) afterConfiguration(panel);
  s.cat.portDataBits = 8;
  s.cat.portParity = 0;
  s.cat.portStopBits = 2;
  OpenPortSequence(panel, s.config.comPort);
  if (!panel.ports.OpenFailure(s.config.comPort).empty()) {
    int code = ReportPortFailure(panel, err);
    panel.ports.ClosePort(s.config.comPort);
    return code;
  }
  out << "The radio's port: " << DescribePort(panel, s.config.comPort) << ", " << s.config.baudRate << " bit/s.\n";

  // One identity query, the same exchange as at start-up.
  const std::optional<std::string> answer = Query(panel, "ID");
  s.cat.radioId = answer ? IntFromText(Mid(*answer, 3, 4)) : 0;
  // Whatever else came (a garbled answer, a refusal) is shown as it was.
  std::string heard = answer.value_or("");
  for (const RoutedAnswer& other : panel.link.forTick) heard += other.text;
  heard += panel.link.inbox;
  panel.ports.ClosePort(s.config.comPort);

  if (heard.empty()) {
    out << "Nothing came back.\n";
  } else {
    out << "It answered: " << Printable(heard) << "\n";
  }
  if (s.cat.radioId == kFtx1Identity) {
    out << "This is an FTX-1: Kelvaro can work with it.\n";
    return kExitOk;
  }
  return ReportRefusedRadio(panel, err);
}

}  // namespace kelvaro
