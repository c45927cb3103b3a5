// What the program says and how it ends when the configuration, the port or
// the radio fails: at start-up (after the spoken phrase) and with --check.
#include "app/radio_check.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/startup.h"
#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::TestPanel;

constexpr const char* kConfig =
    "com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=0\r\n"
    "10m  =-100\r\n6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 0\r\ndebug=0\r\n";

enum class Situation {
  kNoConfig, kConfigIsFolder, kPortRefused, kLinkLeadsNowhere, kComPortRefused, kSilent, kOtherModel, kFtx1
};

struct Case {
  const char* what;
  Situation situation;
  int status;
  std::vector<std::string> message;  // parts the error stream must hold, in order
  const char* spokenLast;             // the last phrase of the start-up, "" for none
  bool posixOnly = false;             // names POSIX paths, devices or links
};

#ifdef _WIN32
constexpr bool kOnWindows = true;
#else
constexpr bool kOnWindows = false;
#endif

const Case kCases[] = {
    {"no configuration", Situation::kNoConfig, kExitConfiguration,
     {"kelvaro: cannot read the configuration ", "/kelvaro.cfg: No such file or directory",
      "(kelvaro --setup writes one)\n"},
     "cfgnf", true},
    {"a folder named kelvaro.cfg", Situation::kConfigIsFolder, kExitConfiguration,
     {"/kelvaro.cfg: Is a directory"}, "cfgnf", true},
    {"port refused", Situation::kPortRefused, kExitPortNotOpened,
     {"kelvaro: cannot open the radio's port COM 5, /dev/ttyS4: Permission denied\n",
      "kelvaro: there is no link com5 to the radio's device in ", ", so COM 5 is /dev/ttyS4; kelvaro --setup makes the link\n"},
     "rnftx.wav", true},
    {"link leads nowhere", Situation::kLinkLeadsNowhere, kExitPortNotOpened,
     {"kelvaro: cannot open the radio's port COM 5, ", "/com5 (a link to /dev/serial/by-id/usb-gone-if00-port0): "
      "No such file or directory\n",
      "kelvaro: the link com5 leads to nothing now: is the radio switched on and plugged in?"},
     "rnftx.wav", true},
    // Windows names the port itself; there is no link to speak of.
    {"a COM port refused", Situation::kComPortRefused, kExitPortNotOpened,
     {"kelvaro: cannot open the radio's port COM 5, COM5: Access is denied.\n"}, "rnftx.wav"},
    {"silent radio", Situation::kSilent, kExitNoAnswer,
     {"kelvaro: the radio on COM 5 does not answer when asked who it is: is it switched on, and is its CAT "
      "speed 38400 bit/s as kelvaro.cfg says?\n"},
     "rnftx.wav"},
    {"another model", Situation::kOtherModel, kExitOtherRadio,
     {"kelvaro: the radio on COM 5 answers as another model (identity 0650); Kelvaro works with the FTX-1 "
      "(identity 0840)\n"},
     "rnftx.wav"},
    {"an FTX-1", Situation::kFtx1, kExitOk, {}, ""},
};

// A panel in the given situation.
void Arrange(TestPanel& t, Situation situation) {
  if (situation == Situation::kNoConfig) return;
  if (situation == Situation::kConfigIsFolder) {
    fs::create_directory(t.dir.path() / "kelvaro.cfg");
    return;
  }
  t.dir.Write("kelvaro.cfg", kConfig);
  switch (situation) {
    case Situation::kPortRefused:
      t.ports.unavailable.insert(5);
      t.ports.failureReasons[5] = "Permission denied";
      t.ports.devices[5] = "/dev/ttyS4";
      break;
    case Situation::kComPortRefused:
      t.ports.unavailable.insert(5);
      t.ports.failureReasons[5] = "Access is denied.";
      t.ports.devices[5] = "COM5";
      break;
    case Situation::kLinkLeadsNowhere:
      fs::create_symlink("/dev/serial/by-id/usb-gone-if00-port0", t.dir.path() / "com5");
      t.ports.unavailable.insert(5);
      t.ports.devices[5] = t.dir.path() / "com5";
      break;
    case Situation::kOtherModel:
    case Situation::kFtx1: {
      std::string id = situation == Situation::kFtx1 ? "ID0840;" : "ID0650;";
      t.ports.SetResponder(5, [id](std::string_view bytes) { return bytes == "ID;" ? id : std::string(); });
      break;
    }
    default:
      break;
  }
}

void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts, const char* what) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    std::size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << what << ": missing \"" << part << "\" in:\n" << text;
    at = found + part.size();
  }
}

TEST(RefusalMessages, StartUpSaysWhichCauseAndEndsWithItsStatus) {
  for (const Case& c : kCases) {
    if (kOnWindows && c.posixOnly) continue;
    TestPanel t;
    Arrange(t, c.situation);
    t.window.script = {{kMsgClose, 0}};
    ::testing::internal::CaptureStderr();
    int status = RunProgram(t.panel, t.window);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status) << c.what;
    ExpectInOrder(said, c.message, c.what);
    if (c.message.size() <= 1 && !c.posixOnly) {
      EXPECT_EQ(said, c.message.empty() ? "" : c.message[0]) << c.what;
    }
    // The spoken behaviour is the same as before.
    std::vector<std::string> spoken = t.TakeSpoken();
    if (*c.spokenLast) {
      std::vector<std::string> tail(spoken.end() - std::min<std::ptrdiff_t>(2, spoken.size()), spoken.end());
      EXPECT_NE(std::find(tail.begin(), tail.end(), c.spokenLast), tail.end()) << c.what;
    } else {
      EXPECT_EQ(std::find(spoken.begin(), spoken.end(), "rnftx.wav"), spoken.end()) << c.what;
    }
  }
}

TEST(RefusalMessages, CheckAsksOnlyForTheIdentityAndSaysWhatAnswered) {
  for (const Case& c : kCases) {
    if (kOnWindows && c.posixOnly) continue;
    TestPanel t;
    Arrange(t, c.situation);
    std::ostringstream out, err;
    int status = CheckRadio(t.panel, out, err);
    EXPECT_EQ(status, c.status) << c.what;
    ExpectInOrder(err.str(), c.message, c.what);
    if (c.message.size() == 1 && !c.posixOnly) {
      EXPECT_EQ(err.str(), c.message[0]) << c.what;
    }
    EXPECT_TRUE(t.TakeSpoken().size() <= 1) << c.what;  // at most the pause, never a report
    EXPECT_FALSE(t.window.opened);
    const bool reachedRadio = c.situation >= Situation::kSilent;
    EXPECT_EQ(t.ports.Commands(5), reachedRadio ? std::vector<std::string>{"ID;"} : std::vector<std::string>{})
        << c.what;
    EXPECT_FALSE(t.ports.port(5).open) << c.what;  // closed again
    EXPECT_FALSE(fs::exists(t.panel.File("debug.dat"))) << c.what;
    if (c.situation == Situation::kFtx1) {
      EXPECT_EQ(out.str(), "The radio's port: COM 5, 38400 bit/s.\nIt answered: ID0840;\nThis is an FTX-1: Kelvaro can work with it.\n");
      EXPECT_EQ(err.str(), "");
    }
    if (c.situation == Situation::kOtherModel) {
      EXPECT_NE(out.str().find("It answered: ID0650;\n"), std::string::npos);
    }
    if (c.situation == Situation::kSilent) {
      EXPECT_NE(out.str().find("Nothing came back.\n"), std::string::npos);
    }
  }
}

TEST(RefusalMessages, GarbledAnswersArePrintedReadably) {
  TestPanel t;
  t.dir.Write("kelvaro.cfg", kConfig);
  t.ports.SetResponder(5, [](std::string_view) { return std::string("\x01ID\xff", 4) + std::string(100, 'x'); });
  std::ostringstream out, err;
  EXPECT_EQ(CheckRadio(t.panel, out, err), kExitNoAnswer);
  EXPECT_NE(out.str().find("It answered: \\x01ID\\xFF" + std::string(76, 'x') + "...\n"), std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace kelvaro
