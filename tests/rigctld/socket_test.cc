// The rigctld endpoint on real loopback sockets, with raw clients that
// misbehave: lines too long, bytes that are not text, a flood, a client that
// never reads, one client too many. The endpoint and the clients share this
// thread; every wait is a bounded number of passes.
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix_tcp.h"
#include "rigctld/endpoint.h"
#include "sim_radio_link.h"

namespace kelvaro::rigctld {
namespace {

using testing::SimRadioLink;

// A raw, non-blocking client socket.
class RawClient {
 public:
  explicit RawClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    int flags = 1;
    ::ioctl(fd_, FIONBIO, &flags);
  }
  ~RawClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool connected() const { return connected_; }
  // Sends what the socket takes now; returns the count.
  std::size_t SendSome(std::string_view bytes) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  // Reads what has arrived; sets `ended` when the endpoint closed the connection.
  std::string Receive() {
    std::string got;
    char buffer[8192];
    for (;;) {
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) ended = true;
      return got;
    }
  }
  bool ended = false;

 private:
  int fd_ = -1;
  bool connected_ = false;
};

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.answerAtOnce = false;
    link.Attach(&endpoint);
    ASSERT_TRUE(endpoint.Listen({"127.0.0.1", 0}));
  }
  void Pass() {
    endpoint.Wait(5);
    endpoint.Poll();
    link.Deliver();
  }
  // Runs passes until `done` holds, at most `passes` of them.
  bool RunUntil(const std::function<bool()>& done, int passes = 4000) {
    for (int i = 0; i < passes; ++i) {
      if (done()) return true;
      Pass();
    }
    return done();
  }
  // Sends all of `bytes` from `client`, running passes while the socket is full.
  void SendAll(RawClient& client, std::string_view bytes) {
    for (int i = 0; i < 100000 && !bytes.empty(); ++i) {
      bytes.remove_prefix(client.SendSome(bytes));
      Pass();
    }
    EXPECT_TRUE(bytes.empty());
  }
  // Collects what `client` receives until it holds `size` bytes.
  std::string ReceiveUntil(RawClient& client, std::size_t size) {
    std::string got;
    RunUntil([&] {
      got += client.Receive();
      return got.size() >= size || client.ended;
    });
    return got;
  }
  bool Logged(const std::string& part) const {
    return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }

  PosixTcp tcp;
  SimRadioLink link;
  std::vector<std::string> log;
  Endpoint endpoint{tcp, link, [this](std::string_view line) { log.emplace_back(line); }};
};

TEST_F(SocketTest, BadInputIsAnsweredInPlaceAndTheClientGoesOn) {
  RawClient c(endpoint.port());
  ASSERT_TRUE(c.connected());
  const std::string input = std::string(3000, 'F') + "\n" + std::string("\x16\x03\x01\x02\x00", 5) + "\n" +
                            "\xc3\xa9t\n" + "f\n" + "+\\get_powerstat\n";
  SendAll(c, input);
  const std::string expected = "RPRT -1\nRPRT -1\nRPRT -1\n7100000\nget_powerstat:\nPower Status: 1\nRPRT 0\n";
  EXPECT_EQ(ReceiveUntil(c, expected.size()), expected);
  EXPECT_FALSE(c.ended);
}

TEST_F(SocketTest, AFloodIsAnsweredInOrderWhileAnotherClientIsServed) {
  RawClient flood(endpoint.port());
  RawClient other(endpoint.port());
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += i % 2 ? "t\n" : "v\n";
  std::string floodReplies, otherReplies;
  std::string_view rest = lines;
  int asked = 0;
  RunUntil([&] {
    rest.remove_prefix(flood.SendSome(rest));
    floodReplies += flood.Receive();
    // The other client asks again each time it has its answer.
    if (asked < 20 && otherReplies.size() == static_cast<std::size_t>(2 * asked) && other.SendSome("t\n") == 2) {
      ++asked;
    }
    otherReplies += other.Receive();
    return floodReplies.size() >= 3000 / 2 * (5 + 2) && otherReplies.size() >= 40;
  }, 20000);
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += i % 2 ? "0\n" : "VFOA\n";
  EXPECT_EQ(floodReplies, expected);
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "0\n";
  EXPECT_EQ(otherReplies, twenty);
}

TEST_F(SocketTest, AClientThatNeverReadsIsDropped) {
  RawClient deaf(endpoint.port());
  RawClient other(endpoint.port());
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "\\dump_state\n";
  ASSERT_TRUE(RunUntil([&] {
    deaf.SendSome(lines);  // as much as goes; it never reads a byte
    return Logged("dropped: it does not read its replies");
  }, 50000));
  // The other client was not held up by it and is still served.
  other.SendSome("f\n");
  EXPECT_EQ(ReceiveUntil(other, 8), "7100000\n");
  EXPECT_EQ(endpoint.clients(), 1);
}

TEST_F(SocketTest, TheSeventeenthClientIsRefused) {
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < Endpoint::kMaxClients; ++i) {
    clients.push_back(std::make_unique<RawClient>(endpoint.port()));
    ASSERT_TRUE(clients.back()->connected());
  }
  ASSERT_TRUE(RunUntil([&] { return endpoint.clients() == Endpoint::kMaxClients; }));
  RawClient extra(endpoint.port());
  ASSERT_TRUE(extra.connected());  // the system takes the connection; the endpoint closes it
  std::string got;
  ASSERT_TRUE(RunUntil([&] {
    got += extra.Receive();
    return extra.ended;
  }));
  EXPECT_EQ(got, "");
  EXPECT_TRUE(Logged(": 16 clients are connected already"));
  for (auto& c : clients) c->SendSome("\\chk_vfo\n");
  for (auto& c : clients) EXPECT_EQ(ReceiveUntil(*c, 2), "0\n");
}

}  // namespace
}  // namespace kelvaro::rigctld
