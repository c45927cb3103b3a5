#include "app/setup.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/config.h"
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
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
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
  if (::access(parent.c_str(), W_OK | X_OK) != 0) {
    return "it cannot be made in " + parent.string() + ": " + std::strerror(errno);
  }
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

// Removes what was prepared but not put in place.
void RemoveTemporaries(const std::vector<LinkToMake>& links, const fs::path& configTemporary) {
  std::error_code ec;
  for (const LinkToMake& link : links) fs::remove(link.temporary, ec);
  if (!configTemporary.empty()) fs::remove(configTemporary, ec);
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
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return {};
  DeviceFacts facts;
  facts.mode = info.st_mode & 07777;
  facts.owner = info.st_uid;
  facts.group = info.st_gid;
  if (const group* g = ::getgrgid(info.st_gid)) facts.groupName = g->gr_name;

  UserFacts user;
  user.uid = ::getuid();
  const passwd* pw = ::getpwuid(user.uid);
  user.name = pw ? pw->pw_name : Digits(user.uid);
  int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
  if (count > 0) count = ::getgroups(count, groups.data());
  for (int i = 0; i < count; ++i) user.sessionGroups.push_back(groups[static_cast<std::size_t>(i)]);
  user.sessionGroups.push_back(::getegid());
  if (pw) {
    int listed = 64;
    std::vector<gid_t> member(static_cast<std::size_t>(listed));
    if (::getgrouplist(pw->pw_name, pw->pw_gid, member.data(), &listed) < 0 && listed > 0) {
      member.resize(static_cast<std::size_t>(listed));
      ::getgrouplist(pw->pw_name, pw->pw_gid, member.data(), &listed);
    }
    for (int i = 0; i < listed && i < static_cast<int>(member.size()); ++i) {
      user.memberOf.push_back(member[static_cast<std::size_t>(i)]);
    }
  }
  return AccessAdvice(device, facts, user);
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

int RunSetup(const SetupRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  Dialogue dialogue(in, out, err);
  const bool asking = request.radio.empty();
  std::error_code ec;
  fs::path folder = fs::absolute(request.folder, ec).lexically_normal();
  if (folder.has_relative_path() && folder.filename().empty()) folder = folder.parent_path();
  auto fail = [&err](const std::string& message) {
    err << "kelvaro: " << message << "; nothing was written\n";
    return 1;
  };

  if (request.radioPort < 0 || request.radioPort > kMaxSetupPort) {
    return fail("the radio's COM number must be 1 to " + Digits(kMaxSetupPort));
  }
  if (request.passThroughPort < 0 || request.passThroughPort > kMaxSetupPort) {
    return fail("the pass-through COM number must be 1 to " + Digits(kMaxSetupPort));
  }
  if (std::string why = FolderProblem(folder); !why.empty()) {
    return fail("cannot set up " + folder.string() + ": " + why);
  }
  const fs::path configPath = folder / "kelvaro.cfg";
  std::string existing;
  const bool configExists = fs::exists(fs::symlink_status(configPath, ec));
  if (configExists) {
    if (fs::is_directory(configPath, ec)) return fail(configPath.string() + " is a folder");
    errno = 0;
    std::ifstream file(configPath, std::ios::binary);
    if (!file.is_open()) {
      return fail("cannot read " + configPath.string() + ": " + std::strerror(errno != 0 ? errno : ENOENT));
    }
    std::ostringstream all;
    all << file.rdbuf();
    existing = all.str();
  }

  // The radio.
  std::vector<SerialDevice> devices;
  fs::path radio = request.radio.empty() ? fs::path() : fs::absolute(request.radio, ec);
  int radioIndex = -1;
  if (asking) {
    // Links are made to absolute paths, so they lead to the device from the
    // set-up folder too.
    devices = ListSerialDevices(fs::absolute(request.serialFolder, ec).lexically_normal());
    if (devices.empty()) {
      return fail("there are no serial devices in " + request.serialFolder.string() +
                  ": is the radio switched on and its USB cable plugged in?");
    }
    out << "Setting up Kelvaro in " << folder.string() << ".\n";
    out << "Serial devices in " << request.serialFolder.string() << ":\n";
    for (std::size_t i = 0; i < devices.size(); ++i) {
      const SerialDevice& d = devices[i];
      out << (i + 1) << ": " << d.usbName;
      if (d.usbInterface >= 0) out << ", interface " << d.usbInterface;
      if (!d.target.empty()) out << ", " << d.target.string();
      if (d.likelyRadio) out << ", probably the radio";
      out << "\n";
    }
    const int count = static_cast<int>(devices.size());
    int choice = dialogue.AskNumber(
        "Which one is the radio? Type its number and press Enter (Enter alone takes 1).", 1, count, 1);
    if (choice < 0) return 1;
    radioIndex = choice - 1;
    radio = devices[static_cast<std::size_t>(radioIndex)].link;
    out << "The radio: " << radio.string() << "\n";
  }

  int radioPort = request.radioPort;
  if (radioPort == 0 && asking) {
    radioPort = dialogue.AskNumber(
        "Which COM number shall the radio have? It becomes the link comN in the folder. 1 to " +
            Digits(kMaxSetupPort) + "; Enter alone takes " + Digits(kDefaultRadioPort) + ".",
        1, kMaxSetupPort, kDefaultRadioPort);
    if (radioPort < 0) return 1;
  }
  if (radioPort == 0) radioPort = kDefaultRadioPort;

  // The pass-through port.
  fs::path passThrough = request.passThrough.empty() ? fs::path() : fs::absolute(request.passThrough, ec);
  if (asking && passThrough.empty() && !request.noPassThrough) {
    if (devices.size() < 2) {
      out << "There is no other serial device for a pass-through port; the set-up makes none.\n";
    } else {
      const int count = static_cast<int>(devices.size());
      int choice = dialogue.AskNumber(
          "Another program may reach the radio through a pass-through port. Type the number of its "
          "device from the list, or press Enter for none.",
          1, count, 0, true, radioIndex + 1, "That is the radio; choose another device, or press Enter for none.");
      if (choice < 0) return 1;
      if (choice > 0) passThrough = devices[static_cast<std::size_t>(choice - 1)].link;
    }
  }
  int passThroughPort = request.passThroughPort;
  if (!passThrough.empty() && passThroughPort == 0) {
    const int suggested = radioPort < kMaxSetupPort ? radioPort + 1 : radioPort - 1;
    if (asking) {
      passThroughPort = dialogue.AskNumber(
          "Which COM number shall the pass-through port have? 1 to " + Digits(kMaxSetupPort) +
              ", not " + Digits(radioPort) + "; Enter alone takes " + Digits(suggested) + ".",
          1, kMaxSetupPort, suggested, false, radioPort, "That is the radio's number; choose another.");
      if (passThroughPort < 0) return 1;
    } else {
      passThroughPort = suggested;
    }
  }
  if (passThroughPort == radioPort) {
    return fail("the pass-through port cannot have the radio's COM number " + Digits(radioPort));
  }
  if (!passThrough.empty() && passThrough == radio) {
    return fail("the radio and the pass-through port cannot be the same device");
  }

  // What becomes of kelvaro.cfg.
  std::string configText;
  bool writeConfig = true;
  if (configExists) {
    PanelState old;
    std::istringstream oldIn(existing);
    ReadConfiguration(old, oldIn);
    if (old.config.comPort == radioPort && old.config.passThroughPort == passThroughPort) {
      writeConfig = false;
      out << "kelvaro.cfg already has " << PortsWords(radioPort, passThroughPort) << "; it stays as it is.\n";
    } else {
      std::string question = "kelvaro.cfg is there and has " +
                             PortsWords(old.config.comPort, old.config.passThroughPort) + ". Change it to " +
                             PortsWords(radioPort, passThroughPort) +
                             "? Its other lines stay as they are. Type yes or no.";
      int change = request.config == ConfigChoice::kChange ? 1 : 0;
      if (request.config == ConfigChoice::kAsk && asking) {
        change = dialogue.AskYesNo(question);
        if (change < 0) return 1;
      } else if (request.config == ConfigChoice::kAsk) {
        return fail(configPath.string() + " has " + PortsWords(old.config.comPort, old.config.passThroughPort) +
                    "; --change-config changes that");
      }
      if (change == 0) {
        out << "Nothing was written: kelvaro.cfg and the links stay as they were.\n";
        return 1;
      }
      configText = ChangedConfiguration(existing, radioPort, passThroughPort);
    }
  } else {
    configText = ConfigurationText(radioPort, passThroughPort);
  }

  // Everything is known: check what is there now, then prepare and put in place.
  std::vector<LinkToMake> links;
  links.push_back({folder / ("com" + Digits(radioPort)), radio, {}});
  if (!passThrough.empty()) links.push_back({folder / ("com" + Digits(passThroughPort)), passThrough, {}});
  for (LinkToMake& link : links) {
    if (std::string why = DeviceProblem(link.device); !why.empty()) return fail(why);
    fs::file_status there = fs::symlink_status(link.name, ec);
    if (fs::exists(there) && !fs::is_symlink(there)) {
      return fail(link.name.string() + " is there and is not a link; move it away first");
    }
    link.temporary = folder / ("." + link.name.filename().string() + ".setup");
  }

  fs::create_directories(folder, ec);
  if (ec) return fail("cannot make the folder " + folder.string() + ": " + ec.message());
  fs::path configTemporary;
  for (const LinkToMake& link : links) {
    fs::remove(link.temporary, ec);
    fs::create_symlink(link.device, link.temporary, ec);
    if (ec) {
      RemoveTemporaries(links, configTemporary);
      return fail("cannot make a link in " + folder.string() + ": " + ec.message());
    }
  }
  if (writeConfig) {
    configTemporary = folder / ".kelvaro.cfg.setup";
    std::ofstream file(configTemporary, std::ios::binary | std::ios::trunc);
    file << configText;
    file.close();
    if (!file) {
      RemoveTemporaries(links, configTemporary);
      return fail("cannot write " + configTemporary.string());
    }
  }
  for (const LinkToMake& link : links) {
    fs::rename(link.temporary, link.name, ec);
    if (ec) {
      RemoveTemporaries(links, configTemporary);
      err << "kelvaro: cannot put the link " << link.name.string() << " in place: " << ec.message() << "\n";
      return 1;
    }
    out << "Linked " << link.name.string() << " to " << link.device.string() << ".\n";
  }
  if (writeConfig) {
    fs::rename(configTemporary, configPath, ec);
    if (ec) {
      fs::remove(configTemporary, ec);
      err << "kelvaro: cannot put " << configPath.string() << " in place: " << ec.message() << "\n";
      return 1;
    }
    out << "Wrote " << configPath.string() << " with " << PortsWords(radioPort, passThroughPort) << ".\n";
  }
  if (passThrough.empty() && passThroughPort > 0) {
    out << "The pass-through port is COM " << passThroughPort << ": link its device as com" << passThroughPort
        << " in the folder.\n";
  }

  bool allowed = true;
  for (const LinkToMake& link : links) {
    std::string advice = DeviceAccessAdvice(link.device);
    if (!advice.empty()) {
      out << "Before Kelvaro can open it: " << advice << "\n";
      allowed = false;
    }
  }
  if (allowed) out << "You may open the devices.\n";
  out << "Next, in " << folder.string() << ": kelvaro --check asks the radio who it is, and kelvaro starts the panel.\n";
  return 0;
}

}  // namespace kelvaro
