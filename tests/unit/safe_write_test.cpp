#include "app/safe_write.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_files.h"

namespace {

struct SafeWrite : ::testing::Test {
  void SetUp() override {
    fs.AddDrive('C', platform::DriveType::Fixed);
    fs.AddDrive('D', platform::DriveType::CdRom);
    fs.MakeFolders("C:\\Lib");
  }
  // Every file of the folder, so that a stray temporary file shows up.
  size_t FilesIn(const std::string& folder) { return fs.ListFolder(folder, "*")->size(); }

  sim::SimFileSystem fs;
  const std::string path = "C:\\Lib\\Office.OVS";
};

TEST_F(SafeWrite, FailuresKeepTheOldFileAndLeaveNoTemporaryFile) {
  fs.PutFile(path, "old script");
  fs.diskFullAfter = 2;
  EXPECT_FALSE(app::WriteFileReplacing(fs, path, "a much longer new script"));
  EXPECT_EQ(fs.Contents(path), "old script");
  EXPECT_EQ(FilesIn("C:\\Lib"), 1u);

  fs.denyNextWrite = true;
  EXPECT_FALSE(app::WriteFileReplacing(fs, path, "new"));
  fs.denyNextReplace = true;
  EXPECT_FALSE(app::WriteFileReplacing(fs, path, "new"));
  EXPECT_EQ(fs.Contents(path), "old script");
  EXPECT_EQ(FilesIn("C:\\Lib"), 1u);
}

TEST_F(SafeWrite, ReadOnlyTargetsAndFoldersAreRefusedNotReplaced) {
  fs.PutFile(path, "old");
  fs.SetReadOnly(path, true);
  EXPECT_FALSE(app::WriteFileReplacing(fs, path, "new"));
  EXPECT_EQ(fs.Contents(path), "old");
  EXPECT_FALSE(app::WriteFileReplacing(fs, "C:\\Lib", "new"));
  EXPECT_TRUE(fs.Attributes("C:\\Lib")->folder);
  EXPECT_EQ(FilesIn("C:\\Lib"), 1u);
}

TEST_F(SafeWrite, NeverOverwritesAnotherFileThatHasTheTemporaryName) {
  fs.PutFile(path + ".~tmp", "someone else's");
  ASSERT_TRUE(app::WriteFileReplacing(fs, path, "new"));
  EXPECT_EQ(fs.Contents(path + ".~tmp"), "someone else's");
  EXPECT_EQ(fs.Contents(path), "new");
  EXPECT_EQ(FilesIn("C:\\Lib"), 2u);
}

}  // namespace
