// Which file a phrase name plays, with the phrase folder in the working
// folder or chosen elsewhere (the installed recordings).
#include "speech/phrase.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::TestPanel;

TEST(PhraseFiles, NamesResolveInTheChosenFolderAndTheLogKeepsThemAsPassed) {
  const fs::path installed = "/usr/share/kelvaro/wave";
  struct Case {
    const char* name;
    const char* waveFolder;
    bool chosen;       // a phrase folder was chosen by the program entry
    std::string file;  // relative to the working folder unless absolute
    bool logged;
  } cases[] = {
      {"ok", "wave\\", false, "wave/ok.wav", true},
      {"3.wav", "wave\\", false, "wave/3.wav", true},
      {"Power", "wave\\", false, "wave/Power.wav", true},
      {"ok", "wave\\", true, installed.string() + "/ok.wav", true},
      {"3.wav", "wave\\", true, installed.string() + "/3.wav", true},
      {"point", "wave\\", true, installed.string() + "/point.wav", true},
      // Another folder text is never the chosen folder, and is not logged.
      {"9.wav", "xx", true, "xx9.wav", false},
      {"9.wav", "xx", false, "xx9.wav", false},
  };
  for (const Case& c : cases) {
    TestPanel t;
    t.panel.state.config.waveFolder = c.waveFolder;
    if (c.chosen) t.panel.phraseFolder = installed;
    PlayPhrase(t.panel, c.name);
    ASSERT_EQ(t.voice.played.size(), 1u);
    // "/usr/..." has no drive on Windows: it is rooted all the same.
    fs::path expected = fs::path(c.file).has_root_directory() ? fs::path(c.file) : t.dir.path() / c.file;
    EXPECT_EQ(fs::path(t.voice.played[0]).lexically_normal(), expected.lexically_normal())
        << c.name << " " << c.waveFolder;
    EXPECT_EQ(t.TakeSpoken(), c.logged ? std::vector<std::string>{c.name} : std::vector<std::string>{})
        << c.name;
  }
}

}  // namespace
}  // namespace kelvaro
