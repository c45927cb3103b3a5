#include "app/setup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/config.h"
#include "platform/file_replace.h"
#include "state/panel_state.h"
#include "state/text.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// The example configuration's twelve lines; the set-up changes lines 1 and 11.
constexpr const char* kExampleLines[12] = {
    "com=05",     "speed=38400", "power=050", "mic=0",      "tun=0",    "pwroff=0",
    "10m  =-100", "6m  =-500",   "2m  =-600", "70cm =+5000", "vport= 0", "debug=1",
};
constexpr int kDefaultRadioPort = 5;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// How much a device looks like the radio's CAT port: a name that says Yaesu
// or FTX, else the Silicon Labs CP210x bridge that Yaesu radios carry.
int RadioLikeness(const SerialDevice& device) {
  std::string name = Lower(device.usbName);
  if (Contains(name, "yaesu") || Contains(name, "ftx")) return 2;
  if (Contains(name, "silicon labs") && Contains(name, "cp210")) return 1;
  return 0;
}

// Line 1 of the configuration for COM port n: "com=" and two digits, so the
// line is 6 long and both digits count.
std::string RadioPortLine(int n) { return "com=" + ZeroPad(n, 2); }
// Line 11: "vport= " and the digits; 9 long (both digits count) for 10 and up.
std::string PassThroughLine(int n) { return "vport= " + Digits(n); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (ReadTextLine(in.rdbuf(), line, text.size() + 1)) lines.push_back(line);
  return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string Trimmed(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) --end;
  return std::string(text.substr(begin, end - begin));
}

bool HasGroup(const std::vector<unsigned>& groups, unsigned group) {
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

std::string Octal(unsigned mode) {
  std::ostringstream out;
  out << '0' << std::oct << (mode & 0777);
  return out.str();
}

// The conversation with the person at the terminal: one line per question,
// answers read line by line.
class Dialogue {
 public:
  Dialogue(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

  // Asks for a number from `low` to `high` until one comes. An empty answer
  // gives `empty` when that is not -1, and "0" gives 0 when `zeroAllowed`.
  // `refuse` names a number that may not be chosen, with the reason.
  // Returns -1 when the input ends first.
  int AskNumber(const std::string& question, int low, int high, int empty, bool zeroAllowed = false,
                int refused = -1, const std::string& refusal = {}) {
    for (;;) {
      std::string answer;
      if (!Ask(question, &answer)) return -1;
      if (answer.empty() && empty != -1) return empty;
      if (OnlyDigits(answer) && answer.size() <= 3) {
        int n = IntFromText(answer);
        if (n == refused) {
          out_ << refusal << "\n";
          continue;
        }
        if ((n >= low && n <= high) || (n == 0 && zeroAllowed)) return n;
      }
      out_ << "\"" << answer << "\" is not " << (low == high ? "the number " + Digits(low) : "a number from " + Digits(low) + " to " + Digits(high))
           << ". Please answer again.\n";
    }
  }

  // Asks a yes-or-no question; returns 1 for yes, 0 for no, -1 at the end of
  // the input.
  int AskYesNo(const std::string& question) {
    for (;;) {
      std::string answer;
      if (!Ask(question, &answer)) return -1;
      std::string a = Lower(answer);
      if (a == "yes" || a == "y") return 1;
      if (a == "no" || a == "n") return 0;
      out_ << "Please answer yes or no.\n";
    }
  }

  std::ostream& out() { return out_; }

 private:
  bool Ask(const std::string& question, std::string* answer) {
    out_ << question << "\n";
    out_.flush();
    std::string line;
    if (!std::getline(in_, line)) {
      err_ << "kelvaro: no answer came; the set-up stopped and nothing was written\n";
      return false;
    }
    *answer = Trimmed(line);
    return true;
  }

  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
};

// Why nothing can be written in `folder` (created when missing), or "".
std::string FolderProblem(const fs::path& folder) {
  std::error_code ec;
  fs::file_status status = fs::status(folder, ec);
  if (fs::exists(status)) {
    if (!fs::is_directory(status)) return "it is not a folder";
    std::string why;
    if (!MayWriteIn(folder, &why)) return why;
    return {};
  }
  // A folder to be made: its nearest existing parent must take it.
  fs::path parent = folder.parent_path();
  while (!parent.empty() && !fs::exists(parent, ec)) {
    if (parent == parent.parent_path()) break;
    parent = parent.parent_path();
  }
  if (parent.empty()) parent = ".";
  if (!fs::is_directory(parent, ec)) return parent.string() + " is not a folder";
  if (std::string why; !MayWriteIn(parent, &why)) return "it cannot be made in " + parent.string() + ": " + why;
  return {};
}

// Why `device` cannot be linked as a serial port, or "".
std::string DeviceProblem(const fs::path& device) {
  std::error_code ec;
  fs::file_status status = fs::status(device, ec);
  if (!fs::exists(status)) return device.string() + " is not there (unplugged or switched off?)";
  if (!fs::is_character_file(status)) return device.string() + " is not a serial device";
  return {};
}

// "the radio on COM 5 and the pass-through port on COM 6", or "... and no
// pass-through port".
std::string PortsWords(int radioPort, int passThroughPort) {
  return "the radio on COM " + Digits(radioPort) +
         (passThroughPort > 0 ? " and the pass-through port on COM " + Digits(passThroughPort)
                              : " and no pass-through port");
}

struct LinkToMake {
  fs::path name;    // folder/comN
  fs::path device;  // what it leads to
  fs::path temporary;
};

// Removes the links that were prepared but not put in place.
void RemoveTemporaries(const std::vector<LinkToMake>& links) {
  std::error_code ec;
  for (const LinkToMake& link : links) fs::remove(link.temporary, ec);
}

}  // namespace

SerialDevice DescribeSerialName(const fs::path& folder, std::string_view name) {
  SerialDevice device;
  device.link = folder / std::string(name);
  std::string text(name);
  if (text.rfind("usb-", 0) == 0) text.erase(0, 4);
  // udev's names end in "-ifNN" and, for multi-port bridges, "-portN".
  std::size_t port = text.rfind("-port");
  if (port != std::string::npos && port + 5 < text.size() && OnlyDigits(text.substr(port + 5))) {
    text.erase(port);
  }
  std::size_t interface = text.rfind("-if");
  if (interface != std::string::npos && interface + 3 < text.size() && OnlyDigits(text.substr(interface + 3))) {
    device.usbInterface = IntFromText(text.substr(interface + 3));
    text.erase(interface);
  }
  std::replace(text.begin(), text.end(), '_', ' ');
  device.usbName = text;
  std::error_code ec;
  fs::path target = fs::canonical(device.link, ec);
  if (!ec) device.target = target;
  device.likelyRadio = RadioLikeness(device) > 0 && device.usbInterface <= 0;
  return device;
}

std::vector<SerialDevice> ListSerialDevices(const fs::path& folder) {
  std::vector<SerialDevice> devices;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (fs::is_directory(it->symlink_status(ec))) continue;
    devices.push_back(DescribeSerialName(folder, name));
  }
  std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
    if (a.likelyRadio != b.likelyRadio) return a.likelyRadio;
    int la = RadioLikeness(a), lb = RadioLikeness(b);
    if (la != lb) return la > lb;
    return a.link.filename() < b.link.filename();
  });
  return devices;
}

std::string AccessAdvice(const fs::path& device, const DeviceFacts& facts, const UserFacts& user) {
  if (user.uid == 0) return {};
  const unsigned mode = facts.mode;
  if (facts.owner == user.uid && (mode & 0600) == 0600) return {};
  if (HasGroup(user.sessionGroups, facts.group) && (mode & 0060) == 0060) return {};
  if ((mode & 0006) == 0006) return {};
  if ((mode & 0060) == 0060 && !facts.groupName.empty()) {
    const std::string& group = facts.groupName;
    if (HasGroup(user.memberOf, facts.group)) {
      return device.string() + " belongs to the group " + group + ", which " + user.name +
             " joined after this login began: log out and in again (or run: newgrp " + group + ").";
    }
    return device.string() + " belongs to the group " + group + ", and " + user.name +
           " is not in it. To join it: sudo usermod -aG " + group + " " + user.name +
           ", then log out and in again.";
  }
  return user.name + " may not read and write " + device.string() + " (mode " + Octal(mode) +
         "); the system's administrator can allow it.";
}

std::string DeviceAccessAdvice(const fs::path& device) {
  DeviceFacts facts;
  if (!ReadDeviceFacts(device, &facts)) return {};
  return AccessAdvice(device, facts, CurrentUser());
}

std::string ConfigurationText(int radioPort, int passThroughPort) {
  std::vector<std::string> lines(std::begin(kExampleLines), std::end(kExampleLines));
  lines[0] = RadioPortLine(radioPort);
  lines[10] = PassThroughLine(passThroughPort);
  return JoinCrLf(lines);
}

std::string ChangedConfiguration(const std::string& existing, int radioPort, int passThroughPort) {
  std::vector<std::string> lines = SplitLines(existing);
  for (std::size_t i = lines.size(); i < 12; ++i) lines.push_back(kExampleLines[i]);
  lines[0] = RadioPortLine(radioPort);
  lines[10] = PassThroughLine(passThroughPort);
  return JoinCrLf(lines);
}

namespace {

// What the set-up has found out and decided so far, step by step.
struct SetupPlan {
  fs::path folder;
  fs::path configPath;
  bool configExists = false;
  std::string existing;  // the kelvaro.cfg that is there
  std::vector<SerialDevice> devices;
  fs::path radio;
  int radioIndex = -1;  // in `devices`, when chosen from the list
  int radioPort = 0;
  fs::path passThrough;
  int passThroughPort = 0;
  bool writeConfig = true;
  std::string configText;
  std::vector<LinkToMake> links;
};

// Every step below returns true to go on. False stops the set-up with
// nothing written; `*why` then says why, or is left empty when the step has
// said all there is to say (the input ended, the operator said no).

// The COM numbers asked for, and a folder that can be written.
bool CheckRequest(const SetupRequest& request, SetupPlan& plan, std::string* why) {
  if (request.radioPort < 0 || request.radioPort > kMaxSetupPort) {
    *why = "the radio's COM number must be 1 to " + Digits(kMaxSetupPort);
    return false;
  }
  if (request.passThroughPort < 0 || request.passThroughPort > kMaxSetupPort) {
    *why = "the pass-through COM number must be 1 to " + Digits(kMaxSetupPort);
    return false;
  }
  std::error_code ec;
  plan.folder = fs::absolute(request.folder, ec).lexically_normal();
  if (plan.folder.has_relative_path() && plan.folder.filename().empty()) plan.folder = plan.folder.parent_path();
  if (std::string problem = FolderProblem(plan.folder); !problem.empty()) {
    *why = "cannot set up " + plan.folder.string() + ": " + problem;
    return false;
  }
  plan.configPath = plan.folder / "kelvaro.cfg";
  return true;
}

// The kelvaro.cfg already in the folder, if any.
bool ReadExistingConfiguration(SetupPlan& plan, std::string* why) {
  std::error_code ec;
  plan.configExists = fs::exists(fs::symlink_status(plan.configPath, ec));
  if (!plan.configExists) return true;
  if (fs::is_directory(plan.configPath, ec)) {
    *why = plan.configPath.string() + " is a folder";
    return false;
  }
  errno = 0;
  std::ifstream file(plan.configPath, std::ios::binary);
  if (!file.is_open()) {
    *why = "cannot read " + plan.configPath.string() + ": " + std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  std::ostringstream all;
  all << file.rdbuf();
  plan.existing = all.str();
  return true;
}

// The radio's device: the one given, or the one chosen from the list.
bool ChooseRadio(const SetupRequest& request, Dialogue& dialogue, SetupPlan& plan, std::string* why) {
  std::error_code ec;
  if (!request.radio.empty()) {
    plan.radio = fs::absolute(request.radio, ec);
    return true;
  }
  // Links are made to absolute paths, so they lead to the device from the
  // set-up folder too.
  plan.devices = ListSerialDevices(fs::absolute(request.serialFolder, ec).lexically_normal());
  if (plan.devices.empty()) {
    *why = "there are no serial devices in " + request.serialFolder.string() +
           ": is the radio switched on and its USB cable plugged in?";
    return false;
  }
  std::ostream& out = dialogue.out();
  out << "Setting up Kelvaro in " << plan.folder.string() << ".\n";
  out << "Serial devices in " << request.serialFolder.string() << ":\n";
  for (std::size_t i = 0; i < plan.devices.size(); ++i) {
    const SerialDevice& d = plan.devices[i];
    out << (i + 1) << ": " << d.usbName;
    if (d.usbInterface >= 0) out << ", interface " << d.usbInterface;
    if (!d.target.empty()) out << ", " << d.target.string();
    if (d.likelyRadio) out << ", probably the radio";
    out << "\n";
  }
  const int count = static_cast<int>(plan.devices.size());
  int choice = dialogue.AskNumber(
      "Which one is the radio? Type its number and press Enter (Enter alone takes 1).", 1, count, 1);
  if (choice < 0) return false;
  plan.radioIndex = choice - 1;
  plan.radio = plan.devices[static_cast<std::size_t>(plan.radioIndex)].link;
  out << "The radio: " << plan.radio.string() << "\n";
  return true;
}

// The radio's COM number: given, asked, or 5.
bool ChooseRadioPort(const SetupRequest& request, Dialogue& dialogue, SetupPlan& plan) {
  plan.radioPort = request.radioPort;
  if (plan.radioPort == 0 && request.radio.empty()) {
    plan.radioPort = dialogue.AskNumber(
        "Which COM number shall the radio have? It becomes the link comN in the folder. 1 to " +
            Digits(kMaxSetupPort) + "; Enter alone takes " + Digits(kDefaultRadioPort) + ".",
        1, kMaxSetupPort, kDefaultRadioPort);
    if (plan.radioPort < 0) return false;
  }
  if (plan.radioPort == 0) plan.radioPort = kDefaultRadioPort;
  return true;
}

// The pass-through port's device and COM number, if there is to be one.
bool ChoosePassThrough(const SetupRequest& request, Dialogue& dialogue, SetupPlan& plan, std::string* why) {
  const bool asking = request.radio.empty();
  std::error_code ec;
  plan.passThrough = request.passThrough.empty() ? fs::path() : fs::absolute(request.passThrough, ec);
  if (asking && plan.passThrough.empty() && !request.noPassThrough) {
    if (plan.devices.size() < 2) {
      dialogue.out() << "There is no other serial device for a pass-through port; the set-up makes none.\n";
    } else {
      const int count = static_cast<int>(plan.devices.size());
      int choice = dialogue.AskNumber(
          "Another program may reach the radio through a pass-through port. Type the number of its "
          "device from the list, or press Enter for none.",
          1, count, 0, true, plan.radioIndex + 1,
          "That is the radio; choose another device, or press Enter for none.");
      if (choice < 0) return false;
      if (choice > 0) plan.passThrough = plan.devices[static_cast<std::size_t>(choice - 1)].link;
    }
  }
  plan.passThroughPort = request.passThroughPort;
  if (!plan.passThrough.empty() && plan.passThroughPort == 0) {
    const int radioPort = plan.radioPort;
    const int suggested = radioPort < kMaxSetupPort ? radioPort + 1 : radioPort - 1;
    if (asking) {
      plan.passThroughPort = dialogue.AskNumber(
          "Which COM number shall the pass-through port have? 1 to " + Digits(kMaxSetupPort) + ", not " +
              Digits(radioPort) + "; Enter alone takes " + Digits(suggested) + ".",
          1, kMaxSetupPort, suggested, false, radioPort, "That is the radio's number; choose another.");
      if (plan.passThroughPort < 0) return false;
    } else {
      plan.passThroughPort = suggested;
    }
  }
  if (plan.passThroughPort == plan.radioPort) {
    *why = "the pass-through port cannot have the radio's COM number " + Digits(plan.radioPort);
    return false;
  }
  if (!plan.passThrough.empty() && plan.passThrough == plan.radio) {
    *why = "the radio and the pass-through port cannot be the same device";
    return false;
  }
  return true;
}

// What becomes of kelvaro.cfg: written new, changed (asked first, unless
// --change-config), or left as it is when it already has these ports.
bool DecideConfiguration(const SetupRequest& request, Dialogue& dialogue, SetupPlan& plan, std::string* why) {
  const int radioPort = plan.radioPort, passThroughPort = plan.passThroughPort;
  if (!plan.configExists) {
    plan.configText = ConfigurationText(radioPort, passThroughPort);
    return true;
  }
  PanelState old;
  std::istringstream oldIn(plan.existing);
  ReadConfiguration(old, oldIn);
  const std::string oldPorts = PortsWords(old.config.comPort, old.config.passThroughPort);
  if (old.config.comPort == radioPort && old.config.passThroughPort == passThroughPort) {
    plan.writeConfig = false;
    dialogue.out() << "kelvaro.cfg already has " << PortsWords(radioPort, passThroughPort)
                   << "; it stays as it is.\n";
    return true;
  }
  int change = request.config == ConfigChoice::kChange ? 1 : 0;
  if (request.config == ConfigChoice::kAsk && request.radio.empty()) {
    change = dialogue.AskYesNo("kelvaro.cfg is there and has " + oldPorts + ". Change it to " +
                               PortsWords(radioPort, passThroughPort) +
                               "? Its other lines stay as they are. Type yes or no.");
    if (change < 0) return false;
  } else if (request.config == ConfigChoice::kAsk) {
    *why = plan.configPath.string() + " has " + oldPorts + "; --change-config changes that";
    return false;
  }
  if (change == 0) {
    dialogue.out() << "Nothing was written: kelvaro.cfg and the links stay as they were.\n";
    return false;
  }
  plan.configText = ChangedConfiguration(plan.existing, radioPort, passThroughPort);
  return true;
}

// The links comN to make, each checked against what the folder holds now.
bool PlanLinks(SetupPlan& plan, std::string* why) {
  plan.links.push_back({plan.folder / ("com" + Digits(plan.radioPort)), plan.radio, {}});
  if (!plan.passThrough.empty()) {
    plan.links.push_back({plan.folder / ("com" + Digits(plan.passThroughPort)), plan.passThrough, {}});
  }
  std::error_code ec;
  for (LinkToMake& link : plan.links) {
    if (std::string problem = DeviceProblem(link.device); !problem.empty()) {
      *why = problem;
      return false;
    }
    fs::file_status there = fs::symlink_status(link.name, ec);
    if (fs::exists(there) && !fs::is_symlink(there)) {
      *why = link.name.string() + " is there and is not a link; move it away first";
      return false;
    }
    link.temporary = plan.folder / ("." + link.name.filename().string() + ".setup");
  }
  return true;
}

// Makes every link beside its place first, so that a failure leaves the
// folder as it was; then puts the links in place, and kelvaro.cfg last with
// the safe file replacement (the complete old file or the complete new one,
// whatever happens). Says on `err` what could not be done.
bool PutInPlace(SetupPlan& plan, std::ostream& out, std::ostream& err) {
  auto failed = [&err](const std::string& message) {
    err << "kelvaro: " << message << "\n";
    return false;
  };
  std::error_code ec;
  fs::create_directories(plan.folder, ec);
  if (ec) return failed("cannot make the folder " + plan.folder.string() + ": " + ec.message() + "; nothing was written");
  for (const LinkToMake& link : plan.links) {
    fs::remove(link.temporary, ec);
    fs::create_symlink(link.device, link.temporary, ec);
    if (ec) {
      RemoveTemporaries(plan.links);
      return failed("cannot make a link in " + plan.folder.string() + ": " + ec.message() + "; nothing was written");
    }
  }
  for (const LinkToMake& link : plan.links) {
    fs::rename(link.temporary, link.name, ec);
    if (ec) {
      RemoveTemporaries(plan.links);
      return failed("cannot put the link " + link.name.string() + " in place: " + ec.message());
    }
    out << "Linked " << link.name.string() << " to " << link.device.string() << ".\n";
  }
  if (plan.writeConfig) {
    if (!ReplaceFileSafely(plan.configPath, plan.configText)) {
      return failed("cannot write " + plan.configPath.string() + (plan.links.empty() ? "" : "; the links are in place"));
    }
    out << "Wrote " << plan.configPath.string() << " with " << PortsWords(plan.radioPort, plan.passThroughPort)
        << ".\n";
  }
  return true;
}

// What is left for the operator to do: link a pass-through device by hand,
// be allowed to open the devices, then check the radio.
void SayWhatComesNext(const SetupPlan& plan, std::ostream& out) {
  if (plan.passThrough.empty() && plan.passThroughPort > 0) {
    out << "The pass-through port is COM " << plan.passThroughPort << ": link its device as com"
        << plan.passThroughPort << " in the folder.\n";
  }
  bool allowed = true;
  for (const LinkToMake& link : plan.links) {
    std::string advice = DeviceAccessAdvice(link.device);
    if (!advice.empty()) {
      out << "Before Kelvaro can open it: " << advice << "\n";
      allowed = false;
    }
  }
  if (allowed) out << "You may open the devices.\n";
  out << "Next, in " << plan.folder.string()
      << ": kelvaro --check asks the radio who it is, and kelvaro starts the panel.\n";
}

}  // namespace

int RunSetup(const SetupRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  Dialogue dialogue(in, out, err);
  SetupPlan plan;
  std::string why;
  const bool planned = CheckRequest(request, plan, &why) && ReadExistingConfiguration(plan, &why) &&
                       ChooseRadio(request, dialogue, plan, &why) && ChooseRadioPort(request, dialogue, plan) &&
                       ChoosePassThrough(request, dialogue, plan, &why) &&
                       DecideConfiguration(request, dialogue, plan, &why) && PlanLinks(plan, &why);
  if (!planned) {
    if (!why.empty()) err << "kelvaro: " << why << "; nothing was written\n";
    return 1;
  }
  if (!PutInPlace(plan, out, err)) return 1;
  SayWhatComesNext(plan, out);
  return 0;
}

}  // namespace kelvaro

namespace kelvaro {
namespace {

// "1: Silicon Labs ... (COM5), probably the radio"; the COM number is added
// where the name does not carry it.
std::string ComPortLine(std::size_t index, const ComPortChoice& port) {
  const std::string com = "COM" + Digits(port.number);
  std::string line = Digits(static_cast<int>(index + 1)) + ": ";
  line += Contains(port.name, "(" + com + ")") ? port.name : com + ", " + port.name;
  if (port.likelyRadio()) line += ", probably the radio";
  return line;
}

// The COM number of a "COMn" option, 1 to 99; `*why` says what is wrong.
bool ComOption(const fs::path& given, const char* option, int* port, std::string* why) {
  *port = ComNumberOf(given.string());
  if (*port >= 1 && *port <= kMaxSetupPort) return true;
  *why = std::string(option) + " takes a COM port from COM1 to COM" + Digits(kMaxSetupPort) + ", not " + given.string();
  return false;
}

bool ChooseComPorts(const SetupRequest& request, const std::vector<ComPortChoice>& ports, Dialogue& dialogue,
                    SetupPlan& plan, std::string* why) {
  if (request.radioPort != 0 || request.passThroughPort != 0 || request.serialFolder != kSerialByIdFolder) {
    *why = "on Windows a port is its COM number: --port, --pass-through-port and --serial-folder are not needed";
    return false;
  }
  const bool asking = request.radio.empty();
  std::ostream& out = dialogue.out();
  int radioIndex = -1;
  if (!asking) {
    if (!ComOption(request.radio, "--radio", &plan.radioPort, why)) return false;
  } else {
    if (ports.empty()) {
      *why = "there are no COM ports: is the radio switched on and its USB cable plugged in?";
      return false;
    }
    out << "Setting up Kelvaro in " << plan.folder.string() << ".\n";
    out << "COM ports:\n";
    for (std::size_t i = 0; i < ports.size(); ++i) out << ComPortLine(i, ports[i]) << "\n";
    const int count = static_cast<int>(ports.size());
    const int choice = dialogue.AskNumber(
        "Which one is the radio? Type its number and press Enter (Enter alone takes 1).", 1, count, 1);
    if (choice < 0) return false;
    radioIndex = choice - 1;
    plan.radioPort = ports[static_cast<std::size_t>(radioIndex)].number;
    if (plan.radioPort > kMaxSetupPort) {
      *why = "COM" + Digits(plan.radioPort) + " is beyond COM" + Digits(kMaxSetupPort) +
             ", which kelvaro.cfg cannot name; give the port a lower number in the Device Manager";
      return false;
    }
    out << "The radio: COM" << plan.radioPort << "\n";
  }
  if (!request.passThrough.empty()) {
    if (!ComOption(request.passThrough, "--pass-through", &plan.passThroughPort, why)) return false;
  } else if (asking && !request.noPassThrough) {
    if (ports.size() < 2) {
      out << "There is no other COM port for a pass-through port; the set-up makes none.\n";
    } else {
      const int count = static_cast<int>(ports.size());
      const int choice = dialogue.AskNumber(
          "Another program may reach the radio through a pass-through port. Type the number of its "
          "COM port from the list, or press Enter for none.",
          1, count, 0, true, radioIndex + 1, "That is the radio; choose another port, or press Enter for none.");
      if (choice < 0) return false;
      if (choice > 0) plan.passThroughPort = ports[static_cast<std::size_t>(choice - 1)].number;
      if (plan.passThroughPort > kMaxSetupPort) {
        *why = "COM" + Digits(plan.passThroughPort) + " is beyond COM" + Digits(kMaxSetupPort) +
               ", which kelvaro.cfg cannot name";
        return false;
      }
    }
  }
  if (plan.passThroughPort == plan.radioPort) {
    *why = "the radio and the pass-through port cannot both be COM" + Digits(plan.radioPort);
    return false;
  }
  return true;
}

}  // namespace

int RunComSetup(const SetupRequest& request, const std::vector<ComPortChoice>& ports, std::istream& in,
                std::ostream& out, std::ostream& err) {
  Dialogue dialogue(in, out, err);
  SetupPlan plan;
  std::string why;
  const bool planned = CheckRequest(request, plan, &why) && ReadExistingConfiguration(plan, &why) &&
                       ChooseComPorts(request, ports, dialogue, plan, &why) &&
                       DecideConfiguration(request, dialogue, plan, &why);
  if (!planned) {
    if (!why.empty()) err << "kelvaro: " << why << "; nothing was written\n";
    return 1;
  }
  if (!PutInPlace(plan, out, err)) return 1;
  out << "Next, in " << plan.folder.string()
      << ": kelvaro --check asks the radio who it is, and kelvaro starts the panel.\n";
  return 0;
}

}  // namespace kelvaro
