#include "traffic/passthrough.h"

#include <gtest/gtest.h>

#include "controls/controls_test_panel.h"
#include "memory/records.h"
#include "link/cat.h"
#include "radio.h"

namespace kelvaro {
namespace {

using testing::ControlPanel;
using testing::Strings;

constexpr int kPeer = 7;

struct Relay : ControlPanel {
  Relay() {
    ports.SetResponder(kPort, [this](std::string_view bytes) { return radio.Feed(bytes); });
    panel.state.config.passThroughPort = kPeer;
    ports.OpenPort(kPeer, 38400);
  }
  void Peer(std::string_view bytes) { ports.Receive(kPeer, bytes); }
  std::string ToPeer() {
    std::string out = ports.port(kPeer).written;
    ports.port(kPeer).written.clear();
    return out;
  }
  ftx1sim::Radio radio;
};

TEST(PassThrough, CommandSplitAcrossReadsIsRelayedOnce) {
  Relay t;
  t.Peer("FA");
  RelayPassThrough(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
  t.Peer(";");
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.TakeSent(), Strings{"FA;"});
  EXPECT_EQ(t.ToPeer(), "FA007100000;");
  EXPECT_TRUE(t.panel.state.cat.passThroughSeen);
  EXPECT_EQ(t.panel.state.radio.frequencyHz, 7100000);  // the panel follows the answer
  RelayPassThrough(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
}

TEST(PassThrough, CommandsArrivingTogetherGoOutInOrderOneQueryAtATime) {
  Relay t;
  // A radio that takes its time: nothing is answered until it is asked to.
  std::string pending;
  t.ports.SetResponder(ControlPanel::kPort, [&](std::string_view bytes) {
    pending += t.radio.Feed(bytes);
    return std::string();
  });
  auto answerNow = [&] {
    t.ports.Receive(ControlPanel::kPort, pending);
    pending.clear();
  };
  t.Peer("AI0;AI;ZZ1;ID;");
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"AI0;", "AI;"}));  // the set, then the query, which waits
  RelayPassThrough(t.panel);
  EXPECT_TRUE(t.TakeSent().empty());
  answerNow();
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.ToPeer(), "AI0;");
  EXPECT_EQ(t.TakeSent(), (Strings{"ZZ1;"}));  // unknown to the panel: waited for like a query
  answerNow();
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.ToPeer(), "?;");
  EXPECT_EQ(t.TakeSent(), (Strings{"ID;"}));
  answerNow();
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.ToPeer(), "ID0840;");
}

TEST(PassThrough, ModeSetsMoveThePanelToTheSameMode) {
  Relay t;
  PanelState& s = t.panel.state;
  t.Peer("MD03;");
  RelayPassThrough(t.panel);
  EXPECT_EQ(s.radio.radioMode, kCw);
  Strings sent = t.TakeSent();
  EXPECT_EQ(sent.front(), "MD03;");  // relayed once: ApplyMode does not send it again
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "MD03;"), 1);
  EXPECT_EQ(t.ToPeer(), "");
  EXPECT_EQ(t.screen.TextAt(50, 45), "CW      ");
  t.Peer("MD05;");  // AM on the radio is the panel's mode 4
  RelayPassThrough(t.panel);
  EXPECT_EQ(s.radio.radioMode, kAm);
  t.Peer("MD0E;");  // PSK: a mode the panel has nothing near: relayed, panel unchanged
  RelayPassThrough(t.panel);
  EXPECT_EQ(s.radio.radioMode, kAm);
  EXPECT_EQ(t.TakeSent().back(), "MD0E;");
}

// A mode another program sets is followed as the M key would apply it, but
// for the mode command and the band's stored frequency: the radio stays in
// the mode and on the frequency that program chose. A data mode is followed
// as the voice mode it is built on.
TEST(PassThrough, AModeSetIsFollowedAsTheModeKeyWouldWithoutTheModeOrStoredFrequency) {
  struct Follow {
    const char* sent;
    int32_t mode;      // the panel's mode afterwards
    const char* name;  // on the panel
    Strings codes;     // what the panel sends after relaying it, by command code
    char record;       // the band record's mode digit afterwards; 0: unchanged
  };
  const Follow kFollows[] = {
      {"MD03;", kCw, "CW      ", {"NA", "SH"}, '3'},
      {"MD0C;", kUsb, "USB    ", {"NA", "SH"}, '2'},  // DATA-U
      {"MD08;", kLsb, "LSB    ", {"NA", "SH"}, '1'},  // DATA-L
      {"MD05;", kAm, "AM     ", {"NA"}, '4'},
      {"MD0H;", kC4fm, "C4FM  ", {"NA"}, '6'},
      {"MD0A;", kFmWide, "FM      ", {"NA", "SQ"}, 0},  // DATA-FM; FM reads the squelch, as the M key does
      {"MD0F;", kFmNarrow, "FMN     ", {"NA", "SQ"}, 0},
      {"MD0E;", kFmNarrow, "", {}, 0},  // PSK: nothing near it
  };
  for (const Follow& f : kFollows) {
    SCOPED_TRACE(f.sent);
    Relay t;
    PanelState& s = t.panel.state;
    s.radio.radioMode = kFmNarrow;
    s.radio.frequencyHz = 14074000;  // where the other program has put the radio, away from the band's record
    const char before = ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).mode;
    t.Peer(f.sent);
    RelayPassThrough(t.panel);
    EXPECT_EQ(s.radio.radioMode, f.mode);
    if (*f.name) {
      EXPECT_EQ(t.screen.TextAt(50, 45), f.name);
    }
    Strings sent = t.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), f.sent);  // relayed as it came, and not sent again
    Strings codes;
    for (auto it = sent.begin() + 1; it != sent.end(); ++it) codes.push_back(it->substr(0, 2));
    EXPECT_EQ(codes, f.codes);
    EXPECT_EQ(ParseBandRecord(s.banks.bandRecords[s.radio.bandIndex]).mode, f.record ? f.record : before);
    EXPECT_EQ(s.radio.frequencyHz, 14074000);
    EXPECT_EQ(t.radio.state().mode[0], f.sent[3]);  // the radio keeps the other program's mode
  }
}

TEST(PassThrough, BytesWithoutTerminatorCannotBlockThePort) {
  Relay t;
  for (int i = 0; i < 10; ++i) {
    t.Peer(std::string(200, 'x'));
    RelayPassThrough(t.panel);
    EXPECT_LE(t.panel.state.cat.passThroughBuffer.size(), 254u);
  }
  EXPECT_TRUE(t.TakeSent().empty());
  // The junk still waiting is read and dropped a buffer at a time; what is
  // left of it ends with the first ";" (the radio refuses that), and the
  // command after it comes through.
  t.Peer("FA;FA;");
  for (int i = 0; i < 30; ++i) RelayPassThrough(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), "FA;");
  EXPECT_EQ(Right(t.ToPeer(), 12), "FA007100000;");
}

TEST(PassThrough, ABurstLongerThanTheBufferIsRelayedWhole) {
  Relay t;
  std::string burst;
  for (int i = 0; i < 85; ++i) burst += "FA;";
  t.Peer(burst);
  t.Peer("ID;");
  for (int i = 0; i < 100; ++i) RelayPassThrough(t.panel);
  Strings sent = t.TakeSent();
  ASSERT_EQ(sent.size(), 86u);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "FA;"), 85);
  EXPECT_EQ(sent.back(), "ID;");
}

TEST(PassThrough, TheOtherProgramGetsOnlyTheAnswersToItsOwnCommands) {
  Relay t;
  PanelState& s = t.panel.state;
  // The panel's poll went out first; its answer arrives ahead of theirs,
  // together with one the radio sent by itself.
  t.ports.SetResponder(ControlPanel::kPort, [](std::string_view bytes) {
    return bytes == "FA;" ? std::string("SM0040;IF001;FA014074000;") : bytes == "SM0;" ? "" : std::string("?;");
  });
  SendFor(t.panel, "SM0", Asker::kPoll, true);
  t.Peer("FA;");
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.ToPeer(), "FA014074000;");
  EXPECT_EQ(s.radio.frequencyHz, 14074000);  // the panel follows the frequency they asked for
  ASSERT_EQ(t.panel.link.forTick.size(), 2u);
  EXPECT_EQ(t.panel.link.forTick[0].text, "SM0040;");
  // A set command the radio refuses: they hear the refusal, as from the radio.
  t.Peer("FA014");
  RelayPassThrough(t.panel);
  t.Peer("07400x;");
  RelayPassThrough(t.panel);
  EXPECT_EQ(t.ToPeer(), "?;");
}

TEST(PassThrough, WhileThePanelSpeaksTrafficMovesAndThePanelFollowsAfterwards) {
  Relay t;
  PanelState& s = t.panel.state;
  s.radio.radioMode = kCw;
  s.cat.commandText = "AG0123";  // a speaking operation's own command stays as it was
  t.Peer("FA007074000;FA;MD02;");
  RelayWhileSpeaking(t.panel);
  EXPECT_EQ(t.TakeSent(), (Strings{"FA007074000;", "FA;", "MD02;"}));
  EXPECT_EQ(t.ToPeer(), "FA007074000;");
  EXPECT_EQ(s.cat.commandText, "AG0123");
  EXPECT_EQ(s.radio.radioMode, kCw);  // nothing followed yet
  RelayPassThrough(t.panel);
  EXPECT_EQ(s.radio.frequencyHz, 7074000);
  EXPECT_EQ(s.radio.radioMode, kUsb);
  // Following their mode does not send the band's stored frequency back.
  for (const std::string& sent : t.TakeSent()) EXPECT_NE(sent.substr(0, 3), "FA0") << sent;
}

}  // namespace
}  // namespace kelvaro
