// TCP through POSIX sockets on the loopback address: the test is the client,
// with plain blocking sockets of its own.
#include "platform/posix_tcp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace kelvaro {
namespace {

int ConnectTo(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Waits (bounded) until the handle has something for Accept or Read.
void WaitReadable(PosixTcp& tcp, Tcp::Handle h) { tcp.Wait({{h, true, false}}, 5000); }

class PosixTcpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    listener = tcp.Listen("127.0.0.1", 0, &error);
    ASSERT_NE(listener, Tcp::kNone) << error;
    port = tcp.LocalPort(listener);
    ASSERT_GT(port, 0);
  }
  void TearDown() override {
    if (client >= 0) ::close(client);
    tcp.Close(server);
    tcp.Close(listener);
  }
  void Pair() {
    client = ConnectTo(port);
    ASSERT_GE(client, 0);
    WaitReadable(tcp, listener);
    std::string peer;
    server = tcp.Accept(listener, &peer);
    ASSERT_NE(server, Tcp::kNone);
    EXPECT_EQ(peer.rfind("127.0.0.1:", 0), 0u) << peer;
  }

  PosixTcp tcp;
  Tcp::Handle listener = Tcp::kNone, server = Tcp::kNone;
  int port = 0;
  int client = -1;
};

TEST_F(PosixTcpTest, BytesGoBothWaysAndNothingWaitsWhenNothingCame) {
  EXPECT_EQ(tcp.Accept(listener, nullptr), Tcp::kNone);  // nobody yet, no waiting
  Pair();
  std::string got;
  EXPECT_EQ(tcp.Read(server, &got, 100), 0);
  ASSERT_EQ(::send(client, "f\nm\n", 4, 0), 4);
  WaitReadable(tcp, server);
  EXPECT_EQ(tcp.Read(server, &got, 2), 2);  // no more than asked for
  EXPECT_EQ(tcp.Read(server, &got, 100), 2);
  EXPECT_EQ(got, "f\nm\n");
  EXPECT_EQ(tcp.Write(server, "7100000\n"), 8);
  char buffer[16] = {};
  EXPECT_EQ(::recv(client, buffer, sizeof buffer, 0), 8);
  EXPECT_STREQ(buffer, "7100000\n");
  EXPECT_EQ(tcp.Descriptor(server), server);
}

TEST_F(PosixTcpTest, APeerThatLeavesIsSeenOnReadAndWriteWithoutASignal) {
  Pair();
  ASSERT_EQ(::send(client, "q\n", 2, 0), 2);
  ::close(client);
  client = -1;
  WaitReadable(tcp, server);
  std::string got;
  EXPECT_EQ(tcp.Read(server, &got, 100), 2);  // what it sent before it left
  EXPECT_EQ(tcp.Read(server, &got, 100), -1);
  // Writing to a connection whose peer has gone fails instead of raising
  // SIGPIPE (which would end this test program).
  long result = 0;
  for (int i = 0; i < 100 && result >= 0; ++i) result = tcp.Write(server, "RPRT 0\n");
  EXPECT_EQ(result, -1);
}

TEST_F(PosixTcpTest, WritesTakeWhatFitsWhenThePeerDoesNotRead) {
  Pair();
  const std::string block(64 * 1024, 'x');
  long total = 0, n = 1;
  for (int i = 0; i < 10000 && n > 0; ++i) {
    n = tcp.Write(server, block);
    if (n > 0) total += n;
  }
  EXPECT_EQ(n, 0);  // full: nothing more fits, and the call did not wait
  EXPECT_GT(total, 0);
}

TEST_F(PosixTcpTest, ListeningFailsPlainly) {
  std::string error;
  EXPECT_EQ(tcp.Listen("127.0.0.1", port, &error), Tcp::kNone);  // taken by the fixture's listener
  EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos) << error;
  EXPECT_EQ(tcp.Listen("localhost", 4532, &error), Tcp::kNone);
  EXPECT_NE(error.find("not an IPv4 address"), std::string::npos) << error;
  EXPECT_EQ(tcp.Listen("127.0.0.1", 70000, &error), Tcp::kNone);
  EXPECT_EQ(tcp.LocalPort(Tcp::kNone), 0);
}

}  // namespace
}  // namespace kelvaro
