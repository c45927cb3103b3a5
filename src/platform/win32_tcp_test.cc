// TCP through Winsock on the loopback address: the test is the client, with
// plain blocking sockets of its own, and waits on the events that Descriptor
// gives as the main loop does.
#include "platform/win32_tcp.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>

namespace kelvaro {
namespace {

SOCKET ConnectTo(int port) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<u_short>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    ::closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

// Whether the handle's waitable is signalled within the time (0: now).
bool Signalled(const Tcp& tcp, Tcp::Handle h, DWORD ms) {
  HANDLE event = reinterpret_cast<HANDLE>(tcp.Descriptor(h));
  return ::WaitForSingleObject(event, ms) == WAIT_OBJECT_0;
}

class Win32TcpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    listener = tcp.Listen("127.0.0.1", 0, &error);
    ASSERT_NE(listener, Tcp::kNone) << error;
    port = tcp.LocalPort(listener);
    ASSERT_GT(port, 0);
  }
  void TearDown() override {
    if (client != INVALID_SOCKET) ::closesocket(client);
    tcp.Close(server);
    tcp.Close(listener);
  }
  void Pair() {
    client = ConnectTo(port);
    ASSERT_NE(client, INVALID_SOCKET);
    ASSERT_TRUE(Signalled(tcp, listener, 5000)) << "a waiting connection wakes the loop";
    std::string peer;
    server = tcp.Accept(listener, &peer);
    ASSERT_NE(server, Tcp::kNone);
    EXPECT_EQ(peer.rfind("127.0.0.1:", 0), 0u) << peer;
  }

  Win32Tcp tcp;
  Tcp::Handle listener = Tcp::kNone, server = Tcp::kNone;
  int port = 0;
  SOCKET client = INVALID_SOCKET;
};

TEST_F(Win32TcpTest, BytesGoBothWaysAndTheEventsWakeOnlyForInput) {
  EXPECT_FALSE(Signalled(tcp, listener, 0));
  EXPECT_EQ(tcp.Accept(listener, nullptr), Tcp::kNone);  // nobody yet, no waiting
  Pair();
  EXPECT_NE(tcp.Descriptor(server), tcp.Descriptor(listener)) << "the connection has an event of its own";
  EXPECT_FALSE(Signalled(tcp, listener, 0)) << "reset once the connection was taken";
  EXPECT_FALSE(Signalled(tcp, server, 0)) << "nothing has come yet";
  std::string got;
  EXPECT_EQ(tcp.Read(server, &got, 100), 0);

  ASSERT_EQ(::send(client, "f\nm\n", 4, 0), 4);
  ASSERT_TRUE(Signalled(tcp, server, 5000)) << "arriving bytes wake the loop";
  tcp.Wait({{server, true, false}}, 5000);
  EXPECT_EQ(tcp.Read(server, &got, 2), 2);  // no more than asked for
  EXPECT_TRUE(Signalled(tcp, server, 5000)) << "set again while bytes are left";
  EXPECT_EQ(tcp.Read(server, &got, 100), 2);
  EXPECT_EQ(got, "f\nm\n");
  EXPECT_EQ(tcp.Read(server, &got, 100), 0);
  EXPECT_FALSE(Signalled(tcp, server, 0)) << "all read: the loop sleeps again";

  EXPECT_EQ(tcp.Write(server, "7100000\n"), 8);
  char buffer[16] = {};
  EXPECT_EQ(::recv(client, buffer, sizeof buffer, 0), 8);
  EXPECT_STREQ(buffer, "7100000\n");
  EXPECT_FALSE(Signalled(tcp, server, 0)) << "room to write does not wake the loop";

  // A peer that does not read: writes take what fits, then 0, never waiting.
  const std::string block(64 * 1024, 'x');
  long n = 1;
  for (int i = 0; i < 10000 && n > 0; ++i) n = tcp.Write(server, block);
  EXPECT_EQ(n, 0);
}

TEST_F(Win32TcpTest, APeerThatLeavesIsSeenOnReadAndWrite) {
  Pair();
  ASSERT_EQ(::send(client, "q\n", 2, 0), 2);
  ::closesocket(client);
  client = INVALID_SOCKET;
  ASSERT_TRUE(Signalled(tcp, server, 5000));
  std::string got;
  long n = 0;
  while ((n = tcp.Read(server, &got, 100)) == 0) {
    ASSERT_TRUE(Signalled(tcp, server, 5000)) << "the end is signalled";
  }
  EXPECT_EQ(n, 2);  // what it sent before it left
  EXPECT_EQ(got, "q\n");
  ASSERT_TRUE(Signalled(tcp, server, 5000)) << "the loop comes back for the end";
  EXPECT_EQ(tcp.Read(server, &got, 100), -1);
  long result = 0;
  for (int i = 0; i < 100 && result >= 0; ++i) result = tcp.Write(server, "RPRT 0\n");
  EXPECT_EQ(result, -1);
}

TEST_F(Win32TcpTest, ListeningFailsPlainlyAndClosedHandlesNameNothing) {
  std::string error;
  EXPECT_EQ(tcp.Listen("127.0.0.1", port, &error), Tcp::kNone);  // taken by the fixture's listener
  EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos) << error;
  EXPECT_EQ(tcp.Listen("localhost", 4532, &error), Tcp::kNone);
  EXPECT_NE(error.find("not an IPv4 address"), std::string::npos) << error;
  EXPECT_EQ(tcp.Listen("127.0.0.1", 70000, &error), Tcp::kNone);
  EXPECT_EQ(tcp.LocalPort(Tcp::kNone), 0);
  EXPECT_EQ(tcp.Descriptor(Tcp::kNone), kNoWaitable);

  Pair();
  const Tcp::Handle closed = server;
  tcp.Close(server);
  server = Tcp::kNone;
  std::string got;
  EXPECT_EQ(tcp.Read(closed, &got, 10), -1);
  EXPECT_EQ(tcp.Write(closed, "x"), -1);
  EXPECT_EQ(tcp.Descriptor(closed), kNoWaitable);
  EXPECT_EQ(tcp.LocalPort(closed), 0);
  // A new connection gets a handle of its own, never the closed one's.
  SOCKET second = ConnectTo(port);
  ASSERT_NE(second, INVALID_SOCKET);
  ASSERT_TRUE(Signalled(tcp, listener, 5000));
  server = tcp.Accept(listener, nullptr);
  EXPECT_NE(server, Tcp::kNone);
  EXPECT_NE(server, closed);
  ::closesocket(second);
}

}  // namespace
}  // namespace kelvaro
