#include "app/locations.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(Locations, TheWorkingFoldersOwnRecordingsWinOverTheInstalledOnes) {
  TempDir work, installed;
  const fs::path share = installed.path() / "share" / "kelvaro" / "wave";
  const fs::path missing = installed.path() / "nothing";
  fs::create_directories(share);
  // Installed only: the first installed folder that is there.
  EXPECT_EQ(FindPhraseFolder(work.path(), {missing, share}), share);
  EXPECT_EQ(FindPhraseFolder(work.path(), {missing}), fs::path());
  EXPECT_EQ(FindPhraseFolder(work.path(), {}), fs::path());
  // A file named wave is no phrase folder.
  work.Write("wave", "");
  EXPECT_EQ(FindPhraseFolder(work.path(), {share}), share);
  fs::remove(work.path() / "wave");
  // The working folder's wave/, even empty, wins.
  fs::create_directory(work.path() / "wave");
  EXPECT_EQ(FindPhraseFolder(work.path(), {share}), work.path() / "wave");
}

TEST(Locations, ProgramsAreFoundWhereTheyCanBeRun) {
  TempDir dir;
  dir.Write("data", "");
  dir.Write("ftx1-sim", "#!/bin/sh\n");
  fs::permissions(dir.path() / "ftx1-sim", fs::perms::owner_all);
  fs::create_directory(dir.path() / "folder");
  EXPECT_EQ(FindProgram({dir.path() / "none", dir.path() / "folder", dir.path() / "ftx1-sim"}),
            dir.path() / "ftx1-sim");
  EXPECT_EQ(FindProgram({dir.path() / "none", dir.path() / "folder"}), fs::path());
  if (::geteuid() != 0) {  // root may run what nobody else may
    EXPECT_EQ(FindProgram({dir.path() / "data"}), fs::path());
  }
}

}  // namespace
}  // namespace kelvaro
