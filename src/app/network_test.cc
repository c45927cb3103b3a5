#include "app/network.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "memory/records.h"
#include "platform/fake_tcp.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

// The endpoint wired to a panel whose radio is the in-memory stand-in.
struct Network : ControlPanel {
  Network() : link(panel, tcp), endpoint(tcp, link, [](std::string_view) {}) {
    ports.SetResponder(kPort, [this](std::string_view bytes) { return radio.Feed(bytes); });
    link.Attach(&endpoint);
    EXPECT_TRUE(endpoint.Listen(rigctld::ListenAddress{"127.0.0.1", 4532}));
    client = tcp.Connect("127.0.0.1", 4532);
  }
  // Sends lines and serves until the replies are in.
  std::string Ask(std::string_view lines) {
    tcp.Send(client, lines);
    for (int i = 0; i < 8; ++i) link.Service();
    return tcp.Take(client);
  }
  ftx1sim::Radio radio;
  FakeTcp tcp;
  NetworkLink link;
  rigctld::Endpoint endpoint;
  Tcp::Handle client = Tcp::kNone;
};

TEST(NetworkLink, ClientsGoThroughTheLinkAndThePanelFollows) {
  Network t;
  PanelState& s = t.panel.state;
  s.radio.splitOn = true;  // a client's "FA" is not turned into "FB"
  EXPECT_EQ(t.Ask("F 7074000\nf\n"), "RPRT 0\n7074000\n");
  EXPECT_EQ(t.radio.state().vfoHz[0], 7074000);
  t.TakeSent();
  EXPECT_EQ(t.Ask("M CW 0\n"), "RPRT 0\n");
  EXPECT_EQ(s.radio.radioMode, kCw);  // followed, without the band's stored frequency
  for (const std::string& sent : t.TakeSent()) EXPECT_NE(sent.substr(0, 3), "FA0") << sent;
  t.TakeSpoken();
  EXPECT_EQ(t.Ask("T 1\n"), "RPRT 0\n");
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tx", "on"}));
  EXPECT_EQ(s.tick.txState, TxState::kTransmitting);
  // While a phrase is spoken traffic moves, but what is said waits for its end.
  s.cat.commandText = "AG0123";
  t.tcp.Send(t.client, "T 0\n");
  for (int i = 0; i < 4; ++i) t.link.WhileSpeaking();
  EXPECT_EQ(t.tcp.Take(t.client), "RPRT 0\n");
  EXPECT_EQ(t.radio.state().tx, 0);
  EXPECT_TRUE(t.TakeSpoken().empty());
  EXPECT_EQ(s.cat.commandText, "AG0123");
  t.link.Service();
  EXPECT_EQ(t.TakeSpoken(), (Strings{"tx", "off"}));
  EXPECT_EQ(s.tick.txState, TxState::kReceiving);
}

// A data mode from a network client: the radio gets the data code and keeps
// it; the panel shows, and the band record stores, the voice mode under it.
TEST(NetworkLink, ADataModeGoesToTheRadioAndThePanelTakesTheVoiceModeUnderIt) {
  Network t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kLsb;
  t.TakeSent();
  EXPECT_EQ(t.Ask("M PKTUSB -1\nm\n"), "RPRT 0\nPKTUSB\n2400\n");
  EXPECT_EQ(t.radio.state().mode[0], 'C');
  EXPECT_EQ(s.radio.radioMode, kUsb);
  EXPECT_EQ(t.screen.TextAt(50, 45), "USB    ");
  EXPECT_EQ(ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).mode, '2');
  for (const std::string& sent : t.TakeSent()) {
    EXPECT_NE(sent.substr(0, 3), "FA0") << sent;
    EXPECT_NE(sent, "MD02;");
  }
}

}  // namespace
}  // namespace kelvaro
