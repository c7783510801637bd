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

TEST_F(SafeWrite, TemporaryFileFitsWhereverTheTargetFitsAndLeftoversAreCleared) {
  // 259 characters: the longest full path the system takes.
  const std::string folder = "C:\\" + std::string(200, 'f');
  const std::string longest = folder + "\\" + std::string(51, 'n') + ".OVS";
  ASSERT_EQ(longest.size(), 259u);
  fs.MakeFolders(folder);
  fs.PutFile(longest, "old");
  EXPECT_TRUE(app::WriteFileReplacing(fs, longest, "new"));
  EXPECT_EQ(fs.Contents(longest), "new");
  EXPECT_EQ(FilesIn(folder), 1u);

  // Temporary files of saves that were cut off are removed by the next save.
  fs.PutFile(path, "old");
  fs.PutFile("C:\\Lib\\Office.OV~", "left over");
  fs.PutFile("C:\\Lib\\Office.O~1", "left over");
  ASSERT_TRUE(app::WriteFileReplacing(fs, path, "new"));
  EXPECT_EQ(FilesIn("C:\\Lib"), 1u);
  // A read-only file of such a name was never ours: it stays as it is.
  fs.PutFile("C:\\Lib\\Office.OV~", "someone else's");
  fs.SetReadOnly("C:\\Lib\\Office.OV~", true);
  ASSERT_TRUE(app::WriteFileReplacing(fs, path, "newer"));
  EXPECT_EQ(fs.Contents("C:\\Lib\\Office.OV~"), "someone else's");
  EXPECT_EQ(fs.Contents(path), "newer");
  EXPECT_EQ(FilesIn("C:\\Lib"), 2u);
}

}  // namespace
