#include "platform/fakes.h"

namespace kelvaro {
namespace {
bool InRange(int n) { return n >= 1 && n <= kMaxPortNumber; }
}  // namespace

bool FakePorts::OpenPort(int n, int speed) {
  calls.push_back("open " + std::to_string(n) + " " + std::to_string(speed));
  if (!InRange(n) || unavailable.count(n)) return false;
  Port& p = ports_[n];
  p.open = true;
  p.speed = speed;
  p.dataBits = 8;
  p.parity = 0;
  p.stopCode = 1;
  ++p.opens;
  return true;
}

std::uint32_t FakePorts::OpenCount(int n) const {
  auto p = ports_.find(n);
  return p == ports_.end() ? 0 : p->second.opens;
}

std::filesystem::path FakePorts::DevicePath(int n) const {
  auto it = devices.find(n);
  return it == devices.end() ? std::filesystem::path() : it->second;
}

std::string FakePorts::OpenFailure(int n) const {
  if (!unavailable.count(n)) return {};
  auto it = failureReasons.find(n);
  return it == failureReasons.end() ? "No such file or directory" : it->second;
}

void FakePorts::SetReadTimeouts(int n, int msPerByte) {
  calls.push_back("timeouts " + std::to_string(n) + " " + std::to_string(msPerByte));
}

bool FakePorts::SetLineFormat(int n, int dataBits, int parity, int stopCode) {
  calls.push_back("format " + std::to_string(n) + " " + std::to_string(dataBits) + " " +
                  std::to_string(parity) + " " + std::to_string(stopCode));
  if (!InRange(n) || !ports_[n].open) return false;
  Port& p = ports_[n];
  p.dataBits = dataBits;
  p.parity = parity;
  p.stopCode = stopCode;
  return true;
}

int FakePorts::WritePort(int n, std::string_view bytes) {
  if (!InRange(n) || !ports_[n].open) return 0;
  ports_[n].written += bytes;
  auto r = responders_.find(n);
  if (r != responders_.end() && r->second) ports_[n].incoming += r->second(bytes);
  return static_cast<int>(bytes.size());
}

std::string FakePorts::ReadPort(int n, int maximum) {
  if (!InRange(n) || !ports_[n].open || maximum <= 0) return {};
  Port& p = ports_[n];
  std::string out = p.incoming.substr(0, static_cast<std::size_t>(maximum));
  p.incoming.erase(0, out.size());
  return out;
}

int FakePorts::BytesWaiting(int n) {
  if (!InRange(n) || !ports_[n].open) return 0;
  return static_cast<int>(ports_[n].incoming.size());
}

bool FakePorts::WaitForInput(int n, std::chrono::milliseconds timeout) {
  waits.push_back("wait " + std::to_string(n) + " " + std::to_string(timeout.count()));
  if (!InRange(n) || !ports_[n].open) return false;
  auto later = later_.find(n);
  if (later != later_.end() && !later->second.empty()) {
    ports_[n].incoming += later->second.front();
    later->second.pop_front();
  }
  return !ports_[n].incoming.empty();
}

void FakePorts::ClosePort(int n) {
  calls.push_back("close " + std::to_string(n));
  if (InRange(n)) ports_[n].open = false;
}

std::vector<std::string> FakePorts::Commands(int n) {
  std::vector<std::string> out;
  std::string current;
  for (char c : ports_[n].written) {
    current += c;
    if (c == ';') {
      out.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

bool FakeVoice::PlaySync(const std::filesystem::path& file) {
  played.push_back(file.string());
  wasAsync.push_back(false);
  return !allMissing && !missing.count(file.filename().string());
}

bool FakeVoice::PlayAsync(const std::filesystem::path& file) {
  played.push_back(file.string());
  wasAsync.push_back(true);
  return !allMissing && !missing.count(file.filename().string());
}

std::optional<std::chrono::milliseconds> FakeVoice::Length(const std::filesystem::path& file) {
  if (allMissing || missing.count(file.filename().string())) return std::nullopt;
  return length;
}

void FakeScreen::Print(std::string_view text) {
  draws.push_back(Draw{x_, y_, font, std::string(text)});
  // Advance by a nominal width so consecutive prints stay distinguishable.
  x_ += static_cast<int>(text.size()) * 10;
}

void FakeScreen::SelectFont(std::string_view face, int points, int weight) {
  font = std::string(face) + "/" + std::to_string(points) + "/" + std::to_string(weight);
}

std::string FakeScreen::TextAt(int x, int y) const {
  for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
    if (it->x == x && it->y == y) return it->text;
  }
  return {};
}

bool FakeWindow::Open(std::string_view c, int px, int py, int w, int h, std::string* /*why*/) {
  caption = std::string(c);
  x = px;
  y = py;
  width = w;
  height = h;
  opened = true;
  return true;
}

WindowMessage FakeWindow::NextMessage() {
  if (beforeEachMessage) beforeEachMessage();
  if (script.empty()) return WindowMessage{kMsgClose, 0};
  WindowMessage m = script.front();
  script.pop_front();
  return m;
}

}  // namespace kelvaro
