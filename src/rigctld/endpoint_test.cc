// The endpoint's clients on in-memory TCP: several at once, each in order and
// on its own, and the limits that keep a misbehaving client from stalling the
// panel or the others.
#include "rigctld/endpoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "platform/fake_tcp.h"
#include "rigctld/sim_radio_link.h"

namespace kelvaro::rigctld {
namespace {

using testing::SimRadioLink;

class EndpointTest : public ::testing::Test {
 protected:
  EndpointTest() {
    link.Attach(&endpoint);
    EXPECT_TRUE(endpoint.Listen({"127.0.0.1", 4532}));
  }
  Tcp::Handle Connect() {
    Tcp::Handle c = tcp.Connect("127.0.0.1", 4532);
    endpoint.Poll();
    return c;
  }
  void Pass() {
    endpoint.Poll();
    link.Deliver();
  }
  void Settle(int passes = 40) {
    for (int i = 0; i < passes; ++i) Pass();
  }
  bool Logged(const std::string& part) const {
    return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }

  EndpointOptions Options() {
    EndpointOptions options;
    options.now = [this] { return now; };
    return options;
  }

  std::chrono::steady_clock::time_point now{};
  FakeTcp tcp;
  SimRadioLink link;
  std::vector<std::string> log;
  Endpoint endpoint{tcp, link, [this](std::string_view line) { log.emplace_back(line); }, {}, Options()};
};

TEST_F(EndpointTest, ClientsAreServedSideBySideEachInItsOwnOrder) {
  link.answerAtOnce = false;
  Tcp::Handle a = Connect();
  Tcp::Handle b = Connect();
  tcp.Send(a, "f\nm\n");
  tcp.Send(b, "t\nv\n");
  endpoint.Poll();
  // One command at a time per client: only the first of each has gone out.
  EXPECT_EQ(link.TakeSent(), "VS;FA;FB;TX;");
  // a's answers are late: b goes on through both its commands without it,
  // the second one started by the next pass.
  std::deque<std::pair<int, std::optional<std::string>>> late(link.held.begin(), link.held.begin() + 3);
  link.held.erase(link.held.begin(), link.held.begin() + 3);
  link.Deliver();
  EXPECT_EQ(tcp.Take(b), "0\n");
  Pass();
  EXPECT_EQ(tcp.Take(b), "VFOA\n");
  EXPECT_EQ(tcp.Take(a), "");
  link.held = late;
  Settle();
  EXPECT_EQ(tcp.Take(a), "7100000\nLSB\n2400\n");
  EXPECT_EQ(tcp.Take(b), "");
  EXPECT_EQ(endpoint.clients(), 2);
}

TEST_F(EndpointTest, ASetFromOneClientIsSeenByTheOther) {
  Tcp::Handle a = Connect();
  Tcp::Handle b = Connect();
  tcp.Send(a, "F 21074000\n");
  Settle();
  tcp.Send(b, "f\n");
  Settle();
  EXPECT_EQ(tcp.Take(a), "RPRT 0\n");
  EXPECT_EQ(tcp.Take(b), "21074000\n");
  EXPECT_EQ(link.changed, std::vector<std::string>{"FA021074000"});
}

TEST_F(EndpointTest, QuitAnswersAndCloses) {
  Tcp::Handle c = Connect();
  tcp.Send(c, "f\nq\nf\n");
  Settle();
  EXPECT_EQ(tcp.Take(c), "7100000\nRPRT 0\n");
  EXPECT_FALSE(tcp.IsOpen(c));
  EXPECT_EQ(endpoint.clients(), 0);
  EXPECT_TRUE(Logged("client 1 closed"));
}

TEST_F(EndpointTest, AClientThatClosesItsEndStillGetsItsReplies) {
  link.answerAtOnce = false;
  Tcp::Handle c = Connect();
  tcp.Send(c, "f\nm");  // the last line has no end
  tcp.CloseClient(c);
  Settle();
  EXPECT_EQ(tcp.Take(c), "7100000\nLSB\n2400\n");
  EXPECT_FALSE(tcp.IsOpen(c));
}

TEST_F(EndpointTest, AnswersForAClientThatHasGoneAreIgnored) {
  link.answerAtOnce = false;
  Tcp::Handle c = Connect();
  Tcp::Handle other = Connect();
  tcp.Send(c, "f\n");
  endpoint.Poll();
  tcp.connection(c).broken = true;
  tcp.Send(other, "f\n");  // a write to the broken one fails on this pass
  endpoint.Poll();
  EXPECT_EQ(link.Deliver(), 6);
  Settle();
  EXPECT_EQ(tcp.Take(other), "7100000\n");
  EXPECT_EQ(endpoint.clients(), 1);
}

TEST_F(EndpointTest, TheSeventeenthClientIsRefusedAndLogged) {
  std::vector<Tcp::Handle> clients;
  for (int i = 0; i < Endpoint::kMaxClients; ++i) clients.push_back(tcp.Connect("127.0.0.1", 4532));
  Settle(8);
  EXPECT_EQ(endpoint.clients(), 16);
  Tcp::Handle extra = tcp.Connect("127.0.0.1", 4532);
  Settle(2);
  EXPECT_FALSE(tcp.IsOpen(extra));
  EXPECT_EQ(tcp.Take(extra), "");
  EXPECT_TRUE(Logged("refused " + tcp.connection(extra).peer + ": 16 clients are connected already"));
  // Every one of the sixteen is served.
  for (Tcp::Handle c : clients) tcp.Send(c, "t\n");
  Settle();
  for (Tcp::Handle c : clients) EXPECT_EQ(tcp.Take(c), "0\n");
  // When one leaves, the next is taken.
  tcp.Send(clients[3], "q\n");
  Settle(3);
  Tcp::Handle next = tcp.Connect("127.0.0.1", 4532);
  Settle(3);
  EXPECT_TRUE(tcp.IsOpen(next));
  EXPECT_EQ(endpoint.clients(), 16);
}

// Connections that are held open and idle give way, the longest idle first,
// but only past the grace, and never one whose command is running.
TEST_F(EndpointTest, AClientIdlePastTheGraceGivesWayToANewOne) {
  using std::chrono::milliseconds;
  const auto start = now;
  std::vector<Tcp::Handle> clients;
  for (int i = 0; i < Endpoint::kMaxClients; ++i) {
    now = start + std::chrono::seconds(i);  // client i is heard from at i seconds
    clients.push_back(Connect());
  }
  ASSERT_EQ(endpoint.clients(), 16);
  now = start + std::chrono::seconds(20);
  tcp.Send(clients[1], "t\n");
  Settle();
  EXPECT_EQ(tcp.Take(clients[1]), "0\n");
  link.answerAtOnce = false;
  tcp.Send(clients[0], "t\n");
  endpoint.Poll();  // its answer is held: the command runs on

  now = start + milliseconds(31500);  // client 0 is busy, 1 spoke at 20 s, 2 has been idle 29.5 s
  Tcp::Handle refused = tcp.Connect("127.0.0.1", 4532);
  endpoint.Poll();
  EXPECT_FALSE(tcp.IsOpen(refused));
  EXPECT_EQ(endpoint.clients(), 16);

  now = start + milliseconds(32500);
  Tcp::Handle newcomer = tcp.Connect("127.0.0.1", 4532);
  endpoint.Poll();
  EXPECT_TRUE(tcp.IsOpen(newcomer));
  EXPECT_FALSE(tcp.IsOpen(clients[2]));
  EXPECT_TRUE(Logged("client 3 (" + tcp.connection(clients[2]).peer + ") dropped: idle for 30 s, it gives way"));
  for (int i : {0, 1, 3, 15}) EXPECT_TRUE(tcp.IsOpen(clients[i])) << i;
  tcp.Send(newcomer, "t\n");
  Settle();
  EXPECT_EQ(tcp.Take(newcomer), "0\n");
  EXPECT_EQ(tcp.Take(clients[0]), "0\n");  // the busy one got its reply
  EXPECT_EQ(endpoint.clients(), 16);
}

TEST_F(EndpointTest, BadLinesAreAnsweredWithAnErrorInTheirPlace) {
  struct Bad {
    const char* what;
    std::string bytes;
    std::string reply;
  };
  const std::string longLine(Endpoint::kMaxLine + 1, 'f');
  const std::string fitting = "\\get_freq" + std::string(Endpoint::kMaxLine - 9, ' ');
  const Bad kBad[] = {
      {"a line one byte too long", longLine + "\nf\n", "RPRT -1\n7100000\n"},
      {"a line just within the limit", fitting + "\n", "7100000\n"},
      {"a long line arriving in pieces", std::string(5000, 'x') + "\nf\n", "RPRT -1\n7100000\n"},
      {"control bytes", std::string("f\x01\x02\nf\n"), "RPRT -1\n7100000\n"},
      {"a zero byte", std::string("f\0\nt\n", 5), "RPRT -1\n0\n"},
      {"bytes from 0x80", "\xff\xfe\nt\n", "RPRT -1\n0\n"},
      {"DEL", "t\x7f\nt\n", "RPRT -1\n0\n"},
  };
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.what);
    Tcp::Handle c = Connect();
    tcp.Send(c, bad.bytes);
    Settle();
    EXPECT_EQ(tcp.Take(c), bad.reply);
    EXPECT_TRUE(tcp.IsOpen(c));
  }
  EXPECT_TRUE(Logged("sent a line longer than 1024 bytes; answered RPRT -1"));
  EXPECT_TRUE(Logged("sent bytes that are not text; answered RPRT -1"));
}

TEST_F(EndpointTest, ALineWithoutEndIsReadNoFurtherThanTheLimit) {
  Tcp::Handle c = Connect();
  // Endless bytes without a line end: one error, and the input stays bounded.
  for (int i = 0; i < 100; ++i) {
    tcp.Send(c, std::string(10000, 'a'));
    Pass();
  }
  EXPECT_EQ(tcp.Take(c), "RPRT -1\n");
  tcp.Send(c, "\nt\n");
  Settle(600);  // what is still waiting is read and dropped a few kilobytes a pass
  EXPECT_EQ(tcp.Take(c), "0\n");
}

TEST_F(EndpointTest, AFloodCostsOnePassBoundedWorkAndStallsNoOtherClient) {
  Tcp::Handle flood = Connect();
  Tcp::Handle quiet = Connect();
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "t\n";
  tcp.Send(flood, lines);
  tcp.Send(quiet, "v\n");
  endpoint.Poll();
  // One pass reads at most one chunk and starts at most kCommandsPerPass commands.
  EXPECT_LE(lines.size() - tcp.connection(flood).toService.size(), Endpoint::kReadChunk);
  const std::string sent = link.TakeSent();
  EXPECT_EQ(static_cast<int>(std::count(sent.begin(), sent.end(), ';')), Endpoint::kCommandsPerPass + 1);
  EXPECT_NE(sent.find("VS;"), std::string::npos);
  EXPECT_EQ(tcp.Take(quiet), "VFOA\n");
  // The flood is still answered, every line in order, over later passes.
  std::string replies = tcp.Take(flood);
  for (int i = 0; i < 400 && replies.size() < 2 * 5000; ++i) {
    Pass();
    replies += tcp.Take(flood);
  }
  EXPECT_EQ(replies.size(), 2u * 5000);
  EXPECT_EQ(replies.find_first_not_of("0\n"), std::string::npos);

  // Answers handed over after the pass finish the command they belong to and
  // start no others, however quickly the radio answers the next ones.
  link.answerAtOnce = false;
  link.TakeSent();
  lines.clear();
  for (int i = 0; i < 100; ++i) lines += "f\n";
  tcp.Send(flood, lines);
  replies.clear();
  for (int i = 0; i < 200 && std::count(replies.begin(), replies.end(), '\n') < 100; ++i) {
    Pass();
    const std::string sent = link.TakeSent();
    EXPECT_LE(std::count(sent.begin(), sent.end(), ';'), 3) << "pass " << i;
    replies += tcp.Take(flood);
  }
  EXPECT_EQ(std::count(replies.begin(), replies.end(), '\n'), 100);
  EXPECT_EQ(replies.substr(0, replies.find('\n')).find_first_not_of("0123456789"), std::string::npos);
}

TEST_F(EndpointTest, AClientThatNeverReadsIsDroppedAndTheOthersGoOn) {
  Tcp::Handle deaf = Connect();
  Tcp::Handle other = Connect();
  tcp.connection(deaf).room = 10000;  // its window fills and is never emptied
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "\\dump_state\n";
  tcp.Send(deaf, lines);
  for (int i = 0; i < 100 && tcp.IsOpen(deaf); ++i) {
    Pass();
    tcp.Send(other, "t\n");
  }
  EXPECT_FALSE(tcp.IsOpen(deaf));
  EXPECT_TRUE(Logged("dropped: it does not read its replies"));
  Settle();
  const std::string answered = tcp.Take(other);
  EXPECT_GT(answered.size(), 10u);
  EXPECT_EQ(answered.find_first_not_of("0\n"), std::string::npos);
  EXPECT_EQ(endpoint.clients(), 1);
}

TEST_F(EndpointTest, InterestsFollowWhatEachClientWaitsFor) {
  EXPECT_EQ(endpoint.Interests().size(), 1u);  // the listener
  Tcp::Handle c = Connect();
  ASSERT_EQ(endpoint.Interests().size(), 2u);
  EXPECT_FALSE(endpoint.Interests()[1].write);
  tcp.connection(c).room = 0;
  tcp.Send(c, "t\n");
  endpoint.Poll();
  ASSERT_EQ(endpoint.Interests().size(), 2u);
  EXPECT_TRUE(endpoint.Interests()[1].write);  // a reply waits to go out
  // Lines beyond one pass's share are work to do at once.
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += "\\chk_vfo\n";
  Tcp::Handle busy = Connect();
  tcp.Send(busy, lines);
  endpoint.Poll();
  EXPECT_TRUE(endpoint.HasWork());
  Settle(5);
  EXPECT_FALSE(endpoint.HasWork());
}

TEST(Endpoint, ListeningFailuresAndOpenAddressesAreLogged) {
  FakeTcp tcp;
  SimRadioLink link;
  std::vector<std::string> log;
  Endpoint endpoint(tcp, link, [&](std::string_view line) { log.emplace_back(line); });
  tcp.refused.insert("127.0.0.1:4532");
  EXPECT_FALSE(endpoint.Listen({"127.0.0.1", 4532}));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "cannot listen on 127.0.0.1:4532");
  EXPECT_EQ(endpoint.port(), 0);
  log.clear();
  EXPECT_TRUE(endpoint.Listen({"127.0.0.1", 0}));
  EXPECT_GT(endpoint.port(), 0);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "listening on 127.0.0.1:" + std::to_string(endpoint.port()));
  log.clear();
  EXPECT_TRUE(endpoint.Listen({"0.0.0.0", 4534}));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].find("0.0.0.0:4534 can be reached from other machines, and rigctld has no authentication"),
            std::string::npos);
}

TEST(Endpoint, ListenAddressesAreLoopbackUnlessGiven) {
  struct Given {
    const char* text;
    const char* address;  // nullptr: refused
    int port;
  };
  const Given kGiven[] = {
      {"4532", "127.0.0.1", 4532},         {"127.0.0.1:4534", "127.0.0.1", 4534},
      {"localhost:4536", "127.0.0.1", 4536}, {"0.0.0.0:4532", "0.0.0.0", 4532},
      {"192.168.1.20:1", "192.168.1.20", 1}, {"65535", "127.0.0.1", 65535},
      {"", nullptr, 0},       {"0", nullptr, 0},         {"65536", nullptr, 0},
      {"45x", nullptr, 0},    {":4532", nullptr, 0},     {"127.0.0.1:", nullptr, 0},
      {"1.2.3:4532", nullptr, 0}, {"1.2.3.4.5:4532", nullptr, 0}, {"256.1.1.1:4532", nullptr, 0},
      {"[::1]:4532", nullptr, 0}, {"radio.example:4532", nullptr, 0}, {"-4532", nullptr, 0},
  };
  for (const Given& s : kGiven) {
    SCOPED_TRACE(s.text);
    auto where = ParseListenAddress(s.text);
    if (!s.address) {
      EXPECT_FALSE(where.has_value());
      continue;
    }
    ASSERT_TRUE(where.has_value());
    EXPECT_EQ(where->address, s.address);
    EXPECT_EQ(where->port, s.port);
  }
  EXPECT_TRUE(IsLoopback("127.0.0.1"));
  EXPECT_TRUE(IsLoopback("127.1.2.3"));
  EXPECT_FALSE(IsLoopback("0.0.0.0"));
  EXPECT_FALSE(IsLoopback("128.0.0.1"));
  EXPECT_FALSE(IsLoopback("127.0.0"));
}

}  // namespace
}  // namespace kelvaro::rigctld
