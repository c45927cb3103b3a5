#include "link/cat.h"

#include <algorithm>
#include <array>

#include "state/debug_log.h"
#include "state/phrase_file.h"

namespace kelvaro {
namespace {

constexpr std::size_t kLongestAnswer = 255;
// Reads per look at the port: enough for any burst a radio sends, and a
// bound should a device stream without end.
constexpr int kMostReads = 64;
constexpr std::size_t kMostWaiting = 256;
// Set commands the radio is taken to carry out in the time it has to answer
// a query.
constexpr int kSetsPerAnswerWait = 4;

// The queue of panel.link an asker's answers go to; nullptr when nobody
// collects them.
std::deque<RoutedAnswer>* QueueOf(RadioLink& link, Asker asker) {
  switch (asker) {
    case Asker::kKey: return &link.forKey;
    case Asker::kRelay: return &link.forRelay;
    case Asker::kNetwork: return &link.forNetwork;
    case Asker::kPoll:
    case Asker::kNobody: return &link.forTick;
  }
  return nullptr;
}

// Answers for the tick wait for its next reply phase; a radio that talks by
// itself while the tick is held (a menu read) cannot make them pile up.
constexpr std::size_t kMostForTick = 64;

void KeepForTick(RadioLink& link, RoutedAnswer answer) {
  link.forTick.push_back(std::move(answer));
  if (link.forTick.size() > kMostForTick) link.forTick.pop_front();
}

void Deliver(RadioLink& link, const WaitingCommand& to, std::string text) {
  RoutedAnswer answer{to.ticket, to.asker, std::move(text), to.sentNumber};
  if (to.asker == Asker::kPoll || to.asker == Asker::kNobody) {
    KeepForTick(link, std::move(answer));
  } else {
    QueueOf(link, to.asker)->push_back(std::move(answer));
  }
}

constexpr std::size_t kMostRefusalsKept = 16;

void RouteAnswer(RadioLink& link, std::string answer) {
  auto target = link.waiting.end();
  if (answer == "?;") {
    // The radio answers in order: a refusal belongs to the oldest command
    // not yet done with, a set as well as a query.
    target = link.waiting.begin();
    if (target != link.waiting.end()) {
      ++link.refusalCount;
      // Another program's refusals are its own business (its traffic is
      // logged as relayed); the panel's own are named.
      if (target->asker != Asker::kRelay && target->asker != Asker::kNetwork) link.refused.push_back(target->sent);
      if (link.refused.size() > kMostRefusalsKept) link.refused.pop_front();
    }
  } else {
    target = std::find_if(link.waiting.begin(), link.waiting.end(), [&](const WaitingCommand& w) {
      return w.query && !w.prefix.empty() && answer.size() > w.prefix.size() &&
             answer.compare(0, w.prefix.size(), w.prefix) == 0;
    });
  }
  if (target == link.waiting.end()) {
    KeepForTick(link, RoutedAnswer{0, Asker::kNobody, std::move(answer), link.otherCommandsSent});
    return;
  }
  // The radio answers in order: set commands sent before the one answered
  // were taken without a refusal.
  const WaitingCommand found = *target;
  auto kept = std::remove_if(link.waiting.begin(), target, [](const WaitingCommand& w) { return !w.query; });
  target = link.waiting.erase(kept, target);
  link.waiting.erase(target);
  if (!found.query && found.asker != Asker::kRelay) return;  // our own set was refused
  Deliver(link, found, std::move(answer));
}

// The selector characters a query carries after its code; a longer command
// with that code sets something. Codes listed with -1 only ever set.
struct QueryForm {
  std::string_view code;
  int selector;
};
constexpr std::array<QueryForm, 51> kQueryForms{{
    {"AC", 0}, {"AI", 0}, {"BI", 0}, {"FA", 0}, {"FB", 0}, {"FS", 0}, {"FT", 0}, {"ID", 0}, {"IF", 0},
    {"KP", 0}, {"KS", 0}, {"LK", 0}, {"MG", 0}, {"OI", 0}, {"PC", 0}, {"PL", 0}, {"PS", 0}, {"ST", 0},
    {"TX", 0}, {"VS", 0}, {"VX", 0}, {"AG", 1}, {"BC", 1}, {"CT", 1}, {"GT", 1}, {"MD", 1}, {"ML", 1},
    {"NA", 1}, {"NB", 1}, {"NL", 1}, {"NR", 1}, {"OS", 1}, {"PA", 1}, {"PR", 1}, {"RA", 1}, {"RG", 1},
    {"RL", 1}, {"RM", 1}, {"SH", 1}, {"SM", 1}, {"SQ", 1}, {"CN", 2}, {"CO", 2}, {"AB", -1}, {"BA", -1},
    {"BS", -1}, {"DN", -1}, {"UP", -1}, {"SV", -1}, {"VM", 1}, {"ZI", -1},
}};

}  // namespace

bool IsQueryCommand(std::string_view command) {
  if (command.size() < 2) return true;
  const std::string_view code = command.substr(0, 2);
  const std::size_t after = command.size() - 2;
  if (code == "EX") return after == 6 || after == 3;  // menu number alone (or a three-digit legacy one)
  for (const QueryForm& form : kQueryForms) {
    if (form.code == code) return form.selector >= 0 && after == static_cast<std::size_t>(form.selector);
  }
  return true;
}

bool AnswerAwaitedBeyondTick(const RadioLink& link) {
  return std::any_of(link.waiting.begin(), link.waiting.end(), [](const WaitingCommand& w) {
    return w.asker == Asker::kRelay || w.asker == Asker::kNetwork;
  });
}

std::vector<std::string> TakeRadioBytes(RadioLink& link, std::string_view bytes) {
  std::vector<std::string> complete;
  link.inbox.append(bytes);
  std::size_t end;
  while ((end = link.inbox.find(';')) != std::string::npos) {
    std::string answer = link.inbox.substr(0, end + 1);
    link.inbox.erase(0, end + 1);
    complete.push_back(answer);
    // Line ends or blanks between answers are not part of them.
    answer.erase(0, std::min(answer.find_first_not_of("\r\n \t"), answer.size()));
    if (answer.size() > 1) {
      link.heard = true;
      RouteAnswer(link, std::move(answer));
    }
  }
  if (link.inbox.size() > kLongestAnswer) {
    complete.push_back(link.inbox);
    link.inbox.clear();
  }
  return complete;
}

void EndOverdueWaits(RadioLink& link, SteadyTime now) {
  // A set command's record is kept past its time while a later query still
  // waits: a refusal that comes late must still find the set that drew it,
  // not end the query after it. An answer to the later query settles it.
  bool laterQueryWaits = false;
  std::deque<WaitingCommand> kept;
  for (auto w = link.waiting.rbegin(); w != link.waiting.rend(); ++w) {
    const bool overdue = w->deadline <= now;
    if (w->query && !overdue) laterQueryWaits = true;
    if (!overdue || (!w->query && laterQueryWaits)) {
      kept.push_front(std::move(*w));
    } else if (w->query && w->asker != Asker::kPoll && w->asker != Asker::kNobody) {
      Deliver(link, *w, std::string());
    }
  }
  link.waiting = std::move(kept);
}

std::uint32_t SendFor(Panel& panel, std::string_view command, Asker asker, bool query) {
  PanelState& s = panel.state;
  // What is already waiting came before this command and is no answer to it.
  ReceiveAnswers(panel);
  s.cat.commandText = command;
  // Network clients name their VFO themselves; their commands go out as given.
  if (asker != Asker::kNetwork && s.radio.splitOn && Left(s.cat.commandText, 2) == "FA") {
    s.cat.commandText = "FB" + Mid(s.cat.commandText, 3);
  }
  s.cat.commandText += ";";
  std::string_view sent = s.cat.commandText;
  if ((Left(sent, 2) == "FA" || Left(sent, 2) == "FB") && sent.size() > 5) {
    s.cat.lastFrequencyCommand = sent;
    // The radio is now where this command put it: a band record stored before
    // its next answer arrives belongs to this frequency, not the one before.
    if (sent.size() == 12 && OnlyDigits(sent.substr(2, 9))) s.cat.lastFreqReply = Left(sent, 11);
  }
  panel.ports.WritePort(s.config.comPort, sent);
  s.cat.commandsSent = static_cast<int32_t>(static_cast<uint32_t>(s.cat.commandsSent) + 1u);
  RadioLink& link = panel.link;
  if (!query) link.otherCommandsSent = static_cast<int32_t>(static_cast<uint32_t>(link.otherCommandsSent) + 1u);
  if (s.config.debugLog == 1) WriteLogLine(panel, "TX=" + s.cat.commandText.str());

  WaitingCommand waiting;
  waiting.ticket = link.nextTicket++;
  if (link.nextTicket == 0) link.nextTicket = 1;
  waiting.asker = asker;
  waiting.query = query;
  if (query) waiting.prefix = std::string(sent.substr(0, sent.size() - 1));
  waiting.sent = std::string(sent);
  const SteadyTime now = panel.clock.Steady();
  const std::chrono::milliseconds wait = AnswerWait(panel);
  waiting.deadline = now + wait;
  if (query) {
    // The radio takes its commands one after another: a query sent behind a
    // burst of sets (start-up's before "GT0") is answered only once they are
    // done, so each set still on its way adds to the wait, up to as much
    // again. A silent radio's waits stay bounded.
    const auto setsAhead = std::count_if(link.waiting.begin(), link.waiting.end(),
                                         [now](const WaitingCommand& w) { return !w.query && w.deadline > now; });
    waiting.deadline += std::min(wait, wait * setsAhead / kSetsPerAnswerWait);
  }
  waiting.sentNumber = link.otherCommandsSent;
  // A radio that never answers cannot make the list grow without end; the
  // oldest wait ends without an answer.
  if (link.waiting.size() >= kMostWaiting) {
    const WaitingCommand& oldest = link.waiting.front();
    if (oldest.query && oldest.asker != Asker::kPoll && oldest.asker != Asker::kNobody) {
      Deliver(link, oldest, std::string());
    }
    link.waiting.pop_front();
  }
  link.waiting.push_back(std::move(waiting));
  return link.waiting.back().ticket;
}

void SendCommand(Panel& panel, std::string_view command) {
  // A copy: the command may be commandText itself.
  const std::string text(command);
  SendFor(panel, text, Asker::kNobody, false);
}

void ReceiveAnswers(Panel& panel) {
  PanelState& s = panel.state;
  for (int i = 0; i < kMostReads && panel.ports.BytesWaiting(s.config.comPort) > 0; ++i) {
    const std::string bytes = panel.ports.ReadPort(s.config.comPort, static_cast<int>(kLongestAnswer));
    if (bytes.empty()) break;
    // A serial line brings an answer a few characters at a time: the log
    // shows each answer once it is whole.
    for (const std::string& answer : TakeRadioBytes(panel.link, bytes)) {
      if (s.config.debugLog == 1) WriteLogLine(panel, "RX=" + answer);
    }
    // Which of the panel's commands drew a refusal, after the answers read.
    for (const std::string& command : panel.link.refused) {
      if (s.config.debugLog == 1) WriteLogLine(panel, "REFUSED=" + command);
    }
    panel.link.refused.clear();
  }
  EndOverdueWaits(panel.link, panel.clock.Steady());
}

std::optional<std::string> Query(Panel& panel, std::string_view command) {
  RadioLink& link = panel.link;
  const std::uint32_t ticket = SendFor(panel, std::string(command), Asker::kKey, true);
  auto mine = [ticket](const RoutedAnswer& a) { return a.ticket == ticket; };
  for (;;) {
    ReceiveAnswers(panel);
    auto answer = std::find_if(link.forKey.begin(), link.forKey.end(), mine);
    if (answer != link.forKey.end()) {
      std::string text = std::move(answer->text);
      link.forKey.erase(answer);
      if (text.empty() || text == "?;") return std::nullopt;
      return text;
    }
    auto waiting = std::find_if(link.waiting.begin(), link.waiting.end(),
                                [ticket](const WaitingCommand& w) { return w.ticket == ticket; });
    if (waiting == link.waiting.end()) return std::nullopt;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(waiting->deadline - panel.clock.Steady());
    if (left.count() <= 0 || !panel.ports.WaitForInput(panel.state.config.comPort, left)) {
      // Nothing more came in time; a last look at what did.
      ReceiveAnswers(panel);
      answer = std::find_if(link.forKey.begin(), link.forKey.end(), mine);
      if (answer != link.forKey.end()) continue;
      link.waiting.erase(std::remove_if(link.waiting.begin(), link.waiting.end(),
                                        [ticket](const WaitingCommand& w) { return w.ticket == ticket; }),
                         link.waiting.end());
      return std::nullopt;
    }
  }
}

std::chrono::milliseconds AnswerWait(Panel& panel) {
  if (auto length = PhraseLength(panel, "delay")) return *length;
  return std::chrono::milliseconds(100);
}

void PauseBriefly(Panel& panel) { panel.clock.Sleep(AnswerWait(panel)); }

void OpenPortSequence(Panel& panel, int port) {
  const PanelState& s = panel.state;
  panel.ports.ClosePort(port);
  panel.ports.OpenPort(port, s.config.baudRate);
  panel.ports.SetReadTimeouts(port, -1);
  panel.ports.SetLineFormat(port, s.cat.portDataBits, s.cat.portParity, s.cat.portStopBits);
}

}  // namespace kelvaro
